// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile copies of the user's files: each window opens, shows what it can,
// loses no message and leaves the user's files as they were. The year file's
// own damage (cut short, grown, zeroed, 30 GB) is in the year file and year
// model tests, with the archives that restore lost markers; param.ini's in
// the main window's; archives' in the slot archive tests.

#include "grid/FrmConsultGrille.h"
#include "grid/YearFile.h"
#include "grid/YearGrid.h"
#include "shell/FlexGrid.h"
#include "shell/PlatformReal.h"
#include "shell/Shared.h"
#include "shell/TextRecords.h"
#include "timerows/FrmEmp.h"

#include "AppFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

using namespace tembrel;
using tembrel::test::AppFixture;

namespace {

QStringList gridLabels(const FrmConsultGrille &w) {
    QStringList out;
    for (int r = GridFixedRows; r < w.GridLegendes->Rows(); ++r)
        out << w.GridLegendes->TextMatrix(r, 0);
    return out;
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The grid and the time rows window read hours.dat with one reader, so
    // both show the same rows; opening and closing the window rewrites nothing.
    void hoursDatOneReader_data() {
        QTest::addColumn<QByteArray>("content"); // empty: a sparse 30 GB file
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("unclosed quote") << QByteArray("\"08:00\"\r\n\"Lunch, team\r\n\"09:00\"\r\n")
                                        << QStringList{"08:00", "Lunch, team", "09:00"};
        QTest::newRow("empty record")
            << QByteArray("\"08:00\"\r\n\"\"\r\n\"09:00\"\r\n") << QStringList{"08:00", "09:00"};
        QTest::newRow("NUL bytes") << QByteArray("\"08:\x00"
                                                 "00\"\r\n\x00\x00\r\n\"09:00\"\n",
                                                 23)
                                   << QStringList{"08:00", "09:00"};
        QTest::newRow("sparse 30 GB") << QByteArray() << QStringList{};
    }
    void hoursDatOneReader() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, rows);
        AppFixture app(QDate(2005, 3, 10));
        QVERIFY(app.write(QStringLiteral("hours.dat"), content));
        if (content.isEmpty())
            QVERIFY(QFile::resize(app.path(QStringLiteral("hours.dat")), qint64(30) << 30));
        const qint64 size = QFileInfo(app.path(QStringLiteral("hours.dat"))).size();
        {
            FrmConsultGrille grid;
            QCOMPARE(gridLabels(grid), rows);
        }
        FrmEmp hours;
        QStringList listed;
        for (int i = 0; i < hours.List1->count(); ++i)
            listed << hours.List1->item(i)->text();
        QCOMPARE(listed, rows);
        hours.close();
        QCOMPARE(QFileInfo(app.path(QStringLiteral("hours.dat"))).size(), size);
        if (!content.isEmpty())
            QCOMPARE(app.read(QStringLiteral("hours.dat")), content);
    }

    // Month and weekday names that Windows-1252 cannot hold are saved as
    // "?" and still show from the locale when the year is opened again.
    void headingsFromTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia);
        QTest::newRow("Polish") << QLocale(QLocale::Polish, QLocale::Poland);
    }
    void headingsFromTheLocale() {
        QFETCH(QLocale, locale);
        const QLocale before;
        QLocale::setDefault(locale);
        AppFixture app(QDate(2005, 3, 10));
        QVERIFY(app.writeHours({QStringLiteral("08:00"), QStringLiteral("09:00")}));
        const int col = 257; // Wednesday 14 September: "środa", "wrzesień"
        {
            FrmConsultGrille w;
            w.model().setMarker(Slot{3, col}, Marker::Noir);
            QVERIFY(w.EnregistrerGrille());
        }
        const YearContent saved = loadYearContent(app.path(yearFileName(2005)), 2005);
        const QString month = locale.standaloneMonthName(9).toUpper();
        const QString weekday = locale.standaloneDayName(Qt::Wednesday);
        QVERIFY(saved.text(0, col) != month && saved.text(0, col).contains(QLatin1Char('?')));
        FrmConsultGrille w;
        QLocale::setDefault(before);
        QCOMPARE(w.GridLegendes->TextMatrix(0, col), month);
        QCOMPARE(w.GridLegendes->TextMatrix(1, col), weekday);
        QCOMPARE(w.GridLegendes->TextMatrix(3, col), QStringLiteral(","));
    }

    // A lock file that cannot be made is no other instance: the next place
    // is tried, and without any the program runs. A lock held is one.
    void singleInstance() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("a file"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        const QString nowhere = file + QStringLiteral("/Tembrel.lock"); // not even root
        const QString fallback = dir.filePath(QStringLiteral("Tembrel.lock"));
        LockFileInstance none({nowhere});
        QVERIFY(!none.anotherInstanceRunning());
        QVERIFY(none.heldPath().isEmpty());
        LockFileInstance first({nowhere, fallback});
        QVERIFY(!first.anotherInstanceRunning());
        QCOMPARE(first.heldPath(), fallback);
        LockFileInstance second({nowhere, fallback});
        QVERIFY(second.anotherInstanceRunning());
    }

    // A program folder whose name is not valid UTF-8 is used as it is,
    // never turned into the root folder.
    void programFolderNamedInAnyBytes() {
        QTemporaryDir dir;
        const QByteArray native = QFile::encodeName(dir.path()) + "/Tembrel-\xff\xfe-\xe9t\xe9";
        namespace fs = std::filesystem;
        QVERIFY(fs::create_directory(fs::path(native.toStdString())));
        const QString folder = usableFolder(native);
        QVERIFY(!folder.isEmpty());
        QVERIFY(folderAcceptsFiles(folder));
        const QString previous = AppFolder;
        setAppFolder(folder);
        QVERIFY(writeFileSafely(appFile(QStringLiteral("param.ini")), "\"Arial\"\r\n"));
        AppFolder = previous;
        std::ifstream written(native.toStdString() + "/param.ini", std::ios::binary);
        std::string line;
        QVERIFY(std::getline(written, line));
        QCOMPARE(QByteArray::fromStdString(line), QByteArray("\"Arial\"\r"));
        QCOMPARE(usableFolder(QFile::encodeName(dir.path())), dir.path());
        // Without a program folder, the user's folder; never "/".
        const QString user = dir.filePath(QStringLiteral("user"));
        QCOMPARE(chooseAppFolder(QString(), user), user);
        QVERIFY(QFileInfo(user).isDir());
    }
};

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
