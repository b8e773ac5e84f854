// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The year grid: the grid window builds the empty year (day columns, heading
// rows, time rows from hours.dat, weekend and holiday colours), then loads the
// year message file "_<year>.dte" into its cells, turning marker codes into
// marker pictures; storing and deleting a message write the whole grid back.
//
// The year message file is a flat copy of every cell's text, the headings
// included: 24-byte records (a 4-byte zero, then 20 Windows-1252 characters
// padded with spaces), column by column, record 1 + col * Rows + row.

#include "core/TextRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tembrel {

inline constexpr int YearRecordSize = 24;
inline constexpr int YearTextWidth = 20;

// "_" + year + ".dte".
QString yearFileName(int year);

// Index of a cell's record, counted from 0.
inline qint64 yearRecordIndex(int row, int col, int rows) {
    return qint64(col) * rows + row;
}

// One record for a text: cut to 20 characters, padded with spaces.
QByteArray encodeYearRecord(const QString &text);
// The text of a record's 20-byte field, without surrounding blanks.
QString decodeYearText(const char *field);

// The largest year file: a leap year's 367 columns of three heading rows and
// one row a minute. A larger one is damaged and never read.
inline constexpr qint64 MaxYearFileBytes = qint64(3 + 24 * 60) * 367 * YearRecordSize;

// A year message file as read from disk.
class YearFile final {
public:
    // nullopt when the file does not exist, cannot be read or is larger than
    // MaxYearFileBytes.
    static std::optional<YearFile> load(const QString &path);
    static YearFile fromBytes(QByteArray bytes);

    // Whole records in the file; a trailing partial record does not count.
    qint64 recordCount() const { return m_bytes.size() / YearRecordSize; }
    qint64 byteCount() const { return m_bytes.size(); }
    // The trimmed text of a record; empty for a record past the end.
    QString text(qint64 record) const;
    // The same, as the file's bytes.
    QByteArrayView field(qint64 record) const;

private:
    QByteArray m_bytes;
};

// What a year file holds for the grid of its year. A whole file is a whole
// number of columns of 24-byte records whose day-of-month heading row (row 2)
// reads 1, 2, 3... as the year's days do: any other file was cut short,
// grown, overwritten or belongs to another shape, and reading it as it lies
// would move markers to other slots. From a damaged file only the columns
// whose day heading still stands at its place are recovered.
struct YearContent {
    // Unreadable: the file is there but may not be read (permission, an I/O
    // error); unlike a damaged one it is left alone.
    enum class State { Missing, Whole, Damaged, Unreadable };
    State state = State::Missing;
    QString damage; // why the file is damaged, for the log
    // The grid's rows as the file was saved (headings included); 0 when the
    // file tells nothing of them.
    int rows = 0;
    YearFile file;
    // One entry per grid column: whether its cells come from the file.
    QList<bool> recovered;

    bool isDamaged() const { return state == State::Damaged; }
    // The text the file holds for a cell; empty for a column not recovered.
    QString text(int row, int col) const;
};

// The content of a file's bytes for the grid of `year`.
YearContent readYearContent(QByteArray bytes, int year);
// The same from disk. Missing when there is no file; a file larger than
// MaxYearFileBytes or unreadable is damaged and not read.
YearContent loadYearContent(const QString &path, int year);

// Builds the new content of a year message file record by record, then
// replaces the file through a temporary file and a rename. Records that an
// older, larger file holds past the new ones are carried over unchanged, so a
// failed or interrupted save leaves the previous file whole.
class YearFileWriter final {
public:
    explicit YearFileWriter(qint64 records);
    void append(const QString &text);
    qint64 written() const { return m_bytes.size() / YearRecordSize; }
    bool commit(const QString &path);

private:
    QByteArray m_bytes;
};

// Marker codes: the whole text of a slot that holds a message.
enum class Marker { None, Noir, Rouge, Bleu, Vert, Jaune };
Marker markerForCode(const QString &trimmedText);
QString codeForMarker(Marker marker);

} // namespace tembrel
