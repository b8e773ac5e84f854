// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TextRecords.h"

#include "archive/DurableFiles.h"

#include "archive/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>

namespace tembrel {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five
// unassigned bytes, which decode to U+FFFD.
// Eight bytes a line, 0x80 to 0x9F.
// clang-format off
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
// clang-format on

// The byte of a character, nullopt when the code page has none.
std::optional<char> encodeChar(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < High.size(); ++i)
        if (High[i] == u && u != 0)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

} // namespace

QByteArray toCp1252(const QString &text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(encodeChar(c.unicode()).value_or('?'));
    return out;
}

bool fitsCp1252(const QString &text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return encodeChar(c.unicode()).has_value(); });
}

QString keepCp1252(const QString &text) {
    QString out;
    out.reserve(text.size());
    // A surrogate half has no byte, so both halves of a pair go.
    for (QChar c : text)
        if (encodeChar(c.unicode()))
            out.append(c);
    return out;
}

QString fromCp1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *to = out.data();
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0)
            *to++ = QChar(High[b - 0x80] ? High[b - 0x80] : char16_t(0xFFFD));
        else
            *to++ = QChar(char16_t(b));
    }
    return out;
}

QStringList parseFields(const QByteArray &content) {
    QStringList fields;
    const qsizetype n = content.size();
    qsizetype i = 0;
    auto isLineEnd = [&](qsizetype k) { return content[k] == '\n' || content[k] == '\r'; };
    while (i < n) {
        // Skip blanks before a field; a bare line end ends nothing.
        while (i < n && (content[i] == ' ' || content[i] == '\t'))
            ++i;
        if (i >= n)
            break;
        if (isLineEnd(i)) {
            ++i;
            continue;
        }
        QByteArray raw;
        if (content[i] == '"') {
            ++i;
            const qsizetype start = i;
            while (i < n && content[i] != '"')
                ++i;
            raw = content.mid(start, i - start);
            if (i < n)
                ++i; // closing quote
            // Anything up to the separator after a closing quote is dropped.
            while (i < n && content[i] != ',' && !isLineEnd(i))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && content[i] != ',' && !isLineEnd(i))
                ++i;
            raw = content.mid(start, i - start).trimmed();
        }
        fields.append(fromCp1252(raw));
        if (i < n && content[i] == ',') {
            ++i;
            // A trailing comma before the line end stands for an empty field.
            qsizetype k = i;
            while (k < n && (content[k] == ' ' || content[k] == '\t'))
                ++k;
            if (k >= n || isLineEnd(k))
                fields.append(QString());
        }
    }
    return fields;
}

FileBytes readFileBounded(const QString &path, qint64 maxBytes) {
    QFile f(path);
    const OpenedFile opened = openRegularFile(f.filesystemFileName());
    if (opened.failure == OpenFailure::Missing)
        return {std::nullopt, ReadFailure::Missing};
    if (opened.failure == OpenFailure::NotRegular)
        return {std::nullopt, ReadFailure::NotRegular};
    if (!opened.file || !f.open(opened.file, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        if (opened.file)
            std::fclose(opened.file);
        return {std::nullopt, ReadFailure::Unreadable};
    }
    // The size is asked first and the read stops one byte past the bound, so
    // a sparse 30 GB file costs nothing, and neither does one that grows
    // while it is read.
    if (f.size() > maxBytes)
        return {std::nullopt, ReadFailure::TooLarge};
    QByteArray bytes = f.read(maxBytes + 1);
    if (f.error() != QFileDevice::NoError)
        return {std::nullopt, ReadFailure::Unreadable};
    if (bytes.size() > maxBytes)
        return {std::nullopt, ReadFailure::TooLarge};
    return {std::move(bytes), ReadFailure::Missing};
}

std::optional<QStringList> readFields(const QString &path, qint64 maxBytes) {
    const FileBytes file = readFileBounded(path, maxBytes);
    if (!file.bytes)
        return std::nullopt;
    return parseFields(*file.bytes);
}

QByteArray formatRecords(const QList<Record> &records) {
    QByteArray out;
    for (const Record &record : records) {
        bool first = true;
        for (const Field &field : record) {
            if (!first)
                out.append(',');
            first = false;
            if (const auto *text = std::get_if<QString>(&field)) {
                QString clean = *text;
                clean.remove(QLatin1Char('"'));
                out.append('"').append(toCp1252(clean)).append('"');
            } else if (const auto *whole = std::get_if<qint64>(&field)) {
                out.append(QByteArray::number(*whole));
            } else {
                out.append(QByteArray::number(std::get<double>(field), 'g', 15));
            }
        }
        out.append("\r\n");
    }
    return out;
}

std::filesystem::path nativePath(const QString &path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    // The bytes QFile opens, whatever the name's encoding.
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

bool makeFolders(const QString &folder) {
    std::filesystem::path partial;
    for (const auto &part : nativePath(QDir::cleanPath(folder))) {
        partial /= part;
        if (!durable::makeFolder(partial))
            return false;
    }
    return true;
}

bool writeFileSafely(const QString &path, const QByteArray &bytes) {
    return durable::writeFile(nativePath(path),
                              std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

bool writeRecords(const QString &path, const QList<Record> &records) {
    return writeFileSafely(path, formatRecords(records));
}

QString setDamagedFileAside(const QString &path) {
    const QString stem = path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString aside = stem;
    for (int n = 2; QFileInfo::exists(aside) && n < 1000; ++n)
        aside = stem + QStringLiteral("-%1").arg(n);
    if (QFileInfo::exists(aside) || !QFile::rename(path, aside))
        return {};
    return aside;
}

std::optional<qint64> fieldToInt(const QString &field) {
    bool ok = false;
    const qint64 v = field.trimmed().toLongLong(&ok);
    if (ok)
        return v;
    // Numbers written with a fraction still read as whole numbers.
    const double d = field.trimmed().toDouble(&ok);
    if (ok && d >= -9.2e18 && d <= 9.2e18)
        return qRound64(d);
    return std::nullopt;
}

std::optional<double> fieldToDouble(const QString &field) {
    bool ok = false;
    const double v = field.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

} // namespace tembrel
