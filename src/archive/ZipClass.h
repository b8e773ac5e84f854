// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The archive writer: ZipClass collects entries (ZipFile) and writes them as a
// zip archive with raw deflate data, in one pass from front to back.

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tembrel {

// One entry while the archive is built. Its source file is read, checksummed
// and compressed at once, so later changes to the file do not reach the archive.
class ZipFile final {
public:
    ZipFile();

    // Takes the file at FilePath: time stamp, base name, CRC-32, sizes and the
    // compressed data. False (and the entry unusable) when the file cannot be
    // read, is empty, is too large for a zip entry or cannot be compressed.
    bool ReadFile(const std::string &FilePath);
    void SetFileName(const std::string &Name);
    void SetComment(const std::string &Text);

    // The last piece of a path split at the platform's separator.
    static std::string BaseName(const std::string &Path);

    // Write the local block (header, name, data) or the central directory entry.
    // `written` is the number of bytes already in the archive; it grows by the
    // bytes written. False when writing failed or the offset does not fit.
    bool WriteLocalHeader(std::ostream &Out, std::uint64_t &Written);
    bool WriteCentralHeader(std::ostream &Out, std::uint64_t &Written) const;

    // MS-DOS date and time of a moment, built field by field: every field keeps
    // only the bits of its width, so none spills into its neighbour.
    static std::uint16_t DosDate(const std::tm &Moment);
    static std::uint16_t DosTime(const std::tm &Moment);
    static void SetBit(std::uint8_t &Byte, int K);
    static bool TestBit(std::int32_t Value, int K);

    const std::string &FileName() const { return m_fileName; }
    const std::string &Comment() const { return m_comment; }
    std::uint32_t Crc32() const { return m_crc32; }
    std::uint32_t CompressedSize() const { return m_compressedSize; }
    std::uint32_t UncompressedSize() const { return m_uncompressedSize; }
    std::uint16_t Date() const { return m_date; }
    std::uint16_t Time() const { return m_time; }

private:
    static constexpr std::uint16_t Version = 20;
    static constexpr std::uint16_t Flags = 2;
    static constexpr std::uint16_t MethodDeflate = 8;
    static constexpr std::uint16_t InternalAttributes = 32;

    bool compressFile(const std::string &FilePath);

    std::string m_fileName;
    std::string m_comment;
    std::vector<unsigned char> m_data;
    std::uint16_t m_time = 0;
    std::uint16_t m_date = 0;
    std::uint32_t m_crc32 = 0;
    std::uint32_t m_compressedSize = 0;
    std::uint32_t m_uncompressedSize = 0;
    std::uint32_t m_localHeaderOffset = 0;
};

class ZipClass final {
public:
    ZipClass() = default;
    ZipClass(const ZipClass &) = delete;
    ZipClass &operator=(const ZipClass &) = delete;

    std::int32_t FileCount() const { return static_cast<std::int32_t>(m_entries.size()); }
    // The archive comment (write-only).
    void Comment(const std::string &Text) { m_comment = Text; }

    // Adds the file at FilePath, stored as FileName when that is not empty.
    // False when no readable, non-empty file is there; the list is then unchanged.
    bool AddFile(const std::string &FilePath, const std::string &FileName = {},
                 const std::string &Comment = {});
    // Writes every entry to FilePath through a temporary file and a rename, so a
    // failure leaves any earlier file whole. False when a file is there and
    // Overwrite is false, or when the archive cannot be written.
    bool WriteZip(const std::string &FilePath, bool Overwrite = false);

private:
    std::string m_comment;
    std::vector<std::unique_ptr<ZipFile>> m_entries;
};

} // namespace tembrel
