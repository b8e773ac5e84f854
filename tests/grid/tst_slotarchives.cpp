// SPDX-License-Identifier: GPL-3.0-or-later
// The slot archives: names, storing, unpacking into temp.wav and removing.
#include "grid/MessageStore.h"

#include "AppFixture.h"

#include "archive/ZipClass.h"
#include "sound/WaveFile.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace tembrel;
using tembrel::test::AppFixture;

namespace {

// A one-entry archive of `wave` as temp.wav, as the recording window packs
// it; with `sparse`, of that many zero bytes instead.
QByteArray archiveOf(const AppFixture &app, const QByteArray &wave, qint64 sparse = 0) {
    if (!QDir().mkpath(app.path("pack")) || !app.write("pack/temp.wav", wave) ||
        (sparse && !QFile::resize(app.path("pack/temp.wav"), sparse)))
        return {};
    ZipClass zip;
    if (!zip.AddFile(QFile::encodeName(app.path("pack/temp.wav")).toStdString()) ||
        !zip.WriteZip(QFile::encodeName(app.path("pack/temp.tbr")).toStdString(), true))
        return {};
    return app.read("pack/temp.tbr");
}

// An archive made by Python's zipfile with the given entries, in order.
QByteArray pythonArchive(const AppFixture &app,
                         const QList<std::pair<QString, QByteArray>> &entries) {
    QStringList args{
        "-c",
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
        "    for i in range(2, len(sys.argv), 2): z.write(sys.argv[i], sys.argv[i + 1])\n",
        app.path("py.zip")};
    for (const auto &[name, bytes] : entries) {
        const QString file = QStringLiteral("py%1").arg(args.size());
        if (!app.write(file, bytes))
            return {};
        args << app.path(file) << name;
    }
    QProcess python;
    python.start(QStringLiteral("python3"), args);
    return python.waitForFinished(30000) && python.exitCode() == 0 ? app.read("py.zip")
                                                                   : QByteArray();
}

} // namespace

class TestSlotArchives : public QObject {
    Q_OBJECT

    std::optional<AppFixture> app; // a fresh one for each test

private Q_SLOTS:
    void init() { app.emplace(); }
    void cleanup() { app.reset(); }

    void names_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("name");
        QTest::newRow("2005, 12, 7") << 2005 << 12 << 7 << "W2005012007.tbr";
        QTest::newRow("row of four digits") << 2005 << 1000 << 5 << "W20051000005.tbr";
        QTest::newRow("column of four digits") << 2004 << 7 << 1234 << "W20040071234.tbr";
    }
    void names() {
        QFETCH(int, year);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, name);
        QCOMPARE(slotArchiveName(year, row, col), name);
        QCOMPARE(QDir::fromNativeSeparators(slotArchivePath(year, row, col)),
                 app->path(QStringLiteral("D%1/").arg(year) + name));
    }

    // The listing names the slots whose archive is a file in D<year>, or a
    // link to one, and nothing else that folder holds.
    void listing() {
        QVERIFY(QDir().mkpath(app->path("D2005/W2005004010.tbr")));
        for (const char *name :
             {"W2005005123.tbr", "W20051000005.tbr", "W2005000000000007001.tbr", "W2006005124.tbr",
              "W20050a5125.tbr", "W200505126.tbr", "W2005005127.wav", "W200599999999999128.tbr",
              ".W2005005129.tbr", "w2005005130.tbr"})
            QVERIFY(app->write(QStringLiteral("D2005/") + QLatin1String(name), "x"));
        QVERIFY(
            QFile::link(app->path("D2005/W2005005123.tbr"), app->path("D2005/W2005006001.tbr")));
        QVERIFY(QFile::link(app->path("nowhere"), app->path("D2005/W2005006002.tbr")));
        QStringList listed;
        for (const Slot &slot : archivedSlots(2005))
            listed << QStringLiteral("%1,%2").arg(slot.row).arg(slot.col);
        listed.sort();
        QCOMPARE(listed, (QStringList{"1000,5", "5,123", "6,1", "7,1"}));
        QVERIFY(archivedSlots(2004).isEmpty());
    }

    // Storing makes the year's folder once and replaces an older archive
    // whole; an empty or missing scratch archive leaves the slot as it was.
    void storing() {
        const QByteArray first = archiveOf(*app, QByteArray(4000, 'a'));
        const QByteArray second = archiveOf(*app, QByteArray(9000, 'b'));
        QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
        QVERIFY(app->write("temp.tbr", first));
        QVERIFY(storeSlotArchive(scratchArchivePath(), 2005, 5, 123).ok);
        QCOMPARE(app->read("D2005/W2005005123.tbr"), first);
        QVERIFY(app->write("temp.tbr", second));
        QVERIFY(storeSlotArchive(scratchArchivePath(), 2005, 5, 123).ok);
        QVERIFY(storeSlotArchive(scratchArchivePath(), 2005, 12, 7).ok);
        QCOMPARE(app->read("D2005/W2005005123.tbr"), second);
        QCOMPARE(QDir(app->path("D2005")).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"W2005005123.tbr", "W2005012007.tbr"}));

        QVERIFY(app->write("temp.tbr", QByteArray()));
        const SlotResult empty = storeSlotArchive(scratchArchivePath(), 2005, 5, 123);
        QVERIFY(!empty.ok && !empty.error.isEmpty());
        QVERIFY(QFile::remove(app->path("temp.tbr")));
        QVERIFY(!storeSlotArchive(scratchArchivePath(), 2005, 5, 123).ok);
        QCOMPARE(app->read("D2005/W2005005123.tbr"), second);

        QVERIFY(app->write("temp.tbr", first));
        QVERIFY(app->write("D2006", "a file, not a folder"));
        QVERIFY(!storeSlotArchive(scratchArchivePath(), 2006, 5, 123).ok);
    }

    // Unpacking gives temp.wav back byte for byte; a bad archive leaves no
    // temp.wav, not even an older one. Other entries are never written.
    void extracting_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("whole") << "";
        QTest::newRow("missing") << "missing";
        QTest::newRow("cut short") << "cut";
        QTest::newRow("not an archive") << "garbage";
        QTest::newRow("data changed") << "flipped";
        QTest::newRow("unpacks past the bound") << "huge";
        QTest::newRow("unpacks past the wave bound") << "past wave";
        QTest::newRow("temp.wav twelve times") << "repeated";
        QTest::newRow("empty entry") << "empty";
        QTest::newRow("other entries beside it") << "others";
        QTest::newRow("sparse 30 GB archive") << "sparse";
    }
    void extracting() {
        QFETCH(QString, damage);
        QByteArray wave(20000, Qt::Uninitialized);
        for (int i = 0; i < wave.size(); ++i)
            wave[i] = char((i * 7919) % 251);
        QByteArray tbr = archiveOf(*app, wave);
        QVERIFY(QDir().mkpath(app->path("D2005")));
        if (damage == u"cut")
            tbr.truncate(tbr.size() / 2);
        else if (damage == u"garbage")
            tbr = QByteArray(500, 'x');
        else if (damage == u"flipped")
            tbr[60] = char(tbr[60] ^ 0x55);
        else if (damage == u"huge")
            tbr = archiveOf(*app, {}, 80 << 20); // unpacks to more than any message
        else if (damage == u"past wave")
            tbr = archiveOf(*app, {}, MaxWaveBytes + 1);
        else if (damage == u"repeated")
            tbr = test::fileBytes(TEMBREL_TEST_DATA "/archive/regression/repeated-entry.zip");
        else if (damage == u"empty")
            tbr = pythonArchive(*app, {{"temp.wav", QByteArray()}});
        else if (damage == u"others")
            tbr = pythonArchive(*app, {{"hours.dat", "\"hostile\"\r\n"},
                                       {"temp.wav", wave},
                                       {"D2005/W2005003001.tbr", "x"}});
        if (damage != u"missing")
            QVERIFY(app->write("D2005/W2005005123.tbr", tbr));
        if (damage == u"sparse")
            QVERIFY(QFile::resize(app->path("D2005/W2005005123.tbr"), qint64(30) << 30));
        QVERIFY(!tbr.isEmpty() || damage == u"missing");
        QVERIFY(app->write("temp.wav", "an older message"));
        const SlotResult r = extractSlotArchive(2005, 5, 123);
        QCOMPARE(r.ok, damage.isEmpty() || damage == u"others" || damage == u"repeated");
        QVERIFY(!app->exists("hours.dat") && !app->exists("D2005/W2005003001.tbr"));
        // Of the twelve copies, the first: a megabyte that starts with its number.
        if (damage == u"repeated")
            wave = QByteArray("copy 00 ").repeated(1 << 17);
        if (r.ok)
            QCOMPARE(app->read("temp.wav"), wave);
        else
            QVERIFY(!app->exists("temp.wav") && !r.error.isEmpty());
    }

    // What a write killed half-way left goes the next time the archive writer
    // or reader writes into that folder; other files stay.
    void leftoversGo() {
        const QByteArray wave(3000, 'w');
        QVERIFY(QDir().mkpath(app->path("D2005")));
        QVERIFY(app->write("D2005/W2005005123.tbr", archiveOf(*app, wave)));
        const QStringList leftovers{".temp.wav.tembrel-00000123.tmp",
                                    ".temp.tbr.tembrel-00000009.tmp",
                                    "._2005.dte.tembrel-00000077.tmp"};
        for (const QString &name : leftovers)
            QVERIFY(app->write(name, "half a file"));
        QVERIFY(app->write("notes.tmp", "mine") && app->write("notes.tmpx", "mine too"));
        QVERIFY(extractSlotArchive(2005, 5, 123).ok);
        for (const QString &name : leftovers)
            QVERIFY2(!app->exists(name), qPrintable(name));
        QVERIFY(app->exists("notes.tmp") && app->exists("notes.tmpx"));

        QVERIFY(app->write("pack/.temp.tbr.tembrel-00000005.tmp", "half an archive"));
        QVERIFY(!archiveOf(*app, wave).isEmpty());
        QVERIFY(!app->exists("pack/.temp.tbr.tembrel-00000005.tmp"));
        QCOMPARE(QDir(app->path("pack")).entryList(QDir::Files),
                 (QStringList{"temp.tbr", "temp.wav"}));
    }

    // A removed archive goes to the trash with its name where the desktop has
    // one; where it cannot, it is kept aside until the undo's time is over.
    // Other archives of the year stay.
    void removing_data() {
        QTest::addColumn<bool>("trash");
        QTest::newRow("to the trash") << true;
        QTest::newRow("no trash") << false;
    }
    void removing() {
        QFETCH(bool, trash);
        QVERIFY(QDir().mkpath(app->path("D2005")));
        QVERIFY(app->write("D2005/W2005005123.tbr", "message one"));
        QVERIFY(app->write("D2005/W2005012007.tbr", "message two"));
        // The trash lives in the user's data folder: a fresh one, or one that
        // cannot exist because a file stands where its folder would be.
        QVERIFY(app->write("blocked", "a file"));
        const QString dataHome =
            trash ? app->path("home/.local/share") : app->path("blocked/share");
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        const SlotRemoval r = takeSlotArchive(2005, {5, 123});
        qputenv("XDG_DATA_HOME", saved);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(!app->exists("D2005/W2005005123.tbr"));
        QCOMPARE(app->read("D2005/W2005012007.tbr"), QByteArray("message two"));
        // Where the undo finds it; aside, it is no message to the listing.
        const QString inTrash = dataHome + "/Trash/files/W2005005123.tbr";
        QCOMPARE(trash ? r.trashed : r.keptAside,
                 trash ? inTrash : app->path("D2005/W2005005123.tbr.deleted"));
        QCOMPARE(QFile(trash ? inTrash : r.keptAside).size(), qint64(11));
        QCOMPARE(archivedSlots(2005), (QList<Slot>{{12, 7}}));
        eraseKeptArchive(r);
        QCOMPARE(QFile::exists(inTrash), trash);
        QVERIFY(!app->exists("D2005/W2005005123.tbr.deleted"));
        QVERIFY(takeSlotArchive(2005, {5, 123}).ok); // already gone
    }
};

QTEST_GUILESS_MAIN(TestSlotArchives)
#include "tst_slotarchives.moc"
