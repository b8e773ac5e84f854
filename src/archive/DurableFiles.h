// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes that survive a crash or a power cut: a file is written under a
// temporary sibling name, flushed to the disk, renamed over its target, and the
// folder's new entry flushed in turn. A write killed half-way leaves only its
// temporary file, which the next write into the same folder removes.

#include <filesystem>
#include <string>

namespace tembrel::durable {

// A sibling of the target that no other file uses yet: "<target>.tmp<digits>".
std::filesystem::path temporarySibling(const std::filesystem::path &target);

// Whether a file name is one that temporarySibling makes.
bool isTemporaryName(const std::string &fileName);

// Removes the temporary files that interrupted writes left in the folder.
void removeLeftovers(const std::filesystem::path &folder);

// Flushes a closed file's data to the disk. False when it cannot.
bool syncFile(const std::filesystem::path &path);

// Renames the complete, flushed temporary file over the target and flushes
// the folder, so that the new name lasts too. False (the temporary file then
// removed) when the rename fails.
bool commitTemporary(const std::filesystem::path &temporary, const std::filesystem::path &target);

} // namespace tembrel::durable
