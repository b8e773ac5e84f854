// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The first bytes of an archive's first entry, without unpacking the rest: a
// list of a year's messages wants each wave's header (its rate and size), not
// a minute of sound per row.

#include <cstdint>
#include <optional>
#include <string>

namespace tembrel {

struct EntryHead {
    std::string bytes;                  // the entry's first bytes, inflated
    std::uint32_t uncompressedSize = 0; // the whole entry's size, as its header states it
};

// Reads the local header at the start of the archive and inflates at most
// `want` bytes of its data. nullopt when the file is no zip archive, its first
// entry uses a method other than stored or deflate, or its data is damaged.
std::optional<EntryHead> readFirstEntryHead(const std::string &utf8Path, std::size_t want);

} // namespace tembrel
