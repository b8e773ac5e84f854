// SPDX-License-Identifier: GPL-3.0-or-later
#include "ZipPeek.h"

#include "ZipBytes.h"

#include <zlib.h>

#include <fstream>
#include <vector>

namespace tembrel {

std::optional<EntryHead> readFirstEntryHead(const std::string &utf8Path, std::size_t want) {
    using namespace zipbytes;
    std::ifstream in(toPath(utf8Path), std::ios::binary);
    unsigned char header[LocalHeaderSize];
    if (!in.read(reinterpret_cast<char *>(header), LocalHeaderSize) ||
        get32(header) != LocalHeaderSignature)
        return std::nullopt;
    const std::uint16_t flags = get16(header + 6);
    const std::uint16_t method = get16(header + 8);
    const std::uint32_t compressed = get32(header + 18);
    EntryHead head;
    head.uncompressedSize = get32(header + 22);
    // Sizes written after the data (bit 3) are not in the local header.
    if ((flags & 8) != 0 || (method != 0 && method != 8))
        return std::nullopt;
    in.seekg(std::streamoff(get16(header + 26)) + get16(header + 28), std::ios::cur);
    want = std::min<std::size_t>(want, head.uncompressedSize);
    if (method == 0) {
        head.bytes.resize(std::min<std::size_t>(want, compressed));
        if (!in.read(head.bytes.data(), std::streamsize(head.bytes.size())))
            return std::nullopt;
        return head;
    }
    // Deflate gives back at most about a thousand bytes per input byte; a
    // header's worth of input is a few hundred bytes at most.
    std::vector<unsigned char> input(std::min<std::size_t>(compressed, want + 1024));
    in.read(reinterpret_cast<char *>(input.data()), std::streamsize(input.size()));
    input.resize(std::size_t(in.gcount()));
    head.bytes.resize(want);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    z.next_in = input.data();
    z.avail_in = uInt(input.size());
    z.next_out = reinterpret_cast<Bytef *>(head.bytes.data());
    z.avail_out = uInt(want);
    const int rc = inflate(&z, Z_SYNC_FLUSH);
    head.bytes.resize(want - z.avail_out);
    inflateEnd(&z);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
        return std::nullopt;
    return head;
}

} // namespace tembrel
