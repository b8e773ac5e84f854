// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Year files as the grid writes them, for the tests that load, damage and
// recover them.

#include "grid/YearFile.h"
#include "grid/YearGrid.h"

#include <QList>
#include <QStringList>

#include <tuple>

namespace tembrel::test {

using YearCell = std::tuple<int, int, QString>; // row, column, text

// Headings (day numbers in row 2), labels "row <r>" in column 0, and the
// given slot texts.
inline QByteArray yearBytes(int year, int rows, const QList<YearCell> &cells) {
    const int cols = yearColumns(year);
    QList<QStringList> grid(cols, QStringList(rows));
    for (int c = 1; c < cols; ++c) {
        grid[c][0] = QStringLiteral("MONTH");
        grid[c][1] = QStringLiteral("day");
        grid[c][2] = QString::number(dateOfColumn(year, c).day());
    }
    for (int r = GridFixedRows; r < rows; ++r)
        grid[0][r] = QStringLiteral("row %1").arg(r);
    for (const auto &[r, c, text] : cells)
        grid[c][r] = text;
    QByteArray out;
    out.reserve(qint64(rows) * cols * YearRecordSize);
    for (const QStringList &column : grid)
        for (const QString &t : column)
            out += encodeYearRecord(t);
    return out;
}

} // namespace tembrel::test
