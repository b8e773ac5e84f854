// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The year grid window as the tests drive and read it. Header only: tests
// that use it link the grid library.

#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/YearGrid.h"

#include <QPushButton>
#include <QSlider>

namespace tembrel::test {

// The grid with (row, col) its current cell, whose properties it then reads and sets.
inline FlexGrid *cellAt(FlexGrid *g, int row, int col) {
    g->setRow(row);
    g->setCol(col);
    return g;
}

// A click on a cell of the window's grid, as the grid reports one.
inline void clickCell(FrmConsultGrille *w, int row, int col) {
    cellAt(w->GridLegendes, row, col);
    w->GridLegendes_Click();
}

// The labels of the grid's time rows.
inline QStringList timeRowLabels(const FlexGrid *g) {
    QStringList labels;
    for (int r = GridFixedRows; r < g->Rows(); ++r)
        labels << g->TextMatrix(r, 0);
    return labels;
}

// No playback shown: the slider, Stop and Delete are hidden.
inline bool playbackControlsHidden(const FrmConsultGrille *w) {
    return w->Slider1->isHidden() && w->CmdStopLecture->isHidden() && w->cmdDelWave->isHidden();
}

} // namespace tembrel::test
