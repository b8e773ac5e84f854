// SPDX-License-Identifier: GPL-3.0-or-later
#include "holidays/Holidays.h"

#include "core/TextRecords.h"

#include <algorithm>

namespace tembrel {

QDate CalculPaques(int year) {
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int n = h + l - 7 * m + 114;
    return QDate(year, n / 31, (n % 31) + 1);
}

std::array<QDate, StandardHolidayCount> standardHolidays(int year) {
    const QDate easter = CalculPaques(year);
    return {QDate(year, 1, 1),  easter.addDays(-2), easter.addDays(1),   QDate(year, 5, 1),
            QDate(year, 5, 8),  easter.addDays(39), easter.addDays(50),  QDate(year, 7, 14),
            QDate(year, 8, 15), QDate(year, 11, 1), QDate(year, 11, 11), QDate(year, 12, 25),
            QDate(year, 12, 26)};
}

QString dateText(const QDate &date) {
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

std::optional<QDate> parseDateText(const QString &text) {
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("dd/MM/yyyy"));
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

// Thirteen numbers.
constexpr qint64 MaxJFValidBytes = 4 * 1024;

std::optional<StandardChoice> readJFValid(const QString &path) {
    const auto fields = readFields(path, MaxJFValidBytes);
    if (!fields)
        return std::nullopt;
    StandardChoice choice{};
    // Only the number 1 enables: 1.4 or 0.6 are other values, not rounded to 1.
    for (int n = 0; n < StandardHolidayCount && n < fields->size(); ++n) {
        const auto value = fieldToDouble(fields->at(n));
        choice[n] = value && *value == 1.0;
    }
    return choice;
}

bool writeJFValid(const QString &path, const StandardChoice &choice) {
    Record line;
    for (bool on : choice)
        line.append(qint64(on ? 1 : 0));
    return writeRecords(path, {line});
}

QString pickedHolidaysFileName(int year) {
    return QStringLiteral("F%1.ini").arg(year);
}

PickedDays parsePickedDays(const QByteArray &content, int year) {
    PickedDays days;
    for (const QString &field : parseFields(content)) {
        if (!field.endsWith(QLatin1Char('F')))
            continue;
        const auto d = parseDateText(field.chopped(1));
        if (d && d->year() == year)
            days.insert(*d);
    }
    return days;
}

std::optional<PickedDays> readPickedDays(const QString &path, int year) {
    const FileBytes file = readFileBounded(path, MaxPickedDaysBytes);
    if (!file.bytes)
        return std::nullopt;
    return parsePickedDays(*file.bytes, year);
}

bool writePickedHolidays(const QString &path, const QList<QDate> &days, const QList<bool> &picked) {
    QList<Record> lines;
    lines.reserve(days.size());
    for (qsizetype i = 0; i < days.size(); ++i) {
        const bool on = i < picked.size() && picked[i];
        lines.append({dateText(days[i]) + (on ? QStringLiteral("F") : QString())});
    }
    return writeRecords(path, lines);
}

QStringList holidayList(int year, const QString &folder) {
    QStringList list;
    if (const auto choice = readJFValid(folder + QStringLiteral("JFValid.ini"))) {
        const auto dates = standardHolidays(year);
        for (int n = 0; n < StandardHolidayCount; ++n)
            if ((*choice)[n])
                list.append(dateText(dates[n]));
    }
    if (const auto picked = readPickedDays(folder + pickedHolidaysFileName(year), year)) {
        QList<QDate> days(picked->begin(), picked->end());
        std::sort(days.begin(), days.end());
        for (const QDate &d : std::as_const(days))
            list.append(dateText(d));
    }
    return list;
}

} // namespace tembrel
