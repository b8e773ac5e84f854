// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearFile.h"
#include "grid/YearGrid.h"

#include "FileSizeLimit.h"
#include "TestApp.h"

#include <QTest>

using namespace tembrel;
using tembrel::test::TempAppFolder;

Q_DECLARE_METATYPE(tembrel::Marker)

namespace {

QByteArray records(const QStringList &texts) {
    QByteArray out;
    for (const QString &t : texts)
        out += encodeYearRecord(t);
    return out;
}

} // namespace

class TestYearFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The field as written: the text cut to 20, padded with blanks after 4 zero bytes.
    void recordLayout_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("readBack");
        auto row = [](const char *name, const char *text, const char *field, const char *back) {
            QTest::newRow(name) << QString::fromUtf8(text)
                                << QByteArray(field).leftJustified(20, ' ')
                                << QString::fromUtf8(back);
        };
        row("empty", "", "", "");
        row("25 characters keep 20", "abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst",
            "abcdefghijklmnopqrst");
        row("blanks around are lost", "  08:00  ", "  08:00", "08:00");
        row("Windows-1252", "Fête €", "F\xEAte \x80", "Fête €");
        row("outside the code page", "日本", "??", "??");
    }
    void recordLayout() {
        QFETCH(QString, text);
        QFETCH(QByteArray, field);
        QFETCH(QString, readBack);
        const QByteArray record = encodeYearRecord(text);
        QCOMPARE(record.size(), YearRecordSize);
        QCOMPARE(record.left(4), QByteArray(4, '\0'));
        QCOMPARE(record.mid(4), field);
        QCOMPARE(decodeYearText(record.constData() + 4), readBack);
    }

    void readingPastTheEnd() {
        // Two whole records and half of a third; zero bytes read as padding.
        QByteArray bytes = records({QStringLiteral("JANUARY"), QStringLiteral("x")});
        bytes += QByteArray(4, '\0') + QByteArray(8, 'z');
        bytes.replace(24 + 4 + 1, 19, QByteArray(19, '\0'));
        const YearFile file = YearFile::fromBytes(bytes);
        QCOMPARE(file.recordCount(), 2);
        QCOMPARE(file.text(0), QStringLiteral("JANUARY"));
        QCOMPARE(file.text(1), QStringLiteral("x"));
        QVERIFY(file.text(2).isEmpty() && file.text(5000).isEmpty() && file.text(-1).isEmpty());
        QVERIFY(!YearFile::load(QStringLiteral("/nonexistent/_2005.dte")));
    }

    // Column-major records; a larger old file keeps the records past the new end.
    void saveAndLoad() {
        TempAppFolder app;
        const int rows = 13, cols = 40;
        auto cellText = [](int r, int c) {
            return r == 0 ? QStringLiteral("MONTH %1").arg(c) : QString::number(r * 100 + c);
        };
        YearFileWriter writer(qint64(rows) * cols);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                writer.append(cellText(r, c));
        const QString path = app.path(yearFileName(2005));
        QVERIFY(writer.commit(path));
        QCOMPARE(QFileInfo(path).size(), qint64(rows) * cols * YearRecordSize);
        const auto file = YearFile::load(path);
        QVERIFY(file);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                QCOMPARE(file->text(yearRecordIndex(r, c, rows)), cellText(r, c));
        QCOMPARE(app.read(yearFileName(2005)).mid(rows * YearRecordSize + 4, 7),
                 QByteArray("MONTH 1"));

        const QByteArray old = app.read(yearFileName(2005)) + QByteArray("partial");
        QVERIFY(app.write(yearFileName(2005), old));
        YearFileWriter shorter(3);
        for (const char *t : {"A", "B", "C"})
            shorter.append(QString::fromLatin1(t));
        QVERIFY(shorter.commit(path));
        const QByteArray now = app.read(yearFileName(2005));
        QCOMPARE(now.left(72), records({"A", "B", "C"}));
        QCOMPARE(now.mid(72), old.mid(72));
    }

    void interruptedSaveLeavesOldFile() {
        TempAppFolder app;
        const QByteArray old = records(QStringList(13 * 366, QStringLiteral(":")));
        QVERIFY(app.write(QStringLiteral("_2005.dte"), old));
        YearFileWriter writer(97 * 367);
        for (int i = 0; i < 97 * 367; ++i)
            writer.append(QStringLiteral("new"));
        bool saved = true;
        {
            // The new content is about 850 kB: the write stops at 200 kB.
            const tembrel::test::FileSizeLimit limit(200 * 1024);
            QVERIFY(limit.ok());
            saved = writer.commit(app.path(QStringLiteral("_2005.dte")));
        }
        QVERIFY(!saved);
        QCOMPARE(app.read(QStringLiteral("_2005.dte")), old);
        QCOMPARE(QDir(app.path(QString())).entryList(QDir::Files), QStringList{"_2005.dte"});
    }

    void markerCodes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Marker>("marker");
        QTest::newRow("comma black") << QStringLiteral(",") << Marker::Noir;
        QTest::newRow("dash red") << QStringLiteral("-") << Marker::Rouge;
        QTest::newRow("colon blue") << QStringLiteral(":") << Marker::Bleu;
        QTest::newRow("two dots green") << QStringLiteral("..") << Marker::Vert;
        QTest::newRow("dot yellow") << QStringLiteral(".") << Marker::Jaune;
        QTest::newRow("two commas") << QStringLiteral(",,") << Marker::None;
        QTest::newRow("dot blank dot") << QStringLiteral(". .") << Marker::None;
        QTest::newRow("three dots") << QStringLiteral("...") << Marker::None;
        QTest::newRow("time label") << QStringLiteral("08:00") << Marker::None;
        QTest::newRow("empty") << QString() << Marker::None;
    }
    void markerCodes() {
        QFETCH(QString, text);
        QFETCH(Marker, marker);
        QCOMPARE(markerForCode(text), marker);
        if (marker != Marker::None)
            QCOMPARE(codeForMarker(marker), text);
    }

    // A year file gives the shape (rounded up); without a usable one, the labels do.
    void gridRows_data() {
        QTest::addColumn<qint64>("bytes"); // -1: no year file
        QTest::addColumn<int>("labels");
        QTest::addColumn<int>("rows");
        QTest::newRow("no file") << qint64(-1) << 10 << 13;
        QTest::newRow("13 rows, 8 labels") << qint64(13 * 366 * 24) << 8 << 13;
        QTest::newRow("a few records more") << qint64((13 * 366 + 100) * 24 + 5) << 8 << 13;
        QTest::newRow("rounded up") << qint64((13 * 366 + 200) * 24) << 8 << 14;
        QTest::newRow("empty file") << qint64(0) << 8 << 11;
        QTest::newRow("one record") << qint64(24) << 8 << 11;
        QTest::newRow("absurdly large") << (qint64(1) << 40) << 8 << GridFixedRows + MaxTimeRows;
    }
    void gridRows() {
        QFETCH(qint64, bytes);
        QFETCH(int, labels);
        QFETCH(int, rows);
        const auto size = bytes < 0 ? std::nullopt : std::optional(bytes);
        QCOMPARE(tembrel::gridRows(size, 366, labels), rows);
    }

    void calendar() {
        QCOMPARE(openingYear(QDate(2026, 12, 6)), 2005);
        QCOMPARE(openingYear(QDate(2003, 5, 1)), 2003);
        QCOMPARE(openingYear(QDate(1999, 12, 31)), 2000);
        // Every day: the column is this week's Monday, or 1 when that Monday
        // lies in the previous year.
        for (QDate d(2000, 1, 1); d.year() <= 2030; d = d.addDays(1)) {
            const int col = weekStartColumn(d);
            const QDate monday = d.addDays(1 - d.dayOfWeek());
            QCOMPARE(col, monday.year() < d.year() ? 1 : columnOfDate(monday));
            QCOMPARE(dateOfColumn(d.year(), columnOfDate(d)), d);
        }
    }

    void posIni_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("state"); // -1: not usable
        QTest::newRow("minimised") << QByteArray("12150,8985,1\r\n") << 1;
        QTest::newRow("fractions, LF") << QByteArray("12150.5,8985.25,2\n") << 2;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("two fields") << QByteArray("12150,8985\r\n") << -1;
        QTest::newRow("text") << QByteArray("\"wide\",8985,0\r\n") << -1;
        QTest::newRow("unknown state") << QByteArray("12150,8985,7\r\n") << -1;
        QTest::newRow("zero size") << QByteArray("0,0,0\r\n") << -1;
        QTest::newRow("semicolons") << QByteArray("12150;8985;0\r\n") << -1;
    }
    void posIni() {
        QFETCH(QByteArray, content);
        QFETCH(int, state);
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("pos.ini"), content));
        const auto pos = readPosIni(app.path(QStringLiteral("pos.ini")));
        QCOMPARE(pos ? pos->state : -1, state);
    }

    void posIniRoundTrip() {
        TempAppFolder app;
        const QString path = app.path(QStringLiteral("pos.ini"));
        QVERIFY(!readPosIni(path));
        QVERIFY(writePosIni(path, {12150, 8985, 0}));
        QCOMPARE(app.read(QStringLiteral("pos.ini")), QByteArray("12150,8985,0\r\n"));
        QCOMPARE(readPosIni(path), std::optional(WindowPos{12150, 8985, 0}));
        QVERIFY(writePosIni(path, {20000.4, 14000.6, 2}));
        QCOMPARE(app.read(QStringLiteral("pos.ini")), QByteArray("20000,14001,2\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestYearFile)
#include "tst_yearfile.moc"
