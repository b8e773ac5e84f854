// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/MMControl.h"

#include "sound/QtSoundBackend.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace tembrel {

namespace {

MMControl::BackendFactory &backendFactory() {
    static MMControl::BackendFactory factory;
    return factory;
}

std::shared_ptr<SoundBackend> makeBackend() {
    if (const auto &factory = backendFactory())
        if (auto backend = factory())
            return backend;
    return std::make_shared<QtSoundBackend>();
}

// Holds a retired stream until the event loop deletes it.
template <class Stream> class Retired final : public QObject {
public:
    explicit Retired(std::unique_ptr<Stream> stream)
        : m_stream(std::move(stream)) {}

private:
    std::unique_ptr<Stream> m_stream;
};

// A stream may be retired from inside one of its own callbacks (a handler of
// StatusUpdate sends "Close"), so it is stopped at once and deleted once
// control is back in the event loop. A deferred deletion the loop never
// comes back for leaves the stream to the end of the process: the
// application's clean-up must not run a stream's destructor, which removes
// the events queued to it under the lock that clean-up holds.
template <class Stream> void retire(std::unique_ptr<Stream> &stream) {
    if (!stream)
        return;
    stream->stop();
    if (QCoreApplication::instance())
        (new Retired<Stream>(std::move(stream)))->deleteLater();
    else
        stream.reset();
}

} // namespace

void MMControl::setBackendFactory(BackendFactory factory) {
    backendFactory() = std::move(factory);
}

std::shared_ptr<SoundBackend> MMControl::newBackend() {
    return makeBackend();
}

MMControl::MMControl(QObject *parent)
    : MMControl(makeBackend(), parent) {}

MMControl::MMControl(std::shared_ptr<SoundBackend> backend, QObject *parent)
    : QObject(parent)
    , m_backend(backend ? std::move(backend) : makeBackend()) {}

MMControl::~MMControl() {
    retire(m_capture);
    retire(m_playback);
    retire(m_ticker);
}

void MMControl::setUpdateInterval(int ms) {
    m_updateInterval = std::max(ms, 1);
    if (m_open)
        startTicker();
}

MciError MMControl::setCommand(const QString &command) {
    m_command = command;
    const QString c = command.trimmed().toLower();
    MciError result = MciError::UnknownCommand;
    if (c == u"open")
        result = open();
    else if (c == u"record")
        result = record();
    else if (c == u"play")
        result = play();
    else if (c == u"pause")
        result = pause();
    else if (c == u"stop")
        result = stop();
    else if (c == u"save")
        result = save();
    else if (c == u"close")
        result = close();
    m_error = result;
    // "Play" and "Record" go on after returning; a playback reports its end itself.
    const bool running = result == MciError::None && (c == u"play" || c == u"record");
    if (m_notify && !running)
        Q_EMIT Done(result == MciError::None);
    return result;
}

MMControl::ModeValue MMControl::Mode() const {
    return m_mode;
}

qint64 MMControl::positionFrames() const {
    if (m_capture)
        return m_sound.frames();
    if (m_playback) {
        const qint64 played = m_playback->processedUSecs() * m_sound.sampleRate / 1000000;
        return std::min(m_playFrom + played, m_sound.frames());
    }
    return m_position;
}

qint32 MMControl::Position() const {
    return m_open ? qint32(m_sound.framesToMs(positionFrames())) : 0;
}

qint32 MMControl::Length() const {
    return m_open ? qint32(m_sound.durationMs()) : 0;
}

MciError MMControl::open() {
    if (m_open)
        close();
    const QString type = m_deviceType.trimmed();
    const bool waveByName = type.isEmpty() && m_fileName.endsWith(u".wav", Qt::CaseInsensitive);
    if (type.compare(u"WaveAudio", Qt::CaseInsensitive) != 0 && !waveByName)
        return MciError::UnsupportedDevice;
    if (m_fileName.isEmpty())
        return MciError::NoFileName;

    const QFileInfo file(m_fileName);
    PcmSound sound;
    // An empty file holds no sound yet: it opens like a missing one.
    if (file.exists() && file.size() > 0) {
        WaveRead read = readWaveFile(m_fileName);
        if (!read.sound)
            return MciError::FileUnreadable;
        if (!m_backend->hasOutput())
            return MciError::NoDevice;
        sound = std::move(*read.sound);
    } else if (!m_backend->hasInput()) {
        return MciError::NoDevice;
    }

    return openOn(std::move(sound));
}

MciError MMControl::openSound(PcmSound sound) {
    if (m_open)
        close();
    if (sound.isEmpty())
        return MciError::NothingRecorded;
    if (!m_backend->hasOutput())
        return MciError::NoDevice;
    return openOn(std::move(sound));
}

MciError MMControl::openOn(PcmSound sound) {
    m_sound = std::move(sound);
    m_position = 0;
    m_playFrom = 0;
    m_open = true;
    m_mode = ModeValue::Stopped;
    startTicker();
    return MciError::None;
}

MciError MMControl::record() {
    if (!m_open)
        return MciError::NotOpen;
    if (m_mode == ModeValue::Recording)
        return MciError::None;
    if (m_capture) { // paused recording goes on
        m_capture->resume();
        m_mode = ModeValue::Recording;
        return MciError::None;
    }
    if (m_playback)
        finishPlayback();

    // Recording goes on from the current position; what lay after it is replaced.
    const PcmFormat held{m_sound.sampleRate, m_sound.channels};
    const PcmFormat wanted = m_sound.isEmpty() ? PcmFormat{} : held;
    auto capture =
        m_backend->createCapture(wanted, [this](QByteArrayView bytes) { onCaptured(bytes); });
    if (!capture)
        return m_backend->hasInput() ? MciError::DeviceRefused : MciError::NoDevice;
    const PcmFormat got = capture->format();
    if (m_position == 0) {
        m_sound = PcmSound{got.sampleRate, got.channels, {}};
    } else if (!(got == held)) {
        retire(capture);
        return MciError::DeviceRefused; // the device cannot go on in the held format
    }
    m_sound.samples.truncate(qsizetype(m_position * m_sound.bytesPerFrame()));
    capture->setLostHandler([this] { onDeviceLost(); });
    m_capture = std::move(capture);
    if (!m_capture->start()) {
        retire(m_capture);
        return MciError::DeviceRefused;
    }
    if (m_writeThrough && !m_journal.start(m_fileName, m_sound))
        qWarning("%s cannot be written while recording: the sound is kept in memory only",
                 qUtf8Printable(m_fileName));
    m_mode = ModeValue::Recording;
    return MciError::None;
}

void MMControl::onCaptured(QByteArrayView bytes) {
    if (!m_capture)
        return;
    m_sound.samples.append(bytes.data(), bytes.size());
    m_journal.append(bytes);
    // The sound is kept as 16-bit samples.
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size() / 2; ++i)
        m_inputPeak = std::max(m_inputPeak, std::abs(int(samples[i])));
}

int MMControl::takeInputPeak() {
    return std::exchange(m_inputPeak, 0);
}

MciError MMControl::play() {
    if (!m_open)
        return MciError::NotOpen;
    if (m_mode == ModeValue::Playing)
        return MciError::None;
    if (m_playback) { // paused playback goes on
        m_playback->resume();
        m_mode = ModeValue::Playing;
        return MciError::None;
    }
    if (m_capture)
        finishRecording();
    if (m_sound.isEmpty())
        return MciError::NothingRecorded;
    if (m_position >= m_sound.frames())
        return MciError::None; // at the end already: nothing left to play

    const QByteArray rest = m_sound.samples.mid(qsizetype(m_position * m_sound.bytesPerFrame()));
    auto playback = m_backend->createPlayback({m_sound.sampleRate, m_sound.channels}, rest,
                                              [this] { onPlaybackFinished(); });
    if (!playback)
        return m_backend->hasOutput() ? MciError::DeviceRefused : MciError::NoDevice;
    playback->setLostHandler([this] { onDeviceLost(); });
    m_playback = std::move(playback);
    m_playFrom = m_position;
    if (!m_playback->start()) {
        retire(m_playback);
        return MciError::DeviceRefused;
    }
    m_mode = ModeValue::Playing;
    return MciError::None;
}

void MMControl::onPlaybackFinished() {
    if (!m_playback)
        return;
    retire(m_playback);
    m_position = m_sound.frames();
    m_mode = ModeValue::Stopped;
    // The last report carries Position == Length, which is how callers see the end.
    Q_EMIT StatusUpdate();
    if (m_notify)
        Q_EMIT Done(true);
}

void MMControl::onDeviceLost() {
    if (!m_capture && !m_playback)
        return;
    // As on "Stop": the recording keeps what came, the playback stops where it was.
    finishRecording();
    finishPlayback();
    Q_EMIT DeviceLost();
    if (m_notify)
        Q_EMIT Done(false);
}

MciError MMControl::pause() {
    if (!m_open)
        return MciError::NotOpen;
    if (m_mode == ModeValue::Recording && m_capture) {
        m_capture->suspend();
        m_journal.flush();
        m_mode = ModeValue::Paused;
    } else if (m_mode == ModeValue::Playing && m_playback) {
        m_playback->suspend();
        m_mode = ModeValue::Paused;
    }
    return MciError::None;
}

void MMControl::finishRecording() {
    if (!m_capture)
        return;
    m_capture->stop(); // delivers the last buffered block through onCaptured
    retire(m_capture);
    m_journal.finish();
    m_position = m_sound.frames();
    m_mode = ModeValue::Stopped;
}

void MMControl::finishPlayback() {
    if (!m_playback)
        return;
    m_position = positionFrames();
    retire(m_playback);
    m_mode = ModeValue::Stopped;
}

MciError MMControl::stop() {
    if (!m_open)
        return MciError::NotOpen;
    finishRecording();
    finishPlayback();
    return MciError::None;
}

MciError MMControl::save() {
    if (!m_open)
        return MciError::NotOpen;
    if (m_fileName.isEmpty())
        return MciError::NoFileName;
    if (m_sound.frames() == 0)
        return MciError::NothingRecorded;
    PcmSound whole = m_sound;
    whole.samples.truncate(qsizetype(whole.frames() * whole.bytesPerFrame()));
    return writeWaveFile(m_fileName, whole) ? MciError::None : MciError::FileUnwritable;
}

MciError MMControl::close() {
    retire(m_capture);
    m_journal.finish();
    retire(m_playback);
    retire(m_ticker);
    m_sound = PcmSound{};
    m_position = 0;
    m_playFrom = 0;
    m_open = false;
    m_mode = ModeValue::NotOpen;
    return MciError::None;
}

void MMControl::startTicker() {
    retire(m_ticker);
    m_ticker =
        m_backend->createTicker(std::chrono::milliseconds(m_updateInterval), [this] { onTick(); });
    if (m_ticker)
        m_ticker->start();
}

void MMControl::onTick() {
    if (m_open)
        Q_EMIT StatusUpdate();
}

} // namespace tembrel
