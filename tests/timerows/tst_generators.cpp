// SPDX-License-Identifier: GPL-3.0-or-later
#include "timerows/Generators.h"

#include <QTest>

using namespace tembrel;

namespace {
// An expected series written out as "label|label|..."; "-" stands for "refused".
QStringList series(const char *text) {
    return QString::fromLatin1(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}
} // namespace

class TestGenerators final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void timeSteps_data() {
        QTest::addColumn<QStringList>("fields"); // start hour, start minute, end hour, end minute
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char *name, const char *fields, int step, const char *suffix,
                      const char *expected) {
            QTest::newRow(name) << QString::fromLatin1(fields).split(QLatin1Char(' ')) << step
                                << QString::fromLatin1(suffix) << series(expected);
        };
        row("30 min, end on the step", "08 00 10 00", 2, "", "08:00|08:30|09:00|09:30|10:00");
        row("30 min, end off the step", "08 15 10 00", 2, "", "08:15|08:45|09:15|09:45");
        row("1 hour PM keeps two digits", "08 00 09 00", 4, " PM", "08:00 PM|09:00 PM");
        row("1 hour AM, no conversion", "14 00 15 00", 4, " AM", "14:00 AM|15:00 AM");
        row("over midnight, 1 hour", "22 00 01 00", 4, "", "22:00|23:00|00:00|01:00");
        row("over midnight, end off the midnight step", "22 00 01 15", 2, "",
            "22:00|22:30|23:00|23:30|00:00");
        row("over midnight, steps restart at 00:00", "22 30 01 00", 4, "",
            "22:30|23:30|00:00|01:00");
        row("last quarter to midnight", "23 45 00 00", 1, "", "23:45|00:00");
        row("start equals end, 1 hour", "08 00 08 00", 4, "",
            "08:00|09:00|10:00|11:00|12:00|13:00|14:00|15:00|16:00|17:00|18:00|19:00|20:00|21:00|"
            "22:00|23:00|00:00|01:00|02:00|03:00|04:00|05:00|06:00|07:00|08:00");
        row("start equals end, 15 min", "08 00 08 00", 1, "",
            "08:00|08:15|08:30|08:45|09:00|09:15|09:30|09:45|10:00|10:15|10:30|10:45|11:00|11:15|"
            "11:30|11:45|12:00|12:15|12:30|12:45|13:00|13:15|13:30|13:45|14:00|14:15|14:30|14:45|"
            "15:00|15:15|15:30|15:45|16:00|16:15|16:30|16:45|17:00|17:15|17:30|17:45|18:00|18:15|"
            "18:30|18:45|19:00|19:15|19:30|19:45|20:00|20:15|20:30|20:45|21:00|21:15|21:30|21:45|"
            "22:00|22:15|22:30|22:45|23:00|23:15|23:30|23:45|00:00|00:15|00:30|00:45|01:00|01:15|"
            "01:30|01:45|02:00|02:15|02:30|02:45|03:00|03:15|03:30|03:45|04:00|04:15|04:30|04:45|"
            "05:00|05:15|05:30|05:45|06:00|06:15|06:30|06:45|07:00|07:15|07:30|07:45|08:00");
        row("start hour empty", " 00 10 00", 1, "", "-");
        row("start minute empty", "08  10 00", 1, "", "-");
        row("end hour empty", "08 00  00", 1, "", "-");
        row("end minute empty", "08 00 10 ", 1, "", "-");
        row("not a listed time", "08 10 10 00", 1, "", "-");
    }

    void timeSteps() {
        QFETCH(QStringList, fields);
        QFETCH(int, step);
        QFETCH(QString, suffix);
        QFETCH(QStringList, expected);
        const auto labels = tembrel::timeSteps(quarterHourTimes(), fields[0], fields[1], fields[2],
                                               fields[3], step, suffix);
        QCOMPARE(labels.value_or(QStringList{"-"}), expected);
    }

    void timeSections_data() {
        QTest::addColumn<QStringList>("fields"); // start hour, start minute, end hour, end minute
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char *name, const char *fields, const char *suffix,
                      const char *expected) {
            QTest::newRow(name) << QString::fromLatin1(fields).split(QLatin1Char(' '))
                                << QString::fromLatin1(suffix) << series(expected);
        };
        row("08 to 11 at :15", "08 15 11 15", "", "08:15 09:15|09:15 10:15|10:15 11:15");
        row("PM suffix", "08 15 09 15", " PM", "08:15 09:15 PM");
        row("minute 30 ends at :30 too", "10 30 12 30", " AM", "10:30 11:30 AM|11:30 12:30 AM");
        row("over midnight, no 23 to 00", "22 00 02 00", "", "22:00 23:00|00:00 01:00|01:00 02:00");
        row("start equals end", "08 00 08 00", "",
            "08:00 09:00|09:00 10:00|10:00 11:00|11:00 12:00|12:00 13:00|13:00 14:00|14:00 15:00|"
            "15:00 16:00|16:00 17:00|17:00 18:00|18:00 19:00|19:00 20:00|20:00 21:00|21:00 22:00|"
            "22:00 23:00|00:00 01:00|01:00 02:00|02:00 03:00|03:00 04:00|04:00 05:00|05:00 06:00|"
            "06:00 07:00|07:00 08:00");
        row("to midnight, nothing after it", "20 45 00 45", "",
            "20:45 21:45|21:45 22:45|22:45 23:45");
        row("from 23 starts after midnight", "23 00 02 00", "", "00:00 01:00|01:00 02:00");
        row("23 to 00 gives nothing", "23 00 00 00", "", "");
        row("start hour empty", " 00 10 00", "", "-");
        row("start minute empty", "08  10 00", "", "-");
        row("end hour empty", "08 00  00", "", "-");
        row("hidden end minute empty", "08 00 10 ", "", "-");
    }

    void timeSections() {
        QFETCH(QStringList, fields);
        QFETCH(QString, suffix);
        QFETCH(QStringList, expected);
        const auto labels =
            tembrel::timeSections(dayHours(), fields[0], fields[1], fields[2], fields[3], suffix);
        QCOMPARE(labels.value_or(QStringList{"-"}), expected);
    }

    void freeText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("label");
        const int nothing = int(FreeText::Outcome::Nothing),
                  exists = int(FreeText::Outcome::AlreadyInList), add = int(FreeText::Outcome::Add);
        QTest::newRow("spaces around cut") << "  Lunch  " << QStringList{"08:00"} << add << "Lunch";
        QTest::newRow("duplicate refused")
            << " Lunch" << QStringList{"08:00", "Lunch"} << exists << "Lunch";
        QTest::newRow("case counts") << "lunch" << QStringList{"Lunch"} << add << "lunch";
        QTest::newRow("comma and inner spaces kept") << "a,  b" << QStringList() << add << "a,  b";
        QTest::newRow("only spaces") << "     " << QStringList() << nothing << "";
        QTest::newRow("empty") << "" << QStringList{""} << nothing << "";
    }

    void freeText() {
        QFETCH(QString, typed);
        QFETCH(QStringList, list);
        QFETCH(int, outcome);
        QFETCH(QString, label);
        const FreeText result = tembrel::freeText(typed, list);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.label, label);
    }
};

QTEST_GUILESS_MAIN(TestGenerators)
#include "tst_generators.moc"
