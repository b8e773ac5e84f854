// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shape of a year's grid and the grid window's remembered size, without
// widgets: which column is which day, how many rows a year gets, where the
// grid scrolls to on opening, and the pos.ini file.

#include <QDate>
#include <QString>

#include <optional>

namespace tembrel {

// The years the grid shows.
inline constexpr int FirstGridYear = 2000;
inline constexpr int LastGridYear = 2005;
inline constexpr int GridFixedRows = 3;
// More time rows than minutes in a day means a damaged year file, not a grid.
inline constexpr int MaxTimeRows = 24 * 60;

// Column 0 and one column per day.
int yearColumns(int year);
// Day column c is day c of the year, 1 January being column 1.
QDate dateOfColumn(int year, int col);
inline int columnOfDate(const QDate &date) {
    return date.dayOfYear();
}

// The column of this week's Monday in the current year, or 1 when that Monday
// falls in the previous year.
int weekStartColumn(const QDate &today);

// The year the window opens on: this year, kept within the years shown.
int openingYear(const QDate &today);

// Rows of a year's grid: the rows its year message file was saved with when
// the file tells them (a year keeps the shape it was saved with; only the
// file's size bound limits them), else the headings plus one row per time row
// label.
int gridRows(int fileRows, int labelCount);

// pos.ini: width and height in twips and the window state (0 normal,
// 1 minimised, 2 maximised), one line of three numbers.
struct WindowPos {
    double width = 0;
    double height = 0;
    int state = 0;
    bool operator==(const WindowPos &) const = default;
};
inline constexpr int StateNormal = 0;
inline constexpr int StateMinimised = 1;
inline constexpr int StateMaximised = 2;

// nullopt when the file is missing or does not hold three usable numbers.
std::optional<WindowPos> readPosIni(const QString &path);
bool writePosIni(const QString &path, const WindowPos &pos);

} // namespace tembrel
