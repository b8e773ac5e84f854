// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Colours.h"
#include "shell/FlexGrid.h"
#include "shell/Twips.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace tembrel;

namespace {

// A grid shaped like the year grid: three heading rows, one label column.
void shapeYearLike(FlexGrid &g, int rows, int cols) {
    g.setRows(rows);
    g.setCols(cols);
    g.setFixedRows(3);
    g.setFixedCols(1);
    g.setColWidth(0, 1500);
    for (int c = 1; c < cols; ++c)
        g.setColWidth(c, 800);
    for (int r = 0; r < rows; ++r)
        g.setRowHeight(r, r < 3 ? 310 : 600);
}

// Shows the grid at the given size, ready for input and drawing.
bool showAt(FlexGrid &g, int width, int height) {
    g.resize(width, height);
    g.show();
    return QTest::qWaitForWindowExposed(&g);
}

} // namespace

class TestFlexGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Reshaping keeps what still fits; the current cell's properties reach
    // only that cell and the model; Clear empties cells but keeps the sizes.
    void cellsAndShape() {
        FlexGrid g;
        g.setRows(5);
        g.setCols(4);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 4; ++c)
                QVERIFY(g.setTextMatrix(r, c, QStringLiteral("%1/%2").arg(r).arg(c)));
        g.setRows(7);
        g.setCols(6);
        QCOMPARE(g.TextMatrix(4, 3), QStringLiteral("4/3"));
        QVERIFY(g.TextMatrix(6, 5).isEmpty());
        g.setRows(3);
        QCOMPARE(g.TextMatrix(2, 1), QStringLiteral("2/1"));
        QVERIFY(!g.setTextMatrix(3, 0, QStringLiteral("x")));
        QVERIFY(!g.setTextMatrix(-1, 0, QStringLiteral("x")));
        QVERIFY(!g.setFixedRows(4));

        shapeYearLike(g, 6, 10);
        QVERIFY(g.setRow(4) && g.setCol(7));
        QVERIFY(!g.setRow(6) && !g.setCol(-1));
        QCOMPARE(QPoint(g.Row(), g.Col()), QPoint(4, 7));
        QCOMPARE(g.CellBackColor(), 0u); // never coloured
        g.setCellBackColor(0x00FF00);
        g.setCellForeColor(0x0000FF);
        g.setText(QStringLiteral(".."));
        QPixmap pic(16, 16);
        pic.fill(Qt::green);
        g.setCellPicture(pic);
        QCOMPARE(g.TextMatrix(4, 7), QStringLiteral(".."));
        QCOMPARE(g.CellForeColor(), 0x0000FFu);
        QCOMPARE(g.CellPicture().cacheKey(), pic.cacheKey());
        const QModelIndex idx = g.model()->index(4 - 3, 7 - 1);
        QCOMPARE(idx.data().toString(), QStringLiteral(".."));
        QCOMPARE(idx.data(Qt::BackgroundRole).value<QColor>(), toQColor(0x00FF00));
        g.setCol(6);
        QVERIFY(g.CellBackColor() == 0u && g.CellPicture().isNull());

        g.setCol(7);
        g.Clear();
        QVERIFY(g.TextMatrix(4, 7).isEmpty() && g.TextMatrix(2, 1).isEmpty());
        QVERIFY(g.CellBackColor() == 0u && g.CellForeColor() == 0u && g.CellPicture().isNull());
        QCOMPARE(QSize(g.Cols(), g.Rows()), QSize(10, 6));
        QCOMPARE(g.ColWidth(5), 800);
        QCOMPARE(g.RowHeight(4), 600);
    }

    void colourZeroMeansDefault() {
        FlexGrid g;
        shapeYearLike(g, 5, 5);
        g.setBackColor(0xFFFFFF);
        g.setForeColor(0xFFFFFF);
        g.setBackColorFixed(0x808080);
        g.setForeColorFixed(0x000080);
        QCOMPARE(g.paintBackColor(4, 2), toQColor(0xFFFFFF));
        QCOMPARE(g.paintForeColor(4, 2), toQColor(0xFFFFFF));
        QCOMPARE(g.paintBackColor(1, 2), toQColor(0x808080)); // heading row
        QCOMPARE(g.paintBackColor(4, 0), toQColor(0x808080)); // label column
        QCOMPARE(g.paintForeColor(4, 0), toQColor(0x000080));
        g.setRow(4);
        g.setCol(2);
        g.setCellBackColor(0xC0C0C0);
        QCOMPARE(g.paintBackColor(4, 2), toQColor(0xC0C0C0));
        // A fore colour copied from a back colour that reads 0 keeps the default.
        g.setCol(3);
        g.setCellForeColor(g.CellBackColor());
        QCOMPARE(g.paintForeColor(4, 3), toQColor(0xFFFFFF));
        g.setCol(2);
        g.setCellBackColor(0);
        QCOMPARE(g.paintBackColor(4, 2), toQColor(0xFFFFFF));
    }

    void leftCol() {
        FlexGrid g;
        shapeYearLike(g, 6, 367);
        QVERIFY(!g.setLeftCol(0) && !g.setLeftCol(367));
        QVERIFY(g.setLeftCol(8)); // before the grid is shown: kept for later
        QVERIFY(showAt(g, 700, 400));
        QCOMPARE(g.LeftCol(), 8);
        QCOMPARE(g.horizontalScrollBar()->value(), g.horizontalHeader()->sectionPosition(7));
        QVERIFY(g.setLeftCol(1));
        QCOMPARE(g.horizontalScrollBar()->value(), 0);
        // The user's own scrolling moves LeftCol along.
        g.horizontalScrollBar()->setValue(g.horizontalHeader()->sectionPosition(40));
        QCOMPARE(g.LeftCol(), 41);
        // Every row is on screen: the wheel runs through the days.
        QCOMPARE(g.verticalScrollBar()->maximum(), 0);
        QWheelEvent wheel(QPointF(100, 100), g.viewport()->mapToGlobal(QPointF(100, 100)), {},
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(g.viewport(), &wheel);
        QVERIFY(g.LeftCol() > 41);
    }

    // Filling a hidden grid, or inside an update, tells the view once.
    void bulkChangesNotifyOnce() {
        FlexGrid g;
        shapeYearLike(g, 100, 367);
        QVERIFY(showAt(g, 600, 400));
        QSignalSpy changed(g.model(), &QAbstractItemModel::dataChanged);
        QSignalSpy reset(g.model(), &QAbstractItemModel::modelReset);
        g.setVisible(false);
        for (int c = 0; c < 367; ++c)
            for (int r = 0; r < 100; ++r) {
                g.setTextMatrix(r, c, QStringLiteral("x"));
                g.setRow(r);
                g.setCol(c);
                g.setCellForeColor(0x010203);
            }
        QCOMPARE(changed.size(), 0);
        g.setVisible(true);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(reset.size(), 0);
        changed.clear();
        g.beginUpdate();
        g.Clear();
        for (int c = 1; c < 367; ++c)
            g.setTextMatrix(5, c, QStringLiteral("y"));
        QCOMPARE(changed.size(), 0);
        g.endUpdate();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(g.TextMatrix(5, 200), QStringLiteral("y"));
    }

    // A click on a cell, a heading or a label names it; arrows move the
    // current cell, Enter and Space act as a click.
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
        QHeaderView *left = g.verticalHeader();
        QTest::mouseClick(left->viewport(), Qt::LeftButton, {},
                          QPoint(5, left->sectionViewportPosition(2) + 5));
        QCOMPARE(QList<int>({int(clicks.size()), g.Row(), g.Col()}), QList<int>({3, 5, 0}));

        g.setFocus();
        g.setRow(3);
        g.setCol(1);
        clicks.clear();
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down})
            QTest::keyClick(&g, key); // the first two stay on the first scrolling cell
        QCOMPARE(QList<int>({int(clicks.size()), g.Row(), g.Col()}), QList<int>({0, 4, 3}));
        QTest::keyClick(&g, Qt::Key_Return);
        QTest::keyClick(&g, Qt::Key_Space);
        QCOMPARE(QList<int>({int(clicks.size()), g.Row(), g.Col()}), QList<int>({2, 4, 3}));
        QTest::keyClick(&g, Qt::Key_End);
        QCOMPARE(g.Col(), 29);
        QVERIFY(g.horizontalScrollBar()->value() > 0); // brought into view
        QTest::keyClick(&g, Qt::Key_Home);
        QCOMPARE(g.Col(), 1);
    }

    // Sizes in twips reach the headers; headings stay put while the cells
    // scroll; equal texts of a merged row show as one band.
    void headingsAndBands() {
        FlexGrid g;
        shapeYearLike(g, 8, 60);
        g.setColWidth(5, 1200);
        g.setBackColorFixed(0xC0C0C0);
        g.setRow(4);
        g.setCol(0);
        g.setCellBackColor(0x0000FF); // red label cell
        for (int c = 1; c < 60; ++c)
            g.setTextMatrix(0, c, c <= 31 ? QStringLiteral("JANUARY") : QStringLiteral("FEB"));
        QVERIFY(showAt(g, 700, 500));
        QHeaderView *top = g.horizontalHeader();
        QHeaderView *left = g.verticalHeader();
        const int rowH = twipsToPixels(310, &g);
        QCOMPARE(top->sectionSize(4), twipsToPixels(1200, &g));
        QCOMPARE(left->sectionSize(0), twipsToPixels(600, &g));
        QCOMPARE(top->height(), 3 * rowH);
        QCOMPARE(left->width(), twipsToPixels(1500, &g));
        // The boundary between columns 1 and 2 of row 0, just below the top.
        auto boundaryPixel = [&] {
            const QImage img = top->viewport()->grab().toImage();
            const int x = top->sectionViewportPosition(1) - 1;
            return img.pixelColor(x * img.devicePixelRatio(), (rowH / 4) * img.devicePixelRatio());
        };
        const QColor heading = toQColor(0xC0C0C0);
        QVERIFY(boundaryPixel() != heading); // a separating line
        g.setMergeCells(FlexGrid::flexMergeRestrictRows);
        g.setMergeRow(0, true);
        QCOMPARE(boundaryPixel(), heading); // one band across

        g.setLeftCol(20);
        QVERIFY(g.horizontalScrollBar()->value() > 0);
        const QImage labels = left->viewport()->grab().toImage();
        const qreal dpr = labels.devicePixelRatio();
        QCOMPARE(
            labels.pixelColor(int(10 * dpr), int((left->sectionViewportPosition(1) + 5) * dpr)),
            toQColor(0x0000FF));
    }
};

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
