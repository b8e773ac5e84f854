// SPDX-License-Identifier: GPL-3.0-or-later
#include "holidays/Holidays.h"

#include "AppFixture.h"
#include "PicksFiles.h"

#include <QTest>

#include <algorithm>

using namespace tembrel;
using tembrel::test::AppFixture;
using tembrel::test::picksFile;

namespace {

// Gauss's Easter algorithm with its Gregorian corrections: an independent
// computation to hold the computus against.
QDate gaussEaster(int year) {
    const int k = year / 100;
    const int m = 15 + (3 * k + 3) / 4 - (8 * k + 13) / 25;
    const int s = 2 - (3 * k + 3) / 4;
    const int a = year % 19;
    const int d = (19 * a + m) % 30;
    const int r = (d + a / 11) / 29;
    const int og = 21 + d - r;
    const int sz = 7 - (year + year / 4 + s) % 7;
    const int oe = 7 - (og - sz) % 7;
    const int os = og + oe; // day of March, may run into April
    return QDate(year, 3, 1).addDays(os - 1);
}

} // namespace

class TestHolidays : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void easter() {
        for (int year = 1583; year <= 4099; ++year)
            QCOMPARE(CalculPaques(year), gaussEaster(year));
        QCOMPARE(gaussEaster(2008), QDate(2008, 3, 23)); // the reference itself
    }

    void listFollowsJFValid_data() {
        QTest::addColumn<QByteArray>("jfvalid");
        QTest::addColumn<int>("year");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all, in field order")
            << QByteArray("1,1,1,1,1,1,1,1,1,1,1,1,1\r\n") << 2006
            << QStringList{"01/01/2006", "14/04/2006", "17/04/2006", "01/05/2006", "08/05/2006",
                           "25/05/2006", "05/06/2006", "14/07/2006", "15/08/2006", "01/11/2006",
                           "11/11/2006", "25/12/2006", "26/12/2006"};
        QTest::newRow("Good Friday and Easter Monday 2024")
            << QByteArray("0,1,1,0,0,0,0,0,0,0,0,0,0\r\n") << 2024
            << QStringList{"29/03/2024", "01/04/2024"};
        QTest::newRow("1 May twice in 2008") << QByteArray("0,0,0,1,0,1,0,0,0,0,0,0,0\r\n") << 2008
                                             << QStringList{"01/05/2008", "01/05/2008"};
        QTest::newRow("all zeros")
            << QByteArray("0,0,0,0,0,0,0,0,0,0,0,0,0") << 2005 << QStringList{};
        QTest::newRow("line separated") << QByteArray("1\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n1\n")
                                        << 2005 << QStringList{"01/01/2005", "26/12/2005"};
        QTest::newRow("short and malformed")
            << QByteArray("1,x,2,1") << 2005 << QStringList{"01/01/2005", "01/05/2005"};
        QTest::newRow("only the number 1") << QByteArray("1.4,1.0,0.6,1,0,0,0,0,0,0,0,0,0") << 2006
                                           << QStringList{"14/04/2006", "01/05/2006"};
        QTest::newRow("binary") << QByteArray("\x01\x02\xFF,\x00", 5) << 2005 << QStringList{};
    }
    void listFollowsJFValid() {
        QFETCH(QByteArray, jfvalid);
        QFETCH(int, year);
        AppFixture app;
        QVERIFY(app.write(QStringLiteral("JFValid.ini"), jfvalid));
        QTEST(holidayList(year, AppFolder), "expected");
    }

    // F<year>.ini in the program's form is read by date, in another short
    // date form by position, and in none as damaged; the grid's list follows.
    void picksInEveryShortDateForm_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("reading");
        QTest::addColumn<QList<QDate>>("picked");
        const QList<QDate> two{QDate(2005, 5, 1), QDate(2005, 6, 15)};
        const int byDate = int(PicksReading::ByDate), byPosition = int(PicksReading::ByPosition),
                  damaged = int(PicksReading::Damaged);
        QTest::newRow("dd/MM/yyyy") << picksFile(2005, 365, {120, 165}) << byDate << two;
        for (const char *form : {"MM/dd/yyyy", "yyyy-MM-dd", "yyyy/MM/dd", "dd.MM.yyyy"})
            QTest::newRow(form) << picksFile(2005, 365, {120, 165}, QString::fromLatin1(form))
                                << byPosition << two;
        // 01/02/2005 reads in both forms, but on its own line only in its own.
        QTest::newRow("ten days in M/d/yyyy")
            << picksFile(2005, 10, {1}, QStringLiteral("M/d/yyyy")) << byPosition
            << QList<QDate>{QDate(2005, 1, 2)};
        QTest::newRow("MM/dd/yyyy into the next year")
            << picksFile(2005, 400, {120, 380}, QStringLiteral("MM/dd/yyyy")) << byPosition
            << QList<QDate>{QDate(2005, 5, 1)};
        QTest::newRow("dd/MM/yyyy after a stray line")
            << "\"garbageF\"\r\n" + picksFile(2005, 365, {120, 165}) << byDate << two;
        QTest::newRow("another year's") << picksFile(2006, 365, {120}) << damaged << QList<QDate>{};
        QTest::newRow("month names") << picksFile(2005, 365, {120}, QStringLiteral("d MMMM yyyy"))
                                     << damaged << QList<QDate>{};
        QTest::newRow("larger than any real file")
            << picksFile(2005, 365, {120}) + QByteArray(MaxPickedDaysBytes, '\n') << damaged
            << QList<QDate>{};
        QTest::newRow("empty") << QByteArray("") << byDate << QList<QDate>{};
    }
    void picksInEveryShortDateForm() {
        QFETCH(QByteArray, content);
        QFETCH(QList<QDate>, picked);
        AppFixture app;
        QVERIFY(app.write(pickedHolidaysFileName(2005), content));
        const auto file = readPickedDays(app.path(pickedHolidaysFileName(2005)), 2005);
        QVERIFY(file);
        QTEST(int(file->reading), "reading");
        QList<QDate> days(file->days.begin(), file->days.end());
        std::sort(days.begin(), days.end());
        QCOMPARE(days, picked);
        QStringList texts;
        for (const QDate &d : std::as_const(picked))
            texts << dateText(d);
        QCOMPARE(holidayList(2005, AppFolder), texts); // no JFValid.ini: only the picks
    }
};

QTEST_GUILESS_MAIN(TestHolidays)
#include "tst_holidays.moc"
