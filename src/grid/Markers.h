// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pictures shown in slots: the five message markers and the microphone
// of a slot being recorded. Drawn at the screen's pixel ratio so they stay
// sharp on high-DPI screens.

#include "grid/YearFile.h"

#include <QPixmap>

namespace tembrel {

// Logical size of a marker picture: it sits centred in a 40-pixel row.
inline constexpr int MarkerSize = 22;

QPixmap markerPixmap(Marker marker, qreal devicePixelRatio, int size = MarkerSize);
QPixmap microphonePixmap(qreal devicePixelRatio, int size = MarkerSize);

} // namespace tembrel
