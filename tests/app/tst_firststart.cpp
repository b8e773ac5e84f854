// SPDX-License-Identifier: GPL-3.0-or-later
// The first start: where the program keeps its files and what a new user sees,
// from the shipped files as the build leaves them next to the program.

#include "core/Shared.h"
#include "timerows/Generators.h"
#include "timerows/HoursFile.h"

#include "AppFixture.h"
#include "GridWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

const QString BuiltProgramFolder = QStringLiteral(TEMBREL_BINARY_DIR "/bin");

// Every half hour from 08:00 to 18:00, as the time rows window makes them.
QStringList workingDay() {
    return timeSteps(quarterHourTimes(), u"08"_qs, u"00"_qs, u"18"_qs, u"00"_qs, 2, {})
        .value_or(QStringList());
}

} // namespace

class TestFirstStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The build puts the shipped files next to the program; hours.dat is in
    // the program's own format, byte for byte.
    void shippedFiles() {
        QCOMPARE(workingDay().size(), 21);
        QCOMPARE(fileBytes(BuiltProgramFolder + u"/hours.dat"_qs), formatHours(workingDay()));
        for (const QString &name : tembrel::shippedFiles())
            QVERIFY2(QFileInfo(QDir(BuiltProgramFolder).filePath(name)).size() > 0,
                     qPrintable(name));
    }

    void acceptsFiles_data() {
        QTest::addColumn<QString>("folder"); // empty: a new temporary folder
        QTest::addColumn<bool>("accepts");
        QTest::newRow("temporary folder") << QString() << true;
        QTest::newRow("missing folder") << QDir::tempPath() + u"/tembrel-none/x"_qs << false;
        QTest::newRow("a file") << QStringLiteral(TEMBREL_SOURCE_DIR "/README.md") << false;
        // No file can be made there, not even by the superuser.
        QTest::newRow("/proc") << u"/proc"_qs << false;
    }
    void acceptsFiles() {
        QFETCH(QString, folder);
        QTemporaryDir temporary;
        if (folder.isEmpty())
            folder = temporary.path();
        QTEST(folderAcceptsFiles(folder), "accepts");
        // The trial file is gone again.
        QVERIFY(
            QDir(temporary.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // Where the files go and which time rows the grid shows then. A user's
    // own hours.dat, or its absence after the list was cleared, stays as it is.
    void firstStart_data() {
        QTest::addColumn<bool>("programWritable");
        QTest::addColumn<bool>("userFolderMade");
        QTest::addColumn<QByteArray>("userHours"); // null: none there
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("userFiles");
        const QStringList shipped = tembrel::shippedFiles();
        // The program's own files, brought at every start when missing.
        const QStringList helpDocuments{u"Tembrel.rtf"_qs, u"Tembrel.fr.rtf"_qs};
        QTest::newRow("writable program folder")
            << true << false << QByteArray() << workingDay() << QStringList();
        QTest::newRow("installed, first start")
            << false << false << QByteArray() << workingDay() << shipped;
        QTest::newRow("installed, the user's time rows")
            << false << true << QByteArray("\"Lunch\"\r\n\"Evening\"\r\n")
            << QStringList{u"Lunch"_qs, u"Evening"_qs} << helpDocuments;
        QTest::newRow("installed, time rows cleared")
            << false << true << QByteArray() << QStringList() << helpDocuments;
    }
    void firstStart() {
        QFETCH(bool, programWritable);
        QFETCH(bool, userFolderMade);
        QFETCH(QByteArray, userHours);
        QFETCH(QStringList, userFiles);
        AppFixture env;
        const QString program = env.path(u"program"_qs);
        const QString user = env.path(u"home/.local/share/Ostrand/Tembrel"_qs);
        QVERIFY(QDir().mkpath(program));
        for (const QString &name : tembrel::shippedFiles())
            QVERIFY(
                QFile::copy(QDir(BuiltProgramFolder).filePath(name), QDir(program).filePath(name)));
        if (userFolderMade)
            QVERIFY(QDir().mkpath(user));
        if (!userHours.isNull())
            QVERIFY(env.write(u"home/.local/share/Ostrand/Tembrel/hours.dat"_qs, userHours));

        // An install the user cannot write is the interop test's: here the
        // per-user folder is readied as the program does then.
        QString chosen;
        if (programWritable)
            chosen = chooseAppFolder(program, user);
        else if (prepareUserFolder(program, user))
            chosen = user;
        QCOMPARE(chosen, programWritable ? program : user);
        QCOMPARE(QFileInfo::exists(user), !programWritable);
        if (!userHours.isNull()) {
            userFiles << u"hours.dat"_qs;
            QCOMPARE(fileBytes(user + u"/hours.dat"_qs), userHours);
        }
        userFiles.sort();
        QCOMPARE(QDir(user).entryList(QDir::Files, QDir::Name), userFiles);
        setAppFolder(chosen);
        QTEST(timeRowLabels(FrmConsultGrille().GridLegendes), "rows");
    }

    // The help document is the program's: an older copy is refreshed and takes the
    // shipped file's time (so the next start keeps it); one as new or newer is kept.
    void helpDocument_data() {
        QTest::addColumn<int>("copyAgeDays"); // against the shipped file
        QTest::addColumn<bool>("refreshed");
        QTest::newRow("older") << 1 << true;
        QTest::newRow("same time") << 0 << false;
        QTest::newRow("newer") << -1 << false;
    }
    void helpDocument() {
        QFETCH(int, copyAgeDays);
        QFETCH(bool, refreshed);
        AppFixture env;
        const QString program = env.path(u"program"_qs);
        const QString user = env.path(u"user"_qs);
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(user));
        const QDateTime shippedTime = QDateTime::currentDateTime().addDays(-10);
        QVERIFY(env.write(u"program/Tembrel.rtf"_qs, "{\\rtf1 shipped}"));
        QVERIFY(setModified(program + u"/Tembrel.rtf"_qs, shippedTime));
        QVERIFY(env.write(u"user/Tembrel.rtf"_qs, "{\\rtf1 older}"));
        QVERIFY(setModified(user + u"/Tembrel.rtf"_qs, shippedTime.addDays(-copyAgeDays)));
        QVERIFY(prepareUserFolder(program, user));
        QCOMPARE(fileBytes(user + u"/Tembrel.rtf"_qs),
                 QByteArray(refreshed ? "{\\rtf1 shipped}" : "{\\rtf1 older}"));
        QCOMPARE(QFileInfo(user + u"/Tembrel.rtf"_qs).lastModified(),
                 refreshed ? shippedTime : shippedTime.addDays(-copyAgeDays));
    }
};

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
