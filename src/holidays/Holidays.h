// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Public holidays of a year: Easter by the anonymous Gregorian computus, the
// thirteen standard (French) holidays filtered by JFValid.ini, then the days
// the user picked in F<year>.ini. The year grid colours the days of the list;
// the holiday window edits F<year>.ini and JFValid.ini.

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace tembrel {

inline constexpr int StandardHolidayCount = 13;

// Easter Sunday of a Gregorian year.
QDate CalculPaques(int year);

// The thirteen standard holidays of a year, in JFValid.ini field order:
// New Year, Good Friday, Easter Monday, 1 May, 8 May, Ascension, Whit Monday,
// 14 July, 15 August, 1 November, 11 November, Christmas, St Stephen's Day.
std::array<QDate, StandardHolidayCount> standardHolidays(int year);

// Dates in lists and files: dd/MM/yyyy.
QString dateText(const QDate &date);
std::optional<QDate> parseDateText(const QString &text);

// JFValid.ini: thirteen numbers separated by commas or line ends; a field
// enables its holiday when it is the number 1. Missing or unreadable fields
// count as 0.
// nullopt when the file does not exist.
using StandardChoice = std::array<bool, StandardHolidayCount>;
std::optional<StandardChoice> readJFValid(const QString &path);
bool writeJFValid(const QString &path, const StandardChoice &choice);

// "F" + year + ".ini".
QString pickedHolidaysFileName(int year);

// F<year>.ini holds one field per day: its date text, followed by "F" when
// the day is picked. Files written here hold dd/MM/yyyy, but the date form was
// once the system's, so a user may hold one in month/day/year or
// year-month-day. How a file is read depends on the form its fields read in:
// - ByDate: the program's form (it wins every tie). Each picked field's date
//   is parsed; one that does not read, or lies in another year, is passed over
//   without moving the days after it.
// - ByPosition: another short date form (its fields read as days of the year
//   in it more often, or more of them on their own line). Field n is day n of
//   the year, picked when it ends in "F", whatever its date text says.
// - Damaged: fields that read as a day of the year in no form (or a file
//   larger than any real one). Nothing is picked, and the file is set aside
//   before anything is written in its place.
// 40 000 fields with a wide margin: a real file has 366 of 12 bytes.
inline constexpr qint64 MaxPickedDaysBytes = 1024 * 1024;
using PickedDays = QSet<QDate>;
enum class PicksReading { ByDate, ByPosition, Damaged };
struct PickedDaysFile {
    PickedDays days;
    PicksReading reading = PicksReading::ByDate;
};
PickedDaysFile parsePickedDays(const QByteArray &content, int year);
// nullopt when the file does not exist or cannot be read.
std::optional<PickedDaysFile> readPickedDays(const QString &path, int year);

// One field per day of the year from 1 January: the dates as text, picked
// ones followed by "F".
bool writePickedHolidays(const QString &path, const QList<QDate> &days, const QList<bool> &picked);

// The holiday list of a year as the grid uses it: the enabled standard
// holidays in field order, then the picked days of F<year>.ini, as date texts.
// The same date may appear twice. Files are read from `folder` (AppFolder).
QStringList holidayList(int year, const QString &folder);

} // namespace tembrel
