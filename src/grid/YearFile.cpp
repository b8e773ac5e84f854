// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearFile.h"

#include "core/TextRecords.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

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

QByteArray encodeYearRecord(const QString &text) {
    QByteArray record(YearRecordSize, ' ');
    std::fill_n(record.data(), 4, '\0');
    const QByteArray bytes = toCp1252(text.left(YearTextWidth));
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), YearTextWidth),
                record.data() + 4);
    return record;
}

namespace {

// The text of a 20-byte field without its padding, as bytes.
QByteArrayView trimmedField(const char *field) {
    int begin = 0;
    int end = YearTextWidth;
    while (begin < end && isPadding(field[begin]))
        ++begin;
    // Most texts are a marker code of a byte or two: their padding goes a
    // word at a time.
    while (end - begin >= 8 && std::memcmp(field + end - 8, "        ", 8) == 0)
        end -= 8;
    while (end > begin && isPadding(field[end - 1]))
        --end;
    return QByteArrayView(field + begin, end - begin);
}

// The marker of a code of `size` characters, the first two being a and b.
Marker markerOfCode(qsizetype size, char16_t a, char16_t b) {
    if (size == 2)
        return a == u'.' && b == u'.' ? Marker::Vert : Marker::None;
    if (size != 1)
        return Marker::None;
    switch (a) {
    case u',':
        return Marker::Noir;
    case u'-':
        return Marker::Rouge;
    case u':':
        return Marker::Bleu;
    case u'.':
        return Marker::Jaune;
    default:
        return Marker::None;
    }
}

} // namespace

QString decodeYearText(const char *field) {
    const QByteArrayView text = trimmedField(field);
    if (text.isEmpty())
        return {};
    // Most slots of a year hold a marker code: those share the code's one
    // string instead of making their own.
    const auto byte = [&text](qsizetype i) {
        return i < text.size() ? char16_t(static_cast<unsigned char>(text[i])) : u'\0';
    };
    if (const Marker marker = markerOfCode(text.size(), byte(0), byte(1)); marker != Marker::None)
        return codeForMarker(marker);
    return fromCp1252(text);
}

std::optional<YearFile> YearFile::load(const QString &path) {
    FileBytes file = readFileBounded(path, MaxYearFileBytes);
    if (!file.bytes)
        return std::nullopt;
    return fromBytes(std::move(*file.bytes));
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

QByteArrayView YearFile::field(qint64 record) const {
    if (record < 0 || record >= recordCount())
        return {};
    return trimmedField(m_bytes.constData() + record * YearRecordSize + 4);
}

QString YearContent::text(int row, int col) const {
    if (rows <= 0 || row < 0 || row >= rows || col < 0 || col >= recovered.size() ||
        !recovered[col])
        return {};
    return file.text(yearRecordIndex(row, col, rows));
}

namespace {

constexpr int HeadingRows = 3;
constexpr int DayRow = 2;

int columnsOfYear(int year) {
    return 1 + (QDate::isLeapYear(year) ? 366 : 365);
}

// The day number (1 to 31) each record holds, 0 for any other text: read
// once and only when asked, so that trying every row count costs one lookup a
// column and a whole file reads no more than its day headings.
class DayNumbers final {
public:
    DayNumbers(const YearFile &file, int year)
        : m_file(file)
        , m_records(file.recordCount())
        , m_day(std::size_t(m_records), Unread) {
        for (int c = 1; c < 367; ++c)
            m_expected[std::size_t(c)] = std::uint8_t(QDate(year, 1, 1).addDays(c - 1).day());
    }
    // Whether day column c of a grid of `rows` rows holds its day number, the
    // whole column lying in the file.
    bool stands(int rows, int col) const {
        if (yearRecordIndex(rows - 1, col, rows) >= m_records)
            return false;
        return day(yearRecordIndex(DayRow, col, rows)) == m_expected[std::size_t(col)];
    }

private:
    static constexpr std::uint8_t Unread = 0xFF;

    std::uint8_t day(qint64 record) const {
        std::uint8_t &known = m_day[std::size_t(record)];
        if (known == Unread) {
            // "1" to "31" as the grid writes them: no sign, blank or leading zero.
            const QByteArrayView text = m_file.field(record);
            const auto digit = [&text](qsizetype k) { return text[k] >= '0' && text[k] <= '9'; };
            known = 0;
            if (!text.isEmpty() && text.size() <= 2 && text[0] != '0' && digit(0) &&
                (text.size() == 1 || digit(1))) {
                const int d =
                    text.size() == 1 ? text[0] - '0' : (text[0] - '0') * 10 + text[1] - '0';
                if (d <= 31)
                    known = std::uint8_t(d);
            }
        }
        return known;
    }

    const YearFile &m_file;
    qint64 m_records;
    mutable std::vector<std::uint8_t> m_day;
    std::array<std::uint8_t, 367> m_expected{};
};

} // namespace

YearContent readYearContent(QByteArray bytes, int year) {
    YearContent content;
    content.file = YearFile::fromBytes(std::move(bytes));
    const YearFile &file = content.file;
    const int cols = columnsOfYear(year);
    content.recovered = QList<bool>(cols, false);
    content.state = YearContent::State::Damaged;
    const qint64 size = file.byteCount();
    const qint64 columnBytes = qint64(cols) * YearRecordSize;
    if (size > MaxYearFileBytes) {
        content.damage = QStringLiteral("larger than any year");
        return content;
    }

    const DayNumbers days(file, year);
    // The shape the length gives, when it is a whole number of columns.
    if (size > 0 && size % columnBytes == 0 && size / columnBytes >= HeadingRows) {
        const int rows = int(size / columnBytes);
        int standing = 0;
        for (int c = 1; c < cols; ++c)
            standing += days.stands(rows, c) ? 1 : 0;
        if (standing == cols - 1) {
            content.state = YearContent::State::Whole;
            content.rows = rows;
            content.recovered.fill(true);
            return content;
        }
        content.damage = QStringLiteral("%1 of %2 day headings are not the year's")
                             .arg(cols - 1 - standing)
                             .arg(cols - 1);
    } else if (size == 0) {
        content.damage = QStringLiteral("empty");
        return content;
    } else {
        content.damage = QStringLiteral("%1 bytes are no whole number of columns").arg(size);
    }

    // Recovery: the row count under which most day headings stand where they
    // should. A file cut short or grown at its end keeps its shape this way;
    // one filled with zeros or of another year has no heading standing.
    const int maxRows = int(MaxYearFileBytes / columnBytes);
    int bestRows = 0;
    int bestStanding = 0;
    for (int rows = HeadingRows; rows <= maxRows; ++rows) {
        if (qint64(rows) + DayRow >= file.recordCount())
            break;
        int standing = 0;
        for (int c = 1; c < cols; ++c) {
            if (yearRecordIndex(DayRow, c, rows) >= file.recordCount())
                break;
            standing += days.stands(rows, c) ? 1 : 0;
        }
        if (standing > bestStanding) {
            bestStanding = standing;
            bestRows = rows;
        }
    }
    if (bestStanding == 0)
        return content;
    content.rows = bestRows;
    for (int c = 1; c < cols; ++c)
        content.recovered[c] = days.stands(bestRows, c);
    // The label column has no heading of its own to check: it is taken when
    // the first day stands, and whole.
    content.recovered[0] = content.recovered[1];
    return content;
}

YearContent loadYearContent(const QString &path, int year) {
    FileBytes file = readFileBounded(path, MaxYearFileBytes);
    if (file.bytes)
        return readYearContent(std::move(*file.bytes), year);
    YearContent content;
    if (file.failure == ReadFailure::Missing)
        return content;
    if (file.failure == ReadFailure::Unreadable) {
        content.state = YearContent::State::Unreadable;
        content.damage = QStringLiteral("cannot be read");
        return content;
    }
    content.state = YearContent::State::Damaged;
    content.recovered = QList<bool>(columnsOfYear(year), false);
    content.damage = file.failure == ReadFailure::TooLarge ? QStringLiteral("larger than any year")
                                                           : QStringLiteral("not a regular file");
    return content;
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
    if (info.isFile() && info.size() > content.size()) {
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
    return text.isEmpty() ? Marker::None
                          : markerOfCode(text.size(), text[0].unicode(),
                                         text.size() > 1 ? text[1].unicode() : u'\0');
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
