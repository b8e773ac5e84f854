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
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
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
        out << QStringLiteral("%1:%2")
                   .arg(8 + i / 2, 2, 10, QLatin1Char('0'))
                   .arg(i % 2 ? 30 : 0, 2, 10, QLatin1Char('0'));
    return out;
}

void writeHours(const TempAppFolder &app, const QStringList &texts) {
    QList<Record> lines;
    for (const QString &t : texts)
        lines.append({t});
    QVERIFY(writeRecords(app.path(QStringLiteral("hours.dat")), lines));
}

// A year file of rows x cols records, each text given by the function.
template <typename F>
void writeYearFile(const TempAppFolder &app, int year, int rows, int cols, F text) {
    QByteArray bytes;
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            bytes += encodeYearRecord(text(r, c));
    QVERIFY(app.write(yearFileName(year), bytes));
}

bool slotColoured(FlexGrid *g, int col, quint32 colour) {
    for (int r = GridFixedRows; r < g->Rows(); ++r) {
        g->setRow(r);
        g->setCol(col);
        if (g->CellBackColor() != colour)
            return false;
    }
    return true;
}

quint32 backColor(FlexGrid *g, int row, int col) {
    g->setRow(row);
    g->setCol(col);
    return g->CellBackColor();
}

class Env {
public:
    TempAppFolder app;
    FakePlatform platform;
    void today(const QDate &d) { platform.clock->current = QDateTime(d, QTime(9, 0)); }
    std::unique_ptr<FrmConsultGrille> open() { return std::make_unique<FrmConsultGrille>(); }
};

} // namespace

class TestGridWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutOfTheYear_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QDate>("at60");
        QTest::newRow("2004") << QDate(2004, 6, 15) << 367 << QDate(2004, 2, 29);
        QTest::newRow("2005") << QDate(2005, 6, 15) << 366 << QDate(2005, 3, 1);
    }
    void layoutOfTheYear() {
        QFETCH(QDate, today);
        QFETCH(int, cols);
        QFETCH(QDate, at60);
        Env env;
        env.today(today);
        writeHours(env.app, labels(10));
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        QCOMPARE(w->year(), today.year());
        QCOMPARE(g->Cols(), cols);
        QCOMPARE(g->Rows(), 13);
        QCOMPARE(g->FixedRows(), 3);
        QCOMPARE(g->FixedCols(), 1);
        const QLocale locale;
        QCOMPARE(g->TextMatrix(2, 60), QString::number(at60.day()));
        QCOMPARE(g->TextMatrix(0, 60), locale.standaloneMonthName(at60.month()).toUpper());
        QCOMPARE(g->TextMatrix(1, 60), locale.standaloneDayName(at60.dayOfWeek()));
        QCOMPARE(g->TextMatrix(0, cols - 1), locale.standaloneMonthName(12).toUpper());
        QCOMPARE(g->TextMatrix(2, cols - 1), QStringLiteral("31"));
        QCOMPARE(g->TextMatrix(3, 0), QStringLiteral("08:00"));
        QCOMPARE(g->TextMatrix(12, 0), QStringLiteral("12:30"));
        QCOMPARE(g->ColWidth(0), 1500);
        QCOMPARE(g->ColWidth(200), 800);
        QCOMPARE(g->ColAlignment(0), 4);
        QCOMPARE(g->ColAlignment(cols - 1), 4);
        QCOMPARE(g->RowHeight(2), 310);
        QCOMPARE(g->RowHeight(3), 600);
        QCOMPARE(g->MergeCells(), 4);
        QVERIFY(g->MergeRow(0));
        QCOMPARE(g->ForeColor(), ColourWhite);
        QCOMPARE(g->BackColorFixed(), Settings{}.gridColour);
        QCOMPARE(g->FontName(), Settings{}.fontName);
    }

    // 1 January 2005 is a Saturday: its slots take the weekend colour, its
    // headings keep the heading colour. Holidays are coloured the same way.
    void weekendsAndHolidays() {
        Env env;
        env.today(QDate(2005, 3, 10));
        writeHours(env.app, labels(4));
        QVERIFY(env.app.write(QStringLiteral("JFValid.ini"), "0,0,0,0,0,0,0,1,0,0,0,0,0\r\n"));
        QVERIFY(
            env.app.write(QStringLiteral("F2005.ini"), "\"20/04/2005F\"\r\n\"21/04/2005\"\r\n"));
        MdiMain main;
        Settings s;
        s.weekendColour = 0x80FFFF;
        s.gridColour = 0xE0C0A0;
        main.applySettings(s);
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        QCOMPARE(w->LbVacColor.BackColor, 0x80FFFFu);
        QCOMPARE(g->BackColorFixed(), 0xE0C0A0u);
        QCOMPARE(g->TextMatrix(1, 1), QLocale().standaloneDayName(Qt::Saturday));
        QVERIFY(slotColoured(g, 1, 0x80FFFF));
        for (int r = 0; r < GridFixedRows; ++r)
            QCOMPARE(backColor(g, r, 1), 0u);
        QVERIFY(slotColoured(g, 2, 0x80FFFF));   // Sunday
        QVERIFY(slotColoured(g, 3, 0));          // Monday
        QVERIFY(slotColoured(g, 195, 0x80FFFF)); // Thursday 14 July
        QVERIFY(slotColoured(g, 110, 0x80FFFF)); // 20 April, picked
        QVERIFY(slotColoured(g, 111, 0));        // 21 April, not picked
        QVERIFY(slotColoured(g, 121, 0x80FFFF)); // 1 May 2005, a Sunday
        QVERIFY(slotColoured(g, 122, 0));        // 2 May, 1 May disabled
        QCOMPARE(w->ListFerie, (QStringList{"14/07/2005", "20/04/2005"}));
        // Loading gave every slot its back colour as text colour.
        g->setRow(5);
        g->setCol(1);
        QCOMPARE(g->CellForeColor(), 0u); // no year file: nothing loaded
    }

    void frenchNames() {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        Env env;
        env.today(QDate(2005, 3, 10));
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        QLocale::setDefault(previous);
        QCOMPARE(g->TextMatrix(0, 1), QStringLiteral("JANVIER"));
        QCOMPARE(g->TextMatrix(1, 1), QStringLiteral("samedi"));
        QCOMPARE(g->TextMatrix(0, 60), QStringLiteral("MARS"));
        QCOMPARE(g->TextMatrix(1, 3), QStringLiteral("lundi"));
        QCOMPARE(g->Rows(), 3); // no hours.dat: headings only
    }

    void rowsFromHoursOrFile() {
        Env env;
        env.today(QDate(2005, 3, 10));
        // With a year file of 13 rows, the shape is the file's, whatever hours.dat holds.
        writeYearFile(env.app, 2005, 13, 366, [](int r, int c) {
            return c == 0 && r >= 3 ? QStringLiteral("saved %1").arg(r) : QString();
        });
        writeHours(env.app, labels(12));
        {
            auto w = env.open();
            QCOMPARE(w->GridLegendes->Rows(), 13);
            QCOMPARE(w->GridLegendes->TextMatrix(12, 0), QStringLiteral("saved 12"));
            // Rebuilt without loading: the current labels, the last two not shown.
            w->Initialisation_GrilleLegendes();
            QCOMPARE(w->GridLegendes->TextMatrix(12, 0), labels(12).at(9));
        }
        writeHours(env.app, labels(8));
        {
            auto w = env.open();
            QCOMPARE(w->GridLegendes->Rows(), 13);
            w->Initialisation_GrilleLegendes();
            QCOMPARE(w->GridLegendes->TextMatrix(10, 0), labels(8).at(7));
            QVERIFY(w->GridLegendes->TextMatrix(11, 0).isEmpty());
            QVERIFY(w->GridLegendes->TextMatrix(12, 0).isEmpty());
        }
        // Another year without a file follows hours.dat.
        env.today(QDate(2004, 3, 10));
        auto w = env.open();
        QCOMPARE(w->GridLegendes->Rows(), 11);
    }

    void yearButtons() {
        Env env;
        env.today(QDate(2026, 12, 6));
        writeHours(env.app, labels(3));
        auto w = env.open();
        QCOMPARE(w->LbAnnee->text(), QStringLiteral("2005"));
        w->CmdAnneePlus->click();
        QCOMPARE(w->year(), 2005);
        w->CmdAnneeMoins->click();
        QCOMPARE(w->year(), 2004);
        QCOMPARE(w->GridLegendes->Cols(), 367);
        QCOMPARE(w->GridLegendes->TextMatrix(2, 60), QStringLiteral("29"));
        for (int i = 0; i < 6; ++i)
            w->CmdAnneeMoins->click();
        QCOMPARE(w->year(), 2000);
        QCOMPARE(w->GridLegendes->TextMatrix(1, 1), QLocale().standaloneDayName(Qt::Saturday));
        // While a message plays the buttons do nothing.
        w->Slider1->show();
        w->CmdAnneePlus->click();
        QCOMPARE(w->year(), 2000);
        w->Slider1->hide();
        w->CmdAnneePlus->click();
        QCOMPARE(w->year(), 2001);
        QCOMPARE(w->GridLegendes->Cols(), 366);
        QVERIFY(w->PictBar->isHidden());
    }

    void windowSizeRemembered() {
        Env env;
        env.today(QDate(2005, 3, 10));
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        {
            auto w = env.open(); // no pos.ini: three quarters of the screen's height
            QCOMPARE(w->height(), std::min(avail.height(), screen.height() / 4 * 3));
            w->resize(twipsToPixels(9000, w.get()), twipsToPixels(6000, w.get()));
            w->close();
        }
        const auto written = readPosIni(env.app.path(QStringLiteral("pos.ini")));
        QVERIFY(written);
        QCOMPARE(written->state, 0);
        QCOMPARE(qRound(written->width), 9000);
        QCOMPARE(qRound(written->height), 6000);
        {
            auto w = env.open();
            QCOMPARE(w->size(), QSize(twipsToPixels(9000, w.get()), twipsToPixels(6000, w.get())));
            w->showMaximized();
            w->close();
        }
        QCOMPARE(readPosIni(env.app.path(QStringLiteral("pos.ini")))->state, 2);
        {
            auto w = env.open();
            QVERIFY(w->windowState() & Qt::WindowMaximized);
            w->close();
        }
        QVERIFY(env.app.write(QStringLiteral("pos.ini"), "9000,abc\r\n"));
        auto w = env.open();
        QVERIFY(!(w->windowState() & Qt::WindowMaximized));
        QCOMPARE(w->height(), std::min(avail.height(), screen.height() / 4 * 3));
    }

    void scrollsToThisWeek_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("leftCol");
        QTest::newRow("Wednesday 10 January") << QDate(2007, 1, 10) << 8;
        QTest::newRow("Saturday 1 January") << QDate(2005, 1, 1) << 1;
        QTest::newRow("Sunday 2 January") << QDate(2005, 1, 2) << 1;
        QTest::newRow("Friday 29 April") << QDate(2005, 4, 29) << 115;
    }
    void scrollsToThisWeek() {
        QFETCH(QDate, today);
        QFETCH(int, leftCol);
        Env env;
        env.today(today);
        writeHours(env.app, labels(5));
        QVERIFY(env.app.write(QStringLiteral("pos.ini"), "9000,6000,0\r\n"));
        auto w = env.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        FlexGrid *g = w->GridLegendes;
        QCOMPARE(g->LeftCol(), leftCol);
        QCOMPARE(g->horizontalHeader()->logicalIndexAt(0) + 1, leftCol);
        QCOMPARE(g->horizontalScrollBar()->value(),
                 g->horizontalHeader()->sectionPosition(leftCol - 1));
    }

    void saveAndReload() {
        Env env;
        env.today(QDate(2005, 3, 10));
        writeHours(env.app, labels(6));
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        g->setTextMatrix(5, 10, QStringLiteral(".."));
        g->setTextMatrix(6, 11, QStringLiteral("."));
        g->setTextMatrix(7, 12, QStringLiteral(",,"));
        g->setTextMatrix(8, 13, QStringLiteral(". ."));
        g->setTextMatrix(4, 1, QStringLiteral("-")); // a weekend slot
        g->setTextMatrix(3, 20, QStringLiteral("abcdefghijklmnopqrstuvwxy"));
        g->setTextMatrix(4, 0, QStringLiteral("lunch   "));
        QStringList before;
        for (int c = 0; c < g->Cols(); ++c)
            for (int r = 0; r < g->Rows(); ++r)
                before << g->TextMatrix(r, c);
        QVERIFY(w->EnregistrerGrille());
        QCOMPARE(QFileInfo(env.app.path(QStringLiteral("_2005.dte"))).size(),
                 qint64(9) * 366 * YearRecordSize);

        auto again = env.open();
        g = again->GridLegendes;
        int i = 0;
        for (int c = 0; c < g->Cols(); ++c)
            for (int r = 0; r < g->Rows(); ++r, ++i) {
                QString expected = before.at(i);
                while (expected.endsWith(QLatin1Char(' ')))
                    expected.chop(1);
                QCOMPARE(g->TextMatrix(r, c), expected.left(YearTextWidth));
            }
        auto picture = [g](int r, int c) {
            g->setRow(r);
            g->setCol(c);
            return g->CellPicture().cacheKey();
        };
        QCOMPARE(picture(5, 10), again->ImgVert.cacheKey());
        QCOMPARE(picture(6, 11), again->ImgJaune.cacheKey());
        QCOMPARE(picture(4, 1), again->ImgRouge.cacheKey());
        QCOMPARE(picture(7, 12), QPixmap().cacheKey());
        QCOMPARE(picture(8, 13), QPixmap().cacheKey());
        // Text colour = back colour: marker codes are drawn invisible.
        g->setRow(4);
        g->setCol(1);
        QCOMPARE(g->CellForeColor(), again->LbVacColor.BackColor);
        QCOMPARE(g->paintForeColor(5, 10), g->paintBackColor(5, 10));
    }

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
        Env env;
        env.today(QDate(2005, 3, 10));
        writeHours(env.app, labels(4));
        QByteArray bytes;
        for (int i = 0; i < records; ++i)
            bytes += encodeYearRecord(i % 9 == 5 ? QStringLiteral(":") : QString());
        bytes += extra;
        QVERIFY(env.app.write(QStringLiteral("_2005.dte"), bytes));
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        QCOMPARE(g->Rows(), rows);
        // What the file holds is loaded; headings past its end stay as built.
        if (rows == 9)
            QCOMPARE(g->TextMatrix(5, 5), QStringLiteral(":"));
        if (records < rows * 366) {
            QCOMPARE(g->TextMatrix(2, 365), QStringLiteral("31"));
            QCOMPARE(g->TextMatrix(0, 365), QLocale().standaloneMonthName(12).toUpper());
        } else {
            QVERIFY(g->TextMatrix(2, 365).isEmpty()); // the file's own (blank) heading
        }
        QVERIFY(w->EnregistrerGrille());
        const QByteArray now = env.app.read(QStringLiteral("_2005.dte"));
        const qint64 written = qint64(rows) * 366 * YearRecordSize;
        QCOMPARE(now.size(), std::max<qint64>(written, bytes.size()));
        QCOMPARE(now.mid(written), bytes.mid(written)); // a larger file's tail is kept
    }

    void mainWindowMenuAndToolbar() {
        Env env;
        env.today(QDate(2005, 3, 10));
        MdiMain::unregisterAll();
        MdiMain main;
        QVERIFY(!main.mnuouvrir->isEnabled());
        MdiMain::registerWindow(MdiMain::Tool::Grid,
                                [](QWidget *parent) { return new FrmConsultGrille(parent); });
        QVERIFY(main.mnuouvrir->isEnabled());
        main.show();
        main.mnuouvrir_Click();
        auto *grid = qobject_cast<FrmConsultGrille *>(main.toolWindow(MdiMain::Tool::Grid));
        QVERIFY(grid);
        QCOMPARE(FrmConsultGrille::instance(), grid);
        grid->Form_Activate();
        QVERIFY(!main.mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(main.Toolbar1->isHidden());
        QPointer<FrmConsultGrille> guard(grid);
        grid->close();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(main.mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(!main.Toolbar1->isHidden());
        QVERIFY(env.app.exists(QStringLiteral("pos.ini")));
        MdiMain::unregisterAll();
    }

    void clickRemembersTheCell() {
        Env env;
        env.today(QDate(2005, 6, 15));
        writeHours(env.app, labels(5));
        auto w = env.open();
        FlexGrid *g = w->GridLegendes;
        QVERIFY(g->LeftCol() > 1);
        g->setRow(4);
        g->setCol(100);
        w->GridLegendes_Click();
        QCOMPARE(SelRow, 4);
        QCOMPARE(SelCol, 100);
        QVERIFY(g->LeftCol() > 1);
        g->setCol(1);
        w->GridLegendes_Click();
        QCOMPARE(SelCol, 1);
        QCOMPARE(g->LeftCol(), 1);
        w->Slider1->show();
        g->setRow(6);
        g->setCol(50);
        w->GridLegendes_Click();
        QCOMPARE(SelRow, 4);
        QCOMPARE(SelCol, 1);
    }

    void markerPictures() {
        Env env;
        auto w = env.open();
        const QPixmap pics[] = {w->ImgNoir, w->ImgRouge, w->ImgBleu,
                                w->ImgVert, w->ImgJaune, w->ImgMicro};
        QSet<QRgb> centres;
        for (const QPixmap &p : pics) {
            QVERIFY(!p.isNull());
            QVERIFY(p.devicePixelRatio() >= 2.0);
            QVERIFY(p.deviceIndependentSize().height() <= twipsToPixels(600, w.get()) - 8);
            const QImage img = p.toImage();
            centres.insert(img.pixel(img.width() / 2, img.height() / 3) | 0xFF000000);
            QCOMPARE(qAlpha(img.pixel(0, 0)), 0); // round, on a clear ground
        }
        QCOMPARE(centres.size(), 6); // six different looks
    }

    void screenshot() {
        Env env;
        env.today(QDate(2005, 5, 4));
        writeHours(env.app, labels(10));
        QVERIFY(env.app.write(QStringLiteral("JFValid.ini"), "1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"));
        QVERIFY(env.app.write(QStringLiteral("pos.ini"), "17250,8400,0\r\n"));
        // A few messages around the week shown, saved and read back as the
        // program does.
        {
            auto first = env.open();
            const QStringList codes = {QStringLiteral(","), QStringLiteral("-"),
                                       QStringLiteral(":"), QStringLiteral(".."),
                                       QStringLiteral(".")};
            for (int c = 122; c <= 135; ++c)
                for (int r = 3; r < 13; ++r)
                    if ((r * 3 + c) % 7 == 0)
                        first->GridLegendes->setTextMatrix(r, c, codes.at((r + c) % 5));
            QVERIFY(first->EnregistrerGrille());
        }
        auto w = env.open();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->GridLegendes->setRow(6);
        w->GridLegendes->setCol(124);
        w->GridLegendes->setCellPicture(w->ImgMicro);
        QCoreApplication::processEvents();
        const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
        QVERIFY(QDir().mkpath(dir));
        const QPixmap shot = w->grab();
        QVERIFY(shot.save(dir + QStringLiteral("/grid2005.png")));
        QVERIFY(!shot.isNull());
    }
};

QTEST_MAIN(TestGridWindow)
#include "tst_gridwindow.moc"
