// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearFile.h"

#include "shell/TextRecords.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace tembrel {
namespace {

bool isPadding(char c) {
    // Spaces pad a text; zero bytes come from a file extended by other tools.
    return c == ' ' || c == '\0';
}

} // namespace

QString yearFileName(int year) {
    return QStringLiteral("_%1.dte").arg(year);
}

int yearFileRows(qint64 fileBytes, int cols) {
    if (cols <= 0 || fileBytes <= 0)
        return 0;
    const qint64 records = fileBytes / YearRecordSize;
    return int(std::lround(double(records) / cols));
}

QByteArray encodeYearRecord(const QString &text) {
    QByteArray record(YearRecordSize, ' ');
    std::fill_n(record.data(), 4, '\0');
    const QByteArray bytes = toCp1252(text.left(YearTextWidth));
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), YearTextWidth),
                record.data() + 4);
    return record;
}

QString decodeYearText(const char *field) {
    int begin = 0;
    int end = YearTextWidth;
    while (begin < end && isPadding(field[begin]))
        ++begin;
    while (end > begin && isPadding(field[end - 1]))
        --end;
    if (begin == end)
        return {};
    return fromCp1252(QByteArray(field + begin, end - begin));
}

std::optional<YearFile> YearFile::load(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return fromBytes(f.readAll());
}

YearFile YearFile::fromBytes(QByteArray bytes) {
    YearFile file;
    file.m_bytes = std::move(bytes);
    return file;
}

QString YearFile::text(qint64 record) const {
    if (record < 0 || record >= recordCount())
        return {};
    return decodeYearText(m_bytes.constData() + record * YearRecordSize + 4);
}

YearFileWriter::YearFileWriter(qint64 records) {
    m_bytes.reserve(std::max<qint64>(0, records) * YearRecordSize);
}

void YearFileWriter::append(const QString &text) {
    m_bytes.append(encodeYearRecord(text));
}

bool YearFileWriter::commit(const QString &path) {
    QByteArray content = m_bytes;
    const QFileInfo info(path);
    if (info.exists() && info.size() > content.size()) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly) || !old.seek(content.size()))
            return false;
        const QByteArray tail = old.readAll();
        if (tail.size() != info.size() - content.size())
            return false;
        content.append(tail);
    }
    return writeFileSafely(path, content);
}

Marker markerForCode(const QString &text) {
    if (text == QLatin1String(","))
        return Marker::Noir;
    if (text == QLatin1String("-"))
        return Marker::Rouge;
    if (text == QLatin1String(":"))
        return Marker::Bleu;
    if (text == QLatin1String(".."))
        return Marker::Vert;
    if (text == QLatin1String("."))
        return Marker::Jaune;
    return Marker::None;
}

QString codeForMarker(Marker marker) {
    switch (marker) {
    case Marker::Noir:
        return QStringLiteral(",");
    case Marker::Rouge:
        return QStringLiteral("-");
    case Marker::Bleu:
        return QStringLiteral(":");
    case Marker::Vert:
        return QStringLiteral("..");
    case Marker::Jaune:
        return QStringLiteral(".");
    case Marker::None:
        break;
    }
    return {};
}

} // namespace tembrel
