// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Little-endian fields, the archive's record signatures and the UTF-8 path
// conversion shared by the archive writer and reader.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tembrel::zipbytes {

inline constexpr std::uint32_t LocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t CentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t EndRecordSignature = 0x06054B50;
inline constexpr std::size_t LocalHeaderSize = 30;
inline constexpr std::size_t CentralHeaderSize = 46;
inline constexpr std::size_t EndRecordSize = 22;

inline void put16(unsigned char *p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void put32(unsigned char *p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

inline std::uint16_t get16(const unsigned char *p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t get32(const unsigned char *p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Paths travel as UTF-8 text; the file system wants its own encoding
// (wide characters on Windows).
inline std::filesystem::path toPath(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t *>(utf8.data()), utf8.size()));
}

inline std::string fromPath(const std::filesystem::path &path) {
    const std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char *>(s.data()), s.size());
}

inline bool isSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

inline constexpr char Separator = static_cast<char>(std::filesystem::path::preferred_separator);

// A normal file (not a folder) exists at the path.
inline bool fileExists(std::string_view utf8) {
    std::error_code ec;
    return std::filesystem::is_regular_file(toPath(utf8), ec);
}

} // namespace tembrel::zipbytes
