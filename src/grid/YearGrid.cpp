// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearGrid.h"

#include "core/TextRecords.h"
#include "grid/YearFile.h"

#include <cmath>

namespace tembrel {

int yearColumns(int year) {
    return 1 + (QDate::isLeapYear(year) ? 366 : 365);
}

QDate dateOfColumn(int year, int col) {
    return QDate(year, 1, 1).addDays(col - 1);
}

int weekStartColumn(const QDate &today) {
    const int d = today.dayOfYear() - 1;
    const int w = today.dayOfWeek(); // Monday 1 .. Sunday 7
    return std::max(1, d - w + 2);
}

int openingYear(const QDate &today) {
    return std::clamp(today.year(), FirstGridYear, LastGridYear);
}

int gridRows(int fileRows, int labelCount) {
    if (fileRows >= GridFixedRows)
        return fileRows;
    return GridFixedRows + std::clamp(labelCount, 0, MaxTimeRows);
}

// One line of three numbers.
constexpr qint64 MaxPosIniBytes = 4 * 1024;

std::optional<WindowPos> readPosIni(const QString &path) {
    const auto fields = readFields(path, MaxPosIniBytes);
    if (!fields || fields->size() < 3)
        return std::nullopt;
    const auto width = fieldToDouble(fields->at(0));
    const auto height = fieldToDouble(fields->at(1));
    const auto state = fieldToInt(fields->at(2));
    if (!width || !height || !state || !std::isfinite(*width) || !std::isfinite(*height))
        return std::nullopt;
    if (*state < StateNormal || *state > StateMaximised)
        return std::nullopt;
    // A normal window needs a size it can be shown with.
    if (*state == StateNormal && (*width < 1 || *height < 1 || *width > 1e6 || *height > 1e6))
        return std::nullopt;
    return WindowPos{*width, *height, int(*state)};
}

bool writePosIni(const QString &path, const WindowPos &pos) {
    return writeRecords(path, {{std::round(pos.width), std::round(pos.height), qint64(pos.state)}});
}

} // namespace tembrel
