// SPDX-License-Identifier: GPL-3.0-or-later
// The archive reader: event sequences, results and the files it leaves, on
// archives from the writer and on archives built field by field.

#include "ZipTestSupport.h"
#include "archive/ZipClass.h"
#include "archive/ZipExtractionClass.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace tembrel;
using namespace tembrel::test;

Q_DECLARE_METATYPE(tembrel::test::RawArchive)

const QString Sep = QDir::separator();

class TestZipReader final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    bool m_opened = false, m_result = false; // of the last extract()
    QString path(const QString &name) const { return m_temp->filePath(name); }
    QString out() const { return path("out"); }
    QString target(const QString &relative) const {
        return out() + Sep + QString(relative).replace('/', Sep);
    }
    QString archive(const RawArchive &raw, const QString &name = "raw.zip") {
        putFile(path(name), raw.bytes());
        return path(name);
    }
    QStringList extract(const QString &archive, bool preserve = true, int cancelAt = 0,
                        const QString &folder = {}) {
        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.cancelAtProgress = cancelAt;
        log.attach(zip);
        m_opened = zip.OpenZip(archive.toStdString());
        m_result = zip.Extract((folder.isEmpty() ? out() : folder).toStdString(), preserve, true);
        zip.CloseZip();
        return log.lines;
    }
    static RawEntry good(const QByteArray &name) { return entry(name, name); }

private slots:
    void init() {
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temp->isValid());
    }

    // On an archive of the writer: a second open closes the first, and without
    // Overwrite the file is kept. (Read back whole: tst_slotarchives, tst_zipinterop.)
    void reopenedWithoutOverwrite() {
        QVERIFY(putFile(path("temp.wav"), soundLikeBytes(120000)));
        ZipClass writer;
        QVERIFY(writer.AddFile(path("temp.wav").toStdString()));
        const std::string tbr = path("temp.tbr").toStdString();
        QVERIFY(writer.WriteZip(tbr));
        QVERIFY(QDir().mkpath(out()));
        QVERIFY(putFile(target("temp.wav"), "keep me"));
        EventLog log; // outlives zip, whose destructor reports "Zip Closed"
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(zip.OpenZip(tbr) && zip.OpenZip(tbr));
        QVERIFY(zip.Extract(out().toStdString(), true, false));
        QCOMPARE(log.lines,
                 (QStringList{"Status Opening Zip", "Status Zip Opened", "Status Opening Zip",
                              "Status Zip Closed", "Status Zip Opened", "Status Extracting Files",
                              "Status Extracting ..." + Sep + "temp.wav",
                              "ZipError 11 The file " + target("temp.wav") + " already exists",
                              "Progress 100", "Status Extraction Complete"}));
        QCOMPARE(fileBytes(target("temp.wav")), QByteArray("keep me"));
    }

    void openingFailures_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("number");
        QTest::newRow("missing") << QByteArray() << 10;
        QTest::newRow("empty file") << QByteArray("") << 2;
        QTest::newRow("wave file")
            << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + soundLikeBytes(4000) << 2;
        // An end record whose central directory would lie after it.
        QTest::newRow("impossible end record")
            << QByteArray("PK\x05\x06\0\0\0\0\1\0\1\0\x2e\0\0\0\x10\0\0\0\0\0", 22) << 2;
    }
    void openingFailures() {
        QFETCH(QByteArray, contents);
        QFETCH(int, number);
        const QString file = path("subject.zip");
        if (!contents.isNull())
            QVERIFY(putFile(file, contents));
        const QString text = number == 10 ? " doesn't exist" : " is not a Zip file";
        QStringList expected{"Status Opening Zip",
                             "ZipError " + QString::number(number) + " The file " + file + text,
                             "Status Extracting Files", "ZipError 3 There is no Zip File Open"};
        if (number == 2)
            expected << "Status Zip Closed"; // the file was open all the same
        QCOMPARE(extract(file), expected);
        QVERIFY(!m_opened && !m_result);
        QVERIFY(!QFile::exists(out()));
    }

    // Damaged, hostile and unusual archives; good entries hold their own name and
    // out/temp.wav "earlier" must stay. In errors %o is out/ (native), %a the archive.
    void faultyArchives_data() {
        QTest::addColumn<RawArchive>("raw");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QStringList>("files");
        const QStringList next{"next.txt"}, noFiles;
        const auto damaged = [&](const char *row, const std::function<void(RawEntry &)> &spoil,
                                 const QString &error = "5 Data checksum error in %otemp.wav") {
            RawEntry e = entry("temp.wav", soundLikeBytes(30000));
            spoil(e);
            QTest::newRow(row) << RawArchive({e, good("next.txt")}) << true << QStringList{error}
                               << next;
        };
        damaged("changed byte", [](RawEntry &e) { e.data[e.data.size() / 2] ^= 0x10; });
        damaged("cut short", [](RawEntry &e) {
            e.data.chop(e.data.size() / 3);
            e.compressedSize = std::uint32_t(e.data.size());
        });
        damaged("longer than told", [](RawEntry &e) { e.uncompressedSize -= 1; });
        damaged("wrong crc", [](RawEntry &e) { e.crc ^= 1; });
        damaged("no compressed bytes", [](RawEntry &e) { e.compressedSize = 0; });
        // A claimed size past any message is refused before a byte is written.
        damaged(
            "huge claimed size", [](RawEntry &e) { e.uncompressedSize = 0xFFFFFFFFu; },
            "5 The entry temp.wav is larger than any message");
        damaged("no local header", [](RawEntry &e) { e.localSignature += 1; });
        damaged("local header past the end", [](RawEntry &e) { e.localOffset = 0x7FFFFFF0; });
        damaged("data past the end", [](RawEntry &e) { e.compressedSize = 0xFFFFFFF0u; });
        damaged("stored, shorter than its size", [](RawEntry &e) {
            e = entry("temp.wav", soundLikeBytes(30000), false);
            e.compressedSize = 0;
        });

        // Central entries sharing one local block would unpack it again and again;
        // the long name makes that block larger than the other local headers.
        const QByteArray shared = "shared-" + QByteArray(150, 'x');
        RawArchive overlap({good(shared)});
        QStringList overlapErrors;
        for (const QByteArray name : {"again0", "again1", "again2"}) {
            overlap.entries.push_back(entry(name, shared));
            overlap.entries.back().data.clear();
            overlap.entries.back().localOffset = 0;
            overlapErrors << "5 Data checksum error in %o" + name;
        }
        QTest::newRow("overlapping entries")
            << overlap << true << overlapErrors << QStringList{shared};

        damaged(
            "unsupported method",
            [](RawEntry &e) { e.method = 12, e.localName = "local-name.wav"; },
            "4 The compression Method for local-name.wav is unsupported");

        QByteArrayList hostile{"../evil.txt",   "a/../../evil.txt", "a/..",
                               "/tmp/evil.txt", "C:/evil.txt",      "C:evil.txt",
                               "..\\evil.txt",  "\\evil.txt",       "a/"};
        hostile << QByteArray("ok.txt\0/../x", 12);
        for (const QByteArray &name : hostile) {
            QTest::newRow(("hostile " + name).constData())
                << RawArchive({entry(name, "evil"), good("next.txt")}) << true
                << QStringList{"6 The entry name " + QString::fromUtf8(name) + " is not allowed"}
                << next;
        }

        // Entries before a damaged central directory are still written.
        const auto cut = [](const char *row, const std::function<void(RawArchive &)> &spoil,
                            const QStringList &files) {
            RawArchive raw({good("first.txt"), good("second.txt")});
            spoil(raw);
            QTest::newRow(row) << raw << false << QStringList{"2 The file %a is not a Zip file"}
                               << files;
        };
        cut("bad central signature", [](RawArchive &a) { a.entries[1].centralSignature += 1; },
            {"first.txt"});
        cut("more entries than written", [](RawArchive &a) { a.totalEntries = 65535; },
            {"first.txt", "second.txt"});
        cut("directory offset into the entries",
            [](RawArchive &a) { a.directoryOffset = 30 + 9 + a.entries[0].data.size() + 5; }, {});

        RawArchive disk({good("a.txt")});
        disk.thisDisk = 1;
        QTest::newRow("different disks") << disk << false << noFiles << noFiles;
        RawArchive comment({good("a.txt")});
        // An empty end record in the comment, but its own comment would run past the end.
        comment.comment =
            "note " + QByteArray("PK\x05\x06", 4) + QByteArray(16, '\0') + "\xff\xff inside";
        QTest::newRow("comment holding the end signature")
            << comment << true << noFiles << QStringList{"a.txt"};
        // A folder stands where a file should go, a file where a folder should.
        QTest::newRow("folder in the way")
            << RawArchive({good("busy/inner.txt"), good("busy"), good("after")}) << false
            << QStringList{"7 Can't write the file %obusy"} << QStringList{"busy/inner.txt"};
        QTest::newRow("file in the way")
            << RawArchive({good("temp.wav/inner.txt"), good("after")}) << false
            << QStringList{"13 Can't create the folder %otemp.wav"} << noFiles;
    }
    void faultyArchives() {
        QFETCH(RawArchive, raw);
        QFETCH(QStringList, errors);
        QFETCH(QStringList, files);
        QVERIFY(QDir().mkpath(out()));
        QVERIFY(putFile(target("temp.wav"), "earlier"));
        const QStringList events = extract(archive(raw));
        QVERIFY(m_opened);
        QTEST(m_result, "result");
        for (QString &e : errors)
            e = "ZipError " +
                e.replace('/', Sep).replace("%o", out() + Sep).replace("%a", path("raw.zip"));
        QCOMPARE(events.filter("ZipError "), errors);
        // Nothing lands outside the folder, no temporary file is left behind.
        QStringList all{"out/temp.wav", "raw.zip"};
        for (const QString &f : files)
            all << "out/" + f;
        all.sort();
        QCOMPARE(filesBelow(m_temp->path()), all);
        QCOMPARE(fileBytes(target("temp.wav")), QByteArray("earlier"));
        for (const QString &f : files)
            QCOMPARE(fileBytes(target(f)), f.toUtf8());
    }

    // Event sequences word for word: in `steps` a number is a Progress percentage,
    // else a name "Extracting ..." announces, written holding that name, and no other.
    void eventSequences_data() {
        QTest::addColumn<RawArchive>("raw");
        QTest::addColumn<bool>("preserve");
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<QStringList>("steps");
        const auto counted = [](const char *row, const QStringList &percents) {
            RawArchive raw;
            QStringList steps;
            for (const QString &p : percents) {
                raw.entries.push_back(good("f" + p.toUtf8()));
                steps << "f" + p << p;
            }
            QTest::newRow(row) << raw << true << 0 << steps;
        };
        counted("three entries", {"33", "67", "100"});
        counted("eight entries, halves to even", {"12", "25", "38", "50", "62", "75", "88", "100"});
        QTest::newRow("directory entry and empty file")
            << RawArchive({entry("folder/", {}, false), good("folder/f.txt"),
                           entry("empty.txt", {}, false)})
            << true << 0 << QStringList{"33", "folder/f.txt", "67", "100"};
        const RawArchive tree =
            RawArchive({good("a/b/c.txt"), good("a/d.txt"), entry("e.txt", "e.txt", false)});
        QTest::newRow("folders preserved")
            << tree << true << 0 << QStringList{"a/b/c.txt", "33", "a/d.txt", "67", "e.txt", "100"};
        QTest::newRow("folders dropped")
            << tree << false << 0 << QStringList{"c.txt", "33", "d.txt", "67", "e.txt", "100"};
        // The end record of an archive stored inside is not the outer one.
        RawArchive inner({good("x")});
        inner.comment = "inner.zip"; // so that its bytes end with the entry's name
        QTest::newRow("archive stored in an archive")
            << RawArchive({entry("inner.zip", inner.bytes(), false)}) << true << 0
            << QStringList{"inner.zip", "100"};
        QTest::newRow("cancel at the first progress")
            << RawArchive({good("one"), good("two"), good("three")}) << true << 1
            << QStringList{"one", "33"};
    }
    void eventSequences() {
        QFETCH(RawArchive, raw);
        QFETCH(bool, preserve);
        QFETCH(int, cancelAt);
        QFETCH(QStringList, steps);
        QStringList events{"Status Opening Zip", "Status Zip Opened", "Status Extracting Files"};
        QStringList files;
        for (const QString &s : steps) {
            if (s.toInt() > 0) {
                events << "Progress " + s;
            } else {
                events << "Status Extracting ..." + Sep + QString(s).replace('/', Sep);
                files << s;
            }
        }
        if (cancelAt == 0)
            events << "Status Extraction Complete";
        events << "Status Zip Closed";
        // The target folder is missing: one level is created.
        QCOMPARE(extract(archive(raw), preserve, cancelAt), events);
        QCOMPARE(m_result, cancelAt == 0);
        files.sort();
        QCOMPARE(filesBelow(out()), files);
        for (const QString &f : files)
            QVERIFY(fileBytes(target(f)).endsWith(f.toUtf8()));
    }

    void twoMissingFoldersAreNotCreated() {
        const QString deep = path("x") + Sep + "y";
        QCOMPARE(extract(archive(RawArchive({good("a")})), true, 0, deep),
                 (QStringList{"Status Opening Zip", "Status Zip Opened", "Status Extracting Files",
                              "ZipError 13 Can't create the folder " + deep, "Status Zip Closed"}));
        QVERIFY(!m_result);
        QVERIFY(!QFile::exists(path("x")));
    }
};

QTEST_GUILESS_MAIN(TestZipReader)
#include "tst_zipreader.moc"
