// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppFixture.h"
#include "timerows/HoursFile.h"

#include <QTest>

using namespace tembrel;
using tembrel::test::AppFixture;

class TestHoursFile final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("labels");
        auto row = [](const char *name, QByteArray content, QStringList labels) {
            QTest::newRow(name) << content << labels;
        };
        row("written form", "\"08:00\"\r\n\"08:15\"\r\n\"Lunch, team\"\r\n",
            {"08:00", "08:15", "Lunch, team"});
        row("LF and CR only, no final line end", "\"08:00\"\n\"08:15\"\r\"09:00\"",
            {"08:00", "08:15", "09:00"});
        row("unquoted line splits at commas", "08:00, 09:00 ,Lunch\r\n\"10:00\"\r\n",
            {"08:00", "09:00", "Lunch", "10:00"});
        row("several quoted fields on a line", "\"a\",\"b c\"\r\n", {"a", "b c"});
        row("quote left open ends at its line", "\"Lunch\r\n\"09:00\"\r\n", {"Lunch", "09:00"});
        row("empty lines and labels skipped",
            "\r\n\"08:00\"\r\n\r\n\"\"\r\n   \r\n\"  \"\r\n\"09:00\"", {"08:00", "09:00"});
        row("stray quote, control characters", "ab\"cd\r\n\"x\x01y\x7f\"\r\n\"\tz\"\r\n",
            {"abcd", "xy", "z"});
        row("Windows-1252", "\"D\xe9jeuner\"\r\n\"\x80 5\"\r\n\"a\x81\"",
            {QString::fromUtf8("Déjeuner"), QString::fromUtf8("€ 5"), "a?"});
        row("labels need not be unique", "\"08:00\"\r\n\"08:00\"\r\n", {"08:00", "08:00"});
        row("NUL bytes", QByteArray("\"08:00\"\r\n\0\0\r\n\"09:0\0000\"\r\n", 22),
            {"08:00", "09:00"});
    }

    void parse() {
        QFETCH(QByteArray, content);
        QTEST(parseHours(content), "labels");
    }

    void format() {
        QCOMPARE(formatHours({"08:00", QString::fromUtf8("Café"), "a, b"}),
                 QByteArray("\"08:00\"\r\n\"Caf\xe9\"\r\n\"a, b\"\r\n"));
        // Nothing in a label may break its record.
        QCOMPARE(formatHours({"a\"b", "c\r\nd"}), QByteArray("\"ab\"\r\n\"cd\"\r\n"));
        const QStringList labels{"08:00 PM", "08:15 09:15 AM", "Lunch, team",
                                 QString::fromUtf8("Réunion €")};
        QCOMPARE(parseHours(formatHours(labels)), labels);
    }

    // Reading and writing whole files is checked through the Hours window; here
    // what the window cannot reach.
    void unreadableOrUnwritable() {
        AppFixture app;
        QVERIFY(!writeHours(app.path("missing/hours.dat"), {"08:00"}));
        QVERIFY(QDir(app.path(QString())).mkdir("hours.dat"));
        QVERIFY(readHours(hoursFilePath()).isEmpty()); // unreadable reads as no rows
    }
};

QTEST_GUILESS_MAIN(TestHoursFile)
#include "tst_hoursfile.moc"
