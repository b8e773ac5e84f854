// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearFile.h"
#include "grid/YearGrid.h"

#include "TestApp.h"

#include <QTest>

#include <csignal>
#include <sys/resource.h>

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

// Limits the size of files this process may write, so that a save stops
// part-way as it would on a full disk.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestYearFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordLayout_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("empty") << QString() << QByteArray(20, ' ') << QString();
        QTest::newRow("marker") << QStringLiteral("..") << QByteArray("..").leftJustified(20, ' ')
                                << QStringLiteral("..");
        QTest::newRow("25 characters keep 20")
            << QStringLiteral("abcdefghijklmnopqrstuvwxy") << QByteArray("abcdefghijklmnopqrst")
            << QStringLiteral("abcdefghijklmnopqrst");
        QTest::newRow("blanks around are lost")
            << QStringLiteral("  08:00  ") << QByteArray("  08:00").leftJustified(20, ' ')
            << QStringLiteral("08:00");
        QTest::newRow("Windows-1252")
            << QStringLiteral("Fête €") << QByteArray("F\xEAte \x80").leftJustified(20, ' ')
            << QStringLiteral("Fête €");
        QTest::newRow("outside the code page")
            << QStringLiteral("日本") << QByteArray("??").leftJustified(20, ' ')
            << QStringLiteral("??");
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
        QVERIFY(file.text(2).isEmpty());
        QVERIFY(file.text(5000).isEmpty());
        QVERIFY(file.text(-1).isEmpty());
        QVERIFY(!YearFile::load(QStringLiteral("/nonexistent/_2005.dte")));
    }

    void saveAndLoad() {
        TempAppFolder app;
        const int rows = 13;
        const int cols = 366;
        auto cellText = [](int r, int c) {
            if (r == 0)
                return QStringLiteral("MONTH %1").arg(c);
            if (r == 2)
                return QString::number(c);
            if ((r * 7 + c) % 11 == 0)
                return QStringLiteral("..");
            return QString();
        };
        YearFileWriter writer(qint64(rows) * cols);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                writer.append(cellText(r, c));
        const QString path = app.path(yearFileName(2005));
        QCOMPARE(yearFileName(2005), QStringLiteral("_2005.dte"));
        QVERIFY(writer.commit(path));
        QCOMPARE(QFileInfo(path).size(), qint64(rows) * cols * YearRecordSize);
        const auto file = YearFile::load(path);
        QVERIFY(file);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                QCOMPARE(file->text(yearRecordIndex(r, c, rows)), cellText(r, c));
        // Column-major: the second record is row 1 of column 0.
        QCOMPARE(app.read(yearFileName(2005)).mid(rows * YearRecordSize + 4, 7),
                 QByteArray("MONTH 1"));
    }

    void largerOldFileKeepsItsTail() {
        TempAppFolder app;
        const QString path = app.path(QStringLiteral("_2005.dte"));
        QByteArray old = records({"a", "b", "c", "d", "e"}) + QByteArray("partial");
        QVERIFY(app.write(QStringLiteral("_2005.dte"), old));
        YearFileWriter writer(3);
        writer.append(QStringLiteral("A"));
        writer.append(QStringLiteral("B"));
        writer.append(QStringLiteral("C"));
        QVERIFY(writer.commit(path));
        const QByteArray now = app.read(QStringLiteral("_2005.dte"));
        QCOMPARE(now.size(), old.size());
        QCOMPARE(now.left(72), records({"A", "B", "C"}));
        QCOMPARE(now.mid(72), old.mid(72));
        // A smaller old file is simply replaced.
        YearFileWriter bigger(8);
        for (int i = 0; i < 8; ++i)
            bigger.append(QString::number(i));
        QVERIFY(bigger.commit(path));
        QCOMPARE(app.read(QStringLiteral("_2005.dte")).size(), 8 * YearRecordSize);
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
            const FileSizeLimit limit(200 * 1024);
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
        QTest::newRow("comma dash") << QStringLiteral(",-") << Marker::None;
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

    void rowsFromFileLength_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("rows");
        QTest::newRow("13 rows of 2005") << qint64(13 * 366 * 24) << 366 << 13;
        QTest::newRow("97 rows of 2004") << qint64(97 * 367 * 24) << 367 << 97;
        QTest::newRow("a few records more") << qint64((13 * 366 + 100) * 24 + 5) << 366 << 13;
        QTest::newRow("rounded up") << qint64((13 * 366 + 200) * 24) << 366 << 14;
        QTest::newRow("empty") << qint64(0) << 366 << 0;
        QTest::newRow("one record") << qint64(24) << 366 << 0;
    }
    void rowsFromFileLength() {
        QFETCH(qint64, bytes);
        QFETCH(int, cols);
        QFETCH(int, rows);
        QCOMPARE(yearFileRows(bytes, cols), rows);
    }

    void gridShape() {
        QCOMPARE(dateOfColumn(2004, 366), QDate(2004, 12, 31));
        QCOMPARE(dateOfColumn(2005, 365), QDate(2005, 12, 31));
        QCOMPARE(columnOfDate(QDate(2004, 12, 31)), 366);
        QCOMPARE(openingYear(QDate(2026, 12, 6)), 2005);
        QCOMPARE(openingYear(QDate(2003, 5, 1)), 2003);
        QCOMPARE(openingYear(QDate(1999, 12, 31)), 2000);
        // With a year file the shape is the file's; without, the labels'.
        QCOMPARE(gridRows(std::nullopt, 366, 10), 13);
        QCOMPARE(gridRows(qint64(13 * 366 * 24), 366, 12), 13);
        QCOMPARE(gridRows(qint64(13 * 366 * 24), 366, 8), 13);
        QCOMPARE(gridRows(qint64(0), 366, 8), 11);
        QCOMPARE(gridRows(qint64(1) << 40, 366, 8), GridFixedRows + MaxTimeRows);
    }

    void weekStart() {
        QCOMPARE(weekStartColumn(QDate(2007, 1, 10)), 8); // Wednesday 10 January
        QCOMPARE(weekStartColumn(QDate(2005, 1, 1)), 1);  // Saturday, Monday in 2004
        QCOMPARE(weekStartColumn(QDate(2005, 1, 2)), 1);
        QCOMPARE(weekStartColumn(QDate(2005, 1, 3)), 3);
        // Every day: the column is this week's Monday, or 1 when that Monday
        // lies in the previous year.
        for (QDate d(2000, 1, 1); d.year() <= 2030; d = d.addDays(1)) {
            const int col = weekStartColumn(d);
            const QDate monday = d.addDays(1 - d.dayOfWeek());
            if (monday.year() < d.year())
                QCOMPARE(col, 1);
            else
                QCOMPARE(dateOfColumn(d.year(), col), monday);
        }
    }

    void posIni_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << QByteArray("12150,8985,0\r\n") << true << 0;
        QTest::newRow("maximised") << QByteArray("12150,8985,2\r\n") << true << 2;
        QTest::newRow("minimised") << QByteArray("12150,8985,1\r\n") << true << 1;
        QTest::newRow("fractions, LF") << QByteArray("12150.5,8985.25,0\n") << true << 0;
        QTest::newRow("empty") << QByteArray() << false << 0;
        QTest::newRow("two fields") << QByteArray("12150,8985\r\n") << false << 0;
        QTest::newRow("text") << QByteArray("\"wide\",8985,0\r\n") << false << 0;
        QTest::newRow("unknown state") << QByteArray("12150,8985,7\r\n") << false << 0;
        QTest::newRow("zero size") << QByteArray("0,0,0\r\n") << false << 0;
        QTest::newRow("semicolons") << QByteArray("12150;8985;0\r\n") << false << 0;
    }
    void posIni() {
        QFETCH(QByteArray, content);
        QFETCH(bool, valid);
        QFETCH(int, state);
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("pos.ini"), content));
        const auto pos = readPosIni(app.path(QStringLiteral("pos.ini")));
        QCOMPARE(bool(pos), valid);
        if (pos)
            QCOMPARE(pos->state, state);
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
