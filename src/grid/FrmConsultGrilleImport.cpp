// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's context menu (right click or the menu key): "Import..." on an
// empty slot, straight into it; "Export..." on a marked one.
#include "grid/FrmConsultGrille.h"

#include "core/Shared.h"
#include "core/Strings.h"
#include "grid/FlexGrid.h"

#include <QMenu>

namespace tembrel {

void FrmConsultGrille::GridLegendes_ContextMenu(const QPoint &pos) {
    if (playing() || m_model->recordingSlot())
        return;
    m_model->settleArchives();
    const QModelIndex index = GridLegendes->indexAt(pos);
    const Slot slot{index.row() + GridLegendes->FixedRows(),
                    index.column() + GridLegendes->FixedCols()};
    if (!index.isValid() || !m_model->isSlot(slot))
        return;
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (m_model->marker(slot) != Marker::None)
        menu->addAction(LoadResString(237), this, [this, slot] {
            exportMessages({{year(), slot}});
        });
    else if (m_model->text(slot.row, slot.col).isEmpty())
        menu->addAction(LoadResString(255), this, [this, slot] {
            GridLegendes->setRow(slot.row);
            GridLegendes->setCol(slot.col);
            SelRow = slot.row;
            SelCol = slot.col;
            // The grid knows the recording window only as a widget: its import
            // handler is called by name, once the window shows.
            if (QWidget *w = openRecordingWindow())
                QMetaObject::invokeMethod(w, "CmdImport_Click", Qt::QueuedConnection);
        });
    if (menu->isEmpty())
        delete menu;
    else
        menu->popup(GridLegendes->viewport()->mapToGlobal(pos));
}

} // namespace tembrel
