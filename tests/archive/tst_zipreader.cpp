// SPDX-License-Identifier: GPL-3.0-or-later
// The archive reader: event sequences, results and the files it leaves, on
// archives from the writer and on archives built field by field.

#include "ZipTestSupport.h"
#include "archive/ZipClass.h"
#include "archive/ZipExtractionClass.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tembrel;
using namespace tembrel::test;

namespace {
const QString Sep = QDir::separator();
}

class TestZipReader final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QString path(const QString &name) const { return m_temp->filePath(name); }
    QString outFolder() const { return path("out"); }
    QString target(const QString &relative) const {
        return outFolder() + Sep + QString(relative).replace('/', Sep);
    }

    // An archive of temp.wav written by ZipClass.
    QString writerArchive(const QByteArray &content) {
        const QString wav = path("source/temp.wav");
        QDir().mkpath(path("source"));
        putFile(wav, content);
        ZipClass zip;
        if (!zip.AddFile(utf8(wav)) || !zip.WriteZip(utf8(path("temp.tbr")), true))
            return {};
        return path("temp.tbr");
    }
    QString rawArchive(const RawArchive &raw, const QString &name = "raw.zip") {
        putFile(path(name), raw.bytes());
        return path(name);
    }
    // Opens and extracts, returning the events from Extract on.
    QStringList extract(const QString &archive, bool preserve = true, bool overwrite = true,
                        bool *result = nullptr, int cancelAt = 0) {
        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.cancelAtProgress = cancelAt;
        log.attach(zip);
        zip.OpenZip(utf8(archive));
        log.lines.clear();
        const bool r = zip.Extract(utf8(outFolder()), preserve, overwrite);
        if (result)
            *result = r;
        zip.Status = nullptr;
        return log.lines;
    }

private slots:
    void init() {
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temp->isValid());
    }

    void writerArchiveRoundTrip() {
        const QByteArray content = soundLikeBytes(120000);
        const QString archive = writerArchive(content);
        QVERIFY(!archive.isEmpty());
        QVERIFY(QDir().mkpath(outFolder()));
        QVERIFY(putFile(target("temp.wav"), "an earlier recording"));

        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(zip.OpenZip(utf8(archive)));
        QVERIFY(zip.Extract(utf8(outFolder()), true, true));
        zip.CloseZip();
        const QStringList expected = {"Status Opening Zip",
                                      "Status Zip Opened",
                                      "Status Extracting Files",
                                      "Status Extracting ..." + Sep + "temp.wav",
                                      "Progress 100",
                                      "Status Extraction Complete",
                                      "Status Zip Closed"};
        QCOMPARE(log.lines, expected);
        QCOMPARE(fileBytes(target("temp.wav")), content);
        QCOMPARE(filesBelow(outFolder()), QStringList{"temp.wav"});
        QVERIFY(!zip.ZLibVersion().empty());
    }

    void existingTargetWithoutOverwrite() {
        const QString archive = writerArchive(soundLikeBytes(5000));
        QVERIFY(QDir().mkpath(outFolder()));
        QVERIFY(putFile(target("temp.wav"), "keep me"));
        bool result = false;
        const QStringList events = extract(archive, true, false, &result);
        QVERIFY(result);
        QCOMPARE(events,
                 (QStringList{"Status Extracting Files", "Status Extracting ..." + Sep + "temp.wav",
                              "ZipError 11 The file " + target("temp.wav") + " already exists",
                              "Progress 100", "Status Extraction Complete"}));
        QCOMPARE(fileBytes(target("temp.wav")), QByteArray("keep me"));
    }

    void openingFailures_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("create");
        QTest::addColumn<int>("number");
        QTest::newRow("missing") << QByteArray() << false << 10;
        QTest::newRow("empty file") << QByteArray() << true << 2;
        QTest::newRow("one byte") << QByteArray("P") << true << 2;
        QTest::newRow("three bytes") << QByteArray("PK\x05") << true << 2;
        QTest::newRow("signature alone") << QByteArray("PK\x05\x06") << true << 2;
        QTest::newRow("wave file")
            << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + soundLikeBytes(4000) << true << 2;
        // An end record whose central directory would lie after it.
        QByteArray late("PK\x05\x06\0\0\0\0\1\0\1\0\x2e\0\0\0\x10\0\0\0\0\0", 22);
        QTest::newRow("impossible end record") << late << true << 2;
    }
    void openingFailures() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, create);
        QFETCH(int, number);
        const QString archive = path("subject.zip");
        if (create)
            QVERIFY(putFile(archive, contents));
        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(!zip.OpenZip(utf8(archive)));
        const QString text = number == 10 ? "The file " + archive + " doesn't exist"
                                          : "The file " + archive + " is not a Zip file";
        QCOMPARE(log.lines, (QStringList{"Status Opening Zip",
                                         "ZipError " + QString::number(number) + " " + text}));
        log.lines.clear();
        QVERIFY(!zip.Extract(utf8(outFolder()), true, true));
        QCOMPARE(log.lines,
                 (QStringList{"Status Extracting Files", "ZipError 3 There is no Zip File Open"}));
        QVERIFY(!QFile::exists(outFolder()));
        log.lines.clear();
        zip.CloseZip();
        // The handle of a file that is not an archive is still closed.
        QCOMPARE(log.lines, create ? QStringList{"Status Zip Closed"} : QStringList{});
    }

    void extractWithoutOpen() {
        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(!zip.Extract(utf8(outFolder()), true, true));
        QCOMPARE(log.lines,
                 (QStringList{"Status Extracting Files", "ZipError 3 There is no Zip File Open"}));
        log.lines.clear();
        zip.CloseZip();
        QVERIFY(log.lines.isEmpty());
    }

    void secondOpenClosesTheFirst() {
        const QString archive = writerArchive("abc");
        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(zip.OpenZip(utf8(archive)));
        QVERIFY(zip.OpenZip(utf8(archive)));
        QVERIFY(zip.Extract(utf8(outFolder()), true, true));
        QVERIFY(zip.Extract(utf8(outFolder()), true, true));
        QCOMPARE(log.lines.mid(0, 4), (QStringList{"Status Opening Zip", "Status Zip Opened",
                                                   "Status Opening Zip", "Status Zip Closed"}));
        QCOMPARE(log.lines.count("Status Extraction Complete"), 2);
        QCOMPARE(fileBytes(target("temp.wav")), QByteArray("abc"));
    }

    void damagedData_data() {
        QTest::addColumn<int>("spoil");
        QTest::newRow("changed byte") << 0;
        QTest::newRow("cut short") << 1;
        QTest::newRow("longer than told") << 2;
        QTest::newRow("wrong crc") << 3;
        QTest::newRow("no compressed bytes") << 4;
        QTest::newRow("huge claimed size") << 5;
        QTest::newRow("no local header") << 6;
        QTest::newRow("local header past the end") << 7;
        QTest::newRow("data past the end") << 8;
        QTest::newRow("stored, shorter than its size") << 9;
    }
    void damagedData() {
        QFETCH(int, spoil);
        const QByteArray content = soundLikeBytes(30000);
        RawEntry e = deflatedEntry("temp.wav", content);
        switch (spoil) {
        case 0:
            e.data[e.data.size() / 2] = char(e.data[e.data.size() / 2] ^ 0x10);
            break;
        case 1:
            e.data.chop(e.data.size() / 3);
            e.compressedSize = std::uint32_t(e.data.size());
            break;
        case 2:
            e.uncompressedSize -= 1;
            break;
        case 3:
            e.crc ^= 1;
            break;
        case 4:
            e.compressedSize = 0;
            e.crc = 0;
            break;
        case 5:
            e.uncompressedSize = 0xFFFFFFFFu;
            break;
        case 6:
            e.localSignature = 0x04034B51;
            break;
        case 7:
            e.localOffset = 0x7FFFFFF0;
            break;
        case 8:
            e.compressedSize = 0xFFFFFFF0u;
            break;
        case 9:
            e = storedEntry("temp.wav", content);
            e.compressedSize = 0;
            break;
        }
        RawArchive raw;
        raw.entries = {e};
        QVERIFY(QDir().mkpath(outFolder()));
        QVERIFY(putFile(target("temp.wav"), "earlier"));
        bool result = false;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(result);
        QCOMPARE(events.filter("ZipError"),
                 QStringList{"ZipError 5 Data checksum error in " + target("temp.wav")});
        // The earlier file stays whole and no piece of the new one is left.
        QCOMPARE(fileBytes(target("temp.wav")), QByteArray("earlier"));
        QCOMPARE(filesBelow(outFolder()), QStringList{"temp.wav"});
    }

    void overlappingEntriesAreRefused() {
        const QByteArray content(200000, 'z'); // deflates some thousand times smaller
        RawArchive raw;
        raw.entries = {deflatedEntry("first.bin", content)};
        for (int i = 0; i < 3; ++i) {
            RawEntry again = deflatedEntry("again" + QByteArray::number(i) + ".bin", content);
            again.data.clear(); // no local block of its own
            again.localOffset = 0;
            raw.entries.push_back(again);
        }
        // The central entries must tell the real compressed size.
        QByteArray b = raw.bytes();
        const qsizetype c = raw.entries[0].compressedSize;
        for (qsizetype at = b.indexOf("PK\x01\x02"); at >= 0;
             at = b.indexOf("PK\x01\x02", at + 1)) {
            for (int k = 0; k < 4; ++k)
                b[at + 20 + k] = char((c >> (8 * k)) & 0xFF);
        }
        // Local size of the copies stays as written by the first block.
        QVERIFY(putFile(path("overlap.zip"), b));
        bool result = false;
        const QStringList events = extract(path("overlap.zip"), true, true, &result);
        QVERIFY(result);
        QCOMPARE(events.filter("ZipError").size(), 3);
        QVERIFY(events.filter("ZipError")[0].startsWith("ZipError 5 Data checksum error in "));
        QCOMPARE(filesBelow(outFolder()), QStringList{"first.bin"});
        QCOMPARE(fileBytes(target("first.bin")), content);
    }

    void storedEntriesAreCopied() {
        const QByteArray content = soundLikeBytes(7777);
        RawEntry e = storedEntry("stored.bin", content);
        e.crc ^= 0xFFFF; // stored data are written without a CRC check
        RawArchive raw;
        raw.entries = {e, deflatedEntry("deflated.bin", content)};
        bool result = false;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(result);
        QVERIFY(events.filter("ZipError").isEmpty());
        QCOMPARE(fileBytes(target("stored.bin")), content);
        QCOMPARE(fileBytes(target("deflated.bin")), content);
    }

    void folderPartOfNames_data() {
        QTest::addColumn<bool>("preserve");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("preserved") << true << QStringList{"a/b/c.txt", "a/d.txt", "e.txt"};
        QTest::newRow("flattened") << false << QStringList{"c.txt", "d.txt", "e.txt"};
    }
    void folderPartOfNames() {
        QFETCH(bool, preserve);
        QFETCH(QStringList, files);
        RawArchive raw;
        raw.entries = {deflatedEntry("a/b/c.txt", "ccc"), deflatedEntry("a/d.txt", "ddd"),
                       storedEntry("e.txt", "eee")};
        bool result = false;
        const QStringList events = extract(rawArchive(raw), preserve, true, &result);
        QVERIFY(result);
        QCOMPARE(filesBelow(outFolder()), files);
        QCOMPARE(fileBytes(outFolder() + "/" + files[0]), QByteArray("ccc"));
        const QString first = preserve ? "a" + Sep + "b" + Sep + "c.txt" : "c.txt";
        QCOMPARE(events.filter("Extracting ...").first(), "Status Extracting ..." + Sep + first);
    }

    void progressCountsEveryEntry_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QStringList>("percents");
        QTest::newRow("four") << 4 << QStringList{"25", "50", "75", "100"};
        QTest::newRow("three") << 3 << QStringList{"33", "67", "100"};
        // 12.5 and 37.5 round to the even neighbour.
        QTest::newRow("eight") << 8 << QStringList{"12", "25", "38", "50", "62", "75", "88", "100"};
    }
    void progressCountsEveryEntry() {
        QFETCH(int, entries);
        QFETCH(QStringList, percents);
        RawArchive raw;
        for (int i = 0; i < entries; ++i)
            raw.entries.push_back(deflatedEntry("f" + QByteArray::number(i), "x"));
        const QStringList events = extract(rawArchive(raw));
        QStringList got;
        for (const QString &line : events.filter("Progress "))
            got << line.mid(9);
        QCOMPARE(got, percents);
        QCOMPARE(filesBelow(outFolder()).size(), entries);
    }

    void directoryEntryGivesProgressOnly() {
        RawArchive raw;
        raw.entries = {storedEntry("folder/", {}), deflatedEntry("folder/f.txt", "f"),
                       storedEntry("empty.txt", {})};
        bool result = false;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(result);
        QCOMPARE(events,
                 (QStringList{"Status Extracting Files", "Progress 33",
                              "Status Extracting ..." + Sep + "folder" + Sep + "f.txt",
                              "Progress 67", "Progress 100", "Status Extraction Complete"}));
        QCOMPARE(filesBelow(outFolder()), QStringList{"folder/f.txt"});
    }

    void cancelAtTheFirstProgress() {
        RawArchive raw;
        raw.entries = {deflatedEntry("one", "1"), deflatedEntry("two", "2"),
                       deflatedEntry("three", "3")};
        bool result = true;
        const QStringList events = extract(rawArchive(raw), true, true, &result, 1);
        QVERIFY(!result);
        QCOMPARE(events, (QStringList{"Status Extracting Files",
                                      "Status Extracting ..." + Sep + "one", "Progress 33"}));
        QCOMPARE(filesBelow(outFolder()), QStringList{"one"});
    }

    void unsupportedMethod() {
        RawEntry e = deflatedEntry("temp.wav", "some data");
        e.method = 12;
        e.localName = "local-name.wav";
        RawArchive raw;
        raw.entries = {e, deflatedEntry("next.txt", "next")};
        bool result = false;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(result);
        QCOMPARE(
            events.filter("ZipError"),
            QStringList{"ZipError 4 The compression Method for local-name.wav is unsupported"});
        QCOMPARE(filesBelow(outFolder()), QStringList{"next.txt"});
    }

    void namesLeavingTheFolderAreRefused_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("parent") << QByteArray("../evil.txt");
        QTest::newRow("deeper parent") << QByteArray("a/../../evil.txt");
        QTest::newRow("ends in parent") << QByteArray("a/..");
        QTest::newRow("absolute") << QByteArray("/tmp/evil.txt");
        QTest::newRow("drive") << QByteArray("C:/evil.txt");
        QTest::newRow("drive relative") << QByteArray("C:evil.txt");
        QTest::newRow("backslash parent") << QByteArray("..\\evil.txt");
        QTest::newRow("backslash absolute") << QByteArray("\\evil.txt");
        QTest::newRow("folder with data") << QByteArray("a/");
        QTest::newRow("embedded nul") << QByteArray("ok.txt\0/../x", 12);
    }
    void namesLeavingTheFolderAreRefused() {
        QFETCH(QByteArray, name);
        RawArchive raw;
        raw.entries = {deflatedEntry(name, "evil"), deflatedEntry("good.txt", "good")};
        QVERIFY(QDir().mkpath(path("out")));
        bool result = false;
        const QStringList events = extract(rawArchive(raw, "hostile.zip"), true, true, &result);
        QVERIFY(result);
        const QStringList errors = events.filter("ZipError");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith("ZipError 6 The entry name "), qPrintable(errors[0]));
        QVERIFY(errors[0].endsWith(" is not allowed"));
        QCOMPARE(filesBelow(outFolder()), QStringList{"good.txt"});
        QCOMPARE(filesBelow(m_temp->path()), (QStringList{"hostile.zip", "out/good.txt"}));
        QVERIFY(!QFile::exists("/tmp/evil.txt") || fileBytes("/tmp/evil.txt") != "evil");
    }

    void centralDirectoryCutShort_data() {
        QTest::addColumn<int>("spoil");
        QTest::newRow("bad signature") << 0;
        QTest::newRow("more entries than written") << 1;
        QTest::newRow("offset into the data") << 2;
    }
    void centralDirectoryCutShort() {
        QFETCH(int, spoil);
        RawArchive raw;
        raw.entries = {deflatedEntry("first.txt", "1"), deflatedEntry("second.txt", "2")};
        if (spoil == 0)
            raw.entries[1].centralSignature = 0x02014B51;
        else if (spoil == 1)
            raw.totalEntries = 65535;
        else if (spoil == 2)
            raw.directoryOffset =
                raw.bytes().size() - 22 - (46 + 9) - (46 + 10) - 5; // into the data
        const QString archive = rawArchive(raw);
        bool result = true;
        const QStringList events = extract(archive, true, true, &result);
        QVERIFY(!result);
        QVERIFY(!events.contains("Status Extraction Complete"));
        QCOMPARE(events.filter("ZipError"),
                 QStringList{"ZipError 2 The file " + archive + " is not a Zip file"});
        // Entries before the damage are still written.
        const QStringList expected[] = {{"first.txt"}, {"first.txt", "second.txt"}, {}};
        QCOMPARE(filesBelow(outFolder()), expected[spoil]);
    }

    void differentDisksExtractNothing() {
        RawArchive raw;
        raw.entries = {deflatedEntry("a.txt", "a")};
        raw.thisDisk = 1;
        bool result = true;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(!result);
        QCOMPARE(events, (QStringList{"Status Extracting Files", "Status Extraction Complete"}));
        QCOMPARE(filesBelow(outFolder()), QStringList{});
    }

    void commentHoldingTheSignature() {
        RawArchive raw;
        raw.entries = {deflatedEntry("a.txt", "aaa")};
        raw.comment = QByteArray("note PK\x05\x06 inside", 18);
        bool result = false;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(result);
        QVERIFY(events.filter("ZipError").isEmpty());
        QCOMPARE(fileBytes(target("a.txt")), QByteArray("aaa"));
    }

    void targetFolderHandling() {
        const QString archive = writerArchive("abc");
        // One missing level is created ...
        bool result = false;
        extract(archive, true, true, &result);
        QVERIFY(result);
        QCOMPARE(fileBytes(target("temp.wav")), QByteArray("abc"));
        // ... two are not.
        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(zip.OpenZip(utf8(archive)));
        const QString deep = path("x") + Sep + "y";
        QVERIFY(!zip.Extract(utf8(deep), true, true));
        QCOMPARE(log.lines.last(), "ZipError 13 Can't create the folder " + deep);
        // A file where an entry's folder belongs stops the extraction.
        RawArchive raw;
        raw.entries = {deflatedEntry("temp.wav/inner.txt", "x")};
        result = true;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(!result);
        QCOMPARE(events.last(),
                 "ZipError 13 Can't create the folder " + outFolder() + Sep + "temp.wav");
    }

    void unreplaceableTarget() {
        // A folder stands where the file should go.
        RawArchive raw;
        raw.entries = {deflatedEntry("busy", "x"), deflatedEntry("after", "y")};
        QVERIFY(QDir().mkpath(target("busy")));
        bool result = true;
        const QStringList events = extract(rawArchive(raw), true, true, &result);
        QVERIFY(!result);
        QCOMPARE(events.filter("ZipError"),
                 QStringList{"ZipError 7 Can't write the file " + target("busy")});
        QCOMPARE(filesBelow(outFolder()), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestZipReader)
#include "tst_zipreader.moc"
