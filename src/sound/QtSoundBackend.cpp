// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/QtSoundBackend.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tembrel {

namespace {

// Qt 6.4 on PulseAudio may flag the wrong input as default (it compares with
// the default output's name): prefer a real source over the monitor of an
// output, and the flagged default among real sources.
QAudioDevice pickInput() {
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    auto isMonitor = [](const QAudioDevice &d) { return d.id().endsWith(".monitor"); };
    for (const QAudioDevice &d : inputs)
        if (d.isDefault() && !isMonitor(d))
            return d;
    for (const QAudioDevice &d : inputs)
        if (!isMonitor(d))
            return d;
    return inputs.isEmpty() ? QAudioDevice() : QMediaDevices::defaultAudioInput();
}

QAudioFormat int16Format(int rate, int channels) {
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(channels);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

// The wanted format when the device takes it, otherwise the nearest one it does.
QAudioFormat nearestFormat(const QAudioDevice &device, PcmFormat wanted) {
    QAudioFormat f = int16Format(wanted.sampleRate, wanted.channels);
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

class QtCapture final : public CaptureStream {
public:
    QtCapture(const QAudioDevice &device, const QAudioFormat &format, int outChannels,
              SoundBackend::DataHandler onData)
        : m_format(format)
        , m_outChannels(outChannels)
        , m_onData(std::move(onData))
        , m_source(std::make_unique<QAudioSource>(device, format)) {}
    ~QtCapture() override { stop(); }

    PcmFormat format() const override { return {m_format.sampleRate(), m_outChannels}; }

    bool start() override {
        m_io = m_source->start();
        if (!m_io || m_source->error() != QAudio::NoError) {
            m_io = nullptr;
            return false;
        }
        QObject::connect(m_io, &QIODevice::readyRead, m_source.get(), [this] { drain(); });
        return true;
    }
    void suspend() override {
        if (m_io) {
            drain();
            m_source->suspend();
        }
    }
    void resume() override {
        if (m_io)
            m_source->resume();
    }
    void stop() override {
        if (!m_io)
            return;
        drain();
        QObject::disconnect(m_io, nullptr, m_source.get(), nullptr);
        m_io = nullptr;
        m_source->stop();
    }

private:
    void drain() {
        if (!m_io)
            return;
        const QByteArray raw = m_io->readAll();
        if (raw.isEmpty())
            return;
        m_pending.append(raw);
        const int inFrame = m_format.bytesPerFrame();
        const qsizetype frames = m_pending.size() / inFrame;
        if (frames == 0)
            return;
        QByteArray out;
        if (m_format.sampleFormat() == QAudioFormat::Int16 &&
            m_format.channelCount() == m_outChannels) {
            out = m_pending.left(frames * inFrame);
        } else {
            out = convert(m_pending.constData(), frames);
        }
        m_pending.remove(0, frames * inFrame);
        m_onData(QByteArrayView(out));
    }

    // Any sample format to 16-bit, several channels mixed down to one.
    QByteArray convert(const char *data, qsizetype frames) const {
        const int inChannels = m_format.channelCount();
        const int bytesPerSample = m_format.bytesPerSample();
        QByteArray out(frames * m_outChannels * 2, Qt::Uninitialized);
        auto *dst = reinterpret_cast<qint16 *>(out.data());
        for (qsizetype i = 0; i < frames; ++i) {
            const char *frame = data + i * m_format.bytesPerFrame();
            auto sample = [&](int c) {
                return m_format.normalizedSampleValue(frame + c * bytesPerSample);
            };
            auto toInt16 = [](float v) {
                return qint16(std::clamp(std::lround(v * 32767.0f), -32768L, 32767L));
            };
            if (m_outChannels == 1) {
                float sum = 0;
                for (int c = 0; c < inChannels; ++c)
                    sum += sample(c);
                *dst++ = toInt16(sum / float(inChannels));
            } else {
                for (int c = 0; c < m_outChannels; ++c)
                    *dst++ = toInt16(sample(std::min(c, inChannels - 1)));
            }
        }
        return out;
    }

    QAudioFormat m_format;
    int m_outChannels = 1;
    SoundBackend::DataHandler m_onData;
    std::unique_ptr<QAudioSource> m_source;
    QIODevice *m_io = nullptr;
    QByteArray m_pending;
};

// Push mode: the sink's buffer is kept full from the sound in memory (Qt 6.4's
// pull mode hands PulseAudio one period per tick, which underruns and then
// waits for a whole prebuffer). Silence follows the sound so that even a
// sound shorter than the prebuffer starts, and the last real sample gets out.
class QtPlayback final : public PlaybackStream {
public:
    QtPlayback(const QAudioDevice &device, PcmFormat format, QByteArray pcm,
               SoundBackend::FinishedHandler onFinished)
        : m_pcm(std::move(pcm))
        , m_onFinished(std::move(onFinished))
        , m_sink(std::make_unique<QAudioSink>(device,
                                              int16Format(format.sampleRate, format.channels))) {
        const qint64 bytesPerFrame = 2 * format.channels;
        const qint64 frames = m_pcm.size() / bytesPerFrame;
        m_pcm.truncate(frames * bytesPerFrame);
        m_durationUs = frames * 1000000 / format.sampleRate;
        const qsizetype buffer = qsizetype(format.sampleRate * kBufferMs / 1000 * bytesPerFrame);
        m_sink->setBufferSize(buffer);
        m_soundBytes = m_pcm.size();
        m_pcm.append(QByteArray(buffer, '\0'));
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { pump(); });
    }
    ~QtPlayback() override { stop(); }

    bool start() override {
        m_io = m_sink->start();
        if (!m_io || m_sink->error() != QAudio::NoError) {
            m_io = nullptr;
            return false;
        }
        m_running = true;
        pump();
        m_poll.start();
        return true;
    }
    void suspend() override {
        if (!m_running)
            return;
        m_sink->suspend();
        m_poll.stop();
    }
    void resume() override {
        if (!m_running)
            return;
        m_sink->resume();
        m_stall.invalidate();
        m_poll.start();
    }
    void stop() override {
        if (!m_running)
            return;
        m_running = false;
        m_poll.stop();
        m_io = nullptr;
        m_sink->stop();
    }
    qint64 processedUSecs() const override {
        return m_running ? std::min(m_sink->processedUSecs(), m_durationUs) : 0;
    }

private:
    static constexpr int kBufferMs = 400;

    void pump() {
        if (!m_running)
            return;
        // stateChanged may come late in Qt 6.4: the state is read here instead.
        const QAudio::State state = m_sink->state();
        if (state == QAudio::SuspendedState)
            return;
        if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
            finish(); // the server went away: nothing more will play
            return;
        }
        while (m_written < m_pcm.size()) {
            const qint64 room = std::min<qint64>(m_sink->bytesFree(), m_pcm.size() - m_written);
            if (room <= 0)
                break;
            const qint64 n = m_io->write(m_pcm.constData() + m_written, room);
            if (n <= 0)
                break;
            m_written += n;
        }
        if (m_written < m_soundBytes)
            return;
        // Everything is with the server: the end is when it has played the
        // sound's length, or when its count stops moving short of it.
        const qint64 played = m_sink->processedUSecs();
        if (played >= m_durationUs) {
            finish();
        } else if (played != m_lastPlayed || !m_stall.isValid()) {
            m_lastPlayed = played;
            m_stall.start();
        } else if (m_stall.elapsed() > 1000) {
            finish();
        }
    }
    void finish() {
        stop();
        m_onFinished();
    }

    QByteArray m_pcm; // the sound, then silence
    qsizetype m_soundBytes = 0;
    SoundBackend::FinishedHandler m_onFinished;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_io = nullptr;
    qint64 m_written = 0;
    QTimer m_poll;
    QElapsedTimer m_stall;
    qint64 m_lastPlayed = -1;
    qint64 m_durationUs = 0;
    bool m_running = false;
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

bool QtSoundBackend::hasInput() {
    return !QMediaDevices::audioInputs().isEmpty();
}

bool QtSoundBackend::hasOutput() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

std::unique_ptr<CaptureStream> QtSoundBackend::createCapture(PcmFormat preferred,
                                                             DataHandler onData) {
    const QAudioDevice device = pickInput();
    if (device.isNull())
        return nullptr;
    const QAudioFormat format = nearestFormat(device, preferred);
    if (!format.isValid())
        return nullptr;
    // More channels than asked for are mixed down to the one of a new recording.
    const int outChannels =
        preferred.channels == 1 ? 1 : std::min(preferred.channels, format.channelCount());
    return std::make_unique<QtCapture>(device, format, outChannels, std::move(onData));
}

std::unique_ptr<PlaybackStream> QtSoundBackend::createPlayback(PcmFormat format, QByteArray pcm,
                                                               FinishedHandler onFinished) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || format.sampleRate < 1 || format.channels < 1)
        return nullptr;
    return std::make_unique<QtPlayback>(device, format, std::move(pcm), std::move(onFinished));
}

std::unique_ptr<Ticker> QtSoundBackend::createTicker(std::chrono::milliseconds interval,
                                                     TickHandler onTick) {
    return std::make_unique<QtTicker>(interval, std::move(onTick));
}

} // namespace tembrel
