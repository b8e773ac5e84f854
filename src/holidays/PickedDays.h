// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the holiday window lists for the year text it is given: nothing while
// the year is being typed, a warning out of range, otherwise the days of the
// year with the ones picked in F<year>.ini.

#include "holidays/Holidays.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tembrel {

inline constexpr int FirstPickableYear = 2000;
inline constexpr int LastPickableYear = 2099;

enum class YearText {
    Incomplete, // 1000 or below: the first digits of a year, nothing to say yet
    TooLow,     // 1001 to 1999
    TooHigh,    // above 2099
    InRange,    // 2000 to 2099
};

// The kind of a year text, from its numeric value (empty or non-numeric: 0).
YearText classifyYearText(const QString &text);

struct ListedDay {
    QDate date;
    bool picked = false;

    bool operator==(const ListedDay &) const = default;
};

// The days listed for a year in range: every day of the year in order, the
// picked ones marked, whatever the file held (parsePickedDays says how its
// fields become days), so that Save writes the year's days in order.
QList<ListedDay> listedDays(int year, const PickedDays &picked);

} // namespace tembrel
