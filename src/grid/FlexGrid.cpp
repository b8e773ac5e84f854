// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/FlexGrid.h"

#include "grid/FlexGridParts.h"
#include "shell/QtColours.h"
#include "shell/Twips.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace tembrel {
namespace {

constexpr int DefaultColWidth = 960;  // twips
constexpr int DefaultRowHeight = 255; // twips
constexpr double DefaultFontSize = 8.25;

// The width or height most sections share: the header's default size, so
// that only the others need a section of their own.
int commonSize(const QVector<int> &sizes) {
    QHash<int, int> counts;
    int best = sizes.isEmpty() ? 0 : sizes.first();
    for (int s : sizes)
        if (++counts[s] > counts[best])
            best = s;
    return best;
}

} // namespace

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent) {
    m_font.setPointSizeF(DefaultFontSize);
    m_model = new FlexGridModel(this);
    m_top = new FlexGridHeader(Qt::Horizontal, this);
    m_left = new FlexGridHeader(Qt::Vertical, this);
    setHorizontalHeader(m_top);
    setVerticalHeader(m_left);
    reshape(2, 2);
    setModel(m_model);
    setItemDelegate(new FlexGridDelegate(this));
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setWordWrap(false);
    // The view's own current index must never scroll the grid: LeftCol does.
    setAutoScroll(false);
    setFocusPolicy(Qt::StrongFocus);
    // Below the last row and past the last column: the window's own ground.
    QPalette ground = viewport()->palette();
    ground.setColor(QPalette::Base, ground.color(QPalette::Window));
    viewport()->setPalette(ground);
    m_corner = new FlexGridCorner(this);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        clickCell(index.row() + m_fixedRows, index.column() + m_fixedCols);
    });
    m_dirtySizes = true;
}

FlexGrid::~FlexGrid() = default;

// --- shape ---------------------------------------------------------------

void FlexGrid::reshape(int rows, int cols) {
    rows = std::max(0, rows);
    cols = std::max(0, cols);
    m_model->beginReset();
    if (rows != m_rows || cols != m_cols || m_cells.size() != qsizetype(rows) * cols) {
        QVector<Cell> cells(qsizetype(rows) * cols);
        const int keepRows = std::min(rows, m_rows);
        const int keepCols = std::min(cols, m_cols);
        if (m_cells.size() == qsizetype(m_rows) * m_cols)
            for (int c = 0; c < keepCols; ++c)
                for (int r = 0; r < keepRows; ++r)
                    cells[qsizetype(c) * rows + r] = std::move(m_cells[index(r, c)]);
        m_cells = std::move(cells);
    }
    m_rows = rows;
    m_cols = cols;
    m_colWidth.resize(cols, DefaultColWidth);
    m_colAlignment.resize(cols, flexAlignGeneral);
    m_rowHeight.resize(rows, DefaultRowHeight);
    m_mergeRow.resize(rows, false);
    m_fixedRows = std::min(m_fixedRows, rows);
    m_fixedCols = std::min(m_fixedCols, cols);
    m_row = std::clamp(m_row, 0, std::max(0, rows - 1));
    m_col = std::clamp(m_col, 0, std::max(0, cols - 1));
    if (m_leftCol >= cols || m_leftCol < m_fixedCols)
        m_leftCol = m_fixedCols;
    m_model->endReset();
    sizesChanged();
    contentChanged();
}

void FlexGrid::setRows(int rows) {
    if (rows != m_rows)
        reshape(rows, m_cols);
}

void FlexGrid::setCols(int cols) {
    if (cols != m_cols)
        reshape(m_rows, cols);
}

bool FlexGrid::setFixedRows(int rows) {
    if (rows < 0 || rows > m_rows)
        return false;
    m_model->beginReset();
    m_fixedRows = rows;
    m_model->endReset();
    sizesChanged();
    contentChanged();
    return true;
}

bool FlexGrid::setFixedCols(int cols) {
    if (cols < 0 || cols > m_cols)
        return false;
    m_model->beginReset();
    m_fixedCols = cols;
    if (m_leftCol < cols)
        m_leftCol = cols;
    m_model->endReset();
    sizesChanged();
    contentChanged();
    return true;
}

// --- cells ---------------------------------------------------------------

const FlexGrid::Cell *FlexGrid::cellAt(int row, int col) const {
    return valid(row, col) ? &m_cells[index(row, col)] : nullptr;
}

FlexGrid::Cell *FlexGrid::current() {
    return valid(m_row, m_col) ? &m_cells[index(m_row, m_col)] : nullptr;
}

QString FlexGrid::TextMatrix(int row, int col) const {
    return valid(row, col) ? m_cells[index(row, col)].text : QString();
}

bool FlexGrid::setTextMatrix(int row, int col, const QString &text) {
    if (!valid(row, col))
        return false;
    Cell &cell = m_cells[index(row, col)];
    if (cell.text != text) {
        cell.text = text;
        cellChanged(row, col);
    }
    return true;
}

bool FlexGrid::setCellMatrix(int row, int col, const QString &text, const QPixmap &picture) {
    if (!valid(row, col))
        return false;
    Cell &cell = m_cells[index(row, col)];
    cell.text = text;
    cell.picture = picture;
    cellChanged(row, col);
    return true;
}

bool FlexGrid::setRow(int row) {
    if (row < 0 || row >= m_rows)
        return false;
    if (row != m_row) {
        const int old = m_row;
        m_row = row;
        if (hasFocus()) {
            cellChanged(old, m_col);
            cellChanged(row, m_col);
        }
    }
    return true;
}

bool FlexGrid::setCol(int col) {
    if (col < 0 || col >= m_cols)
        return false;
    if (col != m_col) {
        const int old = m_col;
        m_col = col;
        if (hasFocus()) {
            cellChanged(m_row, old);
            cellChanged(m_row, col);
        }
    }
    return true;
}

QPixmap FlexGrid::CellPicture() const {
    const Cell *cell = cellAt(m_row, m_col);
    return cell ? cell->picture : QPixmap();
}

void FlexGrid::setCellPicture(const QPixmap &picture) {
    if (Cell *cell = current()) {
        cell->picture = picture;
        cellChanged(m_row, m_col);
    }
}

quint32 FlexGrid::CellBackColor() const {
    const Cell *cell = cellAt(m_row, m_col);
    return cell ? cell->back : 0;
}

void FlexGrid::setCellBackColor(quint32 bgr) {
    if (Cell *cell = current(); cell && cell->back != (bgr & 0xFFFFFF)) {
        cell->back = bgr & 0xFFFFFF;
        cellChanged(m_row, m_col);
    }
}

quint32 FlexGrid::CellForeColor() const {
    const Cell *cell = cellAt(m_row, m_col);
    return cell ? cell->fore : 0;
}

void FlexGrid::setCellForeColor(quint32 bgr) {
    if (Cell *cell = current(); cell && cell->fore != (bgr & 0xFFFFFF)) {
        cell->fore = bgr & 0xFFFFFF;
        cellChanged(m_row, m_col);
    }
}

void FlexGrid::Clear() {
    for (Cell &cell : m_cells)
        cell = Cell{};
    contentChanged();
}

QColor FlexGrid::paintBackColor(int row, int col) const {
    const Cell *cell = cellAt(row, col);
    if (cell && cell->back)
        return toQColor(cell->back);
    const bool fixed = row < m_fixedRows || col < m_fixedCols;
    return toQColor(fixed ? m_backColorFixed : m_backColor);
}

QColor FlexGrid::paintForeColor(int row, int col) const {
    const Cell *cell = cellAt(row, col);
    if (cell && cell->fore)
        return toQColor(cell->fore);
    const bool fixed = row < m_fixedRows || col < m_fixedCols;
    return toQColor(fixed ? m_foreColorFixed : m_foreColor);
}

// --- sizes and looks -----------------------------------------------------

int FlexGrid::ColWidth(int col) const {
    return col >= 0 && col < m_cols ? m_colWidth[col] : 0;
}

bool FlexGrid::setColWidth(int col, int twips) {
    if (col < 0 || col >= m_cols || twips < 0)
        return false;
    if (m_colWidth[col] != twips) {
        m_colWidth[col] = twips;
        sizesChanged();
    }
    return true;
}

int FlexGrid::ColAlignment(int col) const {
    return col >= 0 && col < m_cols ? m_colAlignment[col] : flexAlignGeneral;
}

bool FlexGrid::setColAlignment(int col, int alignment) {
    if (col < 0 || col >= m_cols || alignment < flexAlignLeftTop || alignment > flexAlignGeneral)
        return false;
    if (m_colAlignment[col] != alignment) {
        m_colAlignment[col] = alignment;
        contentChanged();
    }
    return true;
}

Qt::Alignment FlexGrid::qtAlignment(int col) const {
    const int a = ColAlignment(col);
    if (a == flexAlignGeneral)
        return Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[a / 3] | vertical[a % 3];
}

int FlexGrid::RowHeight(int row) const {
    return row >= 0 && row < m_rows ? m_rowHeight[row] : 0;
}

bool FlexGrid::setRowHeight(int row, int twips) {
    if (row < 0 || row >= m_rows || twips < 0)
        return false;
    if (m_rowHeight[row] != twips) {
        m_rowHeight[row] = twips;
        sizesChanged();
    }
    return true;
}

int FlexGrid::colWidthPixels(int col) const {
    return twipsToPixels(ColWidth(col), this);
}

int FlexGrid::rowHeightPixels(int row) const {
    return twipsToPixels(RowHeight(row), this);
}

void FlexGrid::setBackColor(quint32 bgr) {
    m_backColor = bgr & 0xFFFFFF;
    contentChanged();
}

void FlexGrid::setBackColorFixed(quint32 bgr) {
    m_backColorFixed = bgr & 0xFFFFFF;
    contentChanged();
}

void FlexGrid::setForeColor(quint32 bgr) {
    m_foreColor = bgr & 0xFFFFFF;
    contentChanged();
}

void FlexGrid::setForeColorFixed(quint32 bgr) {
    m_foreColorFixed = bgr & 0xFFFFFF;
    contentChanged();
}

void FlexGrid::setFontName(const QString &name) {
    m_font.setFamily(name);
    contentChanged();
}

void FlexGrid::setFontSize(double points) {
    if (points > 0) {
        m_font.setPointSizeF(points);
        contentChanged();
    }
}

void FlexGrid::setMergeCells(int mode) {
    m_mergeCells = mode;
    contentChanged();
}

bool FlexGrid::MergeRow(int row) const {
    return row >= 0 && row < m_rows && m_mergeRow[row];
}

bool FlexGrid::setMergeRow(int row, bool merge) {
    if (row < 0 || row >= m_rows)
        return false;
    m_mergeRow[row] = merge;
    contentChanged();
    return true;
}

// --- scrolling -----------------------------------------------------------

bool FlexGrid::setLeftCol(int col) {
    if (col < m_fixedCols || col >= m_cols)
        return false;
    m_leftCol = col;
    applyLeftCol();
    return true;
}

void FlexGrid::applyLeftCol() {
    if (deferring() || m_dirtySizes)
        return;
    const int logical = m_leftCol - m_fixedCols;
    if (logical < 0 || logical >= m_top->count())
        return;
    m_applyingLeftCol = true;
    horizontalScrollBar()->setValue(m_top->sectionPosition(logical));
    m_applyingLeftCol = false;
}

void FlexGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // A scroll by the user moves LeftCol along.
    if (dx != 0 && !m_applyingLeftCol && !deferring()) {
        const int logical = m_top->logicalIndexAt(0);
        if (logical >= 0)
            m_leftCol = logical + m_fixedCols;
    }
}

void FlexGrid::updateGeometries() {
    m_applyingLeftCol = true;
    QTableView::updateGeometries();
    m_applyingLeftCol = false;
    if (m_corner) {
        const int fw = frameWidth();
        m_corner->setGeometry(fw, fw, m_left->isHidden() ? 0 : m_left->width(),
                              m_top->isHidden() ? 0 : m_top->height());
        m_corner->raise();
        m_corner->update();
    }
    applyLeftCol();
}

// --- change notification -------------------------------------------------

void FlexGrid::cellChanged(int row, int col) {
    if (deferring()) {
        m_dirtyContent = true;
        return;
    }
    if (row >= m_fixedRows && col >= m_fixedCols) {
        update(m_model->index(row - m_fixedRows, col - m_fixedCols));
    } else if (row < m_fixedRows && col < m_fixedCols) {
        m_corner->update();
    } else {
        m_top->viewport()->update();
        m_left->viewport()->update();
    }
}

void FlexGrid::contentChanged() {
    m_dirtyContent = true;
    if (!deferring())
        flush();
}

void FlexGrid::sizesChanged() {
    m_dirtySizes = true;
    if (!deferring())
        flush();
}

void FlexGrid::beginUpdate() {
    ++m_batch;
}

void FlexGrid::endUpdate() {
    if (m_batch > 0 && --m_batch == 0 && isVisible())
        flush();
}

void FlexGrid::applySizes() {
    m_dirtySizes = false;
    QVector<int> widths;
    widths.reserve(std::max(0, m_cols - m_fixedCols));
    for (int c = m_fixedCols; c < m_cols; ++c)
        widths.append(colWidthPixels(c));
    QVector<int> heights;
    heights.reserve(std::max(0, m_rows - m_fixedRows));
    for (int r = m_fixedRows; r < m_rows; ++r)
        heights.append(rowHeightPixels(r));
    const int w = commonSize(widths);
    m_top->setDefaultSectionSize(std::max(1, w));
    for (int i = 0; i < widths.size(); ++i)
        if (widths[i] != w)
            m_top->resizeSection(i, widths[i]);
    const int h = commonSize(heights);
    m_left->setDefaultSectionSize(std::max(1, h));
    for (int i = 0; i < heights.size(); ++i)
        if (heights[i] != h)
            m_left->resizeSection(i, heights[i]);
    m_top->setHidden(m_fixedRows == 0);
    m_left->setHidden(m_fixedCols == 0);
    m_top->updateGeometry();
    m_left->updateGeometry();
    updateGeometries();
}

void FlexGrid::flush() {
    if (m_dirtySizes)
        applySizes();
    if (m_dirtyContent) {
        m_dirtyContent = false;
        m_model->allChanged();
        viewport()->update();
        m_top->viewport()->update();
        m_left->viewport()->update();
        m_corner->update();
    }
    applyLeftCol();
}

void FlexGrid::setVisible(bool visible) {
    QTableView::setVisible(visible);
    if (visible && isVisible() && m_batch == 0)
        flush();
}

void FlexGrid::showEvent(QShowEvent *event) {
    QTableView::showEvent(event);
    if (m_batch == 0)
        flush();
}

// --- user input ----------------------------------------------------------

void FlexGrid::clickCell(int row, int col) {
    if (!valid(row, col))
        return;
    moveCurrent(row, col);
    Q_EMIT Click();
}

void FlexGrid::moveCurrent(int row, int col) {
    const int oldRow = m_row;
    const int oldCol = m_col;
    m_row = row;
    m_col = col;
    cellChanged(oldRow, oldCol);
    cellChanged(row, col);
    syncCurrentIndex();
}

// The view's current index follows the current cell: it is what the
// accessibility of a table view announces and reports as focused.
void FlexGrid::syncCurrentIndex() {
    if (m_row < m_fixedRows || m_col < m_fixedCols || !selectionModel())
        return;
    selectionModel()->setCurrentIndex(m_model->index(m_row - m_fixedRows, m_col - m_fixedCols),
                                      QItemSelectionModel::NoUpdate);
}

void FlexGrid::focusInEvent(QFocusEvent *event) {
    QTableView::focusInEvent(event);
    syncCurrentIndex();
}

QString FlexGrid::spokenCell(int row, int col) const {
    return m_speech && valid(row, col) ? m_speech(row, col) : QString();
}

bool FlexGrid::goTo(int row, int col) {
    if (row < m_fixedRows || col < m_fixedCols || !valid(row, col))
        return false;
    moveCurrent(row, col);
    if (!deferring())
        scrollTo(m_model->index(row - m_fixedRows, col - m_fixedCols));
    return true;
}

QVariant FlexGrid::inputMethodQuery(Qt::InputMethodQuery query) const {
    // The view's own current index does not follow Row and Col.
    if (query == Qt::ImCursorRectangle && valid(m_row, m_col) && m_row >= m_fixedRows &&
        m_col >= m_fixedCols)
        return visualRect(model()->index(m_row - m_fixedRows, m_col - m_fixedCols));
    return QTableView::inputMethodQuery(query);
}

void FlexGrid::keyPressEvent(QKeyEvent *event) {
    const int firstRow = m_fixedRows;
    const int firstCol = m_fixedCols;
    if (m_rows <= firstRow || m_cols <= firstCol) {
        QTableView::keyPressEvent(event);
        return;
    }
    int row = std::clamp(m_row, firstRow, m_rows - 1);
    int col = std::clamp(m_col, firstCol, m_cols - 1);
    const int page = std::max(1, viewport()->height() / std::max(1, rowHeightPixels(row)) - 1);
    switch (event->key()) {
    case Qt::Key_Left:
        col = std::max(firstCol, col - 1);
        break;
    case Qt::Key_Right:
        col = std::min(m_cols - 1, col + 1);
        break;
    case Qt::Key_Up:
        row = std::max(firstRow, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(m_rows - 1, row + 1);
        break;
    case Qt::Key_PageUp:
        row = std::max(firstRow, row - page);
        break;
    case Qt::Key_PageDown:
        row = std::min(m_rows - 1, row + page);
        break;
    case Qt::Key_Home:
        col = firstCol;
        break;
    case Qt::Key_End:
        col = m_cols - 1;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat() && valid(m_row, m_col))
            Q_EMIT Click();
        event->accept();
        return;
    default:
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    goTo(row, col);
}

} // namespace tembrel

namespace tembrel {

void FlexGrid::wheelEvent(QWheelEvent *event) {
    // With every row on screen, or with Shift, the wheel runs through the days.
    const bool sideways =
        verticalScrollBar()->maximum() == 0 || (event->modifiers() & Qt::ShiftModifier);
    if (sideways && event->angleDelta().x() == 0) {
        QCoreApplication::sendEvent(horizontalScrollBar(), event);
        return;
    }
    QTableView::wheelEvent(event);
}

} // namespace tembrel
