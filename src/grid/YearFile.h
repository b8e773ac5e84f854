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

#include <QByteArray>
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

// The number of rows of a grid saved with `cols` columns, from the file's
// length: whole records divided by the columns, to the nearest whole number.
int yearFileRows(qint64 fileBytes, int cols);

// One record for a text: cut to 20 characters, padded with spaces.
QByteArray encodeYearRecord(const QString &text);
// The text of a record's 20-byte field, without surrounding blanks.
QString decodeYearText(const char *field);

// A year message file as read from disk.
class YearFile final {
public:
    // nullopt when the file does not exist or cannot be read.
    static std::optional<YearFile> load(const QString &path);
    static YearFile fromBytes(QByteArray bytes);

    // Whole records in the file; a trailing partial record does not count.
    qint64 recordCount() const { return m_bytes.size() / YearRecordSize; }
    // The trimmed text of a record; empty for a record past the end.
    QString text(qint64 record) const;

private:
    QByteArray m_bytes;
};

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
