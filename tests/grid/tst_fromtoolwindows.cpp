// SPDX-License-Identifier: GPL-3.0-or-later
// What the holiday and settings windows leave behind shows in the next year grid.

#include "app/Windows.h"
#include "holidays/FrmJoursFeries.h"
#include "settings/FrmReglages.h"
#include "shell/MdiMain.h"

#include "AppFixture.h"
#include "GridWindow.h"
#include "MainWindow.h"
#include "PicksFiles.h"

#include <QDir>
#include <QFontDatabase>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

class TestFromToolWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Picks in any short date form show in the grid and the window and are
    // saved in the program's form; a file in none is set aside, not overwritten.
    void picksOfAnotherDateFormAreKept_data() {
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("kept");
        QTest::newRow("the program's own") << "dd/MM/yyyy" << true;
        QTest::newRow("MM/dd/yyyy") << "MM/dd/yyyy" << true;
        QTest::newRow("yyyy-MM-dd") << "yyyy-MM-dd" << true;
        QTest::newRow("month names") << "d MMMM yyyy" << false;
    }
    void picksOfAnotherDateFormAreKept() {
        QFETCH(QString, form);
        QFETCH(bool, kept);
        AppFixture app(QDate(2005, 3, 9));
        QVERIFY(app.write(QStringLiteral("hours.dat"), "\"08:00\"\r\n"));
        const QList<int> picked{120, 165}; // 1 May, 15 June
        const QByteArray original = picksFile(2005, 365, picked, form);
        QVERIFY(app.write(QStringLiteral("F2005.ini"), original));
        const QList<int> shown = kept ? picked : QList<int>{};
        MdiMain main;
        {
            FrmConsultGrille grid;
            FlexGrid *g = grid.GridLegendes;
            const quint32 holiday = main.LbCouleurWE.BackColor;
            // 1 May 2005 (column 121) is a Sunday, coloured either way; 15 June a Wednesday.
            QCOMPARE(cellAt(g, GridFixedRows, 121)->CellBackColor(), holiday);
            QCOMPARE(cellAt(g, GridFixedRows, 166)->CellBackColor(), kept ? holiday : 0u);
            QCOMPARE(cellAt(g, GridFixedRows, 165)->CellBackColor(), 0u);
        }
        FrmJoursFeries w;
        QCOMPARE(selectedRows(w.List1), shown);
        QVERIFY(w.close()); // nothing changed: nothing to ask
        QCOMPARE(app.read(QStringLiteral("F2005.ini")), original);
        w.CmdEnreg_Click();
        QCOMPARE(app.read(QStringLiteral("F2005.ini")), picksFile(2005, 365, shown));
        const QStringList aside =
            QDir(AppFolder).entryList({QStringLiteral("F2005.ini.damaged-*")}, QDir::Files);
        QCOMPARE(aside.size(), kept ? 0 : 1);
        if (!kept) {
            QVERIFY(QRegularExpression(QStringLiteral("^F2005\\.ini\\.damaged-\\d{8}-\\d{6}$"))
                        .match(aside.first())
                        .hasMatch());
            QCOMPARE(app.read(aside.first()), original);
        }
        QVERIFY(app.messageBox->shown.isEmpty());
    }

    void chosenFontAndColoursShowInTheNextGrid() {
        AppFixture app(QDate(2005, 3, 9));
        QVERIFY(app.write(QStringLiteral("hours.dat"), "\"08:00\"\r\n"));
        registerWindows();
        const auto started = startMainWindow();
        QVERIFY(started);
        MdiMain &main = *started;
        const QStringList families = QFontDatabase::families();
        QVERIFY(!families.isEmpty());
        const QString font = families.last();
        main.mnuoptions_Click(); // the settings window as the program wires it
        auto *w = qobject_cast<FrmReglages *>(main.toolWindow(MdiMain::Tool::Settings));
        QVERIFY(w);
        w->LstFonts->setCurrentRow(int(families.size()) - 1);
        app.dialogs->colours.enqueue(QColor(255, 0, 0));
        w->Command1->click(); // weekend and holiday columns
        app.dialogs->colours.enqueue(QColor(0, 128, 0));
        w->Command4->click(); // headings
        QVERIFY(w->close());
        unregisterWindows();
        FrmConsultGrille grid;
        FlexGrid *g = grid.GridLegendes;
        QCOMPARE(g->FontName(), font);
        QCOMPARE(g->BackColorFixed(), 0x008000u);
        // 1 January 2005 is a Saturday.
        QCOMPARE(cellAt(g, GridFixedRows, 1)->CellBackColor(), 0x0000FFu);
        QCOMPARE(cellAt(g, GridFixedRows, 3)->CellBackColor(), 0u);
    }
};

QTEST_MAIN(TestFromToolWindows)
#include "tst_fromtoolwindows.moc"
