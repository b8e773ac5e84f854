// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sizes and positions are given in twips (1440 per inch); the screen's logical
// DPI turns them into pixels: 15 twips per pixel at 96 DPI.

class QWidget;

namespace tembrel {

// Logical DPI of the widget's screen, or of the primary screen without one.
double logicalDpi(const QWidget *widget = nullptr);

int twipsToPixels(double twips, const QWidget *widget = nullptr);
double pixelsToTwips(int pixels, const QWidget *widget = nullptr);

} // namespace tembrel
