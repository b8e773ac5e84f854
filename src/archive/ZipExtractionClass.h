// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The archive reader: opens a zip archive, finds its central directory from the
// end record and writes every entry out as a file, inflating deflate data and
// checking the CRC-32. It reports its work through three events.
//
// ZipError numbers: 1 zlib missing, 2 not a zip file (also a central directory
// that is cut short or damaged), 3 no archive open, 4 unsupported compression
// method, 5 damaged or truncated data, 6 an entry name that would leave the
// target folder (absolute, with a drive, with ".." pieces), 7 a file or folder of
// an entry that cannot be written (the extraction stops), 9 the archive cannot
// be read, 10 archive missing, 11 target exists, 12 target cannot be replaced,
// 13 target folder cannot be created.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace tembrel {

class ZipExtractionClass final {
public:
    ZipExtractionClass() = default;
    // Closes the archive as CloseZip does (with its Status event).
    ~ZipExtractionClass();
    ZipExtractionClass(const ZipExtractionClass &) = delete;
    ZipExtractionClass &operator=(const ZipExtractionClass &) = delete;

    bool OpenZip(const std::string &ZipPath);
    void CloseZip();
    // Writes every entry of the open archive below FolderPath. True when the
    // whole central directory was visited (single entries may have failed,
    // each with its ZipError).
    bool Extract(const std::string &FolderPath, bool PreservePath, bool Overwrite);
    std::string ZLibVersion();

    // The largest entry written out: five minutes of the widest wave the
    // sound device records (48 kHz, 16-bit stereo), with room for its header.
    // A larger claimed size is damage (ZipError 5): nothing of it is written.
    static constexpr std::uint64_t DefaultMaxEntrySize = 5ull * 60 * 48000 * 2 * 2 + 4096;
    std::uint64_t MaxEntrySize = DefaultMaxEntrySize;
    // The most bytes one Extract writes, all entries together: an archive
    // that names the same entry again and again would otherwise write it
    // over and over. An entry past it is damage (ZipError 5), not written.
    std::uint64_t MaxTotalSize = UINT64_MAX;
    // The most entries one Extract writes: once this many were accepted, the
    // rest of the central directory is not visited.
    int MaxEntries = 65535;
    // When set, only the entries whose name (as stored, "/" separated) it
    // accepts are written; the others are passed over without an event.
    std::function<bool(const std::string &Name)> Accept;

    // Events, raised synchronously in the order the work happens.
    std::function<void(const std::string &Text)> Status;
    std::function<void(std::int32_t Percent, bool &Cancel)> Progress;
    std::function<void(std::int32_t Number, const std::string &Description)> ZipError;
    // Called once per entry before Progress, so that a user interface can
    // handle its pending events during a long extraction.
    std::function<void()> ProcessEvents;

private:
    struct EndRecord {
        std::uint32_t Signature = 0;
        std::uint16_t ThisDisk = 0;
        std::uint16_t CentralDirectoryDisk = 0;
        std::uint16_t EntriesThisDisk = 0;
        std::uint16_t TotalEntries = 0;
        std::uint32_t CentralDirectorySize = 0;
        std::uint32_t CentralDirectoryOffset = 0;
        std::uint16_t CommentLength = 0;
    };
    struct CentralEntry {
        std::uint32_t Signature = 0;
        std::uint16_t VersionMadeBy = 0;
        std::uint16_t VersionNeeded = 0;
        std::uint16_t Flags = 0;
        std::uint16_t Method = 0;
        std::uint16_t Time = 0;
        std::uint16_t Date = 0;
        std::uint32_t Crc32 = 0;
        std::uint32_t CompressedSize = 0;
        std::uint32_t UncompressedSize = 0;
        std::uint16_t NameLength = 0;
        std::uint16_t ExtraLength = 0;
        std::uint16_t CommentLength = 0;
        std::uint16_t DiskStart = 0;
        std::uint16_t InternalAttributes = 0;
        std::uint32_t ExternalAttributes = 0;
        std::uint32_t LocalHeaderOffset = 0;
    };
    enum class EntryResult { Done, Failed, Stop };
    enum class Outcome { Good, Damaged, ReadFailed, WriteFailed };

    void status(const std::string &text);
    void error(std::int32_t number, const std::string &text);
    bool readAt(std::uint64_t offset, void *buffer, std::size_t size);
    std::int64_t findEndRecord();
    EntryResult extractEntry(const std::string &target, bool exists);
    Outcome inflateTo(std::uint64_t dataOffset, std::uint32_t compressedSize, std::uint32_t crc,
                      std::ofstream &out);
    Outcome copyTo(std::uint64_t dataOffset, std::uint32_t size, std::ofstream &out);

    std::FILE *m_file = nullptr;
    std::string m_zipPath;
    std::uint64_t m_fileLength = 0;
    // Bytes of local blocks used by the entries of the current Extract.
    std::uint64_t m_bytesUsed = 0;
    // Bytes the current Extract may still write.
    std::uint64_t m_bytesLeft = 0;
    // Position of the end record counted from 1; 0 while no archive is open.
    std::int64_t m_endRecordPosition = 0;
    EndRecord m_end;
    CentralEntry m_entry;
};

} // namespace tembrel
