// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pieces FlexGrid is drawn with: a model over its scrolling cells, the
// headers that paint the fixed rows and columns, and the corner where both meet.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QWidget>

namespace tembrel {

class FlexGrid;

// Paints one cell of the grid, fixed or not, with its colours, picture and text.
void paintFlexCell(QPainter *painter, const QRect &rect, const FlexGrid &grid, int row, int col,
                   bool fixed, bool bold = false);

class FlexGridModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlexGridModel)

public:
    explicit FlexGridModel(FlexGrid *grid);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }
    void allChanged();

private:
    FlexGrid *m_grid;
};

class FlexGridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlexGridDelegate)

public:
    explicit FlexGridDelegate(FlexGrid *grid);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    FlexGrid *m_grid;
};

// Horizontal: one section per scrolling column, painting the fixed rows above
// it (equal neighbouring texts of a merged row as one band). Vertical: one
// section per scrolling row, painting the fixed columns beside it.
class FlexGridHeader final : public QHeaderView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlexGridHeader)

public:
    FlexGridHeader(Qt::Orientation orientation, FlexGrid *grid);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // The grid cell under a point of the viewport, or (-1, -1).
    QPoint cellAt(const QPoint &pos) const;
    bool mergedRow(int row) const;

    FlexGrid *m_grid;
    QPoint m_pressed{-1, -1};
};

class FlexGridCorner final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlexGridCorner)

public:
    explicit FlexGridCorner(FlexGrid *grid);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPoint cellAt(const QPoint &pos) const;
    FlexGrid *m_grid;
    QPoint m_pressed{-1, -1};
};

} // namespace tembrel
