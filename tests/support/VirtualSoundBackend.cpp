// SPDX-License-Identifier: GPL-3.0-or-later
#include "VirtualSoundBackend.h"

#include "sound/SoundChoice.h"

#include <algorithm>

namespace tembrel {

using Part = VirtualSoundBackend::Part;

Part::~Part() {
    if (backend)
        backend->detach(this);
}

// What a recording and a playback stream share: started once, suspended and
// resumed any number of times, ended for good by stop() or by the device.
template <typename Stream> struct VirtualStream : Stream, Part {
    bool started = false, ended = false, lost = false;

    bool start() override {
        if (started || ended)
            return false;
        started = running = true;
        return true;
    }
    void suspend() override { running = false; }
    void resume() override { running = open(); }
    void stop() override {
        ended = true;
        running = false;
    }
    bool open() const { return started && !ended && !lost; }
    void lose() {
        lost = true;
        running = false;
        this->reportLost();
    }
};

struct VirtualCapture final : VirtualStream<CaptureStream> {
    PcmFormat fmt;
    SoundBackend::DataHandler onData;

    PcmFormat format() const override { return fmt; }
    void advance(qint64 from, qint64 to) override {
        if (!running)
            return;
        const QByteArray &block = backend->heard(from, to);
        if (!block.isEmpty())
            onData(QByteArrayView(block));
    }
    qint64 nextEvent(qint64) const override { return -1; }
};

struct VirtualPlayback final : VirtualStream<PlaybackStream> {
    qint64 durationUs = 0;
    SoundBackend::FinishedHandler onFinished;
    qint64 playedUs = 0;

    qint64 processedUSecs() const override { return ended ? 0 : playedUs; }
    void advance(qint64 from, qint64 to) override {
        if (!running)
            return;
        playedUs = std::min(durationUs, playedUs + (to - from));
        if (playedUs >= durationUs) {
            running = false;
            onFinished(); // may destroy this stream's owner's hold on it; nothing runs after
        }
    }
    qint64 nextEvent(qint64 now) const override {
        return running ? now + std::max<qint64>(1, durationUs - playedUs) : -1;
    }
};

// Acts after the streams, so it sees their state at that moment.
struct VirtualTicker final : Ticker, Part {
    qint64 intervalUs = 0;
    SoundBackend::TickHandler onTick;
    qint64 dueUs = 0;

    void start() override {
        running = true;
        dueUs = backend->m_nowUs + intervalUs;
    }
    void stop() override { running = false; }
    void advance(qint64, qint64 to) override {
        if (running && to >= dueUs) {
            dueUs += intervalUs;
            onTick();
        }
    }
    qint64 nextEvent(qint64) const override { return running ? dueUs : -1; }
};

namespace {

// The parts of type T that pass `test`.
template <typename T, typename Test> int count(const std::vector<Part *> &parts, Test test) {
    return int(std::count_if(parts.begin(), parts.end(), [&](const Part *p) {
        const auto *part = dynamic_cast<const T *>(p);
        return part && test(*part);
    }));
}
const auto isRunning = [](const Part &p) { return p.running; };

} // namespace

VirtualSoundBackend::~VirtualSoundBackend() {
    for (Part *part : m_parts)
        part->backend = nullptr;
}

const QByteArray &VirtualSoundBackend::heard(qint64 from, qint64 to) {
    if (to != m_heardUntil) { // the first recording to ask in this step
        m_heardUntil = to;
        m_listenUs += to - from;
        const qint64 due = m_listenUs * m_inputRate / 1000000 - m_heardFrames;
        m_heardFrames += due;
        m_heard = m_input.mid(m_inputRead, due * 2);
        m_inputRead += m_heard.size();
        m_heard.append(due * 2 - m_heard.size(), '\0'); // silence once the fed samples run out
    }
    return m_heard;
}

void VirtualSoundBackend::advance(std::chrono::milliseconds span) {
    const qint64 target = m_nowUs + qint64(span.count()) * 1000;
    while (m_nowUs < target) {
        qint64 step = target;
        for (const Part *part : m_parts) {
            const qint64 next = part->nextEvent(m_nowUs);
            if (next > m_nowUs && next < step)
                step = next;
        }
        const qint64 from = m_nowUs;
        m_nowUs = step;
        // A callback may create or destroy parts: walk a copy, skip the departed.
        const std::vector<Part *> parts = m_parts;
        for (const bool tickers : {false, true})
            for (Part *part : parts)
                if (bool(dynamic_cast<VirtualTicker *>(part)) == tickers && attached(part))
                    part->advance(from, step);
    }
}

template <typename Stream> void VirtualSoundBackend::lose() {
    // A lost handler may retire streams: walk a copy, skip the departed.
    const std::vector<Part *> parts = m_parts;
    for (Part *part : parts)
        if (auto *stream = dynamic_cast<Stream *>(part); attached(part) && stream && stream->open())
            stream->lose();
}

void VirtualSoundBackend::loseInput() {
    lose<VirtualCapture>();
}

void VirtualSoundBackend::loseOutput() {
    lose<VirtualPlayback>();
}

int VirtualSoundBackend::runningCaptures() const {
    return count<VirtualCapture>(m_parts, isRunning);
}

int VirtualSoundBackend::runningPlaybacks() const {
    return count<VirtualPlayback>(m_parts, isRunning);
}

int VirtualSoundBackend::runningTickers() const {
    return count<VirtualTicker>(m_parts, isRunning);
}

int VirtualSoundBackend::openCaptures() const {
    return count<VirtualCapture>(m_parts, [](const auto &c) { return c.started && !c.ended; });
}

SoundDevices VirtualSoundBackend::listed() const {
    return {m_inputPresent ? m_devices.inputs : QList<SoundDevice>(),
            m_outputPresent ? m_devices.outputs : QList<SoundDevice>()};
}

void VirtualSoundBackend::readDevices(QObject *context, DevicesHandler onRead) {
    m_deviceReads.emplace_back(context, std::move(onRead));
}

void VirtualSoundBackend::answerDeviceReads() {
    const auto reads = std::exchange(m_deviceReads, {});
    for (const auto &[context, onRead] : reads)
        if (context)
            onRead(listed());
}

std::unique_ptr<CaptureStream> VirtualSoundBackend::createCapture(PcmFormat, DataHandler onData) {
    const auto device = deviceInUse(SoundUse::Microphone, listed());
    if (!device || openCaptures() >= m_captureLimit)
        return nullptr;
    m_lastCaptureDevice = device->id;
    auto capture = std::make_unique<VirtualCapture>();
    ++m_capturesMade;
    capture->fmt = PcmFormat{m_inputRate, 1};
    capture->onData = std::move(onData);
    attach(capture.get());
    return capture;
}

std::unique_ptr<PlaybackStream>
VirtualSoundBackend::createPlayback(PcmFormat format, QByteArray pcm, FinishedHandler onFinished) {
    const auto device = deviceInUse(SoundUse::Speaker, listed());
    if (!device || format.sampleRate < 1 || format.channels < 1)
        return nullptr;
    m_lastPlaybackDevice = device->id;
    auto playback = std::make_unique<VirtualPlayback>();
    const qint64 frames = pcm.size() / (2 * format.channels);
    // Rounded up: the device has played everything only once the last frame is out.
    playback->durationUs = (frames * 1000000 + format.sampleRate - 1) / format.sampleRate;
    playback->onFinished = std::move(onFinished);
    attach(playback.get());
    return playback;
}

std::unique_ptr<Ticker> VirtualSoundBackend::createTicker(std::chrono::milliseconds interval,
                                                          TickHandler onTick) {
    auto ticker = std::make_unique<VirtualTicker>();
    ticker->intervalUs = std::max<qint64>(1, qint64(interval.count()) * 1000);
    ticker->onTick = std::move(onTick);
    attach(ticker.get());
    return ticker;
}

} // namespace tembrel
