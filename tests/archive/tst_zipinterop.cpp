// SPDX-License-Identifier: GPL-3.0-or-later
// The archive classes against the real tools: Info-ZIP zip, unzip, zipinfo,
// Python's zipfile and sox for a real wave file. A missing tool is a failure.

#include "ZipTestSupport.h"
#include "archive/ZipClass.h"
#include "archive/ZipExtractionClass.h"

#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tembrel;
using namespace tembrel::test;

namespace {
struct Run {
    int exitCode = -1;
    QByteArray out;
};
} // namespace

class TestZipInterop final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QString path(const QString &name) const { return m_temp->filePath(name); }

    Run run(const QString &program, const QStringList &args, const QString &folder = {},
            const QByteArray &input = {}) {
        QProcess p;
        p.setProgram(QStandardPaths::findExecutable(program));
        if (p.program().isEmpty())
            qWarning("%s is missing: run scripts/install-deps.sh", qPrintable(program));
        p.setArguments(args);
        p.setWorkingDirectory(folder.isEmpty() ? m_temp->path() : folder);
        p.start();
        p.write(input);
        p.closeWriteChannel();
        Run r;
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
            r.exitCode = p.exitCode();
        r.out = p.readAllStandardOutput();
        return r;
    }
    // src/ with a real two-second wave by sox, stamped 2006-02-21 13:45:31,
    // a/x.bin and a/b/c.txt.
    QString makeTree() {
        const QString src = path("src");
        QDir().mkpath(src + "/a/b");
        putFile(src + "/a/b/c.txt", "hello from c\n");
        putFile(src + "/a/x.bin", soundLikeBytes(20000, 7));
        const QString wav = src + "/temp.wav";
        if (run("sox", {"-n", "-r", "16000", "-b", "16", "-c", "1", wav, "synth", "2", "sine",
                        "300-900", "vol", "0.5"})
                .exitCode != 0)
            return {};
        return setModified(wav, QDateTime(QDate(2006, 2, 21), QTime(13, 45, 31))) ? src : QString();
    }
    void compareTrees(const QString &got, const QString &want) {
        const QStringList files = filesBelow(want);
        QCOMPARE(filesBelow(got), files);
        for (const QString &f : files)
            QVERIFY2(fileBytes(got + "/" + f) == fileBytes(want + "/" + f), qPrintable(f));
    }

private slots:
    void init() {
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temp->isValid());
    }

    void writerArchivePassesTheTools() {
        const QString src = makeTree();
        QVERIFY2(!src.isEmpty(), "the tree with its wave could not be made");
        const QByteArray wave = fileBytes(src + "/temp.wav");
        ZipClass zip;
        QVERIFY(zip.AddFile((src + "/a/b/c.txt").toStdString(), "a/b/c.txt", "entry note"));
        QVERIFY(zip.AddFile((src + "/a/x.bin").toStdString(), "a/x.bin"));
        QVERIFY(zip.AddFile((src + "/temp.wav").toStdString()));
        zip.Comment("archive note");
        QVERIFY(zip.WriteZip(path("temp.tbr").toStdString()));

        const Run info = run("zipinfo", {"-T", "temp.tbr", "temp.wav"});
        QCOMPARE(info.exitCode, 0);
        // Made by version 2.0 on FAT, binary, no extra field, stamped to the even second.
        const QRegularExpression line("2\\.0 fat +" + QString::number(wave.size()) +
                                      " b- defX 20060221\\.134530 temp\\.wav\n");
        QVERIFY2(line.match(QString::fromUtf8(info.out)).hasMatch(), info.out.constData());

        const Run py =
            run("python3", {"-c", "import zipfile\n"
                                  "z = zipfile.ZipFile('temp.tbr')\n"
                                  "assert z.testzip() is None\n"
                                  "i = z.getinfo('temp.wav')\n"
                                  "print(i.date_time, i.file_size, i.compress_size, i.CRC,\n"
                                  "      i.compress_type, i.internal_attr, i.external_attr,\n"
                                  "      z.comment, z.getinfo('a/b/c.txt').comment)\n"});
        QCOMPARE(py.exitCode, 0);
        QCOMPARE(py.out, "(2006, 2, 21, 13, 45, 30) " + QByteArray::number(wave.size()) + " " +
                             QByteArray::number(rawDeflate(wave).size()) + " " +
                             QByteArray::number(crcOf(wave)) +
                             " 8 32 0 b'archive note' b'entry note'\n");

        QCOMPARE(run("unzip", {"-q", "-o", "temp.tbr", "-d", "unzipped"}).exitCode, 0);
        compareTrees(path("unzipped"), src);
    }

    void toolArchivesAreExtracted_data() {
        QTest::addColumn<QStringList>("command"); // %a is the archive
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("trailing"); // bytes appended after the end record
        const auto zip = [](const QString &option) {
            return QStringList{"zip", "-q", option, "-r", "%a", "a", "temp.wav"};
        };
        const QString py = "import sys, zipfile\n"
                           "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.%1) as z:\n"
                           "    for f in ['a/b/c.txt', 'a/x.bin', 'temp.wav']: z.write(f)\n"
                           "    z.writestr('a/empty/', b'')\n";
        QTest::newRow("zip deflated with folders") << zip("-6") << QByteArray() << 0;
        QTest::newRow("zip stored") << zip("-0") << QByteArray() << 0;
        QTest::newRow("zip with comment")
            << zip("-z") << QByteArray("a comment with PK inside\n") << 0;
        QTest::newRow("zip with trailing bytes") << zip("-9") << QByteArray() << 5000;
        QTest::newRow("python deflated")
            << QStringList{"python3", "-c", py.arg("ZIP_DEFLATED"), "%a"} << QByteArray() << 0;
    }
    void toolArchivesAreExtracted() {
        QFETCH(QStringList, command);
        QFETCH(QByteArray, input);
        QFETCH(int, trailing);
        const QString src = makeTree(), archive = path("made.zip");
        QVERIFY(!src.isEmpty());
        command.replaceInStrings("%a", archive);
        QCOMPARE(run(command.takeFirst(), command, src, input).exitCode, 0);
        QFile f(archive);
        QVERIFY(f.open(QIODevice::Append) && f.write(QByteArray(trailing, '\x55')) == trailing);
        f.close();

        EventLog log;
        ZipExtractionClass reader;
        log.attach(reader);
        QVERIFY(reader.OpenZip(archive.toStdString()));
        QVERIFY(reader.Extract(path("out").toStdString(), true, true));
        QVERIFY2(log.errors().isEmpty(), qPrintable(log.errors().join('\n')));
        compareTrees(path("out"), src);
    }

    // zip writing to a pipe cannot seek back, so sizes and CRC go into a data
    // descriptor after the data; the local header holds zeros or zip64 markers.
    void streamedEntryIsReportedNotWritten_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<std::uint32_t>("localSize");
        QTest::newRow("zeros in the local header") << QStringList{"-fz-"} << 0u;
        QTest::newRow("zip64 markers in the local header") << QStringList{} << 0xFFFFFFFFu;
    }
    void streamedEntryIsReportedNotWritten() {
        QFETCH(QStringList, options);
        const Run streamed = run("zip", QStringList{"-q"} + options + QStringList{"-", "-"}, {},
                                 soundLikeBytes(40000, 5));
        QCOMPARE(streamed.exitCode, 0);
        const QByteArray &b = streamed.out;
        QVERIFY(b.startsWith("PK\x03\x04") && (b.at(6) & 8) != 0); // sizes follow the data
        QTEST(le32(b, 18), "localSize");
        QVERIFY(putFile(path("streamed.zip"), b));
        QVERIFY(QDir().mkpath(path("out")));

        EventLog log;
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(zip.OpenZip(path("streamed.zip").toStdString()));
        QVERIFY(zip.Extract(path("out").toStdString(), true, true));
        QCOMPARE(log.errors(), QStringList{"ZipError 5 Data checksum error in " + path("out") +
                                           QDir::separator() + "-"});
        QCOMPARE(filesBelow(path("out")), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestZipInterop)
#include "tst_zipinterop.moc"
