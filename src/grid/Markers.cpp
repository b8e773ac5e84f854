// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/Markers.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace tembrel {
namespace {

QColor markerColour(Marker marker) {
    switch (marker) {
    case Marker::Noir:
        return QColor(0x2b, 0x2b, 0x2b);
    case Marker::Rouge:
        return QColor(0xd3, 0x2f, 0x2f);
    case Marker::Bleu:
        return QColor(0x1e, 0x64, 0xc8);
    case Marker::Vert:
        return QColor(0x2e, 0x9d, 0x3a);
    case Marker::Jaune:
        return QColor(0xf5, 0xc5, 0x18);
    case Marker::None:
        break;
    }
    return {};
}

QPixmap canvas(qreal dpr, int size) {
    dpr = std::max<qreal>(1.0, dpr);
    QPixmap pm(QSize(size, size) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

} // namespace

QPixmap markerPixmap(Marker marker, qreal dpr, int size) {
    if (marker == Marker::None)
        return {};
    QPixmap pm = canvas(dpr, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = markerColour(marker);
    const QRectF disc(1.5, 1.5, size - 3.0, size - 3.0);
    // A soft shadow, then the disc lit from the top left, then a crisp rim.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(disc.translated(0.8, 1.0));
    QRadialGradient light(disc.left() + disc.width() * 0.35, disc.top() + disc.height() * 0.3,
                          disc.width() * 0.75);
    light.setColorAt(0.0, base.lighter(marker == Marker::Noir ? 260 : 150));
    light.setColorAt(0.6, base);
    light.setColorAt(1.0, base.darker(125));
    p.setBrush(light);
    p.setPen(QPen(base.darker(marker == Marker::Jaune ? 170 : 150), 1.2));
    p.drawEllipse(disc);
    return pm;
}

QPixmap microphonePixmap(qreal dpr, int size) {
    QPixmap pm = canvas(dpr, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QColor ink(0x37, 0x3d, 0x47);
    const QColor live(0xd3, 0x2f, 0x2f);
    // The capsule, in the recording red, with its grille lines.
    const QRectF capsule(s * 0.34, s * 0.06, s * 0.32, s * 0.52);
    QLinearGradient body(capsule.topLeft(), capsule.topRight());
    body.setColorAt(0.0, live.lighter(140));
    body.setColorAt(1.0, live.darker(120));
    p.setPen(QPen(live.darker(150), 1.0));
    p.setBrush(body);
    p.drawRoundedRect(capsule, capsule.width() / 2, capsule.width() / 2);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = capsule.top() + capsule.height() * (0.2 + 0.15 * i);
        p.drawLine(QPointF(capsule.left() + 2.5, y), QPointF(capsule.right() - 2.5, y));
    }
    // The holder, stem and foot.
    QPen pen(ink, std::max<qreal>(1.4, s / 14.0));
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF holder(s * 0.24, s * 0.22, s * 0.52, s * 0.5);
    p.drawArc(holder, 180 * 16, 180 * 16);
    p.drawLine(QPointF(s * 0.5, holder.bottom()), QPointF(s * 0.5, s * 0.88));
    p.drawLine(QPointF(s * 0.32, s * 0.9), QPointF(s * 0.68, s * 0.9));
    return pm;
}

} // namespace tembrel
