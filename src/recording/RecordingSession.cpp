// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/RecordingSession.h"

#include "grid/MessageStore.h"
#include "sound/MMControl.h"
#include "sound/SoundImport.h"
#include "sound/SoundPlayer.h"
#include "sound/WaveJournal.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace tembrel {

RecordingSession::RecordingSession(int limitMs, QObject *parent)
    : QObject(parent)
    , m_limit(limitMs)
    , m_device(new MMControl(this))
    , m_player(new SoundPlayer(m_device, this))
    , m_finishing(new QTimer(this)) {
    m_finishing->setInterval(1000);
    // A recording reaches temp.wav as it comes: a crash loses a second at most.
    m_device->setWriteThrough(true);
    connect(m_finishing, &QTimer::timeout, this, &RecordingSession::finishTick);
    connect(m_device, &MMControl::StatusUpdate, this, &RecordingSession::onStatusUpdate);
    connect(m_device, &MMControl::DeviceLost, this, &RecordingSession::onDeviceLost);
    connect(m_player, &SoundPlayer::positionChanged, this, [this](int ms, int length) {
        if (!UpdatesSuspended)
            Q_EMIT positionChanged(ms, length);
    });
    connect(m_player, &SoundPlayer::finished, this, [this] { enter(RecordingEvent::PlaybackEnd); });
    connect(m_player, &SoundPlayer::lost, this, [this] {
        enter(RecordingEvent::PlaybackEnd);
        Q_EMIT failed(212);
    });
}

RecordingSession::~RecordingSession() = default;

bool RecordingSession::hasRecording() const {
    return !m_unwritten.isEmpty() || QFileInfo::exists(scratchArchivePath());
}

std::optional<QDateTime> RecordingSession::interrupted() {
    return interruptedRecording();
}

bool RecordingSession::adoptInterrupted() {
    if (!allows(m_state, RecordingEvent::Adopt))
        return false;
    // Not packed (no room to write it): kept in memory, as a recording
    // whose finishing step failed.
    if (auto unsettled = WaveJournal::read(scratchWavePath()))
        m_unwritten = std::move(unsettled->sound);
    else if (!unpackScratchArchive().ok)
        return false;
    enter(RecordingEvent::Adopt);
    return true;
}

void RecordingSession::discardInterrupted() {
    deleteScratchFiles();
}

void RecordingSession::enter(RecordingEvent event) {
    if (allows(m_state, event))
        go(event);
}

void RecordingSession::go(RecordingEvent event) {
    m_state = stateAfter(event);
    if (m_state != RecordingState::Recording && m_state != RecordingState::RecordingPaused)
        setSilent(false);
    Q_EMIT stateChanged(m_state);
}

void RecordingSession::setSilent(bool silent) {
    if (silent == m_silent)
        return;
    m_silent = silent;
    Q_EMIT silenceChanged(silent);
}

// Below about -60 dBFS for the first second and a half, the input hears
// nothing: a muted or wrong microphone, said while there is time to mend it.
void RecordingSession::watchSilence() {
    constexpr int SilenceWindowMs = 1500;
    if (m_state != RecordingState::Recording)
        return;
    if (m_device->takeInputPeak() >= SilencePeak) {
        m_heard = true;
        setSilent(false);
    } else if (!m_heard && m_device->Position() >= SilenceWindowMs) {
        setSilent(true);
    }
}

void RecordingSession::deleteScratchFiles() {
    m_unwritten = PcmSound{};
    QFile::remove(scratchWavePath());
    QFile::remove(scratchArchivePath());
}

void RecordingSession::record() {
    if (!allows(m_state, RecordingEvent::Record))
        return;
    UpdatesSuspended = false;
    m_device->setCommand(QStringLiteral("Close"));
    deleteScratchFiles();
    m_device->setNotify(false);
    m_device->setWait(true);
    m_device->setShareable(false);
    m_device->setDeviceType(QStringLiteral("WaveAudio"));
    m_device->setFileName(scratchWavePath());
    Q_EMIT positionChanged(0, m_limit);
    if (m_device->setCommand(QStringLiteral("Open")) != MciError::None ||
        m_device->setCommand(QStringLiteral("Record")) != MciError::None) {
        // No input, or one that refuses to start: say so once rather than
        // pretend to record a minute of nothing.
        refuse(185);
        return;
    }
    m_recordedSinceFinish = true;
    m_heard = false;
    m_device->takeInputPeak();
    enter(RecordingEvent::Record);
}

void RecordingSession::refuse(int textId) {
    m_device->setCommand(QStringLiteral("Close"));
    // The wave begun for a recording that never started holds nothing.
    deleteScratchFiles();
    m_recordedSinceFinish = false;
    go(RecordingEvent::Refused);
    Q_EMIT failed(textId);
}

void RecordingSession::pauseRecording() {
    if (!allows(m_state, RecordingEvent::PauseRecording))
        return;
    m_device->setCommand(QStringLiteral("Pause"));
    enter(RecordingEvent::PauseRecording);
}

void RecordingSession::resumeRecording() {
    if (!allows(m_state, RecordingEvent::ResumeRecording))
        return;
    m_device->setCommand(QStringLiteral("Record"));
    enter(RecordingEvent::ResumeRecording);
}

void RecordingSession::stop() {
    if (!allows(m_state, RecordingEvent::Stop))
        return;
    FinishTicks = 0;
    enter(RecordingEvent::Stop);
    // The device records on until the tick: about one more second.
    m_finishing->start();
}

void RecordingSession::finishTick() {
    if (!allows(m_state, RecordingEvent::Finish))
        return;
    FinishTicks = qint16(FinishTicks + 1);
    if (FinishTicks < 1)
        return;
    m_device->setCommand(QStringLiteral("Stop"));
    if (m_recordedSinceFinish && !m_device->sound().isEmpty() && !writeRecording())
        Q_EMIT failed(240);
    m_recordedSinceFinish = false;
    m_device->setCommand(QStringLiteral("Close"));
    m_finishing->stop();
    enter(RecordingEvent::Finish);
}

bool RecordingSession::writeRecording() {
    const bool saved = m_unwritten.isEmpty()
                           ? m_device->setCommand(QStringLiteral("Save")) == MciError::None
                           : writeWaveFile(scratchWavePath(), m_unwritten);
    const SlotResult packed =
        saved ? packScratchWave()
              : SlotResult{false, scratchWavePath() + QStringLiteral(" cannot be written")};
    if (packed.ok) {
        m_unwritten = PcmSound{};
        return true;
    }
    // A full disk or a folder that may not be written: the sound stays here,
    // Listen plays it and Save tries again.
    qWarning("The recording was not written: %s", qUtf8Printable(packed.error));
    QFile::remove(scratchArchivePath());
    if (m_unwritten.isEmpty()) {
        m_unwritten = m_device->sound();
        m_unwritten.samples.truncate(qsizetype(m_unwritten.frames() * m_unwritten.bytesPerFrame()));
    }
    return false;
}

void RecordingSession::positionReport(int ms) {
    if (UpdatesSuspended || m_player->isPlaying())
        return;
    switch (m_state) {
    case RecordingState::Recording:
    case RecordingState::RecordingPaused:
    case RecordingState::Finishing:
    case RecordingState::AutoFinishing:
        break;
    default:
        return;
    }
    Q_EMIT positionChanged(ms, m_limit);
    // The limit: the recording stops by itself, and finishes at the next tick.
    if (m_state == RecordingState::Recording && ms >= m_limit - 3) {
        FinishTicks = 0;
        m_finishing->start();
        enter(RecordingEvent::AutomaticStop);
    }
}

void RecordingSession::onStatusUpdate() {
    watchSilence();
    positionReport(m_device->Position());
}

// The device ended what it was doing by itself: it went away or stopped
// answering. A recording ends as on Stop, and the finishing step saves and
// packs what was heard; one that never started is refused as when there is
// no input. A playback's end is the player's.
void RecordingSession::onDeviceLost() {
    if (m_state != RecordingState::Recording && m_state != RecordingState::RecordingPaused)
        return;
    if (m_device->Length() == 0) {
        refuse(211);
        return;
    }
    stop();
    Q_EMIT failed(210);
}

void RecordingSession::play() {
    if (!allows(m_state, RecordingEvent::Play) || !hasRecording())
        return;
    const bool playing =
        m_unwritten.isEmpty() ? m_player->play(scratchWavePath()) : m_player->play(m_unwritten);
    if (!playing) {
        // No output, or one that refuses to start: rather than wait in the
        // playing state for an end that never comes, the playback ends at once.
        go(RecordingEvent::PlaybackEnd);
        Q_EMIT failed(212);
        return;
    }
    enter(RecordingEvent::Play);
}

void RecordingSession::pausePlayback() {
    if (!allows(m_state, RecordingEvent::PausePlayback))
        return;
    m_player->pause();
    enter(RecordingEvent::PausePlayback);
}

void RecordingSession::resumePlayback() {
    if (!allows(m_state, RecordingEvent::ResumePlayback))
        return;
    enter(RecordingEvent::ResumePlayback);
    if (!m_player->resume()) {
        go(RecordingEvent::PlaybackEnd);
        Q_EMIT failed(212);
    }
}

void RecordingSession::remove() {
    if (!allows(m_state, RecordingEvent::Remove))
        return;
    UpdatesSuspended = true;
    m_player->stop();
    m_device->setCommand(QStringLiteral("Close"));
    // A finishing step still due would find nothing left to finish.
    m_finishing->stop();
    m_recordedSinceFinish = false;
    deleteScratchFiles();
    enter(RecordingEvent::Remove);
}

void RecordingSession::abandon() {
    close();
    deleteScratchFiles();
}

void RecordingSession::close() {
    m_finishing->stop();
    m_player->stop();
    m_device->setCommand(QStringLiteral("Close"));
}

bool RecordingSession::store(YearModel &model, const Slot &slot, Marker marker) {
    m_player->stop();
    m_device->setCommand(QStringLiteral("Close"));
    if (!m_unwritten.isEmpty() && !writeRecording())
        return false;
    const SlotResult stored =
        storeSlotArchive(scratchArchivePath(), model.year(), slot.row, slot.col);
    if (!stored.ok) {
        // The slot stays unmarked and the year file untouched; the scratch
        // files stay, so nothing the user said is lost.
        qWarning("The message was not stored: %s", qUtf8Printable(stored.error));
        return false;
    }
    deleteScratchFiles();
    model.setMarker(slot, marker);
    return true;
}

} // namespace tembrel
