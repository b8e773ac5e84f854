// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The three ways of making time row labels: clock times at a fixed step, one
// free text, and one-hour time sections. They only compute the labels; the
// time rows window appends them to its list.

#include <QString>
#include <QStringList>

#include <optional>

namespace tembrel {

// "00" .. "23" for 0 .. 23.
QString twoDigitHour(int hour);

// The 96 quarter-hour times of a day, "00:00" .. "23:45".
QStringList quarterHourTimes();
// The 24 hours of a day, "00" .. "23".
QStringList dayHours();

// "" without a box checked, " AM" or " PM"; PM wins if both were checked.
QString amPmSuffix(bool am, bool pm);

// Clock times from the start to the end time at a step of stepQuarters
// quarter hours, read from the quarter-hour list by position. When the end
// is not after the start the series runs on to 23:45 and then starts again
// at 00:00, following the step from midnight. nullopt when a time field is
// empty or names no time of the list.
std::optional<QStringList> timeSteps(const QStringList &quarterHours, const QString &startHour,
                                     const QString &startMinute, const QString &endHour,
                                     const QString &endMinute, int stepQuarters,
                                     const QString &suffix);

// One-hour sections "hh:mm hh:mm" + suffix from the start hour to the end
// hour, every time at the start minute. Over midnight the last section of the
// day is 22 -> 23: a section never starts at hour 23. The end minute only has
// to be filled in. nullopt when a field is empty or names no hour of the list.
std::optional<QStringList> timeSections(const QStringList &hours, const QString &startHour,
                                        const QString &startMinute, const QString &endHour,
                                        const QString &endMinute, const QString &suffix);

// What a free text does to the list.
struct FreeText {
    enum class Outcome {
        Nothing,       // empty or only blanks
        AlreadyInList, // the exact same label is already there
        Add,           // append label
    };
    Outcome outcome = Outcome::Nothing;
    QString label;
};
FreeText freeText(const QString &typed, const QStringList &list);

} // namespace tembrel
