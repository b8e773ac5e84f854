// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program icon and the toolbar pictures into PNG files:
//   make_icons <output folder>
// Each toolbar picture is drawn on a 24-unit grid and written at 24 px
// (<key>.png) and 48 px (<key>@2x.png); the program icon at 256 px, and at
// every size of the desktop's icon theme under hicolor/ for installing.
// Build and run it with `cmake --build build --target icons`.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor Ink(0x3b, 0x44, 0x52);
const QColor Paper(0xff, 0xff, 0xff);
const QColor Red(0xd6, 0x45, 0x3d);
const QColor Blue(0x2f, 0x6f, 0xd6);
const QColor DarkBlue(0x1d, 0x4f, 0xa8);
const QColor Dots(0xb4, 0xbc, 0xc8);
const QColor Gold(0xf2, 0xb1, 0x1e);

QPen ink(double width) {
    QPen p(Ink, width);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

// A calendar page: coloured header with two rings, and day cells; the cell at
// (markRow, markCol) is filled with markColour.
void calendar(QPainter &p, const QColor &header, int markRow, int markCol,
              const QColor &markColour) {
    const QRectF body(2.5, 4.0, 19.0, 17.5);
    QPainterPath page;
    page.addRoundedRect(body, 2.2, 2.2);
    p.fillPath(page, Paper);
    p.save();
    p.setClipPath(page);
    p.fillRect(QRectF(body.left(), body.top(), body.width(), 5.0), header);
    p.restore();
    p.setPen(ink(1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(page);
    // Rings.
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawRoundedRect(QRectF(6.6, 2.0, 2.0, 4.6), 1.0, 1.0);
    p.drawRoundedRect(QRectF(15.4, 2.0, 2.0, 4.6), 1.0, 1.0);
    // Day cells: 3 rows of 4.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const QRectF cell(5.0 + c * 3.8, 10.9 + r * 3.4, 2.6, 2.4);
            p.setBrush(r == markRow && c == markCol ? markColour : Dots);
            p.drawRoundedRect(cell, 0.5, 0.5);
        }
    }
}

void star(QPainter &p, QPointF centre, double outer, const QColor &fill) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2) ? outer * 0.45 : outer;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(QPen(Ink, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

void drawOpen(QPainter &p) {
    calendar(p, Blue, 1, 2, Red);
}

void drawHolidays(QPainter &p) {
    calendar(p, Red, -1, -1, Red);
    star(p, QPointF(17.2, 17.0), 5.6, Gold);
}

void drawHours(QPainter &p) {
    const QPointF c(12, 12);
    p.setPen(ink(1.3));
    p.setBrush(Paper);
    p.drawEllipse(c, 9.6, 9.6);
    // Hour ticks, longer at the quarters.
    for (int h = 0; h < 12; ++h) {
        const double a = h * M_PI / 6;
        const double r0 = (h % 3 == 0) ? 6.6 : 7.6;
        p.setPen(ink(h % 3 == 0 ? 1.2 : 0.8));
        p.drawLine(QPointF(c.x() + r0 * std::sin(a), c.y() - r0 * std::cos(a)),
                   QPointF(c.x() + 8.5 * std::sin(a), c.y() - 8.5 * std::cos(a)));
    }
    // Hour hand towards ten, minute hand on the quarter: readable at 24 px.
    p.setPen(ink(1.8));
    p.drawLine(c, QPointF(c.x() - 4.2, c.y() - 2.4));
    p.setPen(QPen(Blue, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, QPointF(c.x() + 6.4, c.y()));
    p.setPen(Qt::NoPen);
    p.setBrush(Red);
    p.drawEllipse(c, 1.3, 1.3);
}

void drawSettings(QPainter &p) {
    const QPointF c(12, 12);
    const int teeth = 8;
    QPainterPath gear;
    for (int i = 0; i < teeth * 4; ++i) {
        // Each tooth: two points on the outer circle, two on the root circle.
        const double a = (i - 0.5) * (2 * M_PI) / (teeth * 4);
        const double r = (i % 4 == 0 || i % 4 == 1) ? 10.2 : 7.6;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 3.2, 3.2);
    gear = gear.subtracted(hole);
    p.setPen(ink(1.0));
    p.setBrush(QColor(0x8a, 0x95, 0xa6));
    p.drawPath(gear);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xdd, 0xe2, 0xea));
    QPainterPath ring;
    ring.addEllipse(c, 5.6, 5.6);
    ring = ring.subtracted(hole);
    p.drawPath(ring);
}

void drawHelp(QPainter &p) {
    const QPointF c(12, 12);
    QRadialGradient g(QPointF(9, 8), 14);
    g.setColorAt(0, Blue.lighter(125));
    g.setColorAt(1, DarkBlue);
    p.setPen(QPen(DarkBlue.darker(130), 1.0));
    p.setBrush(g);
    p.drawEllipse(c, 10.2, 10.2);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(15);
    p.setFont(f);
    p.setPen(Paper);
    p.drawText(QRectF(0, 0.6, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
}

// The program icon: a year calendar with a speech bubble carrying sound waves.
void drawProgram(QPainter &p) {
    calendar(p, Blue, 0, 0, Red);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(11.2, 12.2, 12.0, 8.6), 3.0, 3.0);
    QPainterPath tail;
    tail.moveTo(13.6, 20.0);
    tail.lineTo(12.2, 23.4);
    tail.lineTo(17.0, 20.0);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(ink(0.9));
    p.setBrush(Red);
    p.drawPath(bubble);
    p.setPen(QPen(Paper, 1.1, Qt::SolidLine, Qt::RoundCap));
    const double heights[] = {1.6, 3.6, 5.2, 3.0, 1.4};
    for (int i = 0; i < 5; ++i) {
        const double x = 13.6 + i * 1.8;
        p.drawLine(QPointF(x, 16.5 - heights[i] / 2), QPointF(x, 16.5 + heights[i] / 2));
    }
}

bool render(const QString &file, int pixels, const std::function<void(QPainter &)> &draw) {
    QImage img(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(pixels / 24.0, pixels / 24.0);
    draw(p);
    p.end();
    return img.save(file, "PNG");
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_icons <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    struct Picture {
        const char *key;
        void (*draw)(QPainter &);
    };
    const Picture pictures[] = {{"kouvrir", drawOpen},
                                {"khoraires", drawHours},
                                {"kferies", drawHolidays},
                                {"koptions", drawSettings},
                                {"kaide", drawHelp}};
    bool ok = true;
    for (const Picture &pic : pictures) {
        const QString key = QString::fromLatin1(pic.key);
        ok &= render(out.filePath(key + QStringLiteral(".png")), 24, pic.draw);
        ok &= render(out.filePath(key + QStringLiteral("@2x.png")), 48, pic.draw);
    }
    ok &= render(out.filePath(QStringLiteral("tembrel.png")), 256, drawProgram);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        ok &= out.mkpath(dir);
        ok &= render(out.filePath(dir + QStringLiteral("/fr.ostrand.Tembrel.png")), size,
                     drawProgram);
    }
    return ok ? 0 : 1;
}
