// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Plays one wave file on a sound device control, for the grid's playback of
// a slot and the recording window's Listen alike: the device is opened on the
// file with the fixed settings, played, followed through its position
// reports to the end, and closed again. The control belongs to the window
// that shows it; the player only drives it while it plays.

#include "sound/WaveFile.h"

#include <QObject>
#include <QString>

namespace tembrel {

class MMControl;
enum class MciError;

class SoundPlayer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundPlayer)

public:
    explicit SoundPlayer(MMControl *device, QObject *parent = nullptr);
    ~SoundPlayer() override;

    // Closes the device, opens it on the wave at `path` and plays it. False
    // when there is nothing to play or the device would not start; the
    // player is then idle and the device closed.
    bool play(const QString &path);
    // The same for a sound held in memory (one that could not be written).
    bool play(const PcmSound &sound);
    void pause();
    // Plays on from where a pause left it; false when the device would not.
    bool resume();
    // Ends the playback and closes the device.
    void stop();

    bool isPlaying() const { return m_active; }
    bool isPaused() const { return m_active && m_paused; }
    int length() const;

Q_SIGNALS:
    void positionChanged(int ms, int length);
    // The end of the message was played; the device is closed.
    void finished();
    // The device went away or stopped answering; the device is closed.
    void lost();

private:
    void onStatusUpdate();
    void onDeviceLost();
    void end();
    bool start(MciError opened);

    MMControl *m_device;
    bool m_active = false;
    bool m_paused = false;
};

} // namespace tembrel
