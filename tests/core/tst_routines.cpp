// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Module1.h"
#include "core/Shared.h"
#include "core/Strings.h"

#include "Files.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace tembrel;

class TestRoutines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nbJoursMoisMatchesCalendar() {
        for (int year = 2000; year <= 2099; ++year)
            for (int month = 1; month <= 12; ++month)
                QCOMPARE(int(NbJoursMois(year, month)), QDate(year, month, 1).daysInMonth());
    }

    void appFolderEndsWithOneSeparator_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << QStringLiteral("/opt/tembrel");
        QTest::newRow("trailing") << QStringLiteral("/opt/tembrel/");
        QTest::newRow("root") << QStringLiteral("/");
    }
    void appFolderEndsWithOneSeparator() {
        QFETCH(QString, folder);
        const QString saved = AppFolder;
        setAppFolder(folder);
        const QString sep = QDir::separator();
        QVERIFY(AppFolder.endsWith(sep));
        QCOMPARE(AppFolder.count(sep + sep), 0);
        AppFolder = saved;
    }

    // Every id the sources look up by number has its text; an unknown id
    // has none.
    void stringTableHoldsEveryIdLookedUp() {
        static const QRegularExpression lookUp(QStringLiteral("LoadResString\\((\\d+)\\)"));
        QSet<int> ids;
        QDirIterator files(QStringLiteral(TEMBREL_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString text = QString::fromUtf8(test::fileBytes(files.next()));
            for (const auto &m : lookUp.globalMatch(text))
                ids.insert(m.captured(1).toInt());
        }
        QVERIFY2(ids.size() > 40, "the sources were not found");
        for (int id : std::as_const(ids))
            QVERIFY2(hasResString(id) && !LoadResString(id).isEmpty(),
                     qPrintable(QString::number(id)));
        QVERIFY(LoadResString(100).isEmpty());
        QVERIFY(LoadResString(999).isEmpty());
        QVERIFY(!hasResString(109));
    }
};

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
