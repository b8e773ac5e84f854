// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The time rows: the labels of the year grid's rows, kept in hours.dat in
// row order. The time rows window reads the file when it opens, the
// generators append labels to its list, and the window writes the whole list
// back when it closes; the year grid reads the file when it builds.
//
// hours.dat holds one record per label: the label in double quotes, CR LF,
// Windows-1252. A label therefore never holds a double quote.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tembrel {

// AppFolder + "hours.dat".
QString hoursFilePath();

// The labels of the file content, in order. Quoted records give their text;
// an unquoted line is read as labels separated by commas. CR LF, LF-only and
// CR-only line ends are all taken. A hand-edited or damaged file gives what
// can be read: a quote left open ends at its line end, control characters
// and stray quotes are dropped, and blank labels are skipped.
QStringList parseHours(const QByteArray &content);

// The largest hours.dat read: 1440 rows of a minute each take 14 kB; free
// texts of a few hundred characters on every row still fit.
inline constexpr qint64 MaxHoursBytes = 1024 * 1024;

// The labels of a file; empty when it is missing, cannot be read or is larger
// than MaxHoursBytes. The grid and the time rows window both read it here.
QStringList readHours(const QString &path);

// One quoted label per CR LF line; characters that would break the record
// (quotes, line ends and other control characters) are left out.
QByteArray formatHours(const QStringList &labels);

// Writes the labels over the file through a temporary file and a rename, so
// a failed write leaves the previous file whole. False on failure.
bool writeHours(const QString &path, const QStringList &labels);

} // namespace tembrel
