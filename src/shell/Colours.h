// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QtGlobal>

namespace tembrel {

// Stored colours are 24-bit 0x00BBGGRR values (red in the low byte).
inline QColor toQColor(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

inline quint32 fromQColor(const QColor &c) {
    const QColor rgb = c.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

inline constexpr quint32 ColourBlue = 0xFF0000;      // 16711680
inline constexpr quint32 ColourLightGrey = 0xC0C0C0; // 12632256
inline constexpr quint32 ColourWhite = 0xFFFFFF;

} // namespace tembrel
