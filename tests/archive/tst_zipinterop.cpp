// SPDX-License-Identifier: GPL-3.0-or-later
// The archive classes against the real tools: Info-ZIP zip, unzip, zipinfo,
// Python's zipfile and sox for a real wave file. A missing tool is a failure.

#include "ZipTestSupport.h"
#include "archive/ZipClass.h"
#include "archive/ZipExtractionClass.h"

#include <QDateTime>
#include <QProcess>
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

    static QString tool(const QString &name) {
        const QString found = QStandardPaths::findExecutable(name);
        if (found.isEmpty())
            qWarning("%s is missing: run scripts/install-deps.sh", qPrintable(name));
        return found;
    }
    Run run(const QString &program, const QStringList &args, const QString &folder = {},
            const QByteArray &input = {}) {
        QProcess p;
        p.setProgram(tool(program));
        p.setArguments(args);
        p.setWorkingDirectory(folder.isEmpty() ? m_temp->path() : folder);
        p.setProcessChannelMode(QProcess::SeparateChannels);
        Run r;
        if (p.program().isEmpty())
            return r;
        p.start();
        if (!p.waitForStarted())
            return r;
        if (!input.isEmpty())
            p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        return r;
    }
    // A real two-second wave made by sox, stamped 2006-02-21 13:45:31.
    QString makeWave(const QString &name) {
        const QString wav = path(name);
        const Run r = run("sox", {"-n", "-r", "16000", "-b", "16", "-c", "1", wav, "synth", "2",
                                  "sine", "300-900", "vol", "0.5"});
        if (r.exitCode != 0)
            return {};
        QFile f(wav);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(QDateTime(QDate(2006, 2, 21), QTime(13, 45, 31)),
                      QFileDevice::FileModificationTime);
        return wav;
    }
    // A small tree: temp.wav, a/x.bin, a/b/c.txt.
    void makeTree(const QString &root) {
        QDir().mkpath(root + "/a/b");
        putFile(root + "/a/b/c.txt", "hello from c\n");
        putFile(root + "/a/x.bin", soundLikeBytes(20000, 7));
        putFile(root + "/temp.wav", soundLikeBytes(60000, 3));
    }
    QStringList extractAll(const QString &archive, const QString &folder) {
        EventLog log;
        ZipExtractionClass zip;
        log.attach(zip);
        if (!zip.OpenZip(utf8(archive)))
            return log.errors() << "not opened";
        if (!zip.Extract(utf8(folder), true, true))
            log.lines << "ZipError extract returned false";
        return log.errors();
    }

private slots:
    void init() {
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temp->isValid());
    }

    void toolsArePresent() {
        for (const char *name : {"zip", "unzip", "zipinfo", "python3", "sox"})
            QVERIFY2(!tool(name).isEmpty(), name);
    }

    void writerArchivePassesTheTools() {
        const QString wav = makeWave("temp.wav");
        QVERIFY2(!wav.isEmpty(), "sox could not make the wave");
        const QByteArray content = fileBytes(wav);
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(wav)));
        QVERIFY(zip.WriteZip(utf8(path("temp.tbr"))));
        const QByteArray archive = fileBytes(path("temp.tbr"));
        const std::uint32_t c = le32(archive, 18);

        const Run test = run("unzip", {"-t", "temp.tbr"});
        QCOMPARE(test.exitCode, 0);
        QVERIFY2(test.out.contains("No errors detected"), test.out.constData());

        const Run info = run("zipinfo", {"-T", "temp.tbr"});
        QCOMPARE(info.exitCode, 0);
        QByteArray line;
        for (const QByteArray &l : info.out.split('\n')) {
            if (l.endsWith("temp.wav"))
                line = l;
        }
        QVERIFY2(line.contains(" defX ") && line.contains(" 20060221.134530 ") &&
                     line.contains(" " + QByteArray::number(content.size()) + " "),
                 info.out.constData());

        const Run py = run("python3", {"-c",
                                       "import sys, zipfile\n"
                                       "z = zipfile.ZipFile(sys.argv[1])\n"
                                       "assert z.testzip() is None\n"
                                       "i = z.getinfo('temp.wav')\n"
                                       "print(i.date_time, i.file_size, i.compress_size, i.CRC, "
                                       "i.compress_type, i.internal_attr, i.external_attr)\n"
                                       "sys.stdout.flush()\n"
                                       "sys.stdout.buffer.write(z.read('temp.wav'))\n",
                                       "temp.tbr"});
        QCOMPARE(py.exitCode, 0);
        const qsizetype nl = py.out.indexOf('\n');
        QCOMPARE(py.out.left(nl),
                 "(2006, 2, 21, 13, 45, 30) " + QByteArray::number(content.size()) + " " +
                     QByteArray::number(c) + " " + QByteArray::number(crcOf(content)) + " 8 32 0");
        QCOMPARE(py.out.mid(nl + 1), content);

        const Run piped = run("unzip", {"-p", "temp.tbr", "temp.wav"});
        QCOMPARE(piped.exitCode, 0);
        QCOMPARE(piped.out, content);
    }

    void unzipReadsSeveralEntriesAndComments() {
        makeTree(path("src"));
        ZipClass zip;
        QVERIFY(zip.AddFile(utf8(path("src/a/b/c.txt")), "a/b/c.txt", "entry note"));
        QVERIFY(zip.AddFile(utf8(path("src/a/x.bin")), "a/x.bin"));
        QVERIFY(zip.AddFile(utf8(path("src/temp.wav"))));
        zip.Comment("archive note");
        QVERIFY(zip.WriteZip(utf8(path("three.zip"))));
        QCOMPARE(run("unzip", {"-q", "-o", "three.zip", "-d", "unzipped"}).exitCode, 0);
        QCOMPARE(filesBelow(path("unzipped")), filesBelow(path("src")));
        for (const QString &f : filesBelow(path("src")))
            QCOMPARE(fileBytes(path("unzipped/" + f)), fileBytes(path("src/" + f)));
        QVERIFY(run("unzip", {"-z", "three.zip"}).out.contains("archive note"));
        const Run py =
            run("python3", {"-c",
                            "import zipfile\n"
                            "z = zipfile.ZipFile('three.zip')\n"
                            "print(z.comment.decode(), z.getinfo('a/b/c.txt').comment.decode())",
                            "three.zip"});
        QCOMPARE(py.out.trimmed(), QByteArray("archive note entry note"));
    }

    void toolArchivesAreExtracted_data() {
        QTest::addColumn<QString>("maker");
        QTest::newRow("zip deflated with folders") << "zip-r";
        QTest::newRow("zip stored") << "zip-0";
        QTest::newRow("zip with comment") << "zip-z";
        QTest::newRow("zip with trailing bytes") << "zip-trailing";
        QTest::newRow("python deflated") << "py-deflated";
        QTest::newRow("python stored") << "py-stored";
    }
    void toolArchivesAreExtracted() {
        QFETCH(QString, maker);
        const QString src = path("src");
        makeTree(src);
        const QString archive = path("made.zip");
        const QStringList tree = {"a", "temp.wav"};
        int code = -1;
        if (maker == "zip-r") {
            code = run("zip", QStringList{"-q", "-6", "-r", archive} + tree, src).exitCode;
        } else if (maker == "zip-0") {
            code = run("zip", QStringList{"-q", "-0", "-r", archive} + tree, src).exitCode;
        } else if (maker == "zip-z") {
            code = run("zip", QStringList{"-q", "-z", "-r", archive} + tree, src,
                       "a comment with PK inside\n")
                       .exitCode;
        } else if (maker == "zip-trailing") {
            code = run("zip", QStringList{"-q", "-r", archive} + tree, src).exitCode;
            QFile f(archive);
            QVERIFY(f.open(QIODevice::Append));
            f.write(QByteArray(5000, '\x55'));
        } else {
            const QString mode = maker == "py-stored" ? "ZIP_STORED" : "ZIP_DEFLATED";
            code = run("python3",
                       {"-c",
                        "import sys, zipfile\n"
                        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile." +
                            mode +
                            ") as z:\n"
                            "    for f in ['a/b/c.txt', 'a/x.bin', 'temp.wav']: z.write(f)\n"
                            "    z.writestr('a/empty/', b'')\n",
                        archive},
                       src)
                       .exitCode;
        }
        QCOMPARE(code, 0);
        const QStringList errors = extractAll(archive, path("out"));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        const QStringList files = filesBelow(path("out"));
        QCOMPARE(files, (QStringList{"a/b/c.txt", "a/x.bin", "temp.wav"}));
        for (const QString &f : files)
            QCOMPARE(fileBytes(path("out/" + f)), fileBytes(src + "/" + f));
    }

    void streamedEntryIsReportedNotWritten_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<std::uint32_t>("localSize");
        QTest::newRow("zeros in the local header") << QStringList{"-fz-"} << 0u;
        QTest::newRow("zip64 markers in the local header") << QStringList{} << 0xFFFFFFFFu;
    }
    void streamedEntryIsReportedNotWritten() {
        QFETCH(QStringList, options);
        QFETCH(std::uint32_t, localSize);
        const QByteArray content = soundLikeBytes(40000, 5);
        // zip writing to a pipe cannot seek back, so sizes and CRC go into a
        // data descriptor after the data.
        const Run streamed =
            run("zip", QStringList{"-q"} + options + QStringList{"-", "-"}, {}, content);
        QCOMPARE(streamed.exitCode, 0);
        const QByteArray b = streamed.out;
        QCOMPARE(le32(b, 0), 0x04034B50u);
        QVERIFY((le16(b, 6) & 8) != 0);
        QCOMPARE(le32(b, 14), 0u);
        QCOMPARE(le32(b, 18), localSize);
        QVERIFY(putFile(path("streamed.zip"), b));
        QVERIFY(QDir().mkpath(path("out")));

        EventLog log;
        ZipExtractionClass zip;
        log.attach(zip);
        QVERIFY(zip.OpenZip(utf8(path("streamed.zip"))));
        QVERIFY(zip.Extract(utf8(path("out")), true, true));
        QCOMPARE(log.errors(), QStringList{"ZipError 5 Data checksum error in " + path("out") +
                                           QDir::separator() + "-"});
        QCOMPARE(filesBelow(path("out")), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestZipInterop)
#include "tst_zipinterop.moc"
