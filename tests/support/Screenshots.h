// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Windows on screen, and pictures of them: saved under the build folder's
// screenshots/ for a person to look at, and checked pixel by pixel by the test.

#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPoint>
#include <QProgressBar>
#include <QTest>
#include <QWidget>

namespace tembrel::test {

// The window shown, once it is on screen; active, once it also has the keyboard.
inline bool exposed(QWidget *w) {
    w->show();
    return QTest::qWaitForWindowExposed(w);
}
inline bool active(QWidget *w) {
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

#ifdef TEMBREL_BINARY_DIR
inline bool saveScreenshot(const QImage &shot, const QString &name) {
    const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
    return QDir().mkpath(dir) && shot.save(QDir(dir).filePath(name));
}

// The widget's picture, saved as `name`; a null image when it could not be.
inline QImage screenshot(QWidget *widget, const QString &name) {
    const QImage shot = widget->grab().toImage();
    return saveScreenshot(shot, name) ? shot : QImage();
}
#endif

// Where a picture lies on a ground of one colour: the bounds of the pixels of
// `area` that differ from `ground` (empty when the area is plain ground).
inline QRect pictureOn(const QImage &shot, const QRect &area, const QColor &ground) {
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.pixelColor(x, y) != ground)
                found |= QRect(x, y, 1, 1);
    return found;
}

// The rows among the first `count` of a list drawn highlighted in a picture of
// its window, sampled near each row's right end, clear of its text.
inline QList<int> highlightedRows(const QImage &shot, QWidget *window, const QListWidget *list,
                                  int count) {
    const QColor highlight = list->palette().color(QPalette::Highlight);
    QList<int> rows;
    for (int i = 0; i < count; ++i) {
        const QRect r = list->visualItemRect(list->item(i));
        const QPoint end = list->viewport()->mapTo(window, QPoint(r.right() - 4, r.center().y()));
        if (shot.pixelColor(end) == highlight)
            rows << i;
    }
    return rows;
}

// A bar drawn to its value, in a picture of its window: a point a tenth of the
// way along lies in the filled part and one at nine tenths in the empty part,
// so the two differ (the value must lie between them).
inline void checkBarDrawn(QWidget *window, const QProgressBar *bar) {
    const QImage shot = window->grab().toImage();
    const QRect r = bar->rect();
    const auto colourAt = [&](int tenths) {
        return shot.pixelColor(bar->mapTo(window, QPoint(r.width() * tenths / 10, r.center().y())));
    };
    QVERIFY(colourAt(1) != colourAt(9));
    QCOMPARE(colourAt(9), colourAt(8)); // both empty
}

} // namespace tembrel::test
