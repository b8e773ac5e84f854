// SPDX-License-Identifier: GPL-3.0-or-later
// The archive writer against the byte layout it must produce.

#include "ZipTestSupport.h"
#include "archive/ZipClass.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <memory>

using namespace tembrel;
using namespace tembrel::test;

class TestZipWriter final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QString path(const QString &name) const { return m_temp->filePath(name); }
    // A source file with the given bytes, stamped at the given local moment.
    QString source(const QString &name, const QByteArray &bytes,
                   const QDateTime &stamp = QDateTime(QDate(2006, 2, 21), QTime(13, 45, 31))) {
        const QString p = path(name);
        if (!putFile(p, bytes))
            return {};
        QFile f(p);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(stamp, QFileDevice::FileModificationTime);
        return p;
    }

private slots:
    void init() {
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temp->isValid());
    }

    void emptyArchiveIsTheEndRecord_data() {
        QTest::addColumn<QByteArray>("comment");
        QTest::newRow("no comment") << QByteArray();
        QTest::newRow("comment") << QByteArray("voice archive");
    }
    void emptyArchiveIsTheEndRecord() {
        QFETCH(QByteArray, comment);
        ZipClass zip;
        if (!comment.isEmpty())
            zip.Comment(comment.toStdString());
        QVERIFY(zip.WriteZip(utf8(path("empty.zip"))));
        const QByteArray b = fileBytes(path("empty.zip"));
        QCOMPARE(b.size(), 22 + comment.size());
        QCOMPARE(le32(b, 0), 0x06054B50u);
        for (int at : {4, 6, 8, 10})
            QCOMPARE(le16(b, at), 0u);
        QCOMPARE(le32(b, 12), 0u);
        QCOMPARE(le32(b, 16), 0u);
        QCOMPARE(le16(b, 20), std::uint32_t(comment.size()));
        QCOMPARE(b.mid(22), comment);
    }

    void dosDateAndTimeKeepTheirFields_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("time");
        QTest::newRow("2006-02-21 13:45:31")
            << 2006 << 2 << 21 << 13 << 45 << 31 << 0x3455 << 0x6DAF;
        QTest::newRow("start of the era") << 1980 << 1 << 1 << 0 << 0 << 0 << 0x0021 << 0x0000;
        QTest::newRow("last moment") << 2107 << 12 << 31 << 23 << 59 << 59 << 0xFF9F << 0xBF7D;
        // Fields wider than their bits lose the high bits and leave the
        // neighbours alone.
        QTest::newRow("year 128 wraps") << 2108 << 3 << 4 << 0 << 0 << 0 << 0x0064 << 0x0000;
        QTest::newRow("day 33 wraps") << 2000 << 1 << 33 << 0 << 0 << 0 << 0x2821 << 0x0000;
        QTest::newRow("month 16 wraps") << 2000 << 16 << 1 << 0 << 0 << 0 << 0x2801 << 0x0000;
        QTest::newRow("hour 32 wraps") << 2000 << 1 << 1 << 32 << 7 << 10 << 0x2821 << 0x00E5;
        QTest::newRow("minute 64 wraps") << 2000 << 1 << 1 << 1 << 64 << 0 << 0x2821 << 0x0800;
        QTest::newRow("second 64 wraps") << 2000 << 1 << 1 << 0 << 1 << 64 << 0x2821 << 0x0020;
    }
    void dosDateAndTimeKeepTheirFields() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(int, date);
        QFETCH(int, time);
        std::tm m{};
        m.tm_year = year - 1900;
        m.tm_mon = month - 1;
        m.tm_mday = day;
        m.tm_hour = hour;
        m.tm_min = minute;
        m.tm_sec = second;
        QCOMPARE(int(ZipFile::DosDate(m)), date);
        QCOMPARE(int(ZipFile::DosTime(m)), time);
    }

    void bitHelpers() {
        std::uint8_t b = 0;
        ZipFile::SetBit(b, 0);
        ZipFile::SetBit(b, 7);
        ZipFile::SetBit(b, 7);
        QCOMPARE(int(b), 0x81);
        QVERIFY(ZipFile::TestBit(0x40000000, 30));
        QVERIFY(!ZipFile::TestBit(0x40000000, 29));
        QVERIFY(ZipFile::TestBit(-1, 31));
    }

    void oneEntryArchiveLayout() {
        const QByteArray content = soundLikeBytes(50000);
        const QString wav = source("temp.wav", content);
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(wav)));
        QCOMPARE(zip.FileCount(), 1);
        QVERIFY(zip.WriteZip(utf8(path("temp.tbr"))));
        const QByteArray b = fileBytes(path("temp.tbr"));

        const std::uint32_t c = le32(b, 18);
        QCOMPARE(qsizetype(b.size()), qsizetype(114 + c));
        // Local header.
        QCOMPARE(le32(b, 0), 0x04034B50u);
        QCOMPARE(le16(b, 4), 20u);
        QCOMPARE(le16(b, 6), 2u);
        QCOMPARE(le16(b, 8), 8u);
        QCOMPARE(le16(b, 10), 0x6DAFu);
        QCOMPARE(le16(b, 12), 0x3455u);
        QCOMPARE(le32(b, 14), crcOf(content));
        QCOMPARE(le32(b, 22), std::uint32_t(content.size()));
        QCOMPARE(le16(b, 26), 8u);
        QCOMPARE(le16(b, 28), 0u);
        QCOMPARE(b.mid(30, 8), QByteArray("temp.wav"));
        // The data are zlib's compress output without its header and trailer.
        uLongf streamLength = compressBound(uLong(content.size()));
        QByteArray stream(qsizetype(streamLength), '\0');
        QCOMPARE(compress(reinterpret_cast<Bytef *>(stream.data()), &streamLength,
                          reinterpret_cast<const Bytef *>(content.constData()),
                          uLong(content.size())),
                 Z_OK);
        QCOMPARE(qsizetype(c), qsizetype(streamLength - 6));
        const QByteArray data = b.mid(38, c);
        QCOMPARE(data, stream.mid(2, qsizetype(streamLength - 6)));
        QCOMPARE(rawInflate(data, content.size()), content);
        // Central directory entry.
        const qsizetype cd = 38 + c;
        QCOMPARE(le32(b, cd), 0x02014B50u);
        QCOMPARE(le16(b, cd + 4), 20u);
        QCOMPARE(le16(b, cd + 6), 20u);
        QCOMPARE(le16(b, cd + 8), 2u);
        QCOMPARE(le16(b, cd + 10), 8u);
        QCOMPARE(le16(b, cd + 12), 0x6DAFu);
        QCOMPARE(le16(b, cd + 14), 0x3455u);
        QCOMPARE(le32(b, cd + 16), crcOf(content));
        QCOMPARE(le32(b, cd + 20), c);
        QCOMPARE(le32(b, cd + 24), std::uint32_t(content.size()));
        QCOMPARE(le16(b, cd + 28), 8u);
        QCOMPARE(le16(b, cd + 30), 0u);
        QCOMPARE(le16(b, cd + 32), 0u);
        QCOMPARE(le16(b, cd + 34), 0u);
        QCOMPARE(le16(b, cd + 36), 32u);
        QCOMPARE(le32(b, cd + 38), 0u);
        QCOMPARE(le32(b, cd + 42), 0u);
        QCOMPARE(b.mid(cd + 46, 8), QByteArray("temp.wav"));
        // End record.
        const qsizetype end = 92 + c;
        QCOMPARE(le32(b, end), 0x06054B50u);
        QCOMPARE(le16(b, end + 8), 1u);
        QCOMPARE(le16(b, end + 10), 1u);
        QCOMPARE(le32(b, end + 12), 54u);
        QCOMPARE(le32(b, end + 16), std::uint32_t(cd));
        QCOMPARE(le16(b, end + 20), 0u);
    }

    void entriesFollowOneAnother() {
        const QByteArray first = soundLikeBytes(3000, 1), second = soundLikeBytes(7000, 2);
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(source("one.wav", first)), "renamed-first.wav", "a comment"));
        QVERIFY(zip.AddFile(utf8(source("two.wav", second))));
        zip.Comment("archive note");
        QCOMPARE(zip.FileCount(), 2);
        QVERIFY(zip.WriteZip(utf8(path("two.zip"))));
        const QByteArray b = fileBytes(path("two.zip"));

        const std::uint32_t c1 = le32(b, 18);
        QCOMPARE(le16(b, 26), 17u);
        QCOMPARE(b.mid(30, 17), QByteArray("renamed-first.wav"));
        const qsizetype second_local = 30 + 17 + c1;
        QCOMPARE(le32(b, second_local), 0x04034B50u);
        QCOMPARE(b.mid(second_local + 30, 7), QByteArray("two.wav"));
        const std::uint32_t c2 = le32(b, second_local + 18);
        const qsizetype cd = second_local + 30 + 7 + c2;
        // First central entry: renamed, with its comment.
        QCOMPARE(le16(b, cd + 28), 17u);
        QCOMPARE(le16(b, cd + 32), 9u);
        QCOMPARE(le32(b, cd + 42), 0u);
        QCOMPARE(b.mid(cd + 46, 17 + 9), QByteArray("renamed-first.wava comment"));
        const qsizetype cd2 = cd + 46 + 17 + 9;
        QCOMPARE(le32(b, cd2), 0x02014B50u);
        QCOMPARE(le32(b, cd2 + 42), std::uint32_t(second_local));
        QCOMPARE(le16(b, cd2 + 32), 0u);
        const qsizetype end = cd2 + 46 + 7;
        QCOMPARE(le32(b, end), 0x06054B50u);
        QCOMPARE(le16(b, end + 8), 2u);
        QCOMPARE(le32(b, end + 12), std::uint32_t(end - cd));
        QCOMPARE(le32(b, end + 16), std::uint32_t(cd));
        QCOMPARE(b.mid(end + 22), QByteArray("archive note"));
        QCOMPARE(le16(b, end + 20), 12u);
    }

    void baseNameSplitsAtTheSeparator_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        const QString s = QDir::separator();
        QTest::newRow("folders") << "a" + s + "b" + s + "temp.wav"
                                 << "temp.wav";
        QTest::newRow("no separator") << "temp.wav"
                                      << "temp.wav";
        QTest::newRow("trailing separator") << "a" + s << "";
        QTest::newRow("root") << s + "x.wav"
                              << "x.wav";
    }
    void baseNameSplitsAtTheSeparator() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(ZipFile::BaseName(utf8(path))), name);
    }

    void pathWithoutSeparatorStoresTheWholePath() {
        source("plain.wav", "abcabcabc");
        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_temp->path()));
        ZipClass zip;
        const bool added = zip.AddFile("plain.wav");
        QDir::setCurrent(old);
        QVERIFY(added);
        QVERIFY(zip.WriteZip(utf8(path("plain.zip"))));
        const QByteArray b = fileBytes(path("plain.zip"));
        QCOMPARE(le16(b, 26), 9u);
        QCOMPARE(b.mid(30, 9), QByteArray("plain.wav"));
    }

    void addFileRefusesWhatItCannotStore_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("folder") << "folder";
    }
    void addFileRefusesWhatItCannotStore() {
        QFETCH(QString, what);
        QString p = path("subject-" + what);
        if (what == "empty")
            QVERIFY(putFile(p, {}));
        else if (what == "folder")
            QVERIFY(QDir().mkpath(p));
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(source("good.wav", "good"))));
        QVERIFY(!zip.AddFile(utf8(p)));
        QCOMPARE(zip.FileCount(), 1);
    }

    void entryIsFixedAtAddFile() {
        const QString wav = source("fixed.wav", soundLikeBytes(20000));
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(wav)));
        QVERIFY(zip.WriteZip(utf8(path("first.zip")), true));
        // Changing, restamping or deleting the source reaches no archive.
        source("fixed.wav", "different", QDateTime(QDate(2020, 5, 5), QTime(1, 2, 3)));
        QVERIFY(zip.WriteZip(utf8(path("second.zip")), true));
        QFile::remove(wav);
        QVERIFY(zip.WriteZip(utf8(path("second.zip")), true));
        QCOMPARE(fileBytes(path("second.zip")), fileBytes(path("first.zip")));
        QVERIFY(fileBytes(path("first.zip")).size() > 114);
    }

    void overwriteDecidesAboutAnExistingFile() {
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(source("x.wav", soundLikeBytes(1000)))));
        const QString target = path("target.tbr");
        QVERIFY(putFile(target, "old contents"));
        QVERIFY(!zip.WriteZip(utf8(target)));
        QVERIFY(!zip.WriteZip(utf8(target), false));
        QCOMPARE(fileBytes(target), QByteArray("old contents"));
        QVERIFY(zip.WriteZip(utf8(target), true));
        const QByteArray b = fileBytes(target);
        QCOMPARE(le32(b, 0), 0x04034B50u);
        QCOMPARE(qsizetype(b.size()), qsizetype(98 + 2 * 5 + le32(b, 18)));
        // Only the archive and its source are left: no temporary file.
        QCOMPARE(QDir(m_temp->path()).entryList({"target*"}, QDir::Files | QDir::Hidden),
                 QStringList{"target.tbr"});
    }

    void unwritableTargetFails() {
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(source("y.wav", "data"))));
        QVERIFY(!zip.WriteZip(utf8(path("no-such-folder/out.zip"))));
        QVERIFY(!QFile::exists(path("no-such-folder")));
        QVERIFY(QDir().mkpath(path("a-folder.zip")));
        QVERIFY(!zip.WriteZip(utf8(path("a-folder.zip")), true));
    }

    void oldTimeStampStartsTheEra() {
        ZipClass zip;
        QVERIFY(
            zip.AddFile(utf8(source("old.wav", "old", QDateTime(QDate(1975, 6, 1), QTime(8, 0))))));
        QVERIFY(zip.WriteZip(utf8(path("old.zip"))));
        const QByteArray b = fileBytes(path("old.zip"));
        QCOMPARE(le16(b, 12), 0x0021u);
        QCOMPARE(le16(b, 10), 0u);
    }
};

QTEST_GUILESS_MAIN(TestZipWriter)
#include "tst_zipwriter.moc"
