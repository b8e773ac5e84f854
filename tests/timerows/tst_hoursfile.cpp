// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileSizeLimit.h"
#include "TestApp.h"
#include "timerows/HoursFile.h"

#include <QTest>

using namespace tembrel;
using tembrel::test::TempAppFolder;

namespace {
// Content with NUL bytes: the whole literal, not up to its first NUL.
template <std::size_t N> QByteArray binary(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}
} // namespace

class TestHoursFile final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void format();
    void roundTrip();
    void readMissing();
    void writeReplaces();
    void writeFailsWithoutFolder();
    void shortWriteKeepsOldFile();
};

void TestHoursFile::parse_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("written form") << QByteArray("\"08:00\"\r\n\"08:15\"\r\n\"Lunch\"\r\n")
                                  << QStringList{"08:00", "08:15", "Lunch"};
    QTest::newRow("LF only") << QByteArray("\"08:00\"\n\"08:15\"\n")
                             << QStringList{"08:00", "08:15"};
    QTest::newRow("CR only") << QByteArray("\"08:00\"\r\"08:15\"\r")
                             << QStringList{"08:00", "08:15"};
    QTest::newRow("no final line end")
        << QByteArray("\"08:00\"\r\n\"Lunch\"") << QStringList{"08:00", "Lunch"};
    QTest::newRow("comma inside quotes")
        << QByteArray("\"Lunch, team\"\r\n\"09:00\"\r\n") << QStringList{"Lunch, team", "09:00"};
    QTest::newRow("unquoted line splits at commas")
        << QByteArray("08:00, 09:00 ,Lunch\r\n\"10:00\"\r\n")
        << QStringList{"08:00", "09:00", "Lunch", "10:00"};
    QTest::newRow("several quoted fields on a line")
        << QByteArray("\"a\",\"b c\"\r\n") << QStringList{"a", "b c"};
    QTest::newRow("quote left open ends at the line end")
        << QByteArray("\"08:00\"\r\n\"Lunch\r\n\"09:00\"\r\n")
        << QStringList{"08:00", "Lunch", "09:00"};
    QTest::newRow("empty lines and empty labels skipped")
        << QByteArray("\r\n\"08:00\"\r\n\r\n\r\n\"\"\r\n   \r\n\"  \"\r\n\"09:00\"\r\n")
        << QStringList{"08:00", "09:00"};
    QTest::newRow("stray quote and control characters dropped")
        << QByteArray("ab\"cd\r\n\"x\x01y\x7f\"\r\n\"\tz\"\r\n") << QStringList{"abcd", "xy", "z"};
    QTest::newRow("unassigned Windows-1252 byte")
        << QByteArray("\"a\x81\"\r\n") << QStringList{"a?"};
    QTest::newRow("Windows-1252") << QByteArray("\"D\xe9jeuner\"\r\n\"\x80 5\"\r\n")
                                  << QStringList{QString::fromUtf8("Déjeuner"),
                                                 QString::fromUtf8("€ 5")};
    QTest::newRow("labels need not be unique")
        << QByteArray("\"08:00\"\r\n\"08:00\"\r\n") << QStringList{"08:00", "08:00"};
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("NUL bytes") << binary("\"08:00\"\r\n\0\0\0\r\n\"09:0\0000\"\r\n")
                               << QStringList{"08:00", "09:00"};
}

void TestHoursFile::parse() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, labels);
    QCOMPARE(parseHours(content), labels);
}

void TestHoursFile::format() {
    QCOMPARE(formatHours({"08:00", "08:15", "Lunch"}),
             QByteArray("\"08:00\"\r\n\"08:15\"\r\n\"Lunch\"\r\n"));
    QCOMPARE(formatHours({QString::fromUtf8("Café"), "a, b"}),
             QByteArray("\"Caf\xe9\"\r\n\"a, b\"\r\n"));
    // Nothing in a label may break its record.
    QCOMPARE(formatHours({"a\"b", "c\r\nd"}), QByteArray("\"ab\"\r\n\"cd\"\r\n"));
    QCOMPARE(formatHours({}), QByteArray());
}

void TestHoursFile::roundTrip() {
    const QStringList labels{"08:00 PM", "08:15 09:15 AM", "Lunch, team",
                             QString::fromUtf8("Réunion €"), "08:00"};
    QCOMPARE(parseHours(formatHours(labels)), labels);
}

void TestHoursFile::readMissing() {
    TempAppFolder app;
    QVERIFY(app.isValid());
    QCOMPARE(hoursFilePath(), app.path("hours.dat"));
    QVERIFY(readHours(hoursFilePath()).isEmpty());
    // A folder in place of the file reads as no data, too.
    QVERIFY(QDir(app.path(QString())).mkdir("hours.dat"));
    QVERIFY(readHours(hoursFilePath()).isEmpty());
}

void TestHoursFile::writeReplaces() {
    TempAppFolder app;
    QVERIFY(app.write("hours.dat", "\"old 1\"\r\n\"old 2\"\r\n\"old 3\"\r\n"));
    QVERIFY(writeHours(hoursFilePath(), {"new"}));
    QCOMPARE(app.read("hours.dat"), QByteArray("\"new\"\r\n"));
    QCOMPARE(readHours(hoursFilePath()), QStringList{"new"});
    // No temporary file is left next to it.
    QCOMPARE(QDir(app.path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{"hours.dat"});
}

void TestHoursFile::writeFailsWithoutFolder() {
    TempAppFolder app;
    QVERIFY(!writeHours(app.path("missing/hours.dat"), {"08:00"}));
    QVERIFY(!QFile::exists(app.path("missing/hours.dat")));
}

void TestHoursFile::shortWriteKeepsOldFile() {
    TempAppFolder app;
    const QByteArray earlier("\"08:00\"\r\n");
    QVERIFY(app.write("hours.dat", earlier));
    QStringList many;
    for (int i = 0; i < 50; ++i)
        many.append(QStringLiteral("Row %1").arg(i));
    bool written = true;
    {
        // Room for part of the new file only: the write stops half-way.
        tembrel::test::FileSizeLimit limit(100);
        QVERIFY(limit.ok());
        written = writeHours(hoursFilePath(), many);
    }
    QVERIFY(!written);
    QCOMPARE(app.read("hours.dat"), earlier);
    QCOMPARE(QDir(app.path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{"hours.dat"});
}

QTEST_GUILESS_MAIN(TestHoursFile)
#include "tst_hoursfile.moc"
