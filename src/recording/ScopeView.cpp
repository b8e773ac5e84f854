// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/ScopeView.h"

#include "shell/QtColours.h"

#include <QPainter>

#include <cmath>

namespace tembrel {

ScopeView::ScopeView(QWidget *parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_samples.reserve(4096);
}

QSize ScopeView::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 40, fontMetrics().height() * 5};
}

QSize ScopeView::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 10, fontMetrics().height() * 3};
}

void ScopeView::fitPicture() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (m_picture.size() == pixels && m_picture.devicePixelRatio() == dpr)
        return;
    m_picture = QImage(pixels, QImage::Format_RGB32);
    m_picture.setDevicePixelRatio(dpr);
    // y = H - s * H / 255, in floating point as the scope has always drawn it.
    const double last = pixels.height() - 1;
    for (int s = 0; s < 256; ++s)
        m_rows[s] = int(std::lround(last - s * last / 255.0));
}

void ScopeView::Cls() {
    m_samples.clear();
    fitPicture();
    m_picture.fill(Qt::black);
    update();
}

void ScopeView::drawSamples(std::span<const quint8> samples) {
    m_samples.assign(samples.begin(), samples.end()); // no allocation after the first
    fitPicture();
    plot();
    update();
}

void ScopeView::plot() {
    m_picture.fill(Qt::black);
    const qsizetype n = qsizetype(m_samples.size());
    if (n == 0)
        return;
    const QRgb dot = toQColor(ForeColor).rgb();
    uchar *bits = m_picture.bits();
    const qsizetype stride = m_picture.bytesPerLine();
    const qsizetype lastX = m_picture.width() - 1;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype x = n > 1 ? i * lastX / (n - 1) : 0;
        reinterpret_cast<QRgb *>(bits + m_rows[m_samples[size_t(i)]] * stride)[x] = dot;
    }
}

void ScopeView::resizeEvent(QResizeEvent *) {
    fitPicture();
    plot();
}

void ScopeView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    if (m_picture.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(QPoint(0, 0), m_picture);
}

} // namespace tembrel
