// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An audio file made into a message's wave: whatever libsndfile reads (WAV,
// FLAC, Ogg, MP3 where it was built with them) becomes a 16-bit PCM mono wave
// at the file's own rate, its channels averaged, cut at the recording limit.
// The file is read and the wave written block by block through the safe
// writer, so an hour-long file costs no more memory than a short one, and a
// file that cannot be imported leaves the target as it was.

#include <QString>
#include <QtGlobal>

namespace tembrel {

enum class ImportFailure {
    None,
    Unreadable, // not sound libsndfile can decode
    Empty,      // no bytes, or no samples
    Silent,     // every sample below about -60 dBFS
    NotWritten, // the target could not be written
};

struct ImportResult {
    ImportFailure failure = ImportFailure::Unreadable;
    bool cut = false; // the file went on past the limit
    int sampleRate = 0;
    qint64 frames = 0; // written into the target
    QString error;     // what went wrong, for a log

    bool ok() const { return failure == ImportFailure::None; }
    qint64 durationMs() const { return sampleRate > 0 ? frames * 1000 / sampleRate : 0; }
};

// The loudest sample of a sound that counts as silence: 32768 * 10^(-60/20).
inline constexpr int SilencePeak = 33;

// Writes the first `limitMs` of `source` into `targetWave`.
ImportResult importSound(const QString &source, const QString &targetWave, qint64 limitMs);

} // namespace tembrel
