// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The grid control of the year. It keeps the whole cell matrix, the fixed
// heading rows and columns included, with per-cell text, picture and colours,
// and shows it as a table view: the scrolling cells come from a model, the
// fixed rows are painted by the horizontal header and the fixed columns by the
// vertical header, so headings never scroll.
//
// Sizes are in twips. A colour of 0 means "not set": the cell is painted with
// the grid's defaults (ForeColor on BackColor for scrolling cells, the heading
// colours for fixed cells). Changes made while the grid is hidden, or between
// beginUpdate() and endUpdate(), reach the view as one notification when it is
// shown again or the update ends.

#include <QPixmap>
#include <QTableView>
#include <QVector>

#include <functional>

namespace tembrel {

class FlexGridModel;
class FlexGridHeader;
class FlexGridCorner;

class FlexGrid final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlexGrid)

public:
    // ColAlignment values.
    enum Alignment : int {
        flexAlignLeftTop = 0,
        flexAlignLeftCenter = 1,
        flexAlignLeftBottom = 2,
        flexAlignCenterTop = 3,
        flexAlignCenterCenter = 4,
        flexAlignCenterBottom = 5,
        flexAlignRightTop = 6,
        flexAlignRightCenter = 7,
        flexAlignRightBottom = 8,
        flexAlignGeneral = 9,
    };
    // MergeCells values: anything but flexMergeNever merges the rows whose MergeRow is set.
    enum Merge : int { flexMergeNever = 0, flexMergeRestrictRows = 4 };

    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    // Shape. Cells that stay keep their contents when the shape changes.
    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    void setRows(int rows);
    void setCols(int cols);
    int FixedRows() const { return m_fixedRows; }
    int FixedCols() const { return m_fixedCols; }
    // False (nothing changes) for a value outside 0 .. Rows or Cols.
    bool setFixedRows(int rows);
    bool setFixedCols(int cols);

    // Any cell, without moving the current cell. Out-of-range reads give empty text.
    QString TextMatrix(int row, int col) const;
    bool setTextMatrix(int row, int col, const QString &text);
    // A cell's text and picture at once, without moving the current cell:
    // filling a whole year this way costs no cell selection per cell.
    bool setCellMatrix(int row, int col, const QString &text, const QPixmap &picture);

    // The current cell; the Cell... properties act on it. After a click they
    // hold the clicked cell. False (nothing changes) for a value out of range.
    int Row() const { return m_row; }
    int Col() const { return m_col; }
    bool setRow(int row);
    bool setCol(int col);

    QString Text() const { return TextMatrix(m_row, m_col); }
    void setText(const QString &text) { setTextMatrix(m_row, m_col, text); }
    QPixmap CellPicture() const;
    // A null pixmap removes the picture.
    void setCellPicture(const QPixmap &picture);
    quint32 CellBackColor() const;
    void setCellBackColor(quint32 bgr);
    quint32 CellForeColor() const;
    void setCellForeColor(quint32 bgr);

    // Column widths and row heights in twips; alignment per column.
    int ColWidth(int col) const;
    bool setColWidth(int col, int twips);
    int ColAlignment(int col) const;
    bool setColAlignment(int col, int alignment);
    int RowHeight(int row) const;
    bool setRowHeight(int row, int twips);

    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 bgr);
    quint32 BackColorFixed() const { return m_backColorFixed; }
    void setBackColorFixed(quint32 bgr);
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 bgr);
    quint32 ForeColorFixed() const { return m_foreColorFixed; }
    void setForeColorFixed(quint32 bgr);
    QString FontName() const { return m_font.family(); }
    void setFontName(const QString &name);
    double FontSize() const { return m_font.pointSizeF(); }
    void setFontSize(double points);

    int MergeCells() const { return m_mergeCells; }
    void setMergeCells(int mode);
    bool MergeRow(int row) const;
    bool setMergeRow(int row, bool merge);

    // The first scrolling column shown. False for a value the grid refuses
    // (below the first scrolling column or past the last one).
    int LeftCol() const { return m_leftCol; }
    bool setLeftCol(int col);

    // Removes every text, picture and cell colour; sizes stay.
    void Clear();

    bool Visible() const { return !isHidden(); }
    // Showing the grid again delivers what changed while it was hidden.
    void setVisible(bool visible) override;

    // What a screen reader says for a cell (row and column of the whole
    // matrix, headings included). Empty without one: the accessibility of the
    // view then says the displayed text.
    using CellSpeech = std::function<QString(int row, int col)>;
    void setCellSpeech(CellSpeech speech) { m_speech = std::move(speech); }
    QString spokenCell(int row, int col) const;
    // Makes a scrolling cell the current one as a move of the user does: it
    // gets the focus frame, comes into view and is announced.
    bool goTo(int row, int col);

    // Batches changes: the view hears of them once, at the outermost endUpdate().
    void beginUpdate();
    void endUpdate();

    // For painting and the model: the cell's stored values, no defaults applied.
    struct Cell {
        QString text;
        QPixmap picture;
        quint32 back = 0;
        quint32 fore = 0;
    };
    const Cell *cellAt(int row, int col) const;
    // The colours a cell is painted with, defaults applied.
    QColor paintBackColor(int row, int col) const;
    QColor paintForeColor(int row, int col) const;
    Qt::Alignment qtAlignment(int col) const;
    int colWidthPixels(int col) const;
    int rowHeightPixels(int row) const;
    const QFont &gridFont() const { return m_font; }

Q_SIGNALS:
    // A cell was clicked (or Enter / Space pressed on it); Row and Col name it.
    void Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // The current cell's place, where the menu key opens a context menu.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void wheelEvent(QWheelEvent *event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class FlexGridHeader;
    friend class FlexGridCorner;

    bool valid(int row, int col) const {
        return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
    }
    qsizetype index(int row, int col) const { return qsizetype(col) * m_rows + row; }
    Cell *current();
    void reshape(int rows, int cols);
    // A cell changed: repaint it now, or remember to when the batch ends.
    void cellChanged(int row, int col);
    void contentChanged();
    void sizesChanged();
    void structureChanged();
    bool deferring() const { return m_batch > 0 || !isVisible(); }
    void flush();
    void applySizes();
    void applyLeftCol();
    void clickCell(int row, int col);
    void moveCurrent(int row, int col);
    void syncCurrentIndex();

    FlexGridModel *m_model = nullptr;
    FlexGridHeader *m_top = nullptr;
    FlexGridHeader *m_left = nullptr;
    FlexGridCorner *m_corner = nullptr;

    int m_rows = 2;
    int m_cols = 2;
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    int m_row = 1;
    int m_col = 1;
    int m_leftCol = 1;
    QVector<Cell> m_cells;
    QVector<int> m_colWidth;     // twips
    QVector<int> m_colAlignment; // Alignment values
    QVector<int> m_rowHeight;    // twips
    QVector<bool> m_mergeRow;
    int m_mergeCells = flexMergeNever;
    quint32 m_backColor = 0xFFFFFF;
    quint32 m_backColorFixed = 0xC0C0C0;
    quint32 m_foreColor = 0;
    quint32 m_foreColorFixed = 0;
    QFont m_font;
    CellSpeech m_speech;

    int m_batch = 0;
    bool m_dirtyContent = false;
    bool m_dirtySizes = false;
    bool m_dirtyStructure = false;
    bool m_applyingLeftCol = false;
};

} // namespace tembrel
