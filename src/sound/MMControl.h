// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sound device control of the grid and recording windows: the "WaveAudio"
// device driven by command texts ("Open", "Record", "Play", "Pause", "Stop",
// "Save", "Close"), with Position and Length in milliseconds and a StatusUpdate
// signal every UpdateInterval milliseconds while the device is open.
//
// The sound lives in memory between "Open" and "Close": "Open" reads an
// existing wave (or starts an empty recording when there is none), "Record"
// and "Play" return at once while the device goes on, "Save" writes the sound
// to FileName as a 16-bit PCM wave. Every failure comes back as an MciError
// that the caller may ignore; nothing throws and a failed command leaves the
// control usable. A device that goes away, stops answering or does not start
// within a second and a half ends the recording or playback by itself: the
// control stops as on "Stop", keeps what was recorded, and says so with
// DeviceLost. The device itself is a SoundBackend, chosen in one place
// (setBackendFactory) so that tests can run every window on a virtual one.

#include "sound/SoundBackend.h"
#include "sound/WaveFile.h"
#include "sound/WaveJournal.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tembrel {

enum class MciError {
    None,
    UnknownCommand,
    NotOpen,           // the command needs an open device
    UnsupportedDevice, // DeviceType is not "WaveAudio"
    NoFileName,
    NoDevice,       // no sound input (for a new recording) or output (to play)
    DeviceRefused,  // the device would not start a stream
    FileUnreadable, // the file exists but is no PCM wave
    FileUnwritable,
    NothingRecorded, // nothing to save or to play
};

class MMControl final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MMControl)

public:
    enum class ModeValue { NotOpen, Stopped, Playing, Recording, Paused };
    Q_ENUM(ModeValue)

    using BackendFactory = std::function<std::shared_ptr<SoundBackend>()>;
    // The backend of every control constructed afterwards; an empty factory
    // restores the Qt Multimedia one.
    static void setBackendFactory(BackendFactory factory);
    // The backend a control constructed now gets: for the device lists of a
    // window that has no control of its own.
    static std::shared_ptr<SoundBackend> newBackend();

    explicit MMControl(QObject *parent = nullptr);
    explicit MMControl(std::shared_ptr<SoundBackend> backend, QObject *parent = nullptr);
    ~MMControl() override;

    bool Notify() const { return m_notify; }
    void setNotify(bool on) { m_notify = on; }
    // Wait and Shareable are kept as set: every command but "Record" and
    // "Play" completes before it returns, and each control has its own streams.
    bool Wait() const { return m_wait; }
    void setWait(bool on) { m_wait = on; }
    bool Shareable() const { return m_shareable; }
    void setShareable(bool on) { m_shareable = on; }
    QString DeviceType() const { return m_deviceType; }
    void setDeviceType(const QString &type) { m_deviceType = type; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &path) { m_fileName = path; }
    // With write-through on, "Record" also writes the sound to FileName as it
    // comes (WaveJournal), so that a crash loses at most its last second.
    bool WriteThrough() const { return m_writeThrough; }
    void setWriteThrough(bool on) { m_writeThrough = on; }
    int UpdateInterval() const { return m_updateInterval; }
    void setUpdateInterval(int ms);

    // Runs one command; the text is matched without regard to case.
    MciError setCommand(const QString &command);
    QString Command() const { return m_command; }
    MciError Error() const { return m_error; }
    ModeValue Mode() const;

    qint32 Position() const;
    qint32 Length() const;

    // The sound the device holds, for a caller that must keep it when "Save"
    // fails; and opening on such a sound, as "Open" does on a wave file.
    const PcmSound &sound() const { return m_sound; }
    MciError openSound(PcmSound sound);

    // The device this control works on, for a second stream beside its own
    // (the recording window's input scope).
    std::shared_ptr<SoundBackend> backend() const { return m_backend; }
    // The loudest sample recorded since the last call (0 to 32768), so that
    // a window can tell a microphone that hears nothing.
    int takeInputPeak();

Q_SIGNALS:
    void StatusUpdate();
    // With Notify on: the end of each command, and of a playback that ran to
    // its end (true) or that the device ended (false).
    void Done(bool succeeded);
    // The device ended the recording or playback by itself. Mode() is then
    // Stopped, Length() holds what was recorded and Position() where the
    // device stopped; a recording that never started has a Length() of 0.
    void DeviceLost();

private:
    MciError open();
    MciError openOn(PcmSound sound);
    MciError record();
    MciError play();
    MciError pause();
    MciError stop();
    MciError save();
    MciError close();

    qint64 positionFrames() const;
    void onCaptured(QByteArrayView bytes);
    void onPlaybackFinished();
    void onDeviceLost();
    void onTick();
    void finishRecording();
    void finishPlayback();
    void startTicker();

    std::shared_ptr<SoundBackend> m_backend;
    std::unique_ptr<CaptureStream> m_capture;
    std::unique_ptr<PlaybackStream> m_playback;
    std::unique_ptr<Ticker> m_ticker;

    bool m_notify = false;
    bool m_wait = true;
    bool m_shareable = false;
    bool m_writeThrough = false;
    WaveJournal m_journal;
    QString m_deviceType;
    QString m_fileName;
    QString m_command;
    int m_updateInterval = 250;
    MciError m_error = MciError::None;

    bool m_open = false;
    ModeValue m_mode = ModeValue::NotOpen;
    PcmSound m_sound;
    qint64 m_position = 0; // frames, while neither recording nor playing
    qint64 m_playFrom = 0; // frame at which the current playback started
    int m_inputPeak = 0;
};

} // namespace tembrel
