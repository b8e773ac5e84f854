// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/QtSoundBackend.h"

#include "sound/QtSoundStreams.h"
#include "sound/QtSoundThreads.h"
#include "sound/QtStreamSide.h"
#include "sound/SoundChoice.h"
#include "sound/WaveFile.h"

#include <QTimer>

#include <algorithm>

namespace tembrel {

namespace {

using namespace std::chrono_literals;
using qtsound::CaptureLink;
using qtsound::CaptureWorker;
using qtsound::PlaybackWorker;
using qtsound::SoundThreads;
using qtsound::StreamSide;
using qtsound::StreamThread;

// How long suspend() and stop() wait for the samples still on their way.
constexpr auto SamplesWait = 100ms;

QList<SoundDevice> soundDevices(const QList<QAudioDevice> &devices) {
    QList<SoundDevice> out;
    for (const QAudioDevice &d : devices)
        out.append({d.id(), d.description(), d.isDefault()});
    return out;
}

// The chosen device when listed, else the default. Qt 6.4 on PulseAudio may
// flag the wrong input as default (it compares with the default output's
// name), or none: then the first listed, the oldest of the server's.
QAudioDevice pick(const QList<QAudioDevice> &devices, SoundUse use) {
    const qsizetype i = deviceInUse(soundDevices(devices), chosenDevice(use).id);
    return i < 0 ? QAudioDevice() : devices[i];
}

// The wanted format when the device takes it, otherwise the nearest one it does.
QAudioFormat nearestFormat(const QAudioDevice &device, PcmFormat wanted) {
    QAudioFormat f = qtsound::int16Format(wanted.sampleRate, wanted.channels);
    if (device.isFormatSupported(f))
        return f;
    f.setSampleRate(
        std::clamp(wanted.sampleRate, device.minimumSampleRate(), device.maximumSampleRate()));
    f.setChannelCount(
        std::clamp(wanted.channels, device.minimumChannelCount(), device.maximumChannelCount()));
    if (!device.supportedSampleFormats().contains(QAudioFormat::Int16))
        f.setSampleFormat(device.preferredFormat().sampleFormat());
    if (device.isFormatSupported(f))
        return f;
    return device.preferredFormat();
}

class QtCapture final : public CaptureStream, StreamSide<CaptureWorker> {
public:
    QtCapture(StreamThread *thread, std::shared_ptr<CaptureLink> link, const QAudioDevice &device,
              const QAudioFormat &format, int outChannels, SoundBackend::DataHandler onData)
        : StreamSide(new CaptureWorker(thread, link, device, format, outChannels), thread)
        , m_link(std::move(link))
        , m_format{format.sampleRate(), outChannels}
        , m_onData(std::move(onData)) {
        QObject::connect(m_worker, &CaptureWorker::captured, &m_receiver, [this] { deliver(); });
    }
    ~QtCapture() override { stop(); }

    PcmFormat format() const override { return m_format; }
    bool start() override { return beginStart(); }
    void suspend() override {
        if (live())
            ask([](CaptureWorker *w, quint64 n) { w->suspend(n); });
    }
    void resume() override {
        if (live())
            post([](CaptureWorker *w) { w->resume(); });
    }
    void stop() override {
        if (!live())
            return;
        ask([](CaptureWorker *w, quint64 n) { w->stop(n); });
        end();
    }

private:
    // Sends a command that hands over the samples heard before it, and waits
    // a little for them: a server that hangs keeps its last few.
    template <typename F> void ask(F command) {
        const quint64 n = ++m_asked;
        post([command, n](CaptureWorker *w) { command(w, n); });
        if (m_phase == Phase::Running) {
            std::unique_lock lock(m_link->mutex);
            m_link->done.wait_for(lock, SamplesWait, [&] { return m_link->doneUpTo >= n; });
        }
        deliver();
    }
    void deliver() {
        if (!live())
            return;
        QByteArray block;
        {
            std::lock_guard lock(m_link->mutex);
            block.swap(m_link->samples);
        }
        if (!block.isEmpty())
            m_onData(QByteArrayView(block));
    }
    void lose() override {
        if (!live())
            return;
        deliver(); // what came before the loss is kept
        post([](CaptureWorker *w) { w->stop(0); });
        end();
        reportLost();
    }

    const std::shared_ptr<CaptureLink> m_link;
    const PcmFormat m_format;
    const SoundBackend::DataHandler m_onData;
    quint64 m_asked = 0;
};

class QtPlayback final : public PlaybackStream, StreamSide<PlaybackWorker> {
public:
    QtPlayback(StreamThread *thread, std::shared_ptr<std::atomic<qint64>> played,
               const QAudioDevice &device, PcmFormat format, QByteArray pcm,
               SoundBackend::FinishedHandler onFinished)
        : StreamSide(new PlaybackWorker(thread, played, device, format, std::move(pcm)), thread)
        , m_played(std::move(played))
        , m_onFinished(std::move(onFinished)) {
        QObject::connect(m_worker, &PlaybackWorker::finished, &m_receiver, [this] {
            if (m_phase != Phase::Running)
                return;
            end();
            m_onFinished();
        });
    }
    ~QtPlayback() override { stop(); }

    bool start() override { return beginStart(); }
    void suspend() override {
        if (live())
            post([](PlaybackWorker *w) { w->suspend(); });
    }
    void resume() override {
        if (live())
            post([](PlaybackWorker *w) { w->resume(); });
    }
    void stop() override {
        m_stopped = true;
        if (!live())
            return;
        post([](PlaybackWorker *w) { w->stop(); });
        end();
    }
    qint64 processedUSecs() const override { return m_stopped ? 0 : m_played->load(); }

private:
    void lose() override {
        if (!live())
            return;
        post([](PlaybackWorker *w) { w->stop(); });
        end();
        reportLost();
    }

    const std::shared_ptr<std::atomic<qint64>> m_played;
    const SoundBackend::FinishedHandler m_onFinished;
    bool m_stopped = false;
};

class QtTicker final : public Ticker {
public:
    QtTicker(std::chrono::milliseconds interval, SoundBackend::TickHandler onTick) {
        m_timer.setInterval(interval);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTick));
    }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

} // namespace

QtSoundBackend::QtSoundBackend() {
    SoundThreads::instance(); // the first reading of the devices begins now
}

bool QtSoundBackend::hasInput() {
    return !SoundThreads::instance().devices().inputs.isEmpty();
}

bool QtSoundBackend::hasOutput() {
    return !SoundThreads::instance().devices().outputs.isEmpty();
}

void QtSoundBackend::readDevices(QObject *context, DevicesHandler onRead) {
    SoundThreads::instance().readAgain(
        context, [onRead = std::move(onRead)](const qtsound::DeviceList &list) {
            onRead(SoundDevices{soundDevices(list.inputs), soundDevices(list.outputs)});
        });
}

std::unique_ptr<CaptureStream> QtSoundBackend::createCapture(PcmFormat preferred,
                                                             DataHandler onData) {
    const QAudioDevice device =
        pick(SoundThreads::instance().devices().inputs, SoundUse::Microphone);
    if (device.isNull())
        return nullptr;
    const QAudioFormat format = nearestFormat(device, preferred);
    if (!format.isValid())
        return nullptr;
    // More channels than asked for are mixed down to the one of a new recording.
    const int outChannels =
        preferred.channels == 1 ? 1 : std::min(preferred.channels, format.channelCount());
    return std::make_unique<QtCapture>(SoundThreads::instance().streamThread(),
                                       std::make_shared<CaptureLink>(), device, format, outChannels,
                                       std::move(onData));
}

std::unique_ptr<PlaybackStream> QtSoundBackend::createPlayback(PcmFormat format, QByteArray pcm,
                                                               FinishedHandler onFinished) {
    const QAudioDevice device = pick(SoundThreads::instance().devices().outputs, SoundUse::Speaker);
    if (device.isNull() || format.sampleRate < 1 || format.sampleRate > MaxWaveRate ||
        format.channels < 1 || format.channels > MaxWaveChannels)
        return nullptr;
    return std::make_unique<QtPlayback>(SoundThreads::instance().streamThread(),
                                        std::make_shared<std::atomic<qint64>>(0), device, format,
                                        std::move(pcm), std::move(onFinished));
}

std::unique_ptr<Ticker> QtSoundBackend::createTicker(std::chrono::milliseconds interval,
                                                     TickHandler onTick) {
    return std::make_unique<QtTicker>(interval, std::move(onTick));
}

} // namespace tembrel
