// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Backdrop.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tembrel {
namespace {

// The picture at one size in device pixels: windows repaint often, and the
// size changes only when they are resized.
QPixmap picture(int side, qreal dpr) {
    static QPixmap cached;
    const int pixels = qRound(side * dpr);
    if (cached.width() == pixels && qFuzzyCompare(cached.devicePixelRatio(), dpr))
        return cached;
    QPixmap pm(pixels, pixels);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/artwork/backdrop.svg"));
    QPainter p(&pm);
    svg.render(&p, QRectF(0, 0, pixels, pixels));
    p.end();
    pm.setDevicePixelRatio(dpr);
    cached = pm;
    return cached;
}

} // namespace

void paintBackdrop(QPainter &painter, const QRect &rect, const QColor &ground, qreal share,
                   qreal opacity) {
    painter.fillRect(rect, ground);
    const int side = qRound(std::min(rect.width(), rect.height()) * share);
    if (side <= 0)
        return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPoint at = rect.center() - QPoint(side / 2, side / 2) + QPoint(1, 1);
    painter.save();
    painter.setOpacity(opacity);
    painter.drawPixmap(at, picture(side, dpr));
    painter.restore();
}

} // namespace tembrel
