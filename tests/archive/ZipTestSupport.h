// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for the archive tests: little-endian fields, file bytes, an event
// recorder for ZipExtractionClass and a builder of raw archives whose every
// field a test chooses (for damaged and hostile input).

#include "archive/ZipExtractionClass.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tembrel::test {

inline std::string utf8(const QString &s) {
    return s.toStdString();
}

inline QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool putFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline std::uint32_t le16(const QByteArray &b, qsizetype at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}

inline std::uint32_t le32(const QByteArray &b, qsizetype at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}

inline std::uint32_t crcOf(const QByteArray &b) {
    return std::uint32_t(crc32(0L, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size())));
}

// Raw deflate of the bytes, as zlib's default level makes it.
inline QByteArray rawDeflate(const QByteArray &b, int level = Z_DEFAULT_COMPRESSION) {
    z_stream s{};
    deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&s, uLong(b.size()))), '\0');
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(b.constData()));
    s.avail_in = uInt(b.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.resize(qsizetype(s.total_out));
    deflateEnd(&s);
    return out;
}

// Raw inflate; empty on any error.
inline QByteArray rawInflate(const QByteArray &b, qsizetype expected) {
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    QByteArray out(expected + 1, '\0');
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(b.constData()));
    s.avail_in = uInt(b.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = uInt(out.size());
    const int r = inflate(&s, Z_FINISH);
    out.resize(qsizetype(s.total_out));
    inflateEnd(&s);
    return r == Z_STREAM_END ? out : QByteArray();
}

// Bytes that compress like sound: a slow wave with a little noise.
inline QByteArray soundLikeBytes(int size, unsigned seed = 1) {
    QByteArray b(size, '\0');
    unsigned x = seed;
    for (int i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = char((i / 7) % 64 + ((x >> 16) & 7));
    }
    return b;
}

// Records every event of a ZipExtractionClass as one line of text.
struct EventLog {
    QStringList lines;
    int cancelAtProgress = 0; // set Cancel at this Progress event (1 = first)
    int progressCount = 0;

    void attach(ZipExtractionClass &zip) {
        zip.Status = [this](const std::string &t) {
            lines << "Status " + QString::fromStdString(t);
        };
        zip.Progress = [this](std::int32_t percent, bool &cancel) {
            lines << "Progress " + QString::number(percent);
            if (++progressCount == cancelAtProgress)
                cancel = true;
        };
        zip.ZipError = [this](std::int32_t n, const std::string &t) {
            lines << "ZipError " + QString::number(n) + " " + QString::fromStdString(t);
        };
    }
    QStringList errors() const { return lines.filter(QStringLiteral("ZipError ")); }
};

// Builds an archive field by field; each entry's values can be spoiled.
struct RawEntry {
    QByteArray name;
    QByteArray data; // bytes as stored (deflated or not)
    std::uint16_t method = 8;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0; // in the local header
    std::uint32_t uncompressedSize = 0;
    QByteArray localName; // defaults to name
    std::uint32_t localSignature = 0x04034B50;
    std::uint32_t centralSignature = 0x02014B50;
    std::int64_t localOffset = -1; // override of the central entry's offset
};

inline RawEntry deflatedEntry(const QByteArray &name, const QByteArray &content) {
    RawEntry e;
    e.name = name;
    e.data = rawDeflate(content);
    e.crc = crcOf(content);
    e.compressedSize = std::uint32_t(e.data.size());
    e.uncompressedSize = std::uint32_t(content.size());
    return e;
}

inline RawEntry storedEntry(const QByteArray &name, const QByteArray &content) {
    RawEntry e;
    e.name = name;
    e.data = content;
    e.method = 0;
    e.crc = crcOf(content);
    e.compressedSize = e.uncompressedSize = std::uint32_t(content.size());
    return e;
}

inline void add16(QByteArray &b, std::uint32_t v) {
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

inline void add32(QByteArray &b, std::uint32_t v) {
    add16(b, v & 0xFFFF);
    add16(b, v >> 16);
}

struct RawArchive {
    std::vector<RawEntry> entries;
    QByteArray comment;
    std::uint16_t thisDisk = 0;
    std::uint16_t directoryDisk = 0;
    std::int32_t totalEntries = -1;    // override
    std::int64_t directoryOffset = -1; // override

    QByteArray bytes() const {
        QByteArray out;
        std::vector<std::uint32_t> offsets;
        for (const RawEntry &e : entries) {
            offsets.push_back(std::uint32_t(out.size()));
            const QByteArray local = e.localName.isNull() ? e.name : e.localName;
            add32(out, e.localSignature);
            add16(out, 20);
            add16(out, 2);
            add16(out, e.method);
            add16(out, 0x6DAF);
            add16(out, 0x3455);
            add32(out, e.crc);
            add32(out, e.compressedSize);
            add32(out, e.uncompressedSize);
            add16(out, std::uint32_t(local.size()));
            add16(out, 0);
            out += local;
            out += e.data;
        }
        const std::uint32_t start = std::uint32_t(out.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const RawEntry &e = entries[i];
            add32(out, e.centralSignature);
            add16(out, 20);
            add16(out, 20);
            add16(out, 2);
            add16(out, e.method);
            add16(out, 0x6DAF);
            add16(out, 0x3455);
            add32(out, e.crc);
            add32(out, std::uint32_t(e.data.size()));
            add32(out, e.uncompressedSize);
            add16(out, std::uint32_t(e.name.size()));
            add16(out, 0);
            add16(out, 0);
            add16(out, 0);
            add16(out, 32);
            add32(out, 0);
            add32(out, e.localOffset >= 0 ? std::uint32_t(e.localOffset) : offsets[i]);
            out += e.name;
        }
        const std::uint32_t size = std::uint32_t(out.size()) - start;
        const std::uint32_t count =
            totalEntries >= 0 ? std::uint32_t(totalEntries) : std::uint32_t(entries.size());
        add32(out, 0x06054B50);
        add16(out, thisDisk);
        add16(out, directoryDisk);
        add16(out, count);
        add16(out, count);
        add32(out, size);
        add32(out, directoryOffset >= 0 ? std::uint32_t(directoryOffset) : start);
        add16(out, std::uint32_t(comment.size()));
        out += comment;
        return out;
    }
};

// Every file below a folder, as paths relative to it with "/" separators.
inline QStringList filesBelow(const QString &folder) {
    QStringList result;
    QDir dir(folder);
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot |
                                           QDir::Hidden | QDir::System);
    for (const QFileInfo &info : entries) {
        if (info.isDir() && !info.isSymLink()) {
            for (const QString &inner : filesBelow(info.filePath()))
                result << info.fileName() + "/" + inner;
        } else {
            result << info.fileName();
        }
    }
    result.sort();
    return result;
}

} // namespace tembrel::test
