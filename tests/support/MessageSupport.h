// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test sounds, and messages in the fixture's application folder made the way
// recording makes them: a wave in temp.wav, packed into temp.tbr, stored into
// a slot's archive, and the slot marked in the year file through its model.
// Header only: tests that use it link the grid library.

#include "core/Shared.h"
#include "grid/MessageStore.h"
#include "grid/YearModel.h"
#include "sound/WaveFile.h"
#include "timerows/HoursFile.h"

#include <QFile>
#include <QtMath>

namespace tembrel::test {

// `ms` of level + amplitude * sin(440 Hz) at `rate`, as the microphone hears it.
inline QByteArray tone(int rate, int ms, int level, int amplitude) {
    const int n = rate * ms / 1000;
    QByteArray out(n * 2, Qt::Uninitialized);
    auto *v = reinterpret_cast<qint16 *>(out.data());
    for (int i = 0; i < n; ++i)
        v[i] = qint16(std::clamp(level + int(amplitude * std::sin(2 * M_PI * 440 * i / rate)),
                                 -32768, 32767));
    return out;
}

// `ms` of a constant 16 kHz mono sound.
inline PcmSound flatSound(int ms, char level = '\x10') {
    PcmSound sound;
    sound.samples = QByteArray(qsizetype(ms) * 16 * 2, level);
    return sound;
}

// temp.wav and temp.tbr for `sound`, as the finishing step leaves them.
inline bool packMessage(const PcmSound &sound) {
    return writeWaveFile(scratchWavePath(), sound) && packScratchWave().ok;
}

// Stores `sound` into the slot's archive; with a marker, also marks the slot
// and rewrites the year file, as saving a recording does. The scratch files
// are gone afterwards.
inline bool storeMessage(int year, Slot slot, const PcmSound &sound, Marker marker = Marker::None) {
    if (!packMessage(sound) || !storeSlotArchive(scratchArchivePath(), year, slot.row, slot.col).ok)
        return false;
    QFile::remove(scratchWavePath());
    QFile::remove(scratchArchivePath());
    if (marker == Marker::None)
        return true;
    YearModel model;
    model.open(year, readHours(hoursFilePath()));
    model.setMarker(slot, marker);
    return model.save();
}

// The sound a slot's archive holds, unpacked as playback unpacks it; empty
// when there is none.
inline PcmSound slotSound(int year, Slot slot) {
    if (!extractSlotArchive(year, slot.row, slot.col).ok)
        return {};
    return readWaveFile(scratchWavePath()).sound.value_or(PcmSound{});
}

} // namespace tembrel::test
