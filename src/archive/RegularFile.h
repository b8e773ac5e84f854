// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every file the program reads is opened here, and only when it is a regular
// file. A FIFO of a data file's name would make an ordinary open wait for a
// writer for ever, and a device, a socket or a folder holds nothing of ours.
// The open itself never waits, and the file opened is the one checked, so a
// file swapped in between is caught too.

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace tembrel {

enum class OpenFailure { None, Missing, NotRegular, Unreadable };

struct OpenedFile {
    std::FILE *file = nullptr; // the caller closes it (fclose); null on failure
    std::uint64_t size = 0;
    OpenFailure failure = OpenFailure::None;
};

// Opens the file for reading raw bytes.
OpenedFile openRegularFile(const std::filesystem::path &path);

// Reads exactly `size` bytes at `offset`. False on a short read or an error.
bool readFileAt(std::FILE *file, std::uint64_t offset, void *buffer, std::size_t size);

} // namespace tembrel
