// SPDX-License-Identifier: GPL-3.0-or-later
#include "holidays/Holidays.h"

#include "core/TextRecords.h"

#include <algorithm>
#include <array>
#include <vector>

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

namespace {

// A short date form: the order of day, month and year, and their separator.
enum class Order { DayMonthYear, MonthDayYear, YearMonthDay };
struct DateForm {
    Order order;
    char separator;
};
// The program's own form first, then the other forms a Windows short date
// takes with a four-digit year.
constexpr std::array<DateForm, 7> DateForms{{
    {Order::DayMonthYear, '/'},
    {Order::MonthDayYear, '/'},
    {Order::YearMonthDay, '-'},
    {Order::YearMonthDay, '/'},
    {Order::DayMonthYear, '.'},
    {Order::DayMonthYear, '-'},
    {Order::YearMonthDay, '.'},
}};

// The three numbers of a date text "n<sep>n<sep>n" (blanks around it
// ignored), each with its count of digits.
struct DateNumbers {
    std::array<int, 3> value{};
    std::array<int, 3> digits{};
    char separator = 0;
};

std::optional<DateNumbers> dateNumbers(QStringView text) {
    text = text.trimmed();
    DateNumbers d;
    qsizetype i = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (i >= text.size())
                return std::nullopt;
            const QChar sep = text[i++];
            if (sep.unicode() > 0x7F || (part == 2 && sep.toLatin1() != d.separator))
                return std::nullopt;
            d.separator = sep.toLatin1();
        }
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80 &&
               d.digits[part] < 4) {
            d.value[part] = d.value[part] * 10 + (text[i].unicode() - '0');
            ++d.digits[part];
            ++i;
        }
        if (d.digits[part] == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return d;
}

// The day of `year` that the numbers give in the form, if any.
std::optional<QDate> dateIn(const DateNumbers &d, DateForm form, int year) {
    if (d.separator != form.separator)
        return std::nullopt;
    const auto [y, m, day] = [&]() -> std::array<int, 3> {
        switch (form.order) {
        case Order::DayMonthYear:
            return {2, 1, 0};
        case Order::MonthDayYear:
            return {2, 0, 1};
        case Order::YearMonthDay:
            break;
        }
        return {0, 1, 2};
    }();
    if (d.digits[y] != 4 || d.digits[m] > 2 || d.digits[day] > 2 || d.value[y] != year)
        return std::nullopt;
    const QDate date(year, d.value[m], d.value[day]);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

} // namespace

PickedDaysFile parsePickedDays(const QByteArray &content, int year) {
    const QStringList fields = parseFields(content);
    const QDate first(year, 1, 1);
    // How many fields read as days of the year in each form, and how many of
    // those as the day of their own line: a short file in month/day/year
    // reads as days in both forms (01/02/2005), but in place only in its own.
    struct Score {
        int days = 0;
        int inPlace = 0;
        auto operator<=>(const Score &) const = default;
    };
    std::array<Score, DateForms.size()> scores{};
    std::vector<std::optional<DateNumbers>> numbers;
    numbers.reserve(std::size_t(fields.size()));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QStringView text(fields[i]);
        if (text.endsWith(QLatin1Char('F')))
            text.chop(1);
        numbers.push_back(dateNumbers(text));
        if (!numbers.back())
            continue;
        for (std::size_t f = 0; f < DateForms.size(); ++f) {
            if (const auto d = dateIn(*numbers.back(), DateForms[f], year)) {
                ++scores[f].days;
                if (*d == first.addDays(i))
                    ++scores[f].inPlace;
            }
        }
    }
    std::size_t best = 0;
    for (std::size_t f = 1; f < DateForms.size(); ++f)
        if (scores[f] > scores[best])
            best = f;

    PickedDaysFile file;
    if (fields.isEmpty())
        return file;
    if (scores[best].days == 0) {
        file.reading = PicksReading::Damaged;
    } else if (best == 0) {
        for (qsizetype i = 0; i < fields.size(); ++i)
            if (fields[i].endsWith(QLatin1Char('F')) && numbers[std::size_t(i)])
                if (const auto d = dateIn(*numbers[std::size_t(i)], DateForms[0], year))
                    file.days.insert(*d);
    } else {
        file.reading = PicksReading::ByPosition;
        const qsizetype count = std::min<qsizetype>(fields.size(), first.daysInYear());
        for (qsizetype i = 0; i < count; ++i)
            if (fields[i].endsWith(QLatin1Char('F')))
                file.days.insert(first.addDays(i));
    }
    return file;
}

std::optional<PickedDaysFile> readPickedDays(const QString &path, int year) {
    const FileBytes file = readFileBounded(path, MaxPickedDaysBytes);
    if (file.bytes)
        return parsePickedDays(*file.bytes, year);
    if (file.failure == ReadFailure::TooLarge)
        return PickedDaysFile{{}, PicksReading::Damaged};
    return std::nullopt;
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
        QList<QDate> days(picked->days.begin(), picked->days.end());
        std::sort(days.begin(), days.end());
        for (const QDate &d : std::as_const(days))
            list.append(dateText(d));
    }
    return list;
}

} // namespace tembrel
