// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ZipClass.h"

#include "archive/DurableFiles.h"
#include "archive/RegularFile.h"
#include "archive/ZipBytes.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>

namespace tembrel {

using namespace zipbytes;
namespace fs = std::filesystem;

namespace {

// Zip fields are 32-bit; an entry must fit them without the zip64 extension.
constexpr std::uint64_t MaxEntryBytes = 0xFFFF0000u;

std::tm localMoment(const fs::file_time_type &stamp) {
    const auto sys = std::chrono::file_clock::to_sys(stamp);
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
    std::tm moment{};
#ifdef _WIN32
    localtime_s(&moment, &t);
#else
    localtime_r(&t, &moment);
#endif
    return moment;
}

bool writeBytes(std::ostream &out, const void *data, std::size_t size, std::uint64_t &written) {
    out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
    written += size;
    return static_cast<bool>(out);
}

} // namespace

ZipFile::ZipFile() = default;

void ZipFile::SetBit(std::uint8_t &Byte, int K) {
    Byte = static_cast<std::uint8_t>(Byte | (1u << K));
}

bool ZipFile::TestBit(std::int32_t Value, int K) {
    return (static_cast<std::uint32_t>(Value) >> K) & 1u;
}

namespace {

// Puts the low `width` bits of `value` at bit `first` of a two-byte
// little-endian buffer, one bit at a time.
void putField(std::uint8_t (&buffer)[2], std::int32_t value, int first, int width) {
    for (int i = 0; i < width; ++i) {
        if (ZipFile::TestBit(value, i)) {
            const int bit = first + i;
            ZipFile::SetBit(buffer[bit / 8], bit % 8);
        }
    }
}

} // namespace

std::uint16_t ZipFile::DosDate(const std::tm &Moment) {
    std::uint8_t buffer[2] = {0, 0};
    putField(buffer, Moment.tm_mday, 0, 5);
    putField(buffer, Moment.tm_mon + 1, 5, 4);
    putField(buffer, Moment.tm_year + 1900 - 1980, 9, 7);
    return static_cast<std::uint16_t>(buffer[0] | (buffer[1] << 8));
}

std::uint16_t ZipFile::DosTime(const std::tm &Moment) {
    std::uint8_t buffer[2] = {0, 0};
    putField(buffer, Moment.tm_sec / 2, 0, 5);
    putField(buffer, Moment.tm_min, 5, 6);
    putField(buffer, Moment.tm_hour, 11, 5);
    return static_cast<std::uint16_t>(buffer[0] | (buffer[1] << 8));
}

std::string ZipFile::BaseName(const std::string &Path) {
    for (std::size_t i = Path.size(); i > 0; --i) {
        if (isSeparator(Path[i - 1]))
            return Path.substr(i);
    }
    return Path;
}

void ZipFile::SetFileName(const std::string &Name) {
    m_fileName = Name;
}

void ZipFile::SetComment(const std::string &Text) {
    m_comment = Text;
}

bool ZipFile::ReadFile(const std::string &FilePath) {
    std::error_code ec;
    const fs::path path = toPath(FilePath);
    const auto stamp = fs::last_write_time(path, ec);
    if (ec)
        return false;
    std::tm moment = localMoment(stamp);
    // MS-DOS stamps start in 1980: an older file is stamped with that start
    // rather than with a year that wrapped round.
    if (moment.tm_year + 1900 < 1980) {
        moment = std::tm{};
        moment.tm_year = 80;
        moment.tm_mday = 1;
    }
    m_date = DosDate(moment);
    m_time = DosTime(moment);
    m_fileName = BaseName(FilePath);
    return compressFile(FilePath);
}

bool ZipFile::compressFile(const std::string &FilePath) {
    const OpenedFile in = openRegularFile(toPath(FilePath));
    if (!in.file)
        return false;
    std::vector<unsigned char> source;
    bool read = false;
    if (in.size > 0 && in.size <= MaxEntryBytes) {
        source.resize(static_cast<std::size_t>(in.size));
        read = readFileAt(in.file, 0, source.data(), source.size());
    }
    std::fclose(in.file);
    if (!read)
        return false;

    const uLong sourceLength = static_cast<uLong>(source.size());
    uLong sum = crc32(0L, Z_NULL, 0);
    // crc32 takes at most a uInt at a time.
    for (std::size_t done = 0; done < source.size();) {
        const std::size_t chunk =
            std::min<std::size_t>(source.size() - done, std::numeric_limits<uInt>::max());
        sum = crc32(sum, source.data() + done, static_cast<uInt>(chunk));
        done += chunk;
    }

    uLongf streamLength = compressBound(sourceLength);
    if (streamLength < sourceLength) // the bound overflowed a 32-bit uLong
        return false;
    std::vector<unsigned char> stream(streamLength);
    if (compress(stream.data(), &streamLength, source.data(), sourceLength) != Z_OK)
        return false;
    // A zlib stream is a 2-byte header, the deflate data and a 4-byte Adler-32
    // trailer; a zip entry holds the deflate data alone.
    if (streamLength < 6 || streamLength - 6 > MaxEntryBytes)
        return false;
    m_data.assign(stream.begin() + 2,
                  stream.begin() + static_cast<std::ptrdiff_t>(streamLength - 4));
    m_crc32 = static_cast<std::uint32_t>(sum);
    m_compressedSize = static_cast<std::uint32_t>(m_data.size());
    m_uncompressedSize = static_cast<std::uint32_t>(source.size());
    return true;
}

bool ZipFile::WriteLocalHeader(std::ostream &Out, std::uint64_t &Written) {
    if (Written > std::numeric_limits<std::uint32_t>::max())
        return false;
    m_localHeaderOffset = static_cast<std::uint32_t>(Written);
    unsigned char h[LocalHeaderSize] = {};
    put32(h + 0, LocalHeaderSignature);
    put16(h + 4, Version);
    put16(h + 6, Flags);
    put16(h + 8, MethodDeflate);
    put16(h + 10, m_time);
    put16(h + 12, m_date);
    put32(h + 14, m_crc32);
    put32(h + 18, m_compressedSize);
    put32(h + 22, m_uncompressedSize);
    put16(h + 26, static_cast<std::uint16_t>(m_fileName.size()));
    put16(h + 28, 0);
    return writeBytes(Out, h, sizeof h, Written) &&
           writeBytes(Out, m_fileName.data(), m_fileName.size(), Written) &&
           writeBytes(Out, m_data.data(), m_data.size(), Written);
}

bool ZipFile::WriteCentralHeader(std::ostream &Out, std::uint64_t &Written) const {
    unsigned char h[CentralHeaderSize] = {};
    put32(h + 0, CentralHeaderSignature);
    put16(h + 4, Version);
    put16(h + 6, Version);
    put16(h + 8, Flags);
    put16(h + 10, MethodDeflate);
    put16(h + 12, m_time);
    put16(h + 14, m_date);
    put32(h + 16, m_crc32);
    put32(h + 20, m_compressedSize);
    put32(h + 24, m_uncompressedSize);
    put16(h + 28, static_cast<std::uint16_t>(m_fileName.size()));
    put16(h + 30, 0);
    put16(h + 32, static_cast<std::uint16_t>(m_comment.size()));
    put16(h + 34, 0);
    put16(h + 36, InternalAttributes);
    put32(h + 38, 0);
    put32(h + 42, m_localHeaderOffset);
    return writeBytes(Out, h, sizeof h, Written) &&
           writeBytes(Out, m_fileName.data(), m_fileName.size(), Written) &&
           writeBytes(Out, m_comment.data(), m_comment.size(), Written);
}

bool ZipClass::AddFile(const std::string &FilePath, const std::string &FileName,
                       const std::string &Comment) {
    if (!fileExists(FilePath))
        return false;
    // Name and comment lengths are 16-bit fields.
    constexpr std::size_t maxText = std::numeric_limits<std::uint16_t>::max();
    if (FileName.size() > maxText || Comment.size() > maxText)
        return false;
    auto entry = std::make_unique<ZipFile>();
    if (!entry->ReadFile(FilePath))
        return false;
    if (!FileName.empty())
        entry->SetFileName(FileName);
    if (entry->FileName().size() > maxText)
        return false;
    if (!Comment.empty())
        entry->SetComment(Comment);
    m_entries.push_back(std::move(entry));
    return true;
}

bool ZipClass::WriteZip(const std::string &FilePath, bool Overwrite) {
    const fs::path target = toPath(FilePath);
    if (fileExists(FilePath) && !Overwrite)
        return false;
    if (m_entries.size() > std::numeric_limits<std::uint16_t>::max() ||
        m_comment.size() > std::numeric_limits<std::uint16_t>::max())
        return false;

    durable::SafeFile file(target);
    if (!file.isOpen())
        return false;
    std::ofstream &out = file.stream();
    bool good = true;
    std::uint64_t written = 0;
    for (const auto &entry : m_entries)
        good = good && entry->WriteLocalHeader(out, written);
    const std::uint64_t start = written;
    for (const auto &entry : m_entries)
        good = good && entry->WriteCentralHeader(out, written);
    const std::uint64_t size = written - start;
    good = good && start <= std::numeric_limits<std::uint32_t>::max() &&
           size <= std::numeric_limits<std::uint32_t>::max();
    if (good) {
        unsigned char e[EndRecordSize] = {};
        put32(e + 0, EndRecordSignature);
        put16(e + 8, static_cast<std::uint16_t>(m_entries.size()));
        put16(e + 10, static_cast<std::uint16_t>(m_entries.size()));
        put32(e + 12, static_cast<std::uint32_t>(size));
        put32(e + 16, static_cast<std::uint32_t>(start));
        put16(e + 20, static_cast<std::uint16_t>(m_comment.size()));
        good = writeBytes(out, e, sizeof e, written) &&
               writeBytes(out, m_comment.data(), m_comment.size(), written);
    }
    if (!good) {
        file.discard();
        return false;
    }
    return file.commit() == durable::SafeFile::Result::Done;
}

} // namespace tembrel
