// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearFile.h"
#include "grid/YearGrid.h"

#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "YearFiles.h"

#include <QTest>

using namespace tembrel;
using tembrel::test::AppFixture;
using tembrel::test::yearBytes;

class TestYearFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The field as written: the text cut to 20, padded with blanks after 4 zero bytes.
    void recordLayout() {
        const QList<std::tuple<QString, QByteArray, QString>> cases = {
            {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst", "abcdefghijklmnopqrst"},
            {"Fête €", "F\xEAte \x80", "Fête €"},
            {"日本", "??", "??"}};
        for (const auto &[text, field, readBack] : cases) {
            const QByteArray record = encodeYearRecord(text);
            QCOMPARE(record, QByteArray(4, '\0') + field.leftJustified(20, ' '));
            QCOMPARE(decodeYearText(record.constData() + 4), readBack);
        }
    }

    void readingPastTheEnd() {
        // Two whole records and half of a third; zero bytes read as padding.
        QByteArray bytes = encodeYearRecord("JANUARY") + encodeYearRecord("x");
        bytes += QByteArray(4, '\0') + QByteArray(8, 'z');
        bytes.replace(24 + 4 + 1, 19, QByteArray(19, '\0'));
        const YearFile file = YearFile::fromBytes(bytes);
        QCOMPARE(file.recordCount(), 2);
        QCOMPARE(file.text(0), QStringLiteral("JANUARY"));
        QCOMPARE(file.text(1), QStringLiteral("x"));
        QVERIFY(file.text(2).isEmpty() && file.text(5000).isEmpty() && file.text(-1).isEmpty());
        QVERIFY(!YearFile::load(QStringLiteral("/nonexistent/_2005.dte")));
    }

    // Column-major records; a larger old file keeps the records past the new
    // end; a save that fails on the way leaves the previous file whole.
    void saving() {
        AppFixture app;
        const int rows = 13, cols = 40;
        YearFileWriter writer(qint64(rows) * cols);
        for (int i = 0; i < rows * cols; ++i)
            writer.append(QString::number(i));
        const QString path = app.path(yearFileName(2005));
        QVERIFY(writer.commit(path));
        const auto file = YearFile::load(path);
        QVERIFY(file);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                QCOMPARE(file->text(yearRecordIndex(r, c, rows)), QString::number(c * rows + r));

        const QByteArray old = app.read(yearFileName(2005));
        YearFileWriter shorter(3);
        for (const char *t : {"A", "B", "C"})
            shorter.append(QString::fromLatin1(t));
        QVERIFY(shorter.commit(path));
        const QByteArray now = app.read(yearFileName(2005));
        QCOMPARE(now, encodeYearRecord("A") + encodeYearRecord("B") + encodeYearRecord("C") +
                          old.mid(72));

        {
            // Through the safe write (no temporary file left: tst_textrecords).
            const tembrel::test::FileSizeLimit limit(1024);
            QVERIFY(limit.ok());
            QVERIFY(!writer.commit(path));
        }
        QCOMPARE(app.read(yearFileName(2005)), now);
    }

    void markerCodes() {
        const QList<std::pair<const char *, Marker>> codes = {
            {",", Marker::Noir},   {"-", Marker::Rouge},  {":", Marker::Bleu},
            {"..", Marker::Vert},  {".", Marker::Jaune},  {",,", Marker::None},
            {". .", Marker::None}, {"...", Marker::None}, {"08:00", Marker::None}};
        for (const auto &[code, marker] : codes) {
            QCOMPARE(markerForCode(QString::fromLatin1(code)), marker);
            if (marker != Marker::None)
                QCOMPARE(codeForMarker(marker), QString::fromLatin1(code));
        }
    }

    // A file is whole only as whole columns whose day headings stand; any
    // other is damaged, and only the columns whose heading stands at its place
    // are taken from it, so no marker moves to another slot.
    void content_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("lost"); // columns not recovered
        const int rows = 8;
        const QByteArray whole = yearBytes(2005, rows, {{3, 10, ","}, {5, 14, "-"}, {7, 365, ":"}});
        const qint64 column = qint64(rows) * YearRecordSize;
        QTest::newRow("whole") << whole << false << rows << QList<int>{};
        QTest::newRow("cut in a record") << whole.left(whole.size() - 1000) << true << rows
                                         << QList<int>{360, 361, 362, 363, 364, 365};
        QTest::newRow("cut at a column")
            << whole.left(whole.size() - column) << true << rows << QList<int>{365};
        QTest::newRow("grown by bytes")
            << whole + QByteArray(7, 'x') << true << rows << QList<int>{};
        QTest::newRow("grown by a column")
            << whole + whole.right(column) << true << rows << QList<int>{};
        QByteArray zeroColumn = whole;
        zeroColumn.replace(20 * column, column, QByteArray(column, '\0'));
        QTest::newRow("a column of zeros") << zeroColumn << true << rows << QList<int>{20};
        QList<int> all;
        for (int c = 0; c < 366; ++c)
            all.append(c);
        QTest::newRow("all zeros") << QByteArray(whole.size(), '\0') << true << 0 << all;
        QTest::newRow("empty") << QByteArray() << true << 0 << all;
        // 2004's file read as 2005's: the same length would not even be whole.
        QTest::newRow("another year")
            << yearBytes(2004, rows, {}).left(whole.size()) << true << rows << QList<int>{};
        // More time rows than minutes in a day, within the size bound: read
        // with its own stride, no cap.
        QTest::newRow("1443 time rows")
            << yearBytes(2005, 1446, {{3, 10, ","}, {5, 14, "-"}, {1445, 365, ":"}}) << false
            << 1446 << QList<int>{};
    }
    void content() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, damaged);
        QFETCH(int, rows);
        QFETCH(QList<int>, lost);
        const YearContent content = readYearContent(bytes, 2005);
        QCOMPARE(content.isDamaged(), damaged);
        QVERIFY(damaged == !content.damage.isEmpty());
        QCOMPARE(content.rows, rows);
        if (QTest::currentDataTag() == QByteArray("another year")) {
            // Only days whose number happens to match stand; March onwards
            // is a day off, so most columns are lost.
            QVERIFY(content.recovered.count(false) > 250);
            return;
        }
        QCOMPARE(content.recovered.size(), 366);
        for (int c = 0; c < 366; ++c)
            QCOMPARE(content.recovered[c], !lost.contains(c));
        // Every marker that was recovered is where it was saved.
        const int last = rows - 1;
        if (!lost.contains(10))
            QCOMPARE(content.text(3, 10), QStringLiteral(","));
        if (!lost.contains(14))
            QCOMPARE(content.text(5, 14), QStringLiteral("-"));
        if (!lost.contains(365) && rows > 0)
            QCOMPARE(content.text(last, 365), QStringLiteral(":"));
        for (int c : lost)
            QVERIFY(content.text(3, c).isEmpty());
    }

    // A file larger than any year is damaged from its size alone; a damaged
    // file goes aside under a name of its own.
    void hugeAndSetAside() {
        AppFixture app;
        const QString path = app.path(yearFileName(2005));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(30) << 30));
        f.close();
        const YearContent content = loadYearContent(path, 2005);
        QVERIFY(content.isDamaged());
        QCOMPARE(content.rows, 0);
        QVERIFY(!YearFile::load(path));
        const QString aside = setDamagedFileAside(path);
        QVERIFY(aside.startsWith(path + QStringLiteral(".damaged-")));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QFileInfo(aside).size(), qint64(30) << 30);
        // A second damaged file of the same second gets a name of its own.
        QVERIFY(app.write(yearFileName(2005), "x"));
        const QString second = setDamagedFileAside(path);
        QVERIFY(!second.isEmpty() && second != aside && QFileInfo::exists(aside));
        QCOMPARE(loadYearContent(app.path(yearFileName(2004)), 2004).state,
                 YearContent::State::Missing);
    }

    void calendar() {
        // Rows from the file when it tells them, however many; else the labels.
        QCOMPARE(gridRows(14, 8), 14);
        QCOMPARE(gridRows(1446, 8), 1446);
        QCOMPARE(gridRows(0, 8), GridFixedRows + 8);
        QCOMPARE(gridRows(0, 5000), GridFixedRows + MaxTimeRows);
        QCOMPARE(openingYear(QDate(2026, 12, 6)), 2005);
        QCOMPARE(openingYear(QDate(2003, 5, 1)), 2003);
        QCOMPARE(openingYear(QDate(1999, 12, 31)), 2000);
        // Every day has its own column. (The column a week opens at:
        // tst_gridwindow's layoutOfTheYear.)
        for (QDate d(2000, 1, 1); d.year() <= 2030; d = d.addDays(1))
            QCOMPARE(dateOfColumn(d.year(), columnOfDate(d)), d);
    }

    // What is usable is written back whole, in CR LF, sizes rounded.
    void posIni_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("rewritten"); // empty: not usable
        QTest::newRow("minimised")
            << QByteArray("12150,8985,1\r\n") << QByteArray("12150,8985,1\r\n");
        QTest::newRow("fractions, LF")
            << QByteArray("20000.4,14000.6,2\n") << QByteArray("20000,14001,2\r\n");
        QTest::newRow("two fields") << QByteArray("12150,8985\r\n") << QByteArray();
        QTest::newRow("unknown state") << QByteArray("12150,8985,7\r\n") << QByteArray();
        QTest::newRow("zero size") << QByteArray("0,0,0\r\n") << QByteArray();
    }
    void posIni() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, rewritten);
        AppFixture app;
        const QString path = app.path(QStringLiteral("pos.ini"));
        QVERIFY(app.write(QStringLiteral("pos.ini"), content));
        const auto pos = readPosIni(path);
        QCOMPARE(pos.has_value(), !rewritten.isEmpty());
        if (pos) {
            QVERIFY(writePosIni(path, *pos));
            QCOMPARE(app.read(QStringLiteral("pos.ini")), rewritten);
        }
    }
};

QTEST_GUILESS_MAIN(TestYearFile)
#include "tst_yearfile.moc"
