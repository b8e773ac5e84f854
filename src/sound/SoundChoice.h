// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The microphone and the speaker the user chose, kept between runs with
// QSettings by the device's id (with its description, to name it while it is
// not connected). Every new stream reads the choice as it opens, so a change
// applies from the next Record or playback. A chosen device that is not
// listed is passed over for the system default, and used again once it is
// back; no choice at all (an empty id) is the system default.

#include "sound/SoundBackend.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tembrel {

enum class SoundUse { Microphone, Speaker };

struct ChosenDevice {
    QByteArray id; // empty: the system default
    QString description;
    friend bool operator==(const ChosenDevice &, const ChosenDevice &) = default;
};

ChosenDevice chosenDevice(SoundUse use);
void chooseDevice(SoundUse use, const ChosenDevice &device);

// The index in `listed` of the device a stream opens when `chosenId` is
// chosen: that one when listed, else the one flagged default, else the
// first; -1 when nothing is listed.
qsizetype deviceInUse(const QList<SoundDevice> &listed, const QByteArray &chosenId);
// The device a new stream for `use` opens among `devices`, by the choice kept now.
std::optional<SoundDevice> deviceInUse(SoundUse use, const SoundDevices &devices);

} // namespace tembrel
