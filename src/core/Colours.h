// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tembrel {

// Stored colours are 24-bit 0x00BBGGRR values (red in the low byte); the
// windows turn them into QColor with shell/QtColours.h.
inline constexpr quint32 ColourBlue = 0xFF0000;      // 16711680
inline constexpr quint32 ColourLightGrey = 0xC0C0C0; // 12632256
inline constexpr quint32 ColourWhite = 0xFFFFFF;

} // namespace tembrel
