// SPDX-License-Identifier: GPL-3.0-or-later
#include "timerows/Generators.h"

#include <QTest>
#include <QTime>

using namespace tembrel;

namespace {
// Round the clock from 08:00 back to 08:00, `minutes` apart (QTime's arithmetic).
QString roundTheClock(int minutes) {
    QStringList labels;
    for (int m = 0; m <= 24 * 60; m += minutes)
        labels << QTime(8, 0).addSecs(m * 60).toString(QStringLiteral("hh:mm"));
    return labels.join(u'|');
}
} // namespace

class TestGenerators final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Time steps (step 1, 2 or 4 quarters) and hour sections (step 0).
    void timeSeries_data() {
        QTest::addColumn<QStringList>("fields"); // start hour, start minute, end hour, end minute
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("expected"); // "-": refused
        auto row = [](const QByteArray &name, const char *fields, int step, const char *suffix,
                      const QString &expected) {
            QTest::newRow(name.constData())
                << QString::fromLatin1(fields).split(QLatin1Char(' ')) << step
                << QString::fromLatin1(suffix) << expected.split(u'|', Qt::SkipEmptyParts);
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
        row("start equals end, 1 hour", "08 00 08 00", 4, "", roundTheClock(60));
        row("start equals end, 15 min", "08 00 08 00", 1, "", roundTheClock(15));
        row("not a listed time", "08 10 10 00", 1, "", "-");
        for (const int step : {1, 0}) {
            const char *s = step ? "steps, " : "sections, ";
            row(QByteArray(s).append("start hour empty"), " 00 10 00", step, "", "-");
            row(QByteArray(s).append("start minute empty"), "08  10 00", step, "", "-");
            row(QByteArray(s).append("end hour empty"), "08 00  00", step, "", "-");
            row(QByteArray(s).append("end minute empty"), "08 00 10 ", step, "", "-");
        }
        row("sections 08 to 11 at :15", "08 15 11 15", 0, "",
            "08:15 09:15|09:15 10:15|10:15 11:15");
        row("sections PM suffix", "08 15 09 15", 0, " PM", "08:15 09:15 PM");
        row("sections minute 30 ends at :30 too", "10 30 12 30", 0, " AM",
            "10:30 11:30 AM|11:30 12:30 AM");
        row("sections over midnight, no 23 to 00", "22 00 02 00", 0, "",
            "22:00 23:00|00:00 01:00|01:00 02:00");
        row("sections start equals end", "08 00 08 00", 0, "",
            "08:00 09:00|09:00 10:00|10:00 11:00|11:00 12:00|12:00 13:00|13:00 14:00|14:00 15:00|"
            "15:00 16:00|16:00 17:00|17:00 18:00|18:00 19:00|19:00 20:00|20:00 21:00|21:00 22:00|"
            "22:00 23:00|00:00 01:00|01:00 02:00|02:00 03:00|03:00 04:00|04:00 05:00|05:00 06:00|"
            "06:00 07:00|07:00 08:00");
        row("sections to midnight, nothing after it", "20 45 00 45", 0, "",
            "20:45 21:45|21:45 22:45|22:45 23:45");
        row("sections from 23 start after midnight", "23 00 02 00", 0, "",
            "00:00 01:00|01:00 02:00");
        row("sections 23 to 00 give nothing", "23 00 00 00", 0, "", "");
    }
    void timeSeries() {
        QFETCH(QStringList, fields);
        QFETCH(int, step);
        QFETCH(QString, suffix);
        const auto labels =
            step ? timeSteps(quarterHourTimes(), fields[0], fields[1], fields[2], fields[3], step,
                             suffix)
                 : timeSections(dayHours(), fields[0], fields[1], fields[2], fields[3], suffix);
        QTEST(labels.value_or(QStringList{"-"}), "expected");
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
        const FreeText result = tembrel::freeText(typed, list);
        QTEST(int(result.outcome), "outcome");
        QTEST(result.label, "label");
    }
};

QTEST_GUILESS_MAIN(TestGenerators)
#include "tst_generators.moc"
