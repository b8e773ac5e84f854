// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/QtSoundBackend.h"

#include "sound/QtSoundThreads.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>

namespace tembrel {

namespace {

using namespace std::chrono_literals;
using qtsound::SoundThreads;
using qtsound::StreamThread;

// A start the server has not confirmed by then has failed (the window says so
// and the user may try again).
constexpr int StartTimeoutMs = 1500;
// How long suspend() and stop() wait for the samples still on their way.
constexpr auto SamplesWait = 100ms;
// How often a recording looks after its device, and how long a running
// input may deliver nothing before it counts as gone (a microphone delivers
// silence too).
constexpr int WatchIntervalMs = 100;
constexpr qint64 SilentInputMs = 2000;
// How long the played count of an output may stand still while it plays.
constexpr qint64 StalledOutputMs = 1000;

// Qt 6.4 on PulseAudio may flag the wrong input as default (it compares with
// the default output's name): the flagged default first, then any.
QAudioDevice pickInput(const QList<QAudioDevice> &inputs) {
    for (const QAudioDevice &d : inputs)
        if (d.isDefault())
            return d;
    return inputs.isEmpty() ? QAudioDevice() : inputs.first();
}

QAudioDevice pickOutput(const QList<QAudioDevice> &outputs) {
    for (const QAudioDevice &d : outputs)
        if (d.isDefault())
            return d;
    return outputs.isEmpty() ? QAudioDevice() : outputs.first();
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

// What the two sides of a recording share: the samples on their way to the
// user interface thread, and the last command the stream thread has done.
struct CaptureLink {
    std::mutex mutex;
    std::condition_variable done;
    QByteArray samples;
    quint64 doneUpTo = 0;
};

// The stream thread's side of a recording: QAudioSource in push mode.
class CaptureWorker final : public QObject {
    Q_OBJECT

public:
    CaptureWorker(StreamThread *thread, std::shared_ptr<CaptureLink> link,
                  const QAudioDevice &device, const QAudioFormat &format, int outChannels)
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
    ~CaptureWorker() override {
        close();
        m_thread->removeStream();
    }

    void start() {
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
    void suspend(quint64 command) {
        drain();
        done(command);
        if (m_io) {
            m_suspended = true;
            m_source->suspend();
        }
    }
    void resume() {
        if (!m_io)
            return;
        m_source->resume();
        m_suspended = false;
        m_heard.restart();
    }
    void stop(quint64 command) {
        drain();
        done(command);
        close();
    }

Q_SIGNALS:
    void started(bool ok);
    void captured(); // new samples wait in the link
    void lost();

private:
    void watch() {
        drain();
        if (!m_io)
            return;
        // The server died (Qt stops the source), the source left the list
        // (PulseAudio moves its recordings to another one), or it went silent.
        const bool failed =
            m_source->state() == QAudio::StoppedState && m_source->error() != QAudio::NoError;
        const bool gone = !SoundThreads::instance().listsInput(m_device.id());
        const bool silent = !m_suspended && m_heard.elapsed() > SilentInputMs;
        if (failed || gone || silent) {
            close();
            Q_EMIT lost();
        }
    }
    void drain() {
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
        const bool asIs = m_format.sampleFormat() == QAudioFormat::Int16 &&
                          m_format.channelCount() == m_outChannels;
        const QByteArray out =
            asIs ? m_pending.left(frames * inFrame)
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
    void done(quint64 command) {
        {
            std::lock_guard lock(m_link->mutex);
            m_link->doneUpTo = std::max(m_link->doneUpTo, command);
        }
        m_link->done.notify_all();
    }
    void close() {
        m_watch->stop();
        if (m_io)
            disconnect(m_io, nullptr, this, nullptr);
        m_io = nullptr;
        if (m_source)
            m_source->stop();
        m_source.reset();
    }

    StreamThread *const m_thread;
    const std::shared_ptr<CaptureLink> m_link;
    const QAudioDevice m_device;
    const QAudioFormat m_format;
    const int m_outChannels;
    QTimer *const m_watch;
    std::unique_ptr<QAudioSource> m_source;
    QIODevice *m_io = nullptr;
    QByteArray m_pending; // a part of a frame
    QElapsedTimer m_heard;
    bool m_suspended = false;
};

// The stream thread's side of a playback: QAudioSink in push mode, its
// buffer kept full from the sound in memory (Qt 6.4's pull mode hands
// PulseAudio one period per tick, which underruns and then waits for a whole
// prebuffer). Silence follows the sound so that even a sound shorter than
// the prebuffer starts, and the last real sample gets out.
class PlaybackWorker final : public QObject {
    Q_OBJECT

public:
    PlaybackWorker(StreamThread *thread, std::shared_ptr<std::atomic<qint64>> played,
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
        m_bufferBytes = qsizetype(format.sampleRate * BufferMs / 1000 * bytesPerFrame);
        m_soundBytes = m_pcm.size();
        m_pcm.append(QByteArray(m_bufferBytes, '\0'));
        m_poll->setInterval(20);
        connect(m_poll, &QTimer::timeout, this, &PlaybackWorker::pump);
        m_thread->addStream();
        moveToThread(thread);
    }
    ~PlaybackWorker() override {
        close();
        m_thread->removeStream();
    }

    void start() {
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
    void suspend() {
        if (!m_io)
            return;
        m_poll->stop();
        m_sink->suspend();
    }
    void resume() {
        if (!m_io)
            return;
        m_sink->resume();
        m_stall.invalidate();
        m_poll->start();
    }
    void stop() { close(); }

Q_SIGNALS:
    void started(bool ok);
    void finished();
    void lost();

private:
    static constexpr int BufferMs = 400;

    void pump() {
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
            // A count that stops within the last buffer of the sound is the
            // end; anywhere else the server stopped answering.
            return end(allWritten ? &PlaybackWorker::finished : &PlaybackWorker::lost);
        }
    }
    void end(void (PlaybackWorker::*signal)()) {
        close();
        Q_EMIT(this->*signal)();
    }
    void close() {
        m_poll->stop();
        m_io = nullptr;
        if (m_sink)
            m_sink->stop();
        m_sink.reset();
    }

    StreamThread *const m_thread;
    const std::shared_ptr<std::atomic<qint64>> m_played;
    const QAudioDevice m_device;
    const QAudioFormat m_format;
    QByteArray m_pcm; // the sound, then silence
    QTimer *const m_poll;
    qsizetype m_soundBytes = 0;
    qsizetype m_bufferBytes = 0;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_io = nullptr;
    qint64 m_written = 0;
    QElapsedTimer m_stall;
    QElapsedTimer m_listed;
    qint64 m_lastPlayed = -1;
    qint64 m_durationUs = 0;
};

// The user interface thread's side of a stream: commands go to the worker
// on the stream thread and return at once; its reports come back queued.
template <typename Worker> class StreamSide {
protected:
    enum class Phase { Created, Starting, Running, Ended };

    explicit StreamSide(Worker *worker, StreamThread *thread)
        : m_worker(worker)
        , m_thread(thread) {
        m_deadline.setSingleShot(true);
        m_deadline.setInterval(StartTimeoutMs);
        QObject::connect(m_worker, &Worker::started, &m_receiver, [this](bool ok) {
            if (m_phase != Phase::Starting)
                return;
            m_deadline.stop();
            if (ok)
                m_phase = Phase::Running;
            else
                lose();
        });
        QObject::connect(m_worker, &Worker::lost, &m_receiver, [this] { lose(); });
        QObject::connect(&m_deadline, &QTimer::timeout, &m_receiver, [this] {
            // The thread waits for a server that does not answer.
            SoundThreads::instance().giveUp(m_thread);
            lose();
        });
    }
    virtual ~StreamSide() {
        QObject::disconnect(m_worker, nullptr, &m_receiver, nullptr);
        m_worker->deleteLater();
    }

    template <typename F> void post(F command) {
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker, command] { command(w); }, Qt::QueuedConnection);
    }
    bool beginStart() {
        if (m_phase != Phase::Created)
            return false;
        m_phase = Phase::Starting;
        post([](Worker *w) { w->start(); });
        m_deadline.start();
        return true;
    }
    bool live() const { return m_phase == Phase::Starting || m_phase == Phase::Running; }
    void end() {
        m_deadline.stop();
        m_phase = Phase::Ended;
    }
    virtual void lose() = 0;

    Worker *const m_worker;
    StreamThread *const m_thread;
    QObject m_receiver; // what the worker's reports are queued to
    QTimer m_deadline;
    Phase m_phase = Phase::Created;
};

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

std::unique_ptr<CaptureStream> QtSoundBackend::createCapture(PcmFormat preferred,
                                                             DataHandler onData) {
    const QAudioDevice device = pickInput(SoundThreads::instance().devices().inputs);
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
    const QAudioDevice device = pickOutput(SoundThreads::instance().devices().outputs);
    if (device.isNull() || format.sampleRate < 1 || format.channels < 1)
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

#include "QtSoundBackend.moc"
