// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ParamIni.h"
#include "core/TextRecords.h"

#include "AppFixture.h"

#include "FileSizeLimit.h"

#include <QFileInfo>
#include <QTest>

using namespace tembrel;
using tembrel::test::AppFixture;

class TestTextRecords : public QObject {
    Q_OBJECT

    std::optional<AppFixture> app; // a fresh one for each test

private Q_SLOTS:
    void init() { app.emplace(); }
    void cleanup() { app.reset(); }

    // Windows-1252 both ways; a character it has no byte for is written "?".
    void writeThenReadByteForByte() {
        const QString path = app->path(QStringLiteral("t.dat"));
        const QList<Record> records{{QStringLiteral("Lunch, team"), qint64(12632256)},
                                    {QStringLiteral("été"), QStringLiteral("ü€–Œ日"), qint64(-3)},
                                    {QString()}};
        QVERIFY(writeRecords(path, records));
        const QByteArray expected =
            "\"Lunch, team\",12632256\r\n\"\xE9t\xE9\",\"\xFC\x80\x96\x8C?\",-3\r\n\"\"\r\n";
        QCOMPARE(app->read(QStringLiteral("t.dat")), expected);
        const auto fields = readFields(path, 1024);
        QVERIFY(fields);
        QCOMPARE(*fields, (QStringList{QStringLiteral("Lunch, team"), QStringLiteral("12632256"),
                                       QStringLiteral("été"), QStringLiteral("ü€–Œ?"),
                                       QStringLiteral("-3"), QString()}));
        QVERIFY(!readFields(app->path(QStringLiteral("none.dat")), 1024)); // no file is no data
    }

    // A safe write killed before its rename leaves ".<name>.tembrel-<8 hex>.tmp";
    // the next write removes those, never a user's file that merely looks alike.
    void leftoverSweep_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::newRow("year file's") << "._2005.dte.tembrel-0a1b2c3d.tmp" << true;
        QTest::newRow("archive's") << ".W2005005123.tbr.tembrel-ffffffff.tmp" << true;
        QTest::newRow("user's backup") << "hours.dat.backup" << false;
        QTest::newRow("user's origin") << "_2005.dte.origin" << false;
        QTest::newRow("user's before") << "param.ini.before" << false;
        QTest::newRow("user's tmp") << "x.tmp123" << false;
        QTest::newRow("old temp name") << "temp.wav.tmp123" << false;
        QTest::newRow("damaged aside") << "_2005.dte.damaged-20261207-010203" << false;
        QTest::newRow("mark, no dot") << "hours.dat.tembrel-0a1b2c3d.tmp" << false;
        QTest::newRow("mark, short") << ".hours.dat.tembrel-0a1b2c3.tmp" << false;
        QTest::newRow("mark, no name") << "..tembrel-0a1b2c3d.tmp" << false;
    }
    void leftoverSweep() {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QVERIFY(app->write(name, "left"));
        QVERIFY(writeFileSafely(app->path(QStringLiteral("pos.ini")), "1,2,0\r\n"));
        // Left or swept, and the write's own temporary file gone.
        QStringList expected{QStringLiteral("pos.ini")};
        if (!removed)
            expected << name;
        expected.sort();
        QCOMPARE(QDir(app->path(QString())).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 expected);
    }

    // A file past its bound is never read whole: a sparse 30 GB one is
    // refused from its size alone, as is one byte too many.
    void sizeBound_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("read");
        QTest::newRow("at the bound") << qint64(4096) << true;
        QTest::newRow("one byte more") << qint64(4097) << false;
        QTest::newRow("sparse 30 GB") << (qint64(30) << 30) << false;
    }
    void sizeBound() {
        QFETCH(qint64, size);
        QFETCH(bool, read);
        QFile f(app->path(QStringLiteral("param.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("\"Arial\",255\r\n") > 0 && f.resize(size));
        f.close();
        const FileBytes bytes = readFileBounded(f.fileName(), 4096);
        QCOMPARE(bytes.bytes.has_value(), read);
        if (read)
            QCOMPARE(bytes.bytes->size(), size);
        else
            QCOMPARE(bytes.failure, ReadFailure::TooLarge);
        QCOMPARE(readFields(f.fileName(), 4096).has_value(), read);
        // The settings reader has its own bound, far below 30 GB.
        QCOMPARE(readParamIni(f.fileName()).has_value(), size < (1 << 20));
    }

    void parseFields_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("LF only") << QByteArray("\"08:00\"\n\"08:15\"\n")
                                 << QStringList{"08:00", "08:15"};
        QTest::newRow("unquoted commas") << QByteArray("a, b ,c\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("blank lines") << QByteArray("\r\n\"x\"\r\n\r\n\n") << QStringList{"x"};
        QTest::newRow("unterminated quote") << QByteArray("\"ab\r\ncd") << QStringList{"ab\r\ncd"};
        QTest::newRow("numbers") << QByteArray("1,0,1\r\n1\n0")
                                 << QStringList{"1", "0", "1", "1", "0"};
        QTest::newRow("trailing comma") << QByteArray("\"a\",\r\n") << QStringList{"a", ""};
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("no final line end") << QByteArray("\"x\"") << QStringList{"x"};
    }
    void parseFields() {
        QFETCH(QByteArray, content);
        QTEST(tembrel::parseFields(content), "expected");
    }

    // A rewrite that fails half-way leaves the previous file whole and no temporary
    // file. As root, only a file size limit makes a write fail (EFBIG).
    void failedRewriteKeepsOldFile() {
        const QByteArray old = "\"08:00\"\r\n\"08:15\"\r\n";
        QVERIFY(app->write(QStringLiteral("hours.dat"), old));
        const QString path = app->path(QStringLiteral("hours.dat"));

        QList<Record> many;
        for (int i = 0; i < 20000; ++i)
            many.append({QStringLiteral("Row %1, été").arg(i)});
        QVERIFY(formatRecords(many).size() > 200 * 1024);

        {
            const test::FileSizeLimit limit(4 * 1024);
            QVERIFY(limit.ok());
            QVERIFY(!writeRecords(path, many));
            // Small enough to sit in the file's write buffer: the failure only
            // shows when the buffer is flushed.
            QVERIFY(!writeFileSafely(path, QByteArray(10 * 1024, 'y')));
        }
        QCOMPARE(app->read(QStringLiteral("hours.dat")), old);
        QCOMPARE(QDir(app->path(QString())).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("hours.dat")});

        // With room again the same rewrite goes through whole.
        QVERIFY(writeRecords(path, many));
        QCOMPARE(app->read(QStringLiteral("hours.dat")), formatRecords(many));
    }

    // A folder where the file should be: nothing is written and the folder
    // and what it holds stay.
    void rewriteOverFolderFails() {
        QVERIFY(QDir().mkpath(app->path(QStringLiteral("param.ini"))));
        QVERIFY(app->write(QStringLiteral("param.ini/keep"), "k"));
        QVERIFY(!writeParamIni(app->path(QStringLiteral("param.ini")), Settings{}));
        QVERIFY(QFileInfo(app->path(QStringLiteral("param.ini"))).isDir());
        QCOMPARE(app->read(QStringLiteral("param.ini/keep")), QByteArray("k"));
        QCOMPARE(QDir(app->path(QString())).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestTextRecords)
#include "tst_textrecords.moc"
