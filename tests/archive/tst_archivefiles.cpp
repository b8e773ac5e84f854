// SPDX-License-Identifier: GPL-3.0-or-later
// The reader over the stored archives: the fuzz seeds, the hostile archives of
// make-hostile.py and any input the fuzzer stopped on, each in a sandbox.

#include "ZipTestSupport.h"
#include "archive/ZipExtractionClass.h"

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
        // The error numbers each stored archive must give; the seeds not listed
        // are sound. A fuzz find not listed may give any error but must do no harm.
        const QHash<QString, QStringList> expected{
            {"corpus/descriptor.zip", {"5"}}, // sizes only after the data
            {"corpus/hostile.zip", {"6", "6"}},
            {"regression/traversal.zip", {"6", "6", "6", "6"}},
            {"regression/symlink.zip", {}},
            {"regression/size-lie.zip", {"5"}},
            {"regression/overlap-bomb.zip", QStringList(40, "5")},
            {"regression/encrypted.zip", {"5"}},
            {"regression/long-name.zip", {"7"}}, // a file that cannot be written stops
            {"regression/count-lie.zip", {"2"}},
            {"regression/repeated-entry.zip", {}}, // each copy written over the last
        };
        const QString root = TEMBREL_TEST_DATA "/archive/";
        QStringList found;
        for (const QString folder : {"corpus", "regression"}) {
            // A fuzz find keeps the name the fuzzer gave it.
            QDirIterator it(root + folder, {folder == "corpus" ? "*.zip" : "*"}, QDir::Files);
            while (it.hasNext()) {
                const QString row = folder + "/" + QFileInfo(it.next()).fileName();
                const QStringList errors =
                    expected.value(row, folder == "corpus" ? QStringList() : QStringList{"*"});
                QTest::newRow(qPrintable(row)) << it.filePath() << errors;
                found << row;
            }
        }
        QVERIFY2(found.size() >= 16, "the stored archives are missing");
        for (const QString &row : expected.keys())
            QVERIFY2(found.contains(row), qPrintable(row));
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
            QDirIterator all(box.path(), QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
            while (all.hasNext())
                QVERIFY2(!all.nextFileInfo().isSymLink(), qPrintable(all.filePath()));
        }
        QCOMPARE(fileBytes(archive), fileBytes(file));
    }
};

QTEST_GUILESS_MAIN(TestArchiveFiles)
#include "tst_archivefiles.moc"
