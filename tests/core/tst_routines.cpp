// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Module1.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "shell/QtColours.h"

#include <QDate>
#include <QDir>
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

    void sansGuillemets_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("quote only") << QStringLiteral("\"") << QString();
        QTest::newRow("mixed") << QStringLiteral(" C:\\\"Program Files\"\\x ")
                               << QStringLiteral(" C:\\Program Files\\x ");
        QTest::newRow("no quote") << QStringLiteral("Lunch, team") << QStringLiteral("Lunch, team");
        QTest::newRow("typographic quotes stay") << QStringLiteral("“a”") << QStringLiteral("“a”");
    }
    void sansGuillemets() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(SansGuillemets(text), expected);
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

    void stringTableHoldsEveryQuotedId() {
        const QList<int> ids{101, 102, 103, 104, 105, 106, 107, 108, 110, 111, 112, 116, 117,
                             118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130,
                             131, 132, 133, 134, 145, 146, 147, 148, 149, 150, 151, 152, 153,
                             154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166,
                             167, 168, 169, 170, 171, 172, 173, 174, 176, 181, 182};
        for (int id : ids)
            QVERIFY2(!LoadResString(id).isEmpty(), qPrintable(QString::number(id)));
        QVERIFY(LoadResString(100).isEmpty());
        QVERIFY(LoadResString(999).isEmpty());
        QVERIFY(!hasResString(109));
    }

    void coloursRoundTrip_data() {
        QTest::addColumn<quint32>("bgr");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("blue") << quint32(16711680) << QColor(0, 0, 255);
        QTest::newRow("red") << quint32(255) << QColor(255, 0, 0);
        QTest::newRow("mixed") << quint32(0x123456) << QColor(0x56, 0x34, 0x12);
    }
    void coloursRoundTrip() {
        QFETCH(quint32, bgr);
        QFETCH(QColor, colour);
        QCOMPARE(toQColor(bgr), colour);
        QCOMPARE(fromQColor(colour), bgr);
    }
};

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
