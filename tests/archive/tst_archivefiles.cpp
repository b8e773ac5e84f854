// SPDX-License-Identifier: GPL-3.0-or-later
// The reader over the stored archive files: the fuzz seeds made by zip and
// Python's zipfile, and every input the fuzzer ever stopped on. Each is
// extracted into a sandbox; nothing may land outside the target folder and no
// temporary file may be left behind.

#include "ZipTestSupport.h"
#include "archive/ZipExtractionClass.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

class TestArchiveFiles final : public QObject {
    Q_OBJECT

private slots:
    void storedArchives_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("errors");
        const QString root = TEMBREL_TEST_DATA "/archive/";
        int count = 0;
        for (const QString &folder : {"corpus", "regression"}) {
            QDirIterator it(root + folder, QDir::Files);
            while (it.hasNext()) {
                const QString f = it.next();
                if (!f.endsWith(".zip") && folder == "corpus")
                    continue;
                // Seeds are sound archives, except the streamed one; fuzz finds
                // may give any error but must not do harm.
                QStringList errors;
                if (f.endsWith("descriptor.zip"))
                    errors << "5";
                else if (f.endsWith("hostile.zip"))
                    errors << "6"
                           << "6";
                else if (folder == "regression")
                    errors << "*";
                QTest::newRow(qPrintable(folder + "/" + QFileInfo(f).fileName())) << f << errors;
                ++count;
            }
        }
        QVERIFY2(count >= 8, "the seed archives are missing");
    }
    void storedArchives() {
        QFETCH(QString, file);
        QFETCH(QStringList, errors);
        QTemporaryDir box;
        QVERIFY(box.isValid());
        const QString archive = box.filePath("in.zip");
        QVERIFY(QFile::copy(file, archive));
        for (const bool preserve : {true, false}) {
            EventLog log;
            ZipExtractionClass zip;
            log.attach(zip);
            if (zip.OpenZip(archive.toStdString()))
                zip.Extract(box.filePath("out").toStdString(), preserve, true);
            zip.CloseZip();
            QStringList numbers;
            for (const QString &e : log.errors())
                numbers << e.section(' ', 1, 1);
            if (errors != QStringList{"*"})
                QCOMPARE(numbers, errors);
            for (const QString &f : filesBelow(box.path())) {
                QVERIFY2(f == "in.zip" || f.startsWith("out/"), qPrintable(f));
                QVERIFY2(!QFileInfo(f).fileName().contains(".tmp"), qPrintable(f));
            }
        }
        QCOMPARE(fileBytes(archive), fileBytes(file));
    }
};

QTEST_GUILESS_MAIN(TestArchiveFiles)
#include "tst_archivefiles.moc"
