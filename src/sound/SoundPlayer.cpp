// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/SoundPlayer.h"

#include "sound/MMControl.h"

#include <QFileInfo>

namespace tembrel {

SoundPlayer::SoundPlayer(MMControl *device, QObject *parent)
    : QObject(parent)
    , m_device(device) {
    connect(m_device, &MMControl::StatusUpdate, this, &SoundPlayer::onStatusUpdate);
    connect(m_device, &MMControl::DeviceLost, this, &SoundPlayer::onDeviceLost);
}

SoundPlayer::~SoundPlayer() = default;

bool SoundPlayer::play(const QString &path) {
    m_device->setCommand(QStringLiteral("Close"));
    m_active = false;
    m_paused = false;
    // A missing file would open as a new, empty recording whose first report
    // ends it at once: there is nothing to play.
    if (!QFileInfo(path).isFile())
        return false;
    m_device->setNotify(false);
    m_device->setWait(true);
    m_device->setShareable(false);
    m_device->setDeviceType(QStringLiteral("WaveAudio"));
    m_device->setFileName(path);
    return start(m_device->setCommand(QStringLiteral("Open")));
}

bool SoundPlayer::play(const PcmSound &sound) {
    m_device->setCommand(QStringLiteral("Close"));
    m_active = false;
    m_paused = false;
    return start(m_device->openSound(sound));
}

bool SoundPlayer::start(MciError opened) {
    if (opened != MciError::None ||
        m_device->setCommand(QStringLiteral("Play")) != MciError::None) {
        m_device->setCommand(QStringLiteral("Close"));
        return false;
    }
    m_active = true;
    return true;
}

void SoundPlayer::pause() {
    if (!m_active)
        return;
    m_device->setCommand(QStringLiteral("Pause"));
    m_paused = true;
}

bool SoundPlayer::resume() {
    if (!m_active)
        return false;
    m_paused = false;
    if (m_device->setCommand(QStringLiteral("Play")) == MciError::None)
        return true;
    end();
    return false;
}

void SoundPlayer::stop() {
    end();
}

int SoundPlayer::length() const {
    return m_device->Length();
}

void SoundPlayer::end() {
    m_active = false;
    m_paused = false;
    m_device->setCommand(QStringLiteral("Close"));
}

void SoundPlayer::onStatusUpdate() {
    if (!m_active)
        return;
    const int pos = m_device->Position();
    const int len = m_device->Length();
    Q_EMIT positionChanged(pos, len);
    // The device's last report of a playback carries the whole length.
    if (m_active && pos >= len) {
        end();
        Q_EMIT finished();
    }
}

void SoundPlayer::onDeviceLost() {
    if (!m_active)
        return;
    end();
    Q_EMIT lost();
}

} // namespace tembrel
