// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A sound device for tests. Nothing happens by itself: the test moves the
// clock with advance(), and in that time the microphone hears the samples the
// test fed in (silence once they run out) and every running recording
// receives what it hears, the same samples for all of them, as several
// streams on one real microphone do; every running playback plays, and every
// ticker fires once per interval that has passed.

#include "sound/SoundBackend.h"

#include <QPointer>

#include <algorithm>
#include <vector>

namespace tembrel {

class VirtualSoundBackend final : public SoundBackend {
public:
    VirtualSoundBackend() = default;
    ~VirtualSoundBackend() override;
    Q_DISABLE_COPY_MOVE(VirtualSoundBackend)

    // Which devices exist; both do at first.
    void setInputPresent(bool present) { m_inputPresent = present; }
    void setOutputPresent(bool present) { m_outputPresent = present; }
    // The devices listed (while present): one default microphone and speaker
    // at first. Streams open the chosen one when listed, as the real device does.
    void setDevices(SoundDevices devices) { m_devices = std::move(devices); }
    // The ids of the devices the last recording and playback streams opened.
    QByteArray lastCaptureDevice() const { return m_lastCaptureDevice; }
    QByteArray lastPlaybackDevice() const { return m_lastPlaybackDevice; }
    // readDevices() answers only here, with the lists as they are then: a
    // test that never calls it has a server that never answers.
    int pendingDeviceReads() const { return int(m_deviceReads.size()); }
    void answerDeviceReads();
    // The most recordings the input runs at once; a device that cannot share
    // refuses the next one (no limit at first).
    void setCaptureLimit(int limit) { m_captureLimit = limit; }
    // The rate the input delivers, whatever was asked (the nearest it supports).
    void setInputRate(int rate) {
        m_inputRate = rate;
        m_listenUs = m_heardFrames = 0;
    }
    // Mono samples the microphone will hear next, in the order fed. It hears
    // only while some recording runs.
    void feed(const QByteArray &samples) { m_input.append(samples); }

    // The input (output) goes away or stops answering: every recording
    // (playback) stream started and not stopped ends by itself, through its
    // lost handler. The device stays listed unless set absent too.
    void loseInput();
    void loseOutput();

    // Moves the clock on; everything due in that time happens in order.
    void advance(std::chrono::milliseconds span);
    std::chrono::milliseconds now() const { return std::chrono::milliseconds(m_nowUs / 1000); }

    int runningCaptures() const;
    int runningPlaybacks() const;
    int runningTickers() const;
    // Recordings ever made, and those started and not yet stopped (running or
    // suspended).
    int capturesMade() const { return m_capturesMade; }
    int openCaptures() const;

    bool hasInput() override { return m_inputPresent && !m_devices.inputs.isEmpty(); }
    bool hasOutput() override { return m_outputPresent && !m_devices.outputs.isEmpty(); }
    void readDevices(QObject *context, DevicesHandler onRead) override;
    std::unique_ptr<CaptureStream> createCapture(PcmFormat preferred, DataHandler onData) override;
    std::unique_ptr<PlaybackStream> createPlayback(PcmFormat format, QByteArray pcm,
                                                   FinishedHandler onFinished) override;
    std::unique_ptr<Ticker> createTicker(std::chrono::milliseconds interval,
                                         TickHandler onTick) override;

    // A stream or ticker, which leaves the device's list when destroyed.
    struct Part {
        virtual ~Part();
        VirtualSoundBackend *backend = nullptr;
        bool running = false;
        // The time moves from `from` to `to` (microseconds).
        virtual void advance(qint64 from, qint64 to) = 0;
        // The next moment after `now` at which this part acts, or -1.
        virtual qint64 nextEvent(qint64 now) const = 0;
    };

private:
    friend struct VirtualCapture;
    friend struct VirtualTicker;
    template <typename Stream> void lose();
    void attach(Part *part) {
        part->backend = this;
        m_parts.push_back(part);
    }
    void detach(Part *part) { std::erase(m_parts, part); }
    bool attached(const Part *part) const { return std::ranges::count(m_parts, part) > 0; }
    // What the microphone hears in the step that ends at `to`.
    const QByteArray &heard(qint64 from, qint64 to);

    SoundDevices listed() const;

    bool m_inputPresent = true;
    SoundDevices m_devices{{{"virtual-microphone", QStringLiteral("Microphone"), true}},
                           {{"virtual-speaker", QStringLiteral("Speaker"), true}}};
    QByteArray m_lastCaptureDevice, m_lastPlaybackDevice;
    std::vector<std::pair<QPointer<QObject>, DevicesHandler>> m_deviceReads;
    bool m_outputPresent = true;
    int m_inputRate = 16000;
    QByteArray m_input;
    qsizetype m_inputRead = 0;
    qint64 m_nowUs = 0;
    qint64 m_listenUs = 0;    // time some recording was running
    qint64 m_heardFrames = 0; // frames the microphone heard in that time
    qint64 m_heardUntil = -1;
    QByteArray m_heard;
    int m_capturesMade = 0;
    int m_captureLimit = 1 << 30;
    std::vector<Part *> m_parts;
};

} // namespace tembrel
