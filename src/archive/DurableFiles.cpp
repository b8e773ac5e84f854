// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/DurableFiles.h"

#include <cstdio>
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

constexpr std::string_view Mark = ".tembrel-";
constexpr std::string_view Suffix = ".tmp";
constexpr std::size_t RandomDigits = 8;

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

fs::path folderOf(const fs::path &target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

fs::path temporarySibling(const fs::path &target) {
    static std::mt19937_64 gen{std::random_device{}()};
    for (;;) {
        char digits[RandomDigits + 1];
        std::snprintf(digits, sizeof digits, "%08x", unsigned(gen() & 0xFFFFFFFFu));
        const fs::path candidate =
            folderOf(target) /
            ("." + target.filename().string() + std::string(Mark) + digits + std::string(Suffix));
        std::error_code ec;
        if (!fs::exists(candidate, ec))
            return candidate;
    }
}

bool isTemporaryName(const std::string &fileName) {
    // "." <name> ".tembrel-" <8 hex digits> ".tmp", with a name of its own.
    const std::size_t tail = Mark.size() + RandomDigits + Suffix.size();
    if (fileName.size() < 2 + tail || fileName.front() != '.')
        return false;
    const std::size_t at = fileName.size() - tail;
    if (fileName.compare(at, Mark.size(), Mark) != 0 ||
        fileName.compare(fileName.size() - Suffix.size(), Suffix.size(), Suffix) != 0)
        return false;
    for (std::size_t i = at + Mark.size(); i < at + Mark.size() + RandomDigits; ++i)
        if (!isHexDigit(fileName[i]))
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

bool makeFolder(const fs::path &folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return true;
    const fs::path parent = folderOf(folder);
    if (!fs::create_directory(folder, ec) && !fs::is_directory(folder, ec))
        return false;
    // The new folder's entry is in its parent: flushed, or a power cut may
    // take the folder and every file written into it since.
    flush(parent, true);
    return true;
}

SafeFile::SafeFile(fs::path target)
    : m_target(std::move(target)) {
    removeLeftovers(folderOf(m_target));
    m_temporary = temporarySibling(m_target);
    m_out.open(m_temporary, std::ios::binary | std::ios::trunc);
}

SafeFile::~SafeFile() {
    discard();
}

void SafeFile::discard() {
    if (!m_pending)
        return;
    m_pending = false;
    if (m_out.is_open())
        m_out.close();
    std::error_code ec;
    fs::remove(m_temporary, ec);
}

SafeFile::Result SafeFile::commit() {
    if (!m_pending || !m_out.is_open()) {
        discard();
        return Result::WriteFailed;
    }
    m_out.close();
    // On the disk before the rename: a power cut must not leave the target
    // renamed over a file whose data never reached the disk.
    if (m_out.fail() || !flush(m_temporary, false)) {
        discard();
        return Result::WriteFailed;
    }
    std::error_code ec;
    fs::rename(m_temporary, m_target, ec);
    if (ec) {
        discard();
        return Result::RenameFailed;
    }
    m_pending = false;
    flush(folderOf(m_target), true);
    return Result::Done;
}

bool writeFile(const fs::path &target, std::string_view content) {
    SafeFile file(target);
    if (!file.isOpen())
        return false;
    file.stream().write(content.data(), std::streamsize(content.size()));
    return file.commit() == SafeFile::Result::Done;
}

} // namespace tembrel::durable
