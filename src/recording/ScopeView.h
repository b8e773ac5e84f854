// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <span>
#include <vector>

namespace tembrel {

// The picture box of the input scope: black, with one light green dot per
// sample across the whole width, sample 255 on the top edge, 0 on the bottom
// one and silence (128) in the middle. The dots go into an image the size of
// the widget, so a drawing costs one pass over the samples and one paint.
class ScopeView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScopeView)

public:
    // The foreground colour, C0FFC0 in 0x00BBGGRR order.
    static constexpr quint32 ForeColor = 0xC0FFC0;

    explicit ScopeView(QWidget *parent = nullptr);

    // Wipes the dots: black again.
    void Cls();
    // Clears, then draws one dot per sample at x = i * (W - 1) / (n - 1),
    // y = H - s * H / 255, with W the width and H the last row of the picture.
    void drawSamples(std::span<const quint8> samples);
    // What the widget shows, in device pixels.
    const QImage &picture() const { return m_picture; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void plot();
    void fitPicture();

    QImage m_picture;
    // The samples last drawn, so that a new size shows them again.
    std::vector<quint8> m_samples;
    // Row of each sample value for the picture's height.
    std::array<int, 256> m_rows{};
};

} // namespace tembrel
