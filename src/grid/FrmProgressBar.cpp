// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/FrmProgressBar.h"

#include "shell/QtColours.h"
#include "shell/Twips.h"

#include <QGuiApplication>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>

namespace tembrel {
namespace {
QPointer<FrmProgressBar> g_instance;
}

FrmProgressBar::FrmProgressBar(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("FrmProgressBar"));
    setFixedSize(twipsToPixels(5100, this), twipsToPixels(540, this));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(ColourLightGrey));
    setPalette(p);
    ProgBar = new QProgressBar(this);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setTextVisible(false);
    ProgBar->setValue(0); // empty, not Qt's "no value yet"
    ProgBar->setGeometry(twipsToPixels(60, this), twipsToPixels(180, this),
                         twipsToPixels(4395, this), twipsToPixels(195, this));
    Form_Load();
}

FrmProgressBar::~FrmProgressBar() = default;

FrmProgressBar *FrmProgressBar::instance(QWidget *parent) {
    if (!g_instance)
        g_instance = new FrmProgressBar(parent);
    return g_instance;
}

bool FrmProgressBar::exists() {
    return !g_instance.isNull();
}

void FrmProgressBar::Unload() {
    if (g_instance) {
        g_instance->hide();
        delete g_instance.data();
    }
}

void FrmProgressBar::Form_Load() {
    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect r = s->geometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }
}

} // namespace tembrel
