// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ZipExtractionClass.h"

#include "archive/DurableFiles.h"
#include "archive/RegularFile.h"
#include "archive/ZipBytes.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace tembrel {

using namespace zipbytes;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t ChunkSize = 64 * 1024;
// Deflate cannot expand a byte of input into more than 1032 bytes of output;
// a larger claim is damage, not a reason to write gigabytes.
constexpr std::uint64_t MaxInflateRatio = 1032;

bool isValidUtf8(const std::string &s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static constexpr std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

void appendUtf8(std::string &out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Names are taken as UTF-8 when they are valid UTF-8, otherwise as the
// Windows-1252 text of the program's own older archives.
std::string decodeName(const std::string &raw) {
    if (isValidUtf8(raw))
        return raw;
    static constexpr std::uint16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    for (const char ch : raw) {
        const unsigned char c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c);
    }
    return out;
}

// The part of a name after its last separator.
std::string baseName(const std::string &name) {
    for (std::size_t i = name.size(); i > 0; --i) {
        if (isSeparator(name[i - 1]))
            return name.substr(i);
    }
    return name;
}

bool isAnySeparator(char c) {
    return c == '/' || c == '\\';
}

// An entry name that stays below the target folder: relative, without a drive,
// without ".." pieces, naming a file rather than a folder.
bool isSafeName(const std::string &name) {
    if (name.empty() || name.find('\0') != std::string::npos || isAnySeparator(name.front()))
        return false;
    if (name.size() >= 2 && name[1] == ':')
        return false;
#ifdef _WIN32
    if (name.find(':') != std::string::npos)
        return false;
#endif
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < name.size() && !isAnySeparator(name[end]))
            ++end;
        const std::string_view piece(name.data() + start, end - start);
        if (piece == "..")
            return false;
        if (end == name.size())
            return !piece.empty() && piece != ".";
        start = end + 1;
    }
}

} // namespace

ZipExtractionClass::~ZipExtractionClass() {
    CloseZip();
}

void ZipExtractionClass::status(const std::string &text) {
    if (Status)
        Status(text);
}

void ZipExtractionClass::error(std::int32_t number, const std::string &text) {
    if (ZipError)
        ZipError(number, text);
}

std::string ZipExtractionClass::ZLibVersion() {
    const char *version = zlibVersion();
    if (version == nullptr || *version == '\0') {
        error(1, "Zlib is not installed");
        return {};
    }
    return version;
}

bool ZipExtractionClass::readAt(std::uint64_t offset, void *buffer, std::size_t size) {
    if (!m_file || offset > m_fileLength || size > m_fileLength - offset)
        return false;
    return size == 0 || readFileAt(m_file, offset, buffer, size);
}

// The last end record in the file that can stand: complete, its comment inside
// the file, its central directory before it. Scanned backwards so that a
// comment or trailing bytes after the archive do not hinder opening.
// Returns the position counted from 1, 0 when there is none, -1 on a read error.
std::int64_t ZipExtractionClass::findEndRecord() {
    if (m_fileLength < EndRecordSize)
        return 0;
    std::vector<unsigned char> buffer(ChunkSize + EndRecordSize);
    std::uint64_t last = m_fileLength - EndRecordSize; // highest candidate
    for (;;) {
        const std::uint64_t first = last >= ChunkSize - 1 ? last - (ChunkSize - 1) : 0;
        const std::size_t count = static_cast<std::size_t>(last - first) + EndRecordSize;
        if (!readAt(first, buffer.data(), count))
            return -1;
        for (std::uint64_t i = last + 1; i-- > first;) {
            const unsigned char *r = buffer.data() + (i - first);
            if (get32(r) != EndRecordSignature)
                continue;
            const std::uint64_t commentEnd = i + EndRecordSize + get16(r + 20);
            const std::uint64_t directoryEnd =
                static_cast<std::uint64_t>(get32(r + 16)) + get32(r + 12);
            if (commentEnd <= m_fileLength && directoryEnd <= i)
                return static_cast<std::int64_t>(i) + 1;
        }
        if (first == 0)
            return 0;
        last = first - 1;
    }
}

bool ZipExtractionClass::OpenZip(const std::string &ZipPath) {
    status("Opening Zip");
    CloseZip();
    m_zipPath = ZipPath;
    // A FIFO, a device or a folder of that name is no archive file at all.
    const OpenedFile opened = openRegularFile(toPath(ZipPath));
    if (opened.failure == OpenFailure::Missing || opened.failure == OpenFailure::NotRegular) {
        error(10, "The file " + ZipPath + " doesn't exist");
        return false;
    }
    if (!opened.file) {
        error(9, "Can't read the file " + ZipPath);
        return false;
    }
    m_file = opened.file;
    m_fileLength = opened.size;
    const std::int64_t position = findEndRecord();
    if (position < 0) {
        error(9, "Can't read the file " + ZipPath);
        return false;
    }
    m_endRecordPosition = position;
    if (position > 0) {
        status("Zip Opened");
        return true;
    }
    error(2, "The file " + ZipPath + " is not a Zip file");
    return false;
}

void ZipExtractionClass::CloseZip() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        status("Zip Closed");
    }
    m_endRecordPosition = 0;
}

bool ZipExtractionClass::Extract(const std::string &FolderPath, bool PreservePath, bool Overwrite) {
    if (ZLibVersion().empty())
        return false;
    status("Extracting Files");
    if (m_endRecordPosition == 0) {
        error(3, "There is no Zip File Open");
        return false;
    }
    std::error_code ec;
    const fs::path folder = toPath(FolderPath);
    if (!fs::is_directory(folder, ec)) {
        if (!durable::makeFolder(folder)) {
            error(13, "Can't create the folder " + FolderPath);
            return false;
        }
    }

    const std::string notZip = "The file " + m_zipPath + " is not a Zip file";
    unsigned char e[EndRecordSize];
    if (!readAt(static_cast<std::uint64_t>(m_endRecordPosition - 1), e, sizeof e)) {
        error(2, notZip);
        return false;
    }
    m_end.Signature = get32(e);
    m_end.ThisDisk = get16(e + 4);
    m_end.CentralDirectoryDisk = get16(e + 6);
    m_end.EntriesThisDisk = get16(e + 8);
    m_end.TotalEntries = get16(e + 10);
    m_end.CentralDirectorySize = get32(e + 12);
    m_end.CentralDirectoryOffset = get32(e + 16);
    m_end.CommentLength = get16(e + 20);
    if (m_end.ThisDisk != m_end.CentralDirectoryDisk) {
        status("Extraction Complete");
        return false;
    }

    m_bytesUsed = 0;
    m_bytesLeft = MaxTotalSize;
    int accepted = 0;
    std::uint64_t position = m_end.CentralDirectoryOffset;
    const int total = m_end.TotalEntries;
    for (int k = 1; k <= total && accepted < MaxEntries; ++k) {
        unsigned char c[CentralHeaderSize];
        // A central directory cut short or overwritten leaves no way to find
        // the entries after it.
        if (!readAt(position, c, sizeof c) || get32(c) != CentralHeaderSignature) {
            error(2, notZip);
            return false;
        }
        CentralEntry &entry = m_entry;
        entry.Signature = get32(c);
        entry.VersionMadeBy = get16(c + 4);
        entry.VersionNeeded = get16(c + 6);
        entry.Flags = get16(c + 8);
        entry.Method = get16(c + 10);
        entry.Time = get16(c + 12);
        entry.Date = get16(c + 14);
        entry.Crc32 = get32(c + 16);
        entry.CompressedSize = get32(c + 20);
        entry.UncompressedSize = get32(c + 24);
        entry.NameLength = get16(c + 28);
        entry.ExtraLength = get16(c + 30);
        entry.CommentLength = get16(c + 32);
        entry.DiskStart = get16(c + 34);
        entry.InternalAttributes = get16(c + 36);
        entry.ExternalAttributes = get32(c + 38);
        entry.LocalHeaderOffset = get32(c + 42);
        std::string raw(entry.NameLength, '\0');
        if (!readAt(position + CentralHeaderSize, raw.data(), raw.size())) {
            error(2, notZip);
            return false;
        }
        position += CentralHeaderSize + entry.NameLength + entry.ExtraLength + entry.CommentLength;

        std::string name = decodeName(raw);
        for (char &ch : name) {
            if (ch == '/')
                ch = Separator;
        }

        if (entry.UncompressedSize >= 1 && (!Accept || Accept(decodeName(raw)))) {
            ++accepted;
            if (entry.UncompressedSize > MaxEntrySize || entry.UncompressedSize > m_bytesLeft) {
                error(5, "The entry " + name + " is larger than any message");
            } else if (!isSafeName(name)) {
                error(6, "The entry name " + name + " is not allowed");
            } else {
                std::string relative = name;
                if (PreservePath) {
                    std::string p = FolderPath;
                    std::size_t start = 0;
                    for (std::size_t i = 0; i < name.size(); ++i) {
                        if (!isSeparator(name[i]))
                            continue;
                        p += Separator;
                        p += name.substr(start, i - start);
                        start = i + 1;
                        if (!fs::is_directory(toPath(p), ec)) {
                            if (!durable::makeFolder(toPath(p))) {
                                error(13, "Can't create the folder " + p);
                                return false;
                            }
                        }
                    }
                } else {
                    relative = baseName(name);
                }
                status(std::string("Extracting ...") + Separator + relative);
                const std::string target = FolderPath + Separator + relative;
                const bool exists = fileExists(target);
                if (exists && !Overwrite) {
                    error(11, "The file " + target + " already exists");
                } else if (extractEntry(target, exists) == EntryResult::Stop) {
                    return false;
                }
            }
        }

        if (ProcessEvents)
            ProcessEvents();
        const auto percent =
            static_cast<std::int32_t>(std::nearbyint(static_cast<double>(k) / total * 100.0));
        bool cancel = false;
        if (Progress)
            Progress(percent, cancel);
        if (cancel)
            return false;
    }
    status("Extraction Complete");
    return true;
}

ZipExtractionClass::EntryResult ZipExtractionClass::extractEntry(const std::string &target,
                                                                 bool exists) {
    const std::string damaged = "Data checksum error in " + target;
    unsigned char h[LocalHeaderSize];
    if (!readAt(m_entry.LocalHeaderOffset, h, sizeof h) || get32(h) != LocalHeaderSignature) {
        error(5, damaged);
        return EntryResult::Failed;
    }
    const std::uint32_t crc = get32(h + 14);
    const std::uint32_t compressedSize = get32(h + 18);
    const std::uint16_t nameLength = get16(h + 26);
    const std::uint16_t extraLength = get16(h + 28);
    std::string localName(nameLength, '\0');
    if (!readAt(m_entry.LocalHeaderOffset + LocalHeaderSize, localName.data(), nameLength)) {
        error(5, damaged);
        return EntryResult::Failed;
    }
    const std::uint64_t dataOffset =
        std::uint64_t{m_entry.LocalHeaderOffset} + LocalHeaderSize + nameLength + extraLength;
    if (dataOffset > m_fileLength || compressedSize > m_fileLength - dataOffset) {
        error(5, damaged);
        return EntryResult::Failed;
    }
    // Local blocks lie before the central directory and do not share bytes:
    // once the blocks read add up to more than that room, entries overlap, and
    // a few kilobytes could be unpacked again and again into gigabytes.
    const std::uint64_t room = std::min<std::uint64_t>(m_end.CentralDirectoryOffset, m_fileLength);
    const std::uint64_t span = dataOffset + compressedSize - m_entry.LocalHeaderOffset;
    if (m_bytesUsed > room || span > room - m_bytesUsed) {
        error(5, damaged);
        return EntryResult::Failed;
    }
    m_bytesUsed += span;
    const std::uint16_t method = m_entry.Method;
    if (method != 0 && method != 8) {
        error(4, "The compression Method for " + decodeName(localName) + " is unsupported");
        return EntryResult::Failed;
    }
    // Stored data must be exactly the file; a shorter run (sizes kept only in a
    // data descriptor) would be half a file.
    if (method == 0 && compressedSize != m_entry.UncompressedSize) {
        error(5, damaged);
        return EntryResult::Failed;
    }
    // Whatever becomes of the entry, its bytes may have reached the disk.
    m_bytesLeft -= m_entry.UncompressedSize;

    const fs::path finalPath = toPath(target);
    durable::SafeFile file(finalPath);
    if (!file.isOpen()) {
        error(7, "Can't write the file " + target);
        return EntryResult::Stop;
    }
    const Outcome outcome = method == 0 ? copyTo(dataOffset, compressedSize, file.stream())
                                        : inflateTo(dataOffset, compressedSize, crc, file.stream());
    switch (outcome) {
    case Outcome::Good:
        break;
    case Outcome::Damaged:
        file.discard();
        error(5, damaged);
        return EntryResult::Failed;
    case Outcome::WriteFailed:
        file.discard();
        error(7, "Can't write the file " + target);
        return EntryResult::Stop;
    case Outcome::ReadFailed:
        file.discard();
        error(9, "Can't read the file " + m_zipPath);
        return EntryResult::Stop;
    }
    switch (file.commit()) {
    case durable::SafeFile::Result::Done:
        break;
    case durable::SafeFile::Result::RenameFailed:
        if (exists) {
            error(12, "Can't remove the file " + target);
            return EntryResult::Failed;
        }
        [[fallthrough]];
    case durable::SafeFile::Result::WriteFailed:
        error(7, "Can't write the file " + target);
        return EntryResult::Stop;
    }
    return EntryResult::Done;
}

ZipExtractionClass::Outcome ZipExtractionClass::copyTo(std::uint64_t dataOffset, std::uint32_t size,
                                                       std::ofstream &out) {
    std::vector<unsigned char> buffer(std::min<std::size_t>(size, ChunkSize));
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(size - done, ChunkSize));
        if (!readAt(dataOffset + done, buffer.data(), n))
            return Outcome::ReadFailed;
        if (!out.write(reinterpret_cast<const char *>(buffer.data()),
                       static_cast<std::streamsize>(n)))
            return Outcome::WriteFailed;
        done += n;
    }
    return Outcome::Good;
}

ZipExtractionClass::Outcome ZipExtractionClass::inflateTo(std::uint64_t dataOffset,
                                                          std::uint32_t compressedSize,
                                                          std::uint32_t crc, std::ofstream &out) {
    const std::uint64_t expected = m_entry.UncompressedSize;
    if (compressedSize == 0 || expected > MaxInflateRatio * compressedSize)
        return Outcome::Damaged;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return Outcome::Damaged;
    std::vector<unsigned char> input(std::min<std::size_t>(compressedSize, ChunkSize));
    std::vector<unsigned char> output(ChunkSize);
    std::uint64_t consumed = 0;
    std::uint64_t produced = 0;
    uLong sum = crc32(0L, Z_NULL, 0);
    Outcome outcome = Outcome::Damaged;
    int result = Z_OK;
    for (;;) {
        if (stream.avail_in == 0 && consumed < compressedSize) {
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>(compressedSize - consumed, ChunkSize));
            if (!readAt(dataOffset + consumed, input.data(), n)) {
                outcome = Outcome::ReadFailed;
                break;
            }
            consumed += n;
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(n);
        }
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        result = inflate(&stream, Z_NO_FLUSH);
        // Z_BUF_ERROR: the data ended before the stream did.
        if (result != Z_OK && result != Z_STREAM_END)
            break;
        const std::size_t n = output.size() - stream.avail_out;
        produced += n;
        if (produced > expected)
            break;
        sum = crc32(sum, output.data(), static_cast<uInt>(n));
        if (n > 0 && !out.write(reinterpret_cast<const char *>(output.data()),
                                static_cast<std::streamsize>(n))) {
            outcome = Outcome::WriteFailed;
            break;
        }
        if (result == Z_STREAM_END)
            break;
    }
    inflateEnd(&stream);
    if (outcome == Outcome::Damaged && result == Z_STREAM_END && produced == expected)
        outcome = sum == crc ? Outcome::Good : Outcome::Damaged;
    return outcome;
}

} // namespace tembrel
