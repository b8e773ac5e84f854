// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/YearFile.h"
#include "shell/MdiMain.h"
#include "shell/Twips.h"

#include "AppFixture.h"
#include "GridWindow.h"
#include "MessageSupport.h"
#include "Screenshots.h"
#include "YearFiles.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>

#include <sys/inotify.h>
#include <unistd.h>

using namespace tembrel;
using namespace tembrel::test;

namespace {

// The files and folders of a folder opened meanwhile, by name, as the kernel
// saw them. Closes are watched too: the kernel folds an event into the same
// one before it, which would hide a second open right after the first.
class OpenCounter final {
public:
    explicit OpenCounter(const QString &folder)
        : m_fd(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                          IN_OPEN | IN_CLOSE_NOWRITE | IN_CLOSE_WRITE);
    }
    ~OpenCounter() { ::close(m_fd); }
    OpenCounter(const OpenCounter &) = delete;
    OpenCounter &operator=(const OpenCounter &) = delete;
    QMap<QString, int> take() {
        QMap<QString, int> opens;
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char *p = buffer; p < buffer + n;) {
                const auto *e = reinterpret_cast<const inotify_event *>(p);
                if (e->len && (e->mask & IN_OPEN))
                    ++opens[QString::fromLocal8Bit(e->name)];
                p += sizeof(inotify_event) + e->len;
            }
        return opens;
    }

private:
    int m_fd;
};

QStringList labels(int n) {
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QTime(8, 0).addSecs(i * 1800).toString(QStringLiteral("HH:mm"));
    return out;
}

bool slotColoured(FlexGrid *g, int col, quint32 colour) {
    for (int r = GridFixedRows; r < g->Rows(); ++r)
        if (cellAt(g, r, col)->CellBackColor() != colour)
            return false;
    return true;
}

// The colour at the middle of a grid cell in a picture of the window; invalid
// when the cell is not in view.
QColor shownAt(const QImage &shot, FrmConsultGrille *w, int row, int col) {
    FlexGrid *g = w->GridLegendes;
    const QRect cell = g->visualRect(g->model()->index(row - GridFixedRows, col - 1));
    if (!g->viewport()->rect().contains(cell))
        return {};
    return shot.pixelColor(g->viewport()->mapTo(w, cell.center()));
}

} // namespace

class TestGridWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Headings from the locale's names; no hours.dat gives headings only. The
    // grid opens scrolled to this week's Monday, fully left before the first one.
    void layoutOfTheYear_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("labelCount");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QDate>("at60");
        QTest::addColumn<int>("leftCol");
        QTest::newRow("2004") << QDate(2004, 6, 15) << 10 << 367 << QDate(2004, 2, 29) << 166;
        QTest::newRow("2005, no hours, Saturday 1 January")
            << QDate(2005, 1, 1) << 0 << 366 << QDate(2005, 3, 1) << 1;
        QTest::newRow("Wednesday 10 January, opens 2005")
            << QDate(2007, 1, 10) << 5 << 366 << QDate(2005, 3, 1) << 8;
    }
    void layoutOfTheYear() {
        QFETCH(QDate, today);
        QFETCH(int, labelCount);
        QFETCH(int, cols);
        QFETCH(QDate, at60);
        AppFixture env(today);
        QVERIFY(env.writeHours(labels(labelCount)));
        QVERIFY(env.write(QStringLiteral("pos.ini"), "9000,6000,0\r\n"));
        auto w = std::make_unique<FrmConsultGrille>();
        QVERIFY(exposed(w.get()));
        FlexGrid *g = w->GridLegendes;
        const QLocale locale;
        QCOMPARE(g->Cols(), cols);
        QCOMPARE(g->Rows(), GridFixedRows + labelCount);
        QTEST(g->LeftCol(), "leftCol");
        QCOMPARE(g->TextMatrix(1, 1),
                 locale.standaloneDayName(QDate(at60.year(), 1, 1).dayOfWeek()));
        QCOMPARE(g->TextMatrix(2, 60), QString::number(at60.day()));
        QCOMPARE(g->TextMatrix(0, 60), locale.standaloneMonthName(at60.month()).toUpper());
        QCOMPARE(g->TextMatrix(2, cols - 1), QStringLiteral("31"));
        QCOMPARE(g->TextMatrix(GridFixedRows + labelCount - 1, 0),
                 labelCount ? labels(labelCount).last() : QString());
    }

    // 1 January 2005 is a Saturday: its slots take the weekend colour, its
    // headings keep the heading colour. Enabled holidays are coloured too.
    void weekendsAndHolidays() {
        AppFixture env(QDate(2005, 3, 10));
        QVERIFY(env.writeHours(labels(4)));
        QVERIFY(env.write(QStringLiteral("JFValid.ini"), "0,0,0,0,0,0,0,1,0,0,0,0,0\r\n"));
        QVERIFY(env.write(QStringLiteral("F2005.ini"), "\"20/04/2005F\"\r\n\"21/04/2005\"\r\n"));
        auto w = std::make_unique<FrmConsultGrille>();
        FlexGrid *g = w->GridLegendes;
        const quint32 weekend = w->LbVacColor.BackColor;
        QVERIFY(weekend != 0);
        for (int r = 0; r < GridFixedRows; ++r)
            QCOMPARE(cellAt(g, r, 1)->CellBackColor(), 0u);
        // Saturday, Sunday, Monday, 14 July, 20 April picked, 2 May (1 May disabled).
        const QList<std::pair<int, quint32>> expect = {{1, weekend},   {2, weekend},   {3, 0u},
                                                       {195, weekend}, {110, weekend}, {122, 0u}};
        for (const auto &[col, colour] : expect)
            QVERIFY2(slotColoured(g, col, colour), QByteArray::number(col));
    }

    void yearButtons() {
        AppFixture env(QDate(2026, 12, 6));
        QVERIFY(env.writeHours(labels(3)));
        auto w = std::make_unique<FrmConsultGrille>();
        w->CmdAnneePlus->click();
        QCOMPARE(w->LbAnnee->text(), QStringLiteral("2005"));
        for (int i = 0; i < 7; ++i)
            w->CmdAnneeMoins->click();
        QCOMPARE(w->LbAnnee->text(), QStringLiteral("2000"));
        w->CmdAnneePlus->click();
        QCOMPARE(w->year(), 2001);
        QCOMPARE(w->GridLegendes->TextMatrix(1, 1), QLocale().standaloneDayName(1)); // 1/1/2001
    }

    void windowSizeRemembered() {
        AppFixture env(QDate(2005, 3, 10));
        QVERIFY(env.writeHours(labels(0)));
        const QString posIni = env.path(QStringLiteral("pos.ini"));
        // No pos.ini: most of the screen's height, on the screen.
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        auto fitsTheScreen = [avail](const QWidget *w) {
            return w->height() <= avail.height() && w->height() > avail.height() / 2;
        };
        auto w = std::make_unique<FrmConsultGrille>();
        QVERIFY(fitsTheScreen(w.get()));
        const QSize size(twipsToPixels(9000, w.get()), twipsToPixels(6000, w.get()));
        w->resize(size);
        w->close();
        QCOMPARE(readPosIni(posIni), std::optional(WindowPos{9000, 6000, 0}));
        w = std::make_unique<FrmConsultGrille>();
        QCOMPARE(w->size(), size);
        w->showMaximized();
        w->close();
        QCOMPARE(readPosIni(posIni)->state, 2);
        QVERIFY(std::make_unique<FrmConsultGrille>()->windowState() & Qt::WindowMaximized);
        QVERIFY(env.write(QStringLiteral("pos.ini"), "9000,abc\r\n"));
        w = std::make_unique<FrmConsultGrille>();
        QVERIFY(!(w->windowState() & Qt::WindowMaximized));
        QVERIFY(fitsTheScreen(w.get()));
    }

    // Marker codes show as pictures, other texts as they are; the window writes
    // the texts it shows back. (Trimming and cutting a field: tst_yearfile.)
    void fileShownAndWrittenBack() {
        AppFixture env(QDate(2005, 3, 10));
        QVERIFY(env.writeHours(labels(6)));
        const QList<YearCell> cells = {{5, 10, ".."},     {6, 11, "."},
                                       {7, 12, ",,"},     {8, 13, ". ."},
                                       {4, 1, "-"},       {3, 20, "abcdefghijklmnopqrstuvwxy"},
                                       {4, 0, "lunch   "}};
        QVERIFY(env.write(yearFileName(2005), yearBytes(2005, 9, cells)));
        auto w = std::make_unique<FrmConsultGrille>();
        FlexGrid *h = w->GridLegendes;
        auto picture = [h](int r, int c) { return cellAt(h, r, c)->CellPicture().cacheKey(); };
        QCOMPARE(picture(5, 10), w->ImgVert.cacheKey());
        QCOMPARE(picture(6, 11), w->ImgJaune.cacheKey());
        QCOMPARE(picture(4, 1), w->ImgRouge.cacheKey());
        QCOMPARE(picture(7, 12), QPixmap().cacheKey());
        QCOMPARE(picture(8, 13), QPixmap().cacheKey());
        QCOMPARE(h->paintForeColor(5, 9), h->paintBackColor(5, 9)); // a Sunday

        QVERIFY(w->EnregistrerGrille());
        const YearContent again = loadYearContent(env.path(yearFileName(2005)), 2005);
        QCOMPARE(again.state, YearContent::State::Whole);
        for (int c = 0; c < h->Cols(); ++c)
            for (int r = 0; r < h->Rows(); ++r)
                QCOMPARE(again.text(r, c), h->TextMatrix(r, c));
    }

    // Opening the grid reads the year file once and lists the year's
    // archives once, however many messages it holds.
    void oneReadingPerOpening() {
        AppFixture env(QDate(2005, 3, 10));
        QVERIFY(env.writeHours(labels(4)));
        for (int c = 1; c <= 3; ++c)
            QVERIFY(storeMessage(2005, Slot{3 + c, c * 50}, flatSound(50), Marker::Bleu));
        OpenCounter counter(env.path({}));
        counter.take();
        auto w = std::make_unique<FrmConsultGrille>();
        QCOMPARE(w->GridLegendes->TextMatrix(5, 100), QStringLiteral(":"));
        w->model().settleArchives();
        const QMap<QString, int> opened = counter.take();
        QCOMPARE(opened.value("_2005.dte"), 1);
        QCOMPARE(opened.value("D2005"), 1);
    }

    // The archives are reconciled after the grid shows: a click that comes
    // first on a slot whose marker the year file lost plays its message
    // rather than record over it, and an archive below the year's rows
    // brings its row once the event loop delivers the listing.
    void archivesAfterShowing() {
        AppFixture env(QDate(2005, 3, 10));
        QVERIFY(env.writeHours(labels(4)));
        QVERIFY(storeMessage(2005, Slot{5, 60}, flatSound(500)));
        int recordingOpened = 0;
        FrmConsultGrille::setRecordingWindowFactory([&](YearModel &, Slot, QWidget *) {
            ++recordingOpened;
            return new QWidget;
        });
        auto w = std::make_unique<FrmConsultGrille>();
        w->show();
        FlexGrid *g = w->GridLegendes;
        clickCell(w.get(), 5, 60);
        QCOMPARE(recordingOpened, 0);
        QCOMPARE(env.sound->runningPlaybacks(), 1);
        QCOMPARE(g->TextMatrix(5, 60), QStringLiteral(","));
        QCOMPARE(loadYearContent(env.path(yearFileName(2005)), 2005).text(5, 60), u",");
        w.reset();

        QVERIFY(storeMessage(2005, Slot{8, 70}, flatSound(500)));
        w = std::make_unique<FrmConsultGrille>();
        g = w->GridLegendes;
        QTRY_COMPARE(g->Rows(), 9);
        QCOMPARE(g->TextMatrix(8, 70), QStringLiteral(","));
        QCOMPARE(cellAt(g, 8, 70)->CellPicture().cacheKey(), w->ImgNoir.cacheKey());
        QVERIFY(slotColoured(g, 1, w->LbVacColor.BackColor)); // a Saturday, its new row too
        FrmConsultGrille::setRecordingWindowFactory({});
    }

    // The picture of the window shows the weekend colour of the main window
    // in a weekend column, plain slots elsewhere, and each marker in its cell.
    void screenshot() {
        AppFixture env(QDate(2005, 5, 4));
        MdiMain main; // holds the weekend colour the grid paints
        main.LbCouleurWE.BackColor = 0x99CCFF;
        QVERIFY(env.writeHours(labels(10)));
        QVERIFY(env.write(QStringLiteral("JFValid.ini"), "1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"));
        QVERIFY(env.write(QStringLiteral("pos.ini"), "17250,8400,0\r\n"));
        // A few messages around the week shown, saved as the program does.
        auto w = std::make_unique<FrmConsultGrille>();
        const QStringList codes = {",", "-", ":", "..", "."};
        for (int c = 122; c <= 135; ++c)
            for (int r = 3; r < 13; ++r)
                if ((r * 3 + c) % 7 == 0)
                    w->model().setMarker(Slot{r, c}, markerForCode(codes.at((r + c) % 5)));
        QVERIFY(w->EnregistrerGrille());
        w = std::make_unique<FrmConsultGrille>();
        QVERIFY(exposed(w.get()));
        cellAt(w->GridLegendes, 6, 124);
        w->GridLegendes->setCellPicture(w->ImgMicro);
        const QImage shot = test::screenshot(w.get(), "grid2005.png");
        QVERIFY(!shot.isNull());

        // Saturday 7 May, Wednesday 4 May, and the blue marker (":") of 4 May.
        QCOMPARE(shownAt(shot, w.get(), 3, 127), QColor(0xFF, 0xCC, 0x99));
        QCOMPARE(shownAt(shot, w.get(), 4, 124), QColor(Qt::white));
        const QImage blue = w->ImgBleu.toImage();
        const QColor marker = blue.pixelColor(blue.width() / 2, blue.height() / 2);
        const QColor shown = shownAt(shot, w.get(), 3, 124);
        const int hues = std::abs(shown.hsvHue() - marker.hsvHue());
        QVERIFY2(std::min(hues, 360 - hues) <= 12 && shown.hsvSaturation() > 100,
                 qPrintable(shown.name() + " for " + marker.name()));
    }
};

QTEST_MAIN(TestGridWindow)
#include "tst_gridwindow.moc"
