// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

namespace tembrel {

// A sunken box filled with one colour: the preview of a colour setting.
// BackColor is held as a 0x00BBGGRR value, as the settings store it.
class PictureBox final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureBox)

public:
    explicit PictureBox(QWidget *parent = nullptr);

    quint32 BackColor() const { return m_colour; }
    void setBackColor(quint32 bgr);

    QSize sizeHint() const override;

private:
    quint32 m_colour = 0;
};

} // namespace tembrel
