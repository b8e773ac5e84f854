// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one conversion between the stored 0x00BBGGRR colours and QColor.

#include "core/Colours.h"

#include <QColor>

namespace tembrel {

inline QColor toQColor(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

inline quint32 fromQColor(const QColor &c) {
    const QColor rgb = c.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

} // namespace tembrel
