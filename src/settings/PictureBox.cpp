// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PictureBox.h"

#include "shell/QtColours.h"
#include "shell/Twips.h"

namespace tembrel {

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setBackColor(ColourLightGrey);
}

void PictureBox::setBackColor(quint32 bgr) {
    m_colour = bgr & 0xFFFFFF;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(m_colour));
    setPalette(pal);
}

QSize PictureBox::sizeHint() const {
    return {twipsToPixels(1200, this), twipsToPixels(375, this)};
}

} // namespace tembrel
