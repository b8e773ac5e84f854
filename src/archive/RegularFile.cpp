// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/RegularFile.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tembrel {

namespace {

OpenedFile failed(OpenFailure why) {
    return {nullptr, 0, why};
}

} // namespace

OpenedFile openRegularFile(const fs::path &path) {
    // Looked at first, so that no device is even opened.
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return failed(OpenFailure::Missing);
    if (!ec && status.type() != fs::file_type::regular)
        return failed(OpenFailure::NotRegular);
#ifdef _WIN32
    // Windows keeps its pipes out of the file system's folders.
    std::FILE *file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return failed(OpenFailure::Unreadable);
    const std::uint64_t size = fs::file_size(path, ec);
    return {file, ec ? 0 : size, OpenFailure::None};
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno == ENOENT || errno == ENOTDIR ? OpenFailure::Missing
                                                          : OpenFailure::Unreadable);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(OpenFailure::NotRegular);
    }
    // Reads of a regular file never wait anyway; cleared so that nothing
    // later depends on it.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE *file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return failed(OpenFailure::Unreadable);
    }
    return {file, std::uint64_t(st.st_size), OpenFailure::None};
#endif
}

bool readFileAt(std::FILE *file, std::uint64_t offset, void *buffer, std::size_t size) {
#ifdef _WIN32
    if (_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) != 0)
        return false;
#else
    if (::fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
#endif
    return std::fread(buffer, 1, size, file) == size;
}

} // namespace tembrel
