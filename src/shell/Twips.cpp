// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace tembrel {

double logicalDpi(const QWidget *widget) {
    const QScreen *screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int twipsToPixels(double twips, const QWidget *widget) {
    return int(std::lround(twips * logicalDpi(widget) / 1440.0));
}

double pixelsToTwips(int pixels, const QWidget *widget) {
    return pixels * 1440.0 / logicalDpi(widget);
}

} // namespace tembrel
