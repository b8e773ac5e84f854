// SPDX-License-Identifier: GPL-3.0-or-later
#include "timerows/Generators.h"

#include <QTest>

using namespace tembrel;

namespace {

// Expected series are written out as "label|label|..." (a trailing '|' is
// allowed so that long series can be split over lines).
QStringList series(const char *text) {
    QStringList out = QString::fromLatin1(text).split(QLatin1Char('|'));
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

} // namespace

class TestGenerators final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dayLists();
    void suffix();
    void timeSteps_data();
    void timeSteps();
    void timeStepsEmptyField_data();
    void timeStepsEmptyField();
    void timeSections_data();
    void timeSections();
    void timeSectionsEmptyField_data();
    void timeSectionsEmptyField();
    void freeText_data();
    void freeText();
};

void TestGenerators::dayLists() {
    const QStringList q = quarterHourTimes();
    QCOMPARE(q.size(), 96);
    QCOMPARE(q.first(), QStringLiteral("00:00"));
    QCOMPARE(q.at(1), QStringLiteral("00:15"));
    QCOMPARE(q.at(33), QStringLiteral("08:15"));
    QCOMPARE(q.last(), QStringLiteral("23:45"));
    QCOMPARE(dayHours(), series("00|01|02|03|04|05|06|07|08|09|10|11|12|13|14|15|16|17|18|19|20|"
                                "21|22|23"));
    QCOMPARE(twoDigitHour(7), QStringLiteral("07"));
    QCOMPARE(twoDigitHour(12), QStringLiteral("12"));
}

void TestGenerators::suffix() {
    QCOMPARE(amPmSuffix(false, false), QString());
    QCOMPARE(amPmSuffix(true, false), QStringLiteral(" AM"));
    QCOMPARE(amPmSuffix(false, true), QStringLiteral(" PM"));
    QCOMPARE(amPmSuffix(true, true), QStringLiteral(" PM"));
}

void TestGenerators::timeSteps_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("30 min, end on the step")
        << "08:00"
        << "10:00" << 2 << "" << series("08:00|08:30|09:00|09:30|10:00");
    QTest::newRow("30 min, end off the step")
        << "08:15"
        << "10:00" << 2 << "" << series("08:15|08:45|09:15|09:45");
    QTest::newRow("15 min, short") << "11:30"
                                   << "12:15" << 1 << "" << series("11:30|11:45|12:00|12:15");
    QTest::newRow("1 hour PM keeps two digits")
        << "08:00"
        << "09:00" << 4 << " PM" << series("08:00 PM|09:00 PM");
    QTest::newRow("1 hour AM, no conversion")
        << "14:00"
        << "15:00" << 4 << " AM" << series("14:00 AM|15:00 AM");
    QTest::newRow("over midnight, 1 hour")
        << "22:00"
        << "01:00" << 4 << "" << series("22:00|23:00|00:00|01:00");
    QTest::newRow("over midnight, end off the midnight step")
        << "22:00"
        << "01:15" << 2 << "" << series("22:00|22:30|23:00|23:30|00:00");
    QTest::newRow("over midnight, start off the hour")
        << "22:30"
        << "01:00" << 4 << "" << series("22:30|23:30|00:00|01:00");
    QTest::newRow("last quarter to midnight") << "23:45"
                                              << "00:00" << 1 << "" << series("23:45|00:00");
    QTest::newRow("whole day, 1 hour")
        << "00:00"
        << "23:45" << 4 << ""
        << series("00:00|01:00|02:00|03:00|04:00|05:00|06:00|07:00|08:00|09:00|10:00|11:00|"
                  "12:00|13:00|14:00|15:00|16:00|17:00|18:00|19:00|20:00|21:00|22:00|23:00");
    QTest::newRow("start equals end, 1 hour")
        << "08:00"
        << "08:00" << 4 << ""
        << series("08:00|09:00|10:00|11:00|12:00|13:00|14:00|15:00|16:00|17:00|18:00|19:00|"
                  "20:00|21:00|22:00|23:00|00:00|01:00|02:00|03:00|04:00|05:00|06:00|07:00|"
                  "08:00");
    QTest::newRow("start equals end, 15 min")
        << "08:00"
        << "08:00" << 1 << ""
        << series("08:00|08:15|08:30|08:45|09:00|09:15|09:30|09:45|10:00|10:15|10:30|10:45|"
                  "11:00|11:15|11:30|11:45|12:00|12:15|12:30|12:45|13:00|13:15|13:30|13:45|"
                  "14:00|14:15|14:30|14:45|15:00|15:15|15:30|15:45|16:00|16:15|16:30|16:45|"
                  "17:00|17:15|17:30|17:45|18:00|18:15|18:30|18:45|19:00|19:15|19:30|19:45|"
                  "20:00|20:15|20:30|20:45|21:00|21:15|21:30|21:45|22:00|22:15|22:30|22:45|"
                  "23:00|23:15|23:30|23:45|00:00|00:15|00:30|00:45|01:00|01:15|01:30|01:45|"
                  "02:00|02:15|02:30|02:45|03:00|03:15|03:30|03:45|04:00|04:15|04:30|04:45|"
                  "05:00|05:15|05:30|05:45|06:00|06:15|06:30|06:45|07:00|07:15|07:30|07:45|"
                  "08:00|");
    // The end is off the midnight step, so after midnight the series runs up
    // to the start position.
    QTest::newRow("start equals end off the midnight step, 30 min")
        << "08:15"
        << "08:15" << 2 << ""
        << series("08:15|08:45|09:15|09:45|10:15|10:45|11:15|11:45|12:15|12:45|13:15|13:45|"
                  "14:15|14:45|15:15|15:45|16:15|16:45|17:15|17:45|18:15|18:45|19:15|19:45|"
                  "20:15|20:45|21:15|21:45|22:15|22:45|23:15|23:45|"
                  "00:00|00:30|01:00|01:30|02:00|02:30|03:00|03:30|04:00|04:30|05:00|05:30|"
                  "06:00|06:30|07:00|07:30|08:00");
}

void TestGenerators::timeSteps() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, step);
    QFETCH(QString, suffix);
    QFETCH(QStringList, expected);
    const auto labels = tembrel::timeSteps(quarterHourTimes(), from.left(2), from.mid(3),
                                           to.left(2), to.mid(3), step, suffix);
    QVERIFY(labels.has_value());
    QCOMPARE(*labels, expected);
}

void TestGenerators::timeStepsEmptyField_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("start hour") << QStringList{"", "00", "10", "00"};
    QTest::newRow("start minute") << QStringList{"08", "", "10", "00"};
    QTest::newRow("end hour") << QStringList{"08", "00", "", "00"};
    QTest::newRow("end minute") << QStringList{"08", "00", "10", ""};
    QTest::newRow("all") << QStringList{"", "", "", ""};
    QTest::newRow("not a listed time") << QStringList{"08", "10", "10", "00"};
}

void TestGenerators::timeStepsEmptyField() {
    QFETCH(QStringList, fields);
    QVERIFY(!tembrel::timeSteps(quarterHourTimes(), fields[0], fields[1], fields[2], fields[3], 1,
                                QString())
                 .has_value());
}

void TestGenerators::timeSections_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("08 to 11 at :15") << "08"
                                     << "11"
                                     << "15"
                                     << "" << series("08:15 09:15|09:15 10:15|10:15 11:15");
    QTest::newRow("PM suffix") << "08"
                               << "09"
                               << "15"
                               << " PM" << series("08:15 09:15 PM");
    QTest::newRow("AM suffix, minute 30") << "10"
                                          << "12"
                                          << "30"
                                          << " AM" << series("10:30 11:30 AM|11:30 12:30 AM");
    QTest::newRow("over midnight, no 23 to 00")
        << "22"
        << "02"
        << "00"
        << "" << series("22:00 23:00|00:00 01:00|01:00 02:00");
    QTest::newRow("start equals end")
        << "08"
        << "08"
        << "00"
        << ""
        << series("08:00 09:00|09:00 10:00|10:00 11:00|11:00 12:00|12:00 13:00|13:00 14:00|"
                  "14:00 15:00|15:00 16:00|16:00 17:00|17:00 18:00|18:00 19:00|19:00 20:00|"
                  "20:00 21:00|21:00 22:00|22:00 23:00|00:00 01:00|01:00 02:00|02:00 03:00|"
                  "03:00 04:00|04:00 05:00|05:00 06:00|06:00 07:00|07:00 08:00");
    QTest::newRow("to midnight gives nothing after it")
        << "20"
        << "00"
        << "45"
        << "" << series("20:45 21:45|21:45 22:45|22:45 23:45");
    QTest::newRow("last section of the day") << "22"
                                             << "23"
                                             << "00"
                                             << "" << series("22:00 23:00");
    QTest::newRow("from 23 starts after midnight") << "23"
                                                   << "02"
                                                   << "00"
                                                   << "" << series("00:00 01:00|01:00 02:00");
    QTest::newRow("23 to 00 gives nothing") << "23"
                                            << "00"
                                            << "00"
                                            << "" << QStringList();
}

void TestGenerators::timeSections() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, minute);
    QFETCH(QString, suffix);
    QFETCH(QStringList, expected);
    const auto labels = tembrel::timeSections(dayHours(), from, minute, to, minute, suffix);
    QVERIFY(labels.has_value());
    QCOMPARE(*labels, expected);
}

void TestGenerators::timeSectionsEmptyField_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("start hour") << QStringList{"", "00", "10", "00"};
    QTest::newRow("start minute") << QStringList{"08", "", "10", "00"};
    QTest::newRow("end hour") << QStringList{"08", "00", "", "00"};
    QTest::newRow("hidden end minute") << QStringList{"08", "00", "10", ""};
    QTest::newRow("not a listed hour") << QStringList{"8", "00", "10", "00"};
}

void TestGenerators::timeSectionsEmptyField() {
    QFETCH(QStringList, fields);
    QVERIFY(
        !tembrel::timeSections(dayHours(), fields[0], fields[1], fields[2], fields[3], QString())
             .has_value());
}

void TestGenerators::freeText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("label");

    const int nothing = int(FreeText::Outcome::Nothing);
    const int exists = int(FreeText::Outcome::AlreadyInList);
    const int add = int(FreeText::Outcome::Add);
    QTest::newRow("spaces around are cut") << "  Lunch  " << QStringList{"08:00"} << add << "Lunch";
    QTest::newRow("exact duplicate refused")
        << "Lunch" << QStringList{"08:00", "Lunch"} << exists << "Lunch";
    QTest::newRow("duplicate after trimming")
        << " Lunch" << QStringList{"Lunch"} << exists << "Lunch";
    QTest::newRow("case counts") << "lunch" << QStringList{"Lunch"} << add << "lunch";
    QTest::newRow("same as a time label") << "08:00" << QStringList{"08:00"} << exists << "08:00";
    QTest::newRow("comma kept") << "Lunch, team" << QStringList() << add << "Lunch, team";
    QTest::newRow("inner spaces kept") << "a  b" << QStringList() << add << "a  b";
    QTest::newRow("only spaces") << "     " << QStringList() << nothing << "";
    QTest::newRow("empty") << "" << QStringList{"Lunch"} << nothing << "";
}

void TestGenerators::freeText() {
    QFETCH(QString, typed);
    QFETCH(QStringList, list);
    QFETCH(int, outcome);
    QFETCH(QString, label);
    const FreeText result = tembrel::freeText(typed, list);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.label, label);
}

QTEST_GUILESS_MAIN(TestGenerators)
#include "tst_generators.moc"
