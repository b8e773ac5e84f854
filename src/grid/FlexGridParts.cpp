// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/FlexGridParts.h"

#include "grid/FlexGrid.h"

#include <QMouseEvent>
#include <QPainter>

namespace tembrel {
namespace {

QColor lineColour(const QColor &back, bool fixed) {
    return back.darker(fixed ? 135 : 112);
}

// Draws a text in the rect, squeezed sideways when it is wider than the cell,
// so that long weekday names stay whole in narrow day columns.
void drawFittedText(QPainter *painter, const QRect &rect, Qt::Alignment align,
                    const QString &text) {
    const QRect r = rect.adjusted(2, 1, -2, -1);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const int w = painter->fontMetrics().horizontalAdvance(text);
    if (w <= r.width()) {
        painter->drawText(r, int(align), text);
        return;
    }
    const qreal sx = std::max<qreal>(0.6, qreal(r.width()) / w);
    painter->save();
    painter->setClipRect(r, Qt::IntersectClip);
    painter->translate(r.x(), 0);
    painter->scale(sx, 1.0);
    painter->drawText(QRectF(0, r.y(), r.width() / sx, r.height()), int(align), text);
    painter->restore();
}

} // namespace

void paintFlexCell(QPainter *painter, const QRect &rect, const FlexGrid &grid, int row, int col,
                   bool fixed, bool bold) {
    const QColor back = grid.paintBackColor(row, col);
    painter->fillRect(rect, back);
    if (const FlexGrid::Cell *cell = grid.cellAt(row, col)) {
        if (!cell->text.isEmpty()) {
            QFont f = grid.gridFont();
            f.setBold(bold);
            painter->setFont(f);
            painter->setPen(grid.paintForeColor(row, col));
            drawFittedText(painter, rect, grid.qtAlignment(col), cell->text);
        }
        // The picture goes over the text: a slot's code stays under its marker.
        if (!cell->picture.isNull()) {
            // Centred, shrunk to fit the cell but never enlarged.
            const QSizeF size = cell->picture.deviceIndependentSize();
            const QRect inner = rect.adjusted(1, 1, -2, -2);
            QSizeF target = size;
            if (target.width() > inner.width() || target.height() > inner.height())
                target.scale(QSizeF(inner.size()), Qt::KeepAspectRatio);
            const QRectF where(inner.x() + (inner.width() - target.width()) / 2.0,
                               inner.y() + (inner.height() - target.height()) / 2.0, target.width(),
                               target.height());
            painter->save();
            painter->setRenderHint(QPainter::SmoothPixmapTransform);
            painter->drawPixmap(where, cell->picture, QRectF(cell->picture.rect()));
            painter->restore();
        }
    }
    painter->setPen(lineColour(back, fixed));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
}

// --- model ---------------------------------------------------------------

FlexGridModel::FlexGridModel(FlexGrid *grid)
    : QAbstractTableModel(grid)
    , m_grid(grid) {}

int FlexGridModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : std::max(0, m_grid->Rows() - m_grid->FixedRows());
}

int FlexGridModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : std::max(0, m_grid->Cols() - m_grid->FixedCols());
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const {
    const int row = index.row() + m_grid->FixedRows();
    const int col = index.column() + m_grid->FixedCols();
    const FlexGrid::Cell *cell = m_grid->cellAt(row, col);
    if (!cell)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell->text;
    case Qt::AccessibleTextRole:
        return m_grid->spokenCell(row, col);
    case Qt::DecorationRole:
        return cell->picture.isNull() ? QVariant() : QVariant(cell->picture);
    case Qt::BackgroundRole:
        return m_grid->paintBackColor(row, col);
    case Qt::ForegroundRole:
        return m_grid->paintForeColor(row, col);
    case Qt::TextAlignmentRole:
        return int(m_grid->qtAlignment(col));
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::AccessibleTextRole)
        return orientation == Qt::Horizontal ? m_grid->spokenCell(0, section + m_grid->FixedCols())
                                             : m_grid->spokenCell(section + m_grid->FixedRows(), 0);
    if (role != Qt::DisplayRole)
        return {};
    QStringList parts;
    if (orientation == Qt::Horizontal) {
        for (int r = 0; r < m_grid->FixedRows(); ++r)
            parts << m_grid->TextMatrix(r, section + m_grid->FixedCols());
    } else {
        for (int c = 0; c < m_grid->FixedCols(); ++c)
            parts << m_grid->TextMatrix(section + m_grid->FixedRows(), c);
    }
    return parts.join(QLatin1Char(' '));
}

void FlexGridModel::allChanged() {
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

// --- delegate ------------------------------------------------------------

FlexGridDelegate::FlexGridDelegate(FlexGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid) {}

void FlexGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    const int row = index.row() + m_grid->FixedRows();
    const int col = index.column() + m_grid->FixedCols();
    paintFlexCell(painter, option.rect, *m_grid, row, col, false);
    if (row == m_grid->Row() && col == m_grid->Col() && m_grid->hasFocus()) {
        QPen pen(m_grid->palette().color(QPalette::Highlight), 2);
        painter->setPen(pen);
        painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1.5, -1.5));
    }
}

// --- headers -------------------------------------------------------------

FlexGridHeader::FlexGridHeader(Qt::Orientation orientation, FlexGrid *grid)
    : QHeaderView(orientation, grid)
    , m_grid(grid) {
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
}

QSize FlexGridHeader::sizeHint() const {
    int extent = 0;
    if (orientation() == Qt::Horizontal) {
        for (int r = 0; r < m_grid->FixedRows(); ++r)
            extent += m_grid->rowHeightPixels(r);
        return {length(), extent};
    }
    for (int c = 0; c < m_grid->FixedCols(); ++c)
        extent += m_grid->colWidthPixels(c);
    return {extent, length()};
}

bool FlexGridHeader::mergedRow(int row) const {
    return orientation() == Qt::Horizontal && m_grid->MergeCells() != FlexGrid::flexMergeNever &&
           m_grid->MergeRow(row);
}

void FlexGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const {
    if (orientation() == Qt::Horizontal) {
        const int col = logicalIndex + m_grid->FixedCols();
        int y = rect.y();
        for (int r = 0; r < m_grid->FixedRows(); ++r) {
            const int h = m_grid->rowHeightPixels(r);
            paintFlexCell(painter, QRect(rect.x(), y, rect.width(), h), *m_grid, r, col, true);
            y += h;
        }
    } else {
        const int row = logicalIndex + m_grid->FixedRows();
        int x = rect.x();
        for (int c = 0; c < m_grid->FixedCols(); ++c) {
            const int w = m_grid->colWidthPixels(c);
            paintFlexCell(painter, QRect(x, rect.y(), w, rect.height()), *m_grid, row, c, true);
            x += w;
        }
    }
}

void FlexGridHeader::paintEvent(QPaintEvent *event) {
    QHeaderView::paintEvent(event);
    if (orientation() != Qt::Horizontal || count() == 0)
        return;
    const int first = logicalIndexAt(0);
    if (first < 0)
        return;
    int last = logicalIndexAt(viewport()->width() - 1);
    if (last < 0)
        last = count() - 1;
    const int fc = m_grid->FixedCols();
    QPainter painter(viewport());
    int y = 0;
    for (int r = 0; r < m_grid->FixedRows(); ++r) {
        const int h = m_grid->rowHeightPixels(r);
        if (mergedRow(r)) {
            // Runs of equal texts become one band, its text centred in the
            // part of the band on screen so it stays readable while scrolling.
            for (int i = first; i <= last;) {
                const QString text = m_grid->TextMatrix(r, i + fc);
                int start = i;
                int end = i;
                while (end + 1 < count() && m_grid->TextMatrix(r, end + 1 + fc) == text)
                    ++end;
                while (start > 0 && m_grid->TextMatrix(r, start - 1 + fc) == text)
                    --start;
                if (!text.isEmpty() && end > start) {
                    const int x0 = sectionViewportPosition(start);
                    const int x1 = sectionViewportPosition(end) + sectionSize(end);
                    const QRect band(x0, y, x1 - x0, h);
                    const QRect shown = band.intersected(viewport()->rect());
                    const QColor back = m_grid->paintBackColor(r, start + fc);
                    painter.fillRect(shown, back);
                    painter.setPen(back.darker(135));
                    painter.drawLine(band.topRight(), band.bottomRight());
                    painter.drawLine(shown.bottomLeft(), shown.bottomRight());
                    QFont f = m_grid->gridFont();
                    f.setBold(true);
                    painter.setFont(f);
                    painter.setPen(m_grid->paintForeColor(r, start + fc));
                    drawFittedText(&painter, shown.adjusted(2, 0, -2, 0),
                                   m_grid->qtAlignment(start + fc), text);
                }
                i = end + 1;
            }
        }
        y += h;
    }
}

QPoint FlexGridHeader::cellAt(const QPoint &pos) const {
    const int logical = logicalIndexAt(orientation() == Qt::Horizontal ? pos.x() : pos.y());
    if (logical < 0)
        return {-1, -1};
    if (orientation() == Qt::Horizontal) {
        int y = 0;
        for (int r = 0; r < m_grid->FixedRows(); ++r) {
            y += m_grid->rowHeightPixels(r);
            if (pos.y() < y)
                return {logical + m_grid->FixedCols(), r};
        }
    } else {
        int x = 0;
        for (int c = 0; c < m_grid->FixedCols(); ++c) {
            x += m_grid->colWidthPixels(c);
            if (pos.x() < x)
                return {c, logical + m_grid->FixedRows()};
        }
    }
    return {-1, -1};
}

void FlexGridHeader::mousePressEvent(QMouseEvent *event) {
    m_pressed =
        event->button() == Qt::LeftButton ? cellAt(event->position().toPoint()) : QPoint(-1, -1);
    m_grid->setFocus(Qt::MouseFocusReason);
}

void FlexGridHeader::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cell.x() >= 0 && cell == m_pressed)
        m_grid->clickCell(cell.y(), cell.x());
    m_pressed = {-1, -1};
}

void FlexGridHeader::mouseMoveEvent(QMouseEvent *event) {
    event->accept();
}

void FlexGridHeader::mouseDoubleClickEvent(QMouseEvent *event) {
    event->accept();
}

// --- corner --------------------------------------------------------------

FlexGridCorner::FlexGridCorner(FlexGrid *grid)
    : QWidget(grid)
    , m_grid(grid) {}

void FlexGridCorner::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    int y = 0;
    for (int r = 0; r < m_grid->FixedRows(); ++r) {
        const int h = m_grid->rowHeightPixels(r);
        int x = 0;
        for (int c = 0; c < m_grid->FixedCols(); ++c) {
            const int w = m_grid->colWidthPixels(c);
            paintFlexCell(&painter, QRect(x, y, w, h), *m_grid, r, c, true);
            x += w;
        }
        y += h;
    }
}

QPoint FlexGridCorner::cellAt(const QPoint &pos) const {
    int y = 0;
    for (int r = 0; r < m_grid->FixedRows(); ++r) {
        y += m_grid->rowHeightPixels(r);
        if (pos.y() >= y)
            continue;
        int x = 0;
        for (int c = 0; c < m_grid->FixedCols(); ++c) {
            x += m_grid->colWidthPixels(c);
            if (pos.x() < x)
                return {c, r};
        }
        break;
    }
    return {-1, -1};
}

void FlexGridCorner::mousePressEvent(QMouseEvent *event) {
    m_pressed =
        event->button() == Qt::LeftButton ? cellAt(event->position().toPoint()) : QPoint(-1, -1);
    m_grid->setFocus(Qt::MouseFocusReason);
}

void FlexGridCorner::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cell.x() >= 0 && cell == m_pressed)
        m_grid->clickCell(cell.y(), cell.x());
    m_pressed = {-1, -1};
}

} // namespace tembrel
