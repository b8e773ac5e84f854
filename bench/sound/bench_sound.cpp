// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how long the sound device control takes for a one-minute message:
// encoding and decoding the wave, "Open" on it, and, when an audio server is
// there, the time from "Play" until the device reports sound played.
#include "BenchTiming.h"
#include "VirtualSoundBackend.h"
#include "sound/MMControl.h"
#include "sound/QtSoundBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tembrel;
using namespace tembrel::bench;

namespace {

// Runs the event loop until the condition holds or the time is up; the
// control's own timers wake it.
bool waitFor(const std::function<bool()> &condition, int ms) {
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return condition();
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath("temp.wav");

    PcmSound minute{16000, 1, QByteArray(16000 * 60 * 2, Qt::Uninitialized)};
    auto *v = reinterpret_cast<qint16 *>(minute.samples.data());
    for (int i = 0; i < 16000 * 60; ++i)
        v[i] = qint16((i * 37) % 30000 - 15000);

    QByteArray bytes;
    std::printf("one-minute message, 16-bit mono 16 kHz (%lld bytes)\n",
                qint64(minute.samples.size()));
    std::printf("  encode wave in memory   %8.2f ms\n",
                timeMs(21, [&] { bytes = encodeWave(minute).value_or(QByteArray()); }).median);
    std::printf("  decode wave from memory %8.2f ms\n",
                timeMs(21, [&] { (void)decodeWave(bytes); }).median);
    std::printf("  write temp.wav (safely) %8.2f ms\n",
                timeMs(21, [&] { (void)writeWaveFile(wav, minute); }).median);

    auto virtualDevice = std::make_shared<VirtualSoundBackend>();
    MMControl onVirtual(virtualDevice);
    onVirtual.setDeviceType("WaveAudio");
    onVirtual.setFileName(wav);
    std::printf("  Open + Close            %8.2f ms\n", timeMs(21, [&] {
                                                            onVirtual.setCommand("Open");
                                                            onVirtual.setCommand("Close");
                                                        }).median);

    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::printf("no PULSE_SERVER: run inside scripts/with-audio.sh for playback figures\n");
        return 0;
    }
    std::vector<double> startTimes;
    for (int i = 0; i < 5; ++i) {
        MMControl mm(std::make_shared<QtSoundBackend>());
        mm.setDeviceType("WaveAudio");
        mm.setFileName(wav);
        QElapsedTimer t;
        t.start();
        if (mm.setCommand("Open") != MciError::None || mm.setCommand("Play") != MciError::None) {
            std::printf("the audio server refused to play\n");
            return 1;
        }
        const double commands = double(t.nsecsElapsed()) / 1e6;
        if (!waitFor([&] { return mm.Position() > 0; }, 5000)) {
            std::printf("no sound played within 5 s\n");
            return 1;
        }
        startTimes.push_back(double(t.nsecsElapsed()) / 1e6);
        if (i == 0)
            std::printf("  Open + Play return      %8.2f ms\n", commands);
        mm.setCommand("Close");
    }
    std::sort(startTimes.begin(), startTimes.end());
    std::printf("  Play until first sound  %8.2f ms (median of 5)\n", startTimes[2]);
    return 0;
}
