// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/DurableFiles.h"

#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tembrel::durable {
namespace {

constexpr std::string_view Suffix = ".tmp";

#ifdef _WIN32
bool flush(const fs::path &path, bool folder) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, folder ? FILE_FLAG_BACKUP_SEMANTICS : 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    // NTFS keeps a rename in its journal; folders need no flush of their own.
    const bool ok = folder || FlushFileBuffers(h);
    CloseHandle(h);
    return ok;
}
#else
bool flush(const fs::path &path, bool folder) {
    const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_WRONLY) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
#endif

} // namespace

fs::path temporarySibling(const fs::path &target) {
    static std::mt19937_64 gen{std::random_device{}()};
    for (;;) {
        fs::path candidate = target;
        candidate += std::string(Suffix) + std::to_string(gen() % 1000000007u);
        std::error_code ec;
        if (!fs::exists(candidate, ec))
            return candidate;
    }
}

bool isTemporaryName(const std::string &fileName) {
    const std::size_t at = fileName.rfind(Suffix);
    if (at == std::string::npos || at == 0 || at + Suffix.size() == fileName.size())
        return false;
    for (std::size_t i = at + Suffix.size(); i < fileName.size(); ++i)
        if (fileName[i] < '0' || fileName[i] > '9')
            return false;
    return true;
}

void removeLeftovers(const fs::path &folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && isTemporaryName(it->path().filename().string()))
            fs::remove(it->path(), ignored);
    }
}

bool syncFile(const fs::path &path) {
    return flush(path, false);
}

bool commitTemporary(const fs::path &temporary, const fs::path &target) {
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return false;
    }
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    flush(folder, true);
    return true;
}

} // namespace tembrel::durable
