// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The background picture that the main window and the splash share
// (resources/backdrop.svg). Drawn from its vector form at the size and pixel
// ratio of the screen it lands on, so it stays sharp at any size and DPI.

#include <QColor>
#include <QRect>

class QPainter;

namespace tembrel {

// Fills `rect` with `ground` and draws the picture centred on it, its side a
// `share` of the rect's shorter side; the ground shows all around it.
void paintBackdrop(QPainter &painter, const QRect &rect, const QColor &ground, qreal share = 0.6,
                   qreal opacity = 1.0);

} // namespace tembrel
