// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what the recording window's input scope costs: turning a second of
// device input into scope samples, drawing one block of 3195 dots, and the
// whole Timer1 tick (with and without a new block, then painted) on the
// window as laid out, on the virtual sound device.
#include "BenchTiming.h"
#include "VirtualSoundBackend.h"
#include "core/Platform.h"
#include "recording/FrmEnregMessage.h"
#include "recording/ScopeView.h"
#include "recording/SoundMeter.h"
#include "sound/MMControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tembrel;
using namespace tembrel::bench;

namespace {

void print(const char *what, Figures f) {
    std::printf("  %-34s %8.3f ms median, %8.3f ms longest\n", what, f.median, f.longest);
}

QByteArray tone(int rate, int ms) {
    QByteArray out(qsizetype(rate) * ms / 1000 * 2, Qt::Uninitialized);
    auto *v = reinterpret_cast<qint16 *>(out.data());
    for (qsizetype i = 0; i < out.size() / 2; ++i)
        v[i] = qint16(8000 * std::sin(2 * M_PI * 440 * double(i) / rate));
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto device = std::make_shared<VirtualSoundBackend>();
    MMControl::setBackendFactory([device] { return device; });

    std::printf("input scope, %d-byte blocks at %d Hz\n", ScopeBufferSize, ScopeRate);
    for (const int rate : {8000, 48000}) {
        device->setInputRate(rate);
        SoundMeter meter(device);
        meter.StartInput();
        const QByteArray second = tone(rate, 1000);
        const Figures f = timeMs(21, [&] {
            device->feed(second);
            device->advance(std::chrono::milliseconds(1000));
        });
        meter.StopInput();
        char what[64];
        std::snprintf(what, sizeof what, "one second of %d Hz input", rate);
        print(what, f);
    }

    std::array<quint8, ScopeBufferSize> samples{};
    for (int i = 0; i < ScopeBufferSize; ++i)
        samples[i] = quint8(128 + 100 * std::sin(i / 7.0));
    for (const QSize size : {QSize(340, 70), QSize(ScopeBufferSize, 200)}) {
        ScopeView view;
        view.resize(size);
        char what[64];
        std::snprintf(what, sizeof what, "draw 3195 dots into %dx%d", size.width(), size.height());
        print(what, timeMs(201, [&] { view.drawSamples(samples); }));
    }

    YearModel year;
    FrmEnregMessage window(year, Slot{3, 1});
    window.show();
    window.CheckDiagramme->setChecked(true);
    device->setInputRate(16000);
    device->feed(tone(16000, 60000));
    window.CmdRecord_Click();
    device->advance(std::chrono::milliseconds(1000));
    window.Timer1_Timer();
    std::printf("  the window's scope is %dx%d\n", window.scopeBox->width(),
                window.scopeBox->height());
    print("tick without a new block", timeMs(201, [&] { window.Timer1_Timer(); }));
    print("400 ms of input, then a tick", timeMs(21, [&] {
              device->advance(std::chrono::milliseconds(400)); // one new block each time
              window.Timer1_Timer();
          }));
    print("tick, then painted", timeMs(201, [&] {
              window.Timer1_Timer();
              window.scopeBox->repaint();
          }));
    window.CmdStopVolume_Click();
    return 0;
}
