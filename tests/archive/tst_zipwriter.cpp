// SPDX-License-Identifier: GPL-3.0-or-later
// The archive writer: its fields, the entries it takes, what it replaces. The
// bytes of whole archives are checked by the real tools (tst_zipinterop).

#include "ZipTestSupport.h"
#include "archive/ZipClass.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tembrel;
using namespace tembrel::test;

class TestZipWriter final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    std::string path(const QString &name) const { return m_temp->filePath(name).toStdString(); }
    QByteArray bytes(const QString &name) const { return fileBytes(m_temp->filePath(name)); }
    std::string source(const QString &name, const QByteArray &bytes,
                       const QDateTime &stamp = QDateTime(QDate(2006, 2, 21), QTime(13, 45, 31))) {
        const QString file = m_temp->filePath(name);
        return putFile(file, bytes) && setModified(file, stamp) ? path(name) : std::string();
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
        zip.Comment(comment.toStdString());
        QVERIFY(zip.WriteZip(path("empty.zip")));
        QCOMPARE(bytes("empty.zip"), QByteArray("PK\x05\x06", 4) + QByteArray(16, '\0') +
                                         char(comment.size()) + '\0' + comment);
    }

    // Fields wider than their bits lose the high bits and leave the neighbours
    // alone ("every field wraps": each wraps to a small value).
    void dosDateAndTimeKeepTheirFields_data() {
        QTest::addColumn<QList<int>>("moment"); // second, minute, hour, day, month, year
        QTest::addColumn<int>("date");
        QTest::addColumn<int>("time");
        QTest::newRow("last moment") << QList<int>{59, 59, 23, 31, 12, 2107} << 0xFF9F << 0xBF7D;
        QTest::newRow("every field wraps")
            << QList<int>{66, 66, 33, 34, 18, 2109} << 0x0242 << 0x0841;
    }
    void dosDateAndTimeKeepTheirFields() {
        QFETCH(QList<int>, moment);
        std::tm m{moment[0], moment[1], moment[2], moment[3], moment[4] - 1, moment[5] - 1900};
        QTEST(int(ZipFile::DosDate(m)), "date");
        QTEST(int(ZipFile::DosTime(m)), "time");
    }

    void oldTimeStampStartsTheEra() {
        ZipClass zip;
        QVERIFY(zip.AddFile(source("old.wav", "old", QDateTime(QDate(1975, 6, 1), QTime(8, 0)))));
        QVERIFY(zip.WriteZip(path("old.zip")));
        QCOMPARE(le32(bytes("old.zip"), 10), 0x00210000u); // time 0, date 1980-01-01
    }

    void addFileRefusesWhatItCannotStore() {
        QVERIFY(putFile(m_temp->filePath("empty"), {}));
        QVERIFY(QDir().mkpath(m_temp->filePath("folder")));
        ZipClass zip;
        QVERIFY(zip.AddFile(source("good.wav", "good")));
        for (const char *name : {"missing", "empty", "folder"})
            QVERIFY2(!zip.AddFile(path(name)), name);
        QCOMPARE(zip.FileCount(), 1);
    }

    void entryIsFixedAtAddFile() {
        const std::string wav = source("fixed.wav", soundLikeBytes(20000));
        ZipClass zip;
        QVERIFY(zip.AddFile(wav));
        QVERIFY(zip.WriteZip(path("first.zip"), true));
        // Changing, restamping or deleting the source reaches no archive.
        source("fixed.wav", "different", QDateTime(QDate(2020, 5, 5), QTime(1, 2, 3)));
        QVERIFY(zip.WriteZip(path("second.zip"), true));
        QCOMPARE(bytes("second.zip"), bytes("first.zip"));
        QVERIFY(QFile::remove(QString::fromStdString(wav)));
        QVERIFY(zip.WriteZip(path("second.zip"), true));
        QCOMPARE(bytes("second.zip"), bytes("first.zip"));
        QVERIFY(bytes("first.zip").size() > 114);
    }

    void writeZipKeepsWhatItMayNotReplace() {
        const QByteArray content = soundLikeBytes(1000);
        ZipClass zip;
        QVERIFY(zip.AddFile(source("x.wav", content)));
        QVERIFY(putFile(m_temp->filePath("target.tbr"), "old contents"));
        QVERIFY(!zip.WriteZip(path("target.tbr")));
        QCOMPARE(bytes("target.tbr"), QByteArray("old contents"));
        QVERIFY(zip.WriteZip(path("target.tbr"), true));
        QVERIFY(zip.WriteZip(path("fresh.tbr")));
        QCOMPARE(bytes("target.tbr"), bytes("fresh.tbr"));
        QVERIFY(QFile::remove(m_temp->filePath("fresh.tbr")));
        // Unwritable targets fail and leave neither a piece nor a temporary file.
        QVERIFY(!zip.WriteZip(path("no-such-folder/out.zip")));
        QVERIFY(QDir().mkpath(m_temp->filePath("a-folder.zip")));
        QVERIFY(!zip.WriteZip(path("a-folder.zip"), true));
        QVERIFY(QFileInfo(m_temp->filePath("a-folder.zip")).isDir());
        QCOMPARE(QDir(m_temp->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"target.tbr", "x.wav"}));
    }
};

QTEST_GUILESS_MAIN(TestZipWriter)
#include "tst_zipwriter.moc"
