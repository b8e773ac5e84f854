// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/FlexGrid.h"
#include "grid/FrmProgressBar.h"
#include "shell/QtColours.h"
#include "shell/Twips.h"

#include "Screenshots.h"

#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace tembrel;

namespace {

// A grid shaped like the year grid: three heading rows, one label column.
void shapeYearLike(FlexGrid &g, int rows, int cols) {
    g.setRows(rows), g.setCols(cols), g.setFixedRows(3), g.setFixedCols(1);
    g.setColWidth(0, 1500);
    for (int c = 1; c < cols; ++c)
        g.setColWidth(c, 800);
    for (int r = 0; r < rows; ++r)
        g.setRowHeight(r, r < 3 ? 310 : 600);
}

bool showAt(FlexGrid &g, int width, int height) {
    g.resize(width, height);
    return test::exposed(&g);
}

} // namespace

class TestFlexGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Reshaping keeps what fits; the current cell's properties reach only it;
    // Clear empties the cells but keeps the sizes.
    void cellsShapeAndColours() {
        FlexGrid g;
        shapeYearLike(g, 5, 4);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 4; ++c)
                QVERIFY(g.setTextMatrix(r, c, QStringLiteral("%1/%2").arg(r).arg(c)));
        g.setRows(7), g.setCols(10);
        QCOMPARE(g.TextMatrix(4, 3), QStringLiteral("4/3"));
        QVERIFY(g.TextMatrix(6, 9).isEmpty());
        QVERIFY(!g.setTextMatrix(7, 0, QStringLiteral("x")) && !g.setTextMatrix(-1, 0, "x"));
        QVERIFY(!g.setRow(7) && !g.setCol(-1) && !g.setFixedRows(8));

        QVERIFY(g.setRow(4) && g.setCol(7));
        g.setCellBackColor(0x00FF00);
        g.setText(QStringLiteral(".."));
        const QModelIndex idx = g.model()->index(4 - 3, 7 - 1);
        QCOMPARE(idx.data().toString(), QStringLiteral(".."));
        QCOMPARE(idx.data(Qt::BackgroundRole).value<QColor>(), toQColor(0x00FF00));
        g.setCol(6);
        QCOMPARE(g.CellBackColor(), 0u);

        g.setCol(7);
        g.Clear();
        QVERIFY(g.TextMatrix(4, 7).isEmpty() && g.TextMatrix(2, 1).isEmpty());
        QCOMPARE(g.CellBackColor(), 0u);
        QCOMPARE(QList<int>({g.Cols(), g.Rows(), g.ColWidth(3), g.RowHeight(4)}),
                 QList<int>({10, 7, 800, 600}));

        // A colour of 0 means the grid's default; headings and labels take
        // the fixed colours.
        g.setBackColor(0xFFFFFF), g.setForeColor(0xFFFFFF), g.setBackColorFixed(0x808080);
        QCOMPARE(g.paintBackColor(1, 2), toQColor(0x808080)); // heading row
        QCOMPARE(g.paintBackColor(4, 0), toQColor(0x808080)); // label column
        g.setRow(4), g.setCol(3);
        g.setCellForeColor(g.CellBackColor()); // reads 0
        QCOMPARE(g.paintForeColor(4, 3), toQColor(0xFFFFFF));
        g.setCellBackColor(0xC0C0C0);
        QCOMPARE(g.paintBackColor(4, 3), toQColor(0xC0C0C0));
        g.setCellBackColor(0);
        QCOMPARE(g.paintBackColor(4, 3), toQColor(0xFFFFFF));
    }

    // LeftCol set before showing is kept for later and scrolls the cells; the
    // user's own scrolling, and the wheel when every row is on screen, move it.
    void leftCol() {
        FlexGrid g;
        shapeYearLike(g, 6, 367);
        QVERIFY(!g.setLeftCol(0) && !g.setLeftCol(367));
        QVERIFY(g.setLeftCol(8));
        QVERIFY(showAt(g, 700, 400));
        QCOMPARE(g.LeftCol(), 8);
        QCOMPARE(g.horizontalScrollBar()->value(), g.horizontalHeader()->sectionPosition(7));
        g.horizontalScrollBar()->setValue(g.horizontalHeader()->sectionPosition(40));
        QCOMPARE(g.LeftCol(), 41);
        QWheelEvent wheel(QPointF(100, 100), g.viewport()->mapToGlobal(QPointF(100, 100)), {},
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(g.viewport(), &wheel);
        QVERIFY(g.LeftCol() > 41);
    }

    // Changes inside an update tell the view once, at its end.
    void bulkChangesNotifyOnce() {
        FlexGrid g;
        shapeYearLike(g, 100, 367);
        QVERIFY(showAt(g, 600, 400));
        QSignalSpy changed(g.model(), &QAbstractItemModel::dataChanged);
        g.beginUpdate();
        g.Clear();
        for (int c = 1; c < 367; ++c)
            g.setTextMatrix(5, c, QStringLiteral("y"));
        QCOMPARE(changed.size(), 0);
        g.endUpdate();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(g.TextMatrix(5, 200), QStringLiteral("y"));
    }

    // A click on a cell or a heading names it; arrows move the current cell
    // within the scrolling cells, Enter and Space act as a click.
    void clickAndKeys() {
        FlexGrid g;
        shapeYearLike(g, 8, 30);
        QVERIFY(showAt(g, 700, 500));
        QSignalSpy clicks(&g, &FlexGrid::Click);
        const QRect cell = g.visualRect(g.model()->index(6 - 3, 4 - 1));
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(QList<int>({int(clicks.size()), g.Row(), g.Col()}), QList<int>({1, 6, 4}));
        QHeaderView *top = g.horizontalHeader();
        const int rowH = twipsToPixels(310, &g);
        QTest::mouseClick(top->viewport(), Qt::LeftButton, {},
                          QPoint(top->sectionViewportPosition(1) + 5, rowH + rowH / 2));
        QCOMPARE(QList<int>({int(clicks.size()), g.Row(), g.Col()}), QList<int>({2, 1, 2}));
        g.setFocus(), g.setRow(3), g.setCol(1);
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down,
                            Qt::Key_Return, Qt::Key_Space})
            QTest::keyClick(&g, key); // the first two stay on the first scrolling cell
        QCOMPARE(QList<int>({int(clicks.size()), g.Row(), g.Col()}), QList<int>({4, 4, 3}));
    }

    // Sizes in twips reach the headers; labels stay put while the cells
    // scroll; equal texts of a merged row show as one band.
    void headingsAndBands() {
        FlexGrid g;
        shapeYearLike(g, 8, 60);
        g.setBackColorFixed(0xC0C0C0);
        g.setRow(4), g.setCol(0), g.setCellBackColor(0x0000FF); // red label cell
        for (int c = 1; c < 60; ++c)
            g.setTextMatrix(0, c, c <= 31 ? QStringLiteral("JANUARY") : QStringLiteral("FEB"));
        QVERIFY(showAt(g, 700, 500));
        QHeaderView *top = g.horizontalHeader();
        QHeaderView *left = g.verticalHeader();
        const int rowH = twipsToPixels(310, &g);
        QCOMPARE(QSize(left->width(), top->height()), QSize(twipsToPixels(1500, &g), 3 * rowH));
        // The boundary between columns 1 and 2 of row 0, just below the top.
        auto boundaryPixel = [&] {
            const QImage img = top->viewport()->grab().toImage();
            const int x = top->sectionViewportPosition(1) - 1;
            return img.pixelColor(x * img.devicePixelRatio(), (rowH / 4) * img.devicePixelRatio());
        };
        QVERIFY(boundaryPixel() != toQColor(0xC0C0C0)); // a separating line
        g.setMergeCells(FlexGrid::flexMergeRestrictRows);
        g.setMergeRow(0, true);
        QCOMPARE(boundaryPixel(), toQColor(0xC0C0C0)); // one band across

        g.setLeftCol(20);
        const QImage labels = left->viewport()->grab().toImage();
        const qreal dpr = labels.devicePixelRatio();
        QCOMPARE(
            labels.pixelColor(int(10 * dpr), int((left->sectionViewportPosition(1) + 5) * dpr)),
            toQColor(0x0000FF));
    }

    // The progress window of a grid opening.
    void progressWindow() {
        QPointer<FrmProgressBar> p = FrmProgressBar::instance();
        p->ProgBar->setMaximum(12);
        p->ProgBar->setValue(5);
        p->show();
        QVERIFY(test::saveScreenshot(p->grab().toImage(), QStringLiteral("progressbar.png")));
        test::checkBarDrawn(p, p->ProgBar);
        FrmProgressBar::Unload();
        FrmProgressBar::Unload(); // twice is harmless
        QVERIFY(p.isNull() && !FrmProgressBar::exists());
        QCOMPARE(FrmProgressBar::instance()->ProgBar->value(), 0); // a fresh, empty bar
        FrmProgressBar::Unload();
    }
};

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
