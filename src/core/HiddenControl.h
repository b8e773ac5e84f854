// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tembrel {

// A setting kept in an invisible control of a window: the caption of a
// label, or the back colour of a label or picture box.
struct HiddenControl {
    QString Caption;
    quint32 BackColor = 0;
};

} // namespace tembrel
