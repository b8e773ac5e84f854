// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/QtSoundStreams.h"

#include "sound/QtSoundThreads.h"

#include <QAudioSink>
#include <QAudioSource>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tembrel::qtsound {

namespace {

// How often a stream looks after its device.
constexpr int WatchIntervalMs = 100;
// How long a running input may deliver nothing before it counts as gone.
constexpr qint64 SilentInputMs = 2000;
// How long the played count of an output may stand still while it plays.
constexpr qint64 StalledOutputMs = 1000;
// The output's buffer.
constexpr int BufferMs = 400;

// Any sample format to 16-bit, several channels mixed down to one.
QByteArray toInt16(const QAudioFormat &format, int outChannels, const char *data,
                   qsizetype frames) {
    const int inChannels = format.channelCount();
    const int bytesPerSample = format.bytesPerSample();
    QByteArray out(frames * outChannels * 2, Qt::Uninitialized);
    auto *dst = reinterpret_cast<qint16 *>(out.data());
    auto clamp16 = [](float v) {
        return qint16(std::clamp(std::lround(v * 32767.0f), -32768L, 32767L));
    };
    for (qsizetype i = 0; i < frames; ++i) {
        const char *frame = data + i * format.bytesPerFrame();
        auto sample = [&](int c) {
            return format.normalizedSampleValue(frame + c * bytesPerSample);
        };
        if (outChannels == 1) {
            float sum = 0;
            for (int c = 0; c < inChannels; ++c)
                sum += sample(c);
            *dst++ = clamp16(sum / float(inChannels));
        } else {
            for (int c = 0; c < outChannels; ++c)
                *dst++ = clamp16(sample(std::min(c, inChannels - 1)));
        }
    }
    return out;
}

} // namespace

QAudioFormat int16Format(int rate, int channels) {
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(channels);
    f.setSampleFormat(QAudioFormat::Int16);
    return f;
}

// --- recording -----------------------------------------------------------

CaptureWorker::CaptureWorker(StreamThread *thread, std::shared_ptr<CaptureLink> link,
                             const QAudioDevice &device, const QAudioFormat &format,
                             int outChannels)
    : m_thread(thread)
    , m_link(std::move(link))
    , m_device(device)
    , m_format(format)
    , m_outChannels(outChannels)
    , m_watch(new QTimer(this)) {
    m_thread->addStream();
    m_watch->setInterval(WatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &CaptureWorker::watch);
    moveToThread(thread);
}

CaptureWorker::~CaptureWorker() {
    close();
    m_thread->removeStream();
}

void CaptureWorker::start() {
    // Qt waits without a limit for a source that is gone: ask only for listed ones.
    if (!SoundThreads::instance().listsInput(m_device.id())) {
        Q_EMIT started(false);
        return;
    }
    m_source = std::make_unique<QAudioSource>(m_device, m_format);
    m_io = m_source->start(); // waits as long as the server does
    if (!m_io || m_source->error() != QAudio::NoError) {
        close();
        Q_EMIT started(false);
        return;
    }
    connect(m_io, &QIODevice::readyRead, this, &CaptureWorker::drain);
    m_heard.start();
    m_watch->start();
    Q_EMIT started(true);
}

// The samples heard so far go first; the server may take its time to pause.
void CaptureWorker::suspend(quint64 command) {
    drain();
    done(command);
    if (m_io) {
        m_suspended = true;
        m_source->suspend();
    }
}

void CaptureWorker::resume() {
    if (!m_io)
        return;
    m_source->resume();
    m_suspended = false;
    m_heard.restart();
}

void CaptureWorker::stop(quint64 command) {
    drain();
    done(command);
    close();
}

void CaptureWorker::watch() {
    drain();
    if (!m_io)
        return;
    const bool failed =
        m_source->state() == QAudio::StoppedState && m_source->error() != QAudio::NoError;
    const bool gone = !SoundThreads::instance().listsInput(m_device.id());
    const bool silent = !m_suspended && m_heard.elapsed() > SilentInputMs;
    if (failed || gone || silent) {
        close();
        Q_EMIT lost();
    }
}

void CaptureWorker::drain() {
    if (!m_io)
        return;
    const QByteArray raw = m_io->readAll();
    if (raw.isEmpty())
        return;
    m_heard.restart();
    m_pending.append(raw);
    const int inFrame = m_format.bytesPerFrame();
    const qsizetype frames = m_pending.size() / inFrame;
    if (frames == 0)
        return;
    const bool asIs =
        m_format.sampleFormat() == QAudioFormat::Int16 && m_format.channelCount() == m_outChannels;
    const QByteArray out = asIs ? m_pending.left(frames * inFrame)
                                : toInt16(m_format, m_outChannels, m_pending.constData(), frames);
    m_pending.remove(0, frames * inFrame);
    bool first = false;
    {
        std::lock_guard lock(m_link->mutex);
        first = m_link->samples.isEmpty();
        m_link->samples.append(out);
    }
    if (first)
        Q_EMIT captured();
}

void CaptureWorker::done(quint64 command) {
    {
        std::lock_guard lock(m_link->mutex);
        m_link->doneUpTo = std::max(m_link->doneUpTo, command);
    }
    m_link->done.notify_all();
}

void CaptureWorker::close() {
    m_watch->stop();
    if (m_io)
        disconnect(m_io, nullptr, this, nullptr);
    m_io = nullptr;
    if (m_source)
        m_source->stop();
    m_source.reset();
}

// --- playing -------------------------------------------------------------

PlaybackWorker::PlaybackWorker(StreamThread *thread, std::shared_ptr<std::atomic<qint64>> played,
                               const QAudioDevice &device, PcmFormat format, QByteArray pcm)
    : m_thread(thread)
    , m_played(std::move(played))
    , m_device(device)
    , m_format(int16Format(format.sampleRate, format.channels))
    , m_pcm(std::move(pcm))
    , m_poll(new QTimer(this)) {
    const qint64 bytesPerFrame = 2 * format.channels;
    const qint64 frames = m_pcm.size() / bytesPerFrame;
    m_pcm.truncate(frames * bytesPerFrame);
    m_durationUs = frames * 1000000 / format.sampleRate;
    m_bufferBytes = qsizetype(qint64(format.sampleRate) * BufferMs / 1000 * bytesPerFrame);
    m_soundBytes = m_pcm.size();
    m_pcm.append(QByteArray(m_bufferBytes, '\0'));
    m_poll->setInterval(20);
    connect(m_poll, &QTimer::timeout, this, &PlaybackWorker::pump);
    m_thread->addStream();
    moveToThread(thread);
}

PlaybackWorker::~PlaybackWorker() {
    close();
    m_thread->removeStream();
}

void PlaybackWorker::start() {
    if (!SoundThreads::instance().listsOutput(m_device.id())) {
        Q_EMIT started(false);
        return;
    }
    m_sink = std::make_unique<QAudioSink>(m_device, m_format);
    m_sink->setBufferSize(m_bufferBytes);
    m_io = m_sink->start(); // waits as long as the server does
    if (!m_io || m_sink->error() != QAudio::NoError) {
        close();
        Q_EMIT started(false);
        return;
    }
    m_listed.start();
    Q_EMIT started(true);
    pump();
    if (m_io)
        m_poll->start();
}

void PlaybackWorker::suspend() {
    if (!m_io)
        return;
    m_poll->stop();
    m_sink->suspend();
}

void PlaybackWorker::resume() {
    if (!m_io)
        return;
    m_sink->resume();
    m_stall.invalidate();
    m_poll->start();
}

void PlaybackWorker::stop() {
    close();
}

void PlaybackWorker::pump() {
    if (!m_io)
        return;
    // stateChanged may come late in Qt 6.4: the state is read here instead.
    const QAudio::State state = m_sink->state();
    if (state == QAudio::SuspendedState)
        return;
    if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
        return end(&PlaybackWorker::lost); // the server went away
    if (m_listed.elapsed() >= WatchIntervalMs) {
        if (!SoundThreads::instance().listsOutput(m_device.id()))
            return end(&PlaybackWorker::lost);
        m_listed.restart();
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
    // Qt reads 0 once the server is gone: the count only goes up.
    const qint64 played = std::min(m_sink->processedUSecs(), m_durationUs);
    if (played > m_played->load())
        m_played->store(played);
    const bool allWritten = m_written >= m_soundBytes;
    if (allWritten && played >= m_durationUs)
        return end(&PlaybackWorker::finished);
    if (played != m_lastPlayed || !m_stall.isValid()) {
        m_lastPlayed = played;
        m_stall.start();
    } else if (m_stall.elapsed() > StalledOutputMs) {
        // A count that stops within the last buffer of the sound is the end;
        // anywhere else the server stopped answering.
        return end(allWritten ? &PlaybackWorker::finished : &PlaybackWorker::lost);
    }
}

void PlaybackWorker::end(void (PlaybackWorker::*signal)()) {
    close();
    Q_EMIT(this->*signal)();
}

void PlaybackWorker::close() {
    m_poll->stop();
    m_io = nullptr;
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
}

} // namespace tembrel::qtsound
