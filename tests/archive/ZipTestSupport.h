// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for the archive tests: fields, an event recorder for
// ZipExtractionClass and raw archives built field by field (damaged, hostile).

#include "../support/Files.h"
#include "archive/ZipExtractionClass.h"

#include <QByteArray>
#include <QDirIterator>
#include <QStringList>

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tembrel::test {

inline std::uint32_t le32(const QByteArray &b, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | std::uint8_t(b.at(at + i));
    return v;
}

// Appends little-endian fields: widths[i] is the byte count of values[i].
inline void addFields(QByteArray &b, const char *widths,
                      std::initializer_list<std::uint32_t> values) {
    for (const std::uint32_t v : values) {
        for (int i = 0; i < *widths - '0'; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
        ++widths;
    }
}

inline std::uint32_t crcOf(const QByteArray &b) {
    return std::uint32_t(crc32(0L, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size())));
}

// zlib's compress output without its 2-byte header and 4-byte trailer.
inline QByteArray rawDeflate(const QByteArray &b) {
    uLongf n = compressBound(uLong(b.size()));
    QByteArray z(qsizetype(n), '\0');
    compress(reinterpret_cast<Bytef *>(z.data()), &n,
             reinterpret_cast<const Bytef *>(b.constData()), uLong(b.size()));
    return z.mid(2, qsizetype(n) - 6);
}

// Bytes that compress like sound: a slow wave with a little noise.
inline QByteArray soundLikeBytes(int size, unsigned seed = 1) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        b[i] = char((i / 7) % 64 + ((seed >> 16) & 7));
    }
    return b;
}

// Records every event of a ZipExtractionClass as one line of text.
struct EventLog {
    QStringList lines;
    int cancelAtProgress = 0; // set Cancel at this Progress event (1 = first)

    void attach(ZipExtractionClass &zip) {
        zip.Status = [this](const std::string &t) {
            lines << "Status " + QString::fromStdString(t);
        };
        zip.Progress = [this](std::int32_t percent, bool &cancel) {
            lines << "Progress " + QString::number(percent);
            cancel = lines.filter("Progress ").size() == cancelAtProgress;
        };
        zip.ZipError = [this](std::int32_t n, const std::string &t) {
            lines << "ZipError " + QString::number(n) + " " + QString::fromStdString(t);
        };
    }
    QStringList errors() const { return lines.filter(QStringLiteral("ZipError ")); }
};

// One entry of a built archive; each value can be spoiled.
struct RawEntry {
    QByteArray name, data, comment; // data as stored (deflated or not)
    std::uint16_t method = 8;
    std::uint32_t crc = 0, compressedSize = 0, uncompressedSize = 0;
    QByteArray localName; // defaults to name
    std::uint32_t localSignature = 0x04034B50, centralSignature = 0x02014B50;
    std::int64_t localOffset = -1; // override of the central entry's offset
};

inline RawEntry entry(const QByteArray &name, const QByteArray &content, bool deflated = true) {
    RawEntry e;
    e.name = name;
    e.data = deflated ? rawDeflate(content) : content;
    e.method = deflated ? 8 : 0;
    e.crc = crcOf(content);
    e.compressedSize = std::uint32_t(e.data.size());
    e.uncompressedSize = std::uint32_t(content.size());
    return e;
}

// An archive laid out field by field, each field as the program's own
// archives have it unless the test spoils it.
struct RawArchive {
    explicit RawArchive(std::vector<RawEntry> e = {})
        : entries(std::move(e)) {}
    std::vector<RawEntry> entries;
    QByteArray comment;
    std::uint16_t thisDisk = 0;
    std::int32_t totalEntries = -1;    // override
    std::int64_t directoryOffset = -1; // override

    QByteArray bytes() const {
        QByteArray out;
        std::vector<std::uint32_t> offsets;
        for (const RawEntry &e : entries) {
            offsets.push_back(std::uint32_t(out.size()));
            const QByteArray local = e.localName.isNull() ? e.name : e.localName;
            addFields(out, "42222244422",
                      {e.localSignature, 20, 2, e.method, 0x6DAF, 0x3455, e.crc, e.compressedSize,
                       e.uncompressedSize, std::uint32_t(local.size()), 0});
            out += local + e.data;
        }
        const std::uint32_t start = std::uint32_t(out.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const RawEntry &e = entries[i];
            const std::uint32_t at = e.localOffset >= 0 ? std::uint32_t(e.localOffset) : offsets[i];
            addFields(out, "42222224442222244",
                      {e.centralSignature, 20, 20, 2, e.method, 0x6DAF, 0x3455, e.crc,
                       e.compressedSize, e.uncompressedSize, std::uint32_t(e.name.size()), 0,
                       std::uint32_t(e.comment.size()), 0, 32, 0, at});
            out += e.name + e.comment;
        }
        const auto count = std::uint32_t(totalEntries >= 0 ? totalEntries : entries.size());
        addFields(out, "42222442",
                  {0x06054B50, thisDisk, 0, count, count, std::uint32_t(out.size()) - start,
                   std::uint32_t(directoryOffset >= 0 ? directoryOffset : start),
                   std::uint32_t(comment.size())});
        return out + comment;
    }
};

// Every file below a folder, as paths relative to it with "/" separators.
inline QStringList filesBelow(const QString &folder) {
    QStringList result;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        result << QDir(folder).relativeFilePath(it.next());
    result.sort();
    return result;
}

} // namespace tembrel::test
