// SPDX-License-Identifier: GPL-3.0-or-later
// The year grid window for keyboard and screen reader users: what each cell
// says, and the keys that reach every slot and act on it as a click does.
#include "grid/FrmConsultGrille.h"

#include "core/Platform.h"
#include "core/Shared.h"
#include "grid/FlexGrid.h"
#include "grid/SpokenText.h"
#include "grid/YearGrid.h"
#include "sound/SoundPlayer.h"

#include <QKeyEvent>
#include <QSlider>

namespace tembrel {

void FrmConsultGrille::setUpSpeech() {
    GridLegendes->setCellSpeech([this](int row, int col) { return cellSpeech(row, col); });
    GridLegendes->installEventFilter(this);
    // The caption with the seconds, where a screen reader reads it on demand:
    // the position control, which never has the focus, so nothing is said
    // at each report. It changes once a second, not at every report.
    connect(player, &SoundPlayer::positionChanged, this, [this] {
        if (playing() && Slider1->accessibleDescription() != windowTitle())
            Slider1->setAccessibleDescription(windowTitle());
    });
}

QString FrmConsultGrille::cellSpeech(int row, int col) const {
    // The length is known without unpacking only for the slot being played.
    std::optional<int> seconds;
    if (m_playbackShown && m_playbackSlot == Slot{row, col} && Slider1->maximum() > 0)
        seconds = Slider1->maximum() / 1000; // whole seconds, as the caption says
    return spokenText(*m_model, row, col, seconds);
}

bool FrmConsultGrille::eventFilter(QObject *watched, QEvent *event) {
    if (watched == GridLegendes && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (GridLegendes_KeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmConsultGrille::goToToday() {
    const QDate today = Platform::instance().clock().today();
    const int col = today.year() == year() ? columnOfDate(today) : weekStartColumn(today);
    scrollToThisWeek();
    GridLegendes->goTo(std::max(GridLegendes->Row(), int(GridFixedRows)), col);
}

bool FrmConsultGrille::GridLegendes_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    FlexGrid *g = GridLegendes;
    const int row = g->Row();
    const int col = g->Col();
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (modifiers & Qt::ControlModifier)
            return false; // the year buttons' shortcuts
        // The same day of the month before or after, or its last day.
        const QDate day = m_model->date(std::max(1, col));
        const QDate there = day.addMonths(key == Qt::Key_PageUp ? -1 : 1);
        if (day.isValid() && there.year() == day.year())
            g->goTo(std::max(row, int(GridFixedRows)), columnOfDate(there));
        return true;
    }
    case Qt::Key_Home:
        if (!(modifiers & Qt::ControlModifier))
            return false;
        goToToday();
        return true;
    case Qt::Key_Delete: {
        // As Remove does, for the marked slot under the cursor; while a
        // message plays, only its own slot.
        const Slot slot{row, col};
        if (m_model->marker(slot) == Marker::None || (playing() && m_playbackSlot != slot))
            return true;
        SelRow = row;
        SelCol = col;
        m_playbackSlot = slot;
        cmdDelWave_Click();
        return true;
    }
    default:
        return false;
    }
}

} // namespace tembrel
