// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One recording of a message, without widgets: the sound device control that
// records into temp.wav, the finishing step that one tick of TimerTempo after
// Stop saves the sound and packs it into temp.tbr, listening to it through
// the one player, removing it, and storing it into a slot of a year. The
// session owns the state (RecordingStates.h gives, for each step, the state it
// leads to and the buttons of each state) and the limit of a recording; the
// recording window builds the controls, applies the state it is told of and
// shows the messages the session asks for.

#include "grid/YearModel.h"
#include "recording/RecordingStates.h"
#include "sound/WaveFile.h"

#include <QDateTime>
#include <QObject>

#include <optional>

class QTimer;

namespace tembrel {

class MMControl;
class SoundPlayer;

class RecordingSession final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingSession)

public:
    // The longest recording, in milliseconds.
    static constexpr int DefaultLimit = 60000;

    explicit RecordingSession(int limitMs = DefaultLimit, QObject *parent = nullptr);
    ~RecordingSession() override;

    RecordingState state() const { return m_state; }
    int limit() const { return m_limit; }
    MMControl *device() const { return m_device; }
    QTimer *finishingTimer() const { return m_finishing; }
    SoundPlayer *player() const { return m_player; }
    // A finished recording is packed in temp.tbr, ready to be stored, or
    // held in memory because it could not be written.
    bool hasRecording() const;

    // A recording made before and never stored (the program was killed or
    // crashed): when it was last written. Adopting it makes it this
    // session's recording, as after the finishing step; discarding deletes it.
    static std::optional<QDateTime> interrupted();
    bool adoptInterrupted();
    void discardInterrupted();

    // After Remove, device reports are not shown until the next Record.
    bool UpdatesSuspended = false;
    // Ticks of the finishing timer since Stop.
    qint16 FinishTicks = 0;

    void record();
    void pauseRecording();
    void resumeRecording();
    // Stop: the device records on until the next tick of the finishing timer.
    void stop();
    // The finishing timer's tick: stop, save and pack what was recorded.
    void finishTick();
    void play();
    void pausePlayback();
    void resumePlayback();
    // Removes the recording (the window asked first).
    void remove();
    // Abandons the recording: device closed, scratch files deleted.
    void abandon();
    // The window closes: nothing runs on behind it.
    void close();
    // A position report of the device while it records.
    void positionReport(int ms);

    // An audio file as the recording, where a recording could start: its
    // first minute made into temp.wav and packed as the finishing step packs,
    // it leaves the session recorded. A file that cannot be imported leaves
    // everything as it was. The message to show (a string table id), if any.
    struct Imported {
        bool ok = false;
        int textId = 0;
    };
    Imported importFile(const QString &path);

    // Stores the packed recording into the slot and marks it through the
    // model (the year file is the model's to write). A recording that could
    // not be written is written and packed first. False, with nothing marked
    // and the recording kept, when it cannot be stored.
    bool store(YearModel &model, const Slot &slot, Marker marker);

Q_SIGNALS:
    void stateChanged(tembrel::RecordingState state);
    // The position to show, and the length it is shown against.
    void positionChanged(int ms, int maximum);
    // A message of the string table to show.
    void failed(int textId);
    // The recording has heard nothing but silence since it started (after
    // its first second and a half), or sound came at last.
    void silenceChanged(bool silent);

private:
    // The step's state when the current state allows it.
    void enter(RecordingEvent event);
    // The step's state whatever the current one: a failure ends any state.
    void go(RecordingEvent event);
    void refuse(int textId);
    void onStatusUpdate();
    void watchSilence();
    void setSilent(bool silent);
    void onDeviceLost();
    void deleteScratchFiles();
    // Saves the device's sound and packs it; keeps it in memory when either fails.
    bool writeRecording();

    const int m_limit;
    MMControl *m_device;
    SoundPlayer *m_player;
    QTimer *m_finishing;
    RecordingState m_state = RecordingState::Empty;
    // A recording was made since the last finishing step: only then is there
    // something new to save and pack.
    bool m_recordedSinceFinish = false;
    // The recording when it could not be written: Listen plays it from here
    // and Save writes it again.
    PcmSound m_unwritten;
    // Whether this recording heard sound yet, and whether it is said to
    // hear none.
    bool m_heard = false;
    bool m_silent = false;
};

} // namespace tembrel
