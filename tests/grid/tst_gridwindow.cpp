// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/FrmConsultGrille.h"
#include "grid/YearFile.h"
#include "grid/YearGrid.h"
#include "shell/FlexGrid.h"
#include "shell/MdiMain.h"
#include "shell/Shared.h"
#include "shell/TextRecords.h"
#include "shell/Twips.h"

#include "Fakes.h"
#include "TestApp.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolBar>

#include <memory>

using namespace tembrel;
using tembrel::test::FakePlatform;
using tembrel::test::TempAppFolder;

namespace {

QStringList labels(int n) {
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QTime(8, 0).addSecs(i * 1800).toString(QStringLiteral("HH:mm"));
    return out;
}

quint32 colourAt(FlexGrid *g, int row, int col) {
    g->setRow(row);
    g->setCol(col);
    return g->CellBackColor();
}

bool slotColoured(FlexGrid *g, int col, quint32 colour) {
    for (int r = GridFixedRows; r < g->Rows(); ++r)
        if (colourAt(g, r, col) != colour)
            return false;
    return true;
}

bool writeHours(const TempAppFolder &app, int count) {
    QList<Record> lines;
    for (const QString &t : labels(count))
        lines.append({t});
    return writeRecords(app.path(QStringLiteral("hours.dat")), lines);
}

struct Env {
    TempAppFolder app;
    FakePlatform platform;
    Env(const QDate &today, int labelCount) {
        platform.clock->current = QDateTime(today, QTime(9, 0));
        if (labelCount)
            writeHours(app, labelCount);
    }
    std::unique_ptr<FrmConsultGrille> open() { return std::make_unique<FrmConsultGrille>(); }
};

} // namespace

class TestGridWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Headings from the default locale's names; no hours.dat gives headings only.
    void layoutOfTheYear_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("labelCount");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QDate>("at60");
        const QLocale en, fr(QLocale::French, QLocale::France);
        QTest::newRow("2004") << QDate(2004, 6, 15) << 10 << en << 367 << QDate(2004, 2, 29);
        QTest::newRow("2005") << QDate(2005, 6, 15) << 10 << en << 366 << QDate(2005, 3, 1);
        QTest::newRow("2005 French") << QDate(2005, 3, 10) << 0 << fr << 366 << QDate(2005, 3, 1);
    }
    void layoutOfTheYear() {
        QFETCH(QDate, today);
        QFETCH(int, labelCount);
        QFETCH(QLocale, locale);
        QFETCH(int, cols);
        QFETCH(QDate, at60);
        const QLocale previous;
        QLocale::setDefault(locale);
        Env env(today, labelCount);
        auto w = env.open();
        QLocale::setDefault(previous);
        FlexGrid *g = w->GridLegendes;
        QCOMPARE(w->year(), today.year());
        QCOMPARE(g->Cols(), cols);
        QCOMPARE(g->Rows(), GridFixedRows + labelCount);
        QCOMPARE(g->TextMatrix(0, 1), locale.standaloneMonthName(1).toUpper());
        QCOMPARE(g->TextMatrix(1, 1),
                 locale.standaloneDayName(QDate(today.year(), 1, 1).dayOfWeek()));
        QCOMPARE(g->TextMatrix(2, 60), QString::number(at60.day()));
        QCOMPARE(g->TextMatrix(0, 60), locale.standaloneMonthName(at60.month()).toUpper());
        QCOMPARE(g->TextMatrix(1, 60), locale.standaloneDayName(at60.dayOfWeek()));
        QCOMPARE(g->TextMatrix(0, cols - 1), locale.standaloneMonthName(12).toUpper());
        QCOMPARE(g->TextMatrix(2, cols - 1), QStringLiteral("31"));
        QCOMPARE(g->TextMatrix(GridFixedRows + labelCount - 1, 0),
                 labelCount ? labels(labelCount).last() : QString());
    }

    // 1 January 2005 is a Saturday: its slots take the weekend colour, its
    // headings keep the heading colour. Enabled holidays are coloured too.
    void weekendsAndHolidays() {
        Env env(QDate(2005, 3, 10), 4);
        QVERIFY(env.app.write(QStringLiteral("JFValid.ini"), "0,0,0,0,0,0,0,1,0,0,0,0,0\r\n"));
        QVERIFY(
            env.app.write(QStringLiteral("F2005.ini"), "\"20/04/2005F\"\r\n\"21/04/2005\"\r\n"));
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        const quint32 weekend = w->LbVacColor.BackColor;
        QVERIFY(weekend != 0);
        for (int r = 0; r < GridFixedRows; ++r)
            QCOMPARE(colourAt(g, r, 1), 0u);
        QVERIFY(slotColoured(g, 1, weekend));   // Saturday
        QVERIFY(slotColoured(g, 2, weekend));   // Sunday
        QVERIFY(slotColoured(g, 3, 0));         // Monday
        QVERIFY(slotColoured(g, 195, weekend)); // Thursday 14 July
        QVERIFY(slotColoured(g, 110, weekend)); // 20 April, picked
        QVERIFY(slotColoured(g, 122, 0));       // 2 May, 1 May disabled
        QCOMPARE(w->ListFerie, (QStringList{"14/07/2005", "20/04/2005"}));
    }

    // With a year file the shape is the file's, whatever hours.dat holds.
    void rowsFromHoursOrFile() {
        Env env(QDate(2005, 3, 10), 0);
        QByteArray bytes;
        for (int i = 0; i < 13 * 366; ++i)
            bytes += encodeYearRecord(i >= 3 && i < 13 ? QStringLiteral("saved %1").arg(i) : "");
        QVERIFY(env.app.write(yearFileName(2005), bytes));
        for (int count : {12, 8}) {
            QVERIFY(writeHours(env.app, count));
            auto w = env.open();
            QCOMPARE(w->GridLegendes->Rows(), 13);
            QCOMPARE(w->GridLegendes->TextMatrix(12, 0), QStringLiteral("saved 12"));
            // Rebuilt without loading: the current labels, past them nothing.
            w->Initialisation_GrilleLegendes();
            QCOMPARE(w->GridLegendes->TextMatrix(10, 0), labels(count).at(7));
            QCOMPARE(w->GridLegendes->TextMatrix(12, 0), count == 12 ? labels(12).at(9) : "");
        }
        env.platform.clock->current = QDateTime(QDate(2004, 3, 10), QTime(9, 0));
        QCOMPARE(env.open()->GridLegendes->Rows(), 11); // no file for 2004: hours.dat
    }

    // The buttons stop at 2000 and 2005 and do nothing while a message plays.
    void yearButtons() {
        Env env(QDate(2026, 12, 6), 3);
        auto w = env.open();
        QCOMPARE(w->LbAnnee->text(), QStringLiteral("2005"));
        w->CmdAnneePlus->click();
        QCOMPARE(w->year(), 2005);
        w->CmdAnneeMoins->click();
        QCOMPARE(w->GridLegendes->TextMatrix(2, 60), QStringLiteral("29"));
        for (int i = 0; i < 6; ++i)
            w->CmdAnneeMoins->click();
        QCOMPARE(w->LbAnnee->text(), QStringLiteral("2000"));
        w->Slider1->show();
        w->CmdAnneePlus->click();
        QCOMPARE(w->year(), 2000);
        w->Slider1->hide();
        w->CmdAnneePlus->click();
        QCOMPARE(w->year(), 2001);
        QCOMPARE(w->GridLegendes->Cols(), 366);
    }

    void windowSizeRemembered() {
        Env env(QDate(2005, 3, 10), 0);
        const QString posIni = env.app.path(QStringLiteral("pos.ini"));
        const QScreen *screen = QGuiApplication::primaryScreen();
        const int defaultHeight =
            std::min(screen->availableGeometry().height(), screen->geometry().height() / 4 * 3);
        {
            auto w = env.open(); // no pos.ini: three quarters of the screen's height
            QCOMPARE(w->height(), defaultHeight);
            w->resize(twipsToPixels(9000, w.get()), twipsToPixels(6000, w.get()));
            w->close();
        }
        QCOMPARE(readPosIni(posIni), std::optional(WindowPos{9000, 6000, 0}));
        {
            auto w = env.open();
            QCOMPARE(w->size(), QSize(twipsToPixels(9000, w.get()), twipsToPixels(6000, w.get())));
            w->showMaximized();
            w->close();
        }
        QCOMPARE(readPosIni(posIni)->state, 2);
        QVERIFY(env.open()->windowState() & Qt::WindowMaximized);
        QVERIFY(env.app.write(QStringLiteral("pos.ini"), "9000,abc\r\n"));
        auto w = env.open();
        QVERIFY(!(w->windowState() & Qt::WindowMaximized));
        QCOMPARE(w->height(), defaultHeight);
    }

    void scrollsToThisWeek_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("leftCol");
        QTest::newRow("Wednesday 10 January") << QDate(2007, 1, 10) << 8;
        QTest::newRow("Saturday 1 January") << QDate(2005, 1, 1) << 1;
    }
    void scrollsToThisWeek() {
        QFETCH(QDate, today);
        QFETCH(int, leftCol);
        Env env(today, 5);
        QVERIFY(env.app.write(QStringLiteral("pos.ini"), "9000,6000,0\r\n"));
        auto w = env.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->GridLegendes->LeftCol(), leftCol);
        QCOMPARE(w->GridLegendes->horizontalHeader()->logicalIndexAt(0) + 1, leftCol);
    }

    // Every cell back, headings included, trimmed and cut to 20; marker codes
    // become pictures and are drawn in the slot's own colour.
    void saveAndReload() {
        Env env(QDate(2005, 3, 10), 6);
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        const QList<std::tuple<int, int, const char *>> cells = {
            {5, 10, ".."},     {6, 11, "."}, {7, 12, ",,"},
            {8, 13, ". ."},    {4, 1, "-"},  {3, 20, "abcdefghijklmnopqrstuvwxy"},
            {4, 0, "lunch   "}};
        for (const auto &[r, c, text] : cells)
            g->setTextMatrix(r, c, QString::fromLatin1(text));
        QVERIFY(w->EnregistrerGrille());
        QCOMPARE(QFileInfo(env.app.path(yearFileName(2005))).size(),
                 qint64(9) * 366 * YearRecordSize);

        auto again = env.open();
        FlexGrid *h = again->GridLegendes;
        for (int c = 0; c < g->Cols(); ++c)
            for (int r = 0; r < g->Rows(); ++r)
                QCOMPARE(h->TextMatrix(r, c), g->TextMatrix(r, c).trimmed().left(YearTextWidth));
        auto picture = [h](int r, int c) {
            h->setRow(r);
            h->setCol(c);
            return h->CellPicture().cacheKey();
        };
        QCOMPARE(picture(5, 10), again->ImgVert.cacheKey());
        QCOMPARE(picture(6, 11), again->ImgJaune.cacheKey());
        QCOMPARE(picture(4, 1), again->ImgRouge.cacheKey());
        QCOMPARE(picture(7, 12), QPixmap().cacheKey());
        QCOMPARE(picture(8, 13), QPixmap().cacheKey());
        QCOMPARE(h->paintForeColor(4, 1), h->paintBackColor(4, 1));
        QCOMPARE(h->paintForeColor(5, 10), h->paintBackColor(5, 10));
        // Six different round pictures on a clear ground, drawn for high-DPI
        // screens and small enough for a 40-pixel row.
        QSet<QRgb> centres;
        for (const QPixmap &p : {again->ImgNoir, again->ImgRouge, again->ImgBleu, again->ImgVert,
                                 again->ImgJaune, again->ImgMicro}) {
            QVERIFY(p.devicePixelRatio() >= 2.0);
            QVERIFY(p.deviceIndependentSize().height() <= twipsToPixels(600, again.get()) - 8);
            const QImage img = p.toImage();
            centres.insert(img.pixel(img.width() / 2, img.height() / 3) | 0xFF000000);
            QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        }
        QCOMPARE(centres.size(), 6);
    }

    // What the file holds is loaded; headings past its end stay as built, and
    // a larger file's tail survives the next save.
    void damagedFiles_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << 0 << QByteArray() << 7;
        QTest::newRow("truncated") << 200 << QByteArray("half") << 7;
        QTest::newRow("one column short") << 9 * 365 << QByteArray() << 9;
        QTest::newRow("oversized") << 9 * 366 + 70 << QByteArray("tail bytes") << 9;
    }
    void damagedFiles() {
        QFETCH(int, records);
        QFETCH(QByteArray, extra);
        QFETCH(int, rows);
        Env env(QDate(2005, 3, 10), 4);
        QByteArray bytes;
        for (int i = 0; i < records; ++i)
            bytes += encodeYearRecord(i % 9 == 5 ? QStringLiteral(":") : QString());
        bytes += extra;
        QVERIFY(env.app.write(yearFileName(2005), bytes));
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        QCOMPARE(g->Rows(), rows);
        if (rows == 9)
            QCOMPARE(g->TextMatrix(5, 5), QStringLiteral(":"));
        QCOMPARE(g->TextMatrix(2, 365), records < rows * 366 ? QStringLiteral("31") : QString());
        QVERIFY(w->EnregistrerGrille());
        const QByteArray now = env.app.read(yearFileName(2005));
        const qint64 written = qint64(rows) * 366 * YearRecordSize;
        QCOMPARE(now.size(), std::max<qint64>(written, bytes.size()));
        QCOMPARE(now.mid(written), bytes.mid(written));
    }

    void mainWindowMenuAndToolbar() {
        Env env(QDate(2005, 3, 10), 0);
        MdiMain::unregisterAll();
        MdiMain main;
        MdiMain::registerWindow(MdiMain::Tool::Grid,
                                [](QWidget *parent) { return new FrmConsultGrille(parent); });
        main.show();
        main.mnuouvrir_Click();
        QPointer<FrmConsultGrille> grid =
            qobject_cast<FrmConsultGrille *>(main.toolWindow(MdiMain::Tool::Grid));
        QVERIFY(grid);
        grid->Form_Activate();
        QVERIFY(!main.mnuconfiguration->menuAction()->isEnabled() && main.Toolbar1->isHidden());
        grid->close();
        QTRY_VERIFY(grid.isNull());
        QVERIFY(main.mnuconfiguration->menuAction()->isEnabled() && !main.Toolbar1->isHidden());
        QVERIFY(env.app.exists(QStringLiteral("pos.ini")));
        MdiMain::unregisterAll();
    }

    // A click remembers the cell; one on the first day scrolls fully left;
    // while a message plays clicks are ignored.
    void clickRemembersTheCell() {
        Env env(QDate(2005, 6, 15), 5);
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        colourAt(g, 4, 100);
        w->GridLegendes_Click();
        QCOMPARE(QPoint(SelRow, SelCol), QPoint(4, 100));
        QVERIFY(g->LeftCol() > 1);
        g->setCol(1);
        w->GridLegendes_Click();
        QCOMPARE(g->LeftCol(), 1);
        w->Slider1->show();
        colourAt(g, 6, 50);
        w->GridLegendes_Click();
        QCOMPARE(QPoint(SelRow, SelCol), QPoint(4, 1));
    }

    void screenshot() {
        Env env(QDate(2005, 5, 4), 10);
        QVERIFY(env.app.write(QStringLiteral("JFValid.ini"), "1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"));
        QVERIFY(env.app.write(QStringLiteral("pos.ini"), "17250,8400,0\r\n"));
        {
            // A few messages around the week shown, saved as the program does.
            auto first = env.open();
            const QStringList codes = {",", "-", ":", "..", "."};
            for (int c = 122; c <= 135; ++c)
                for (int r = 3; r < 13; ++r)
                    if ((r * 3 + c) % 7 == 0)
                        first->GridLegendes->setTextMatrix(r, c, codes.at((r + c) % 5));
            QVERIFY(first->EnregistrerGrille());
        }
        auto w = env.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        colourAt(w->GridLegendes, 6, 124);
        w->GridLegendes->setCellPicture(w->ImgMicro);
        const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(w->grab().save(dir + QStringLiteral("/grid2005.png")));
    }
};

QTEST_MAIN(TestGridWindow)
#include "tst_gridwindow.moc"
