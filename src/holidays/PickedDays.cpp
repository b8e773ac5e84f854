// SPDX-License-Identifier: GPL-3.0-or-later
#include "holidays/PickedDays.h"

#include "holidays/Holidays.h"

namespace tembrel {

YearText classifyYearText(const QString &text) {
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok)
        return YearText::Incomplete;
    if (v > 1000 && v < FirstPickableYear)
        return YearText::TooLow;
    if (v > LastPickableYear)
        return YearText::TooHigh;
    if (v >= FirstPickableYear)
        return YearText::InRange;
    return YearText::Incomplete;
}

QList<ListedDay> listedDays(int year, const PickedDays &picked) {
    const QDate first(year, 1, 1);
    // Every fourth year is a leap year throughout the years in range.
    const int count = year % 4 == 0 ? 366 : 365;
    QList<ListedDay> days;
    days.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QDate d = first.addDays(i);
        days.append({d, picked.contains(d)});
    }
    return days;
}

} // namespace tembrel
