// SPDX-License-Identifier: GPL-3.0-or-later
#include "timerows/Generators.h"

namespace tembrel {

QString twoDigitHour(int hour) {
    QString text = QString::number(hour);
    if (text.size() == 1)
        text.prepend(QLatin1Char('0'));
    return text;
}

QStringList quarterHourTimes() {
    QStringList times;
    times.reserve(96);
    for (int i = 0; i < 24; ++i) {
        const QString h = twoDigitHour(i);
        for (const char *m : {"00", "15", "30", "45"})
            times.append(h + QLatin1Char(':') + QLatin1String(m));
    }
    return times;
}

QStringList dayHours() {
    QStringList hours;
    hours.reserve(24);
    for (int i = 0; i < 24; ++i)
        hours.append(twoDigitHour(i));
    return hours;
}

QString amPmSuffix(bool am, bool pm) {
    QString s;
    if (am)
        s = QStringLiteral(" AM");
    if (pm)
        s = QStringLiteral(" PM");
    return s;
}

std::optional<QStringList> timeSteps(const QStringList &quarterHours, const QString &startHour,
                                     const QString &startMinute, const QString &endHour,
                                     const QString &endMinute, int stepQuarters,
                                     const QString &suffix) {
    if (startHour.isEmpty() || startMinute.isEmpty() || endHour.isEmpty() || endMinute.isEmpty())
        return std::nullopt;
    const qsizetype a = quarterHours.indexOf(startHour + QLatin1Char(':') + startMinute);
    if (a < 0 || stepQuarters < 1)
        return std::nullopt;
    const QString endTime = endHour + QLatin1Char(':') + endMinute;
    if (!quarterHours.contains(endTime))
        return std::nullopt;
    const qsizetype q = stepQuarters;
    const qsizetype last = quarterHours.size() - 1;

    // The end is looked for from the start onwards only; before it, it stays 0.
    qsizetype b = quarterHours.indexOf(endTime, a);
    if (b < 0)
        b = 0;

    QStringList labels;
    if (a < b) {
        for (qsizetype p = a; p <= b; p += q)
            labels.append(quarterHours.at(p) + suffix);
        return labels;
    }
    // Over midnight (or start equal to end): after midnight the series follows
    // the step from 00:00, so the end counts only when it lies on that step.
    for (qsizetype p = 0; p <= last; p += q) {
        if (quarterHours.at(p) == endTime) {
            b = p;
            break;
        }
    }
    for (qsizetype p = a; p <= last; p += q)
        labels.append(quarterHours.at(p) + suffix);
    for (qsizetype p = 0; p <= b; p += q)
        labels.append(quarterHours.at(p) + suffix);
    return labels;
}

std::optional<QStringList> timeSections(const QStringList &hours, const QString &startHour,
                                        const QString &startMinute, const QString &endHour,
                                        const QString &endMinute, const QString &suffix) {
    if (startHour.isEmpty() || startMinute.isEmpty() || endHour.isEmpty() || endMinute.isEmpty())
        return std::nullopt;
    const qsizetype a = hours.indexOf(startHour);
    const qsizetype endAnywhere = hours.indexOf(endHour);
    if (a < 0 || endAnywhere < 0)
        return std::nullopt;
    qsizetype b = hours.indexOf(endHour, a);
    if (b < 0)
        b = 0;

    auto section = [&](qsizetype k) {
        return hours.at(k) + QLatin1Char(':') + startMinute + QLatin1Char(' ') + hours.at(k + 1) +
               QLatin1Char(':') + startMinute + suffix;
    };
    QStringList labels;
    if (a < b) {
        for (qsizetype k = a; k <= b - 1; ++k)
            labels.append(section(k));
        return labels;
    }
    // Over midnight: the day's sections end with 22 -> 23, then start again at 00.
    b = endAnywhere;
    for (qsizetype k = a; k <= hours.size() - 2; ++k)
        labels.append(section(k));
    for (qsizetype k = 0; k <= b - 1; ++k)
        labels.append(section(k));
    return labels;
}

FreeText freeText(const QString &typed, const QStringList &list) {
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return {};
    if (list.contains(t, Qt::CaseSensitive))
        return {FreeText::Outcome::AlreadyInList, t};
    return {FreeText::Outcome::Add, t};
}

} // namespace tembrel
