// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Wave files for the sound device: any PCM wave is read into 16-bit samples,
// and a sound is written back as a 16-bit PCM wave. libsndfile does the format
// work on bytes held in memory, so paths never reach it and every write goes
// through the usual temporary-file-and-rename.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace tembrel {

// A sound held in memory: interleaved signed 16-bit samples in native order.
struct PcmSound {
    int sampleRate = 16000;
    int channels = 1;
    QByteArray samples;

    qint64 bytesPerFrame() const { return qint64(channels) * 2; }
    qint64 frames() const { return channels > 0 ? samples.size() / bytesPerFrame() : 0; }
    // Whole milliseconds, fraction dropped.
    qint64 framesToMs(qint64 frames) const {
        return sampleRate > 0 ? frames * 1000 / sampleRate : 0;
    }
    qint64 msToFrames(qint64 ms) const { return ms * sampleRate / 1000; }
    qint64 durationMs() const { return framesToMs(frames()); }
    bool isEmpty() const { return samples.isEmpty(); }
};

struct WaveRead {
    std::optional<PcmSound> sound;
    QString error; // empty when sound holds the file
};

// The widest waves read: any sound card's rates and channels, with room to
// spare. A header past them (2 000 000 000 Hz, 1 024 channels) is damage; it
// would only make playback ask for gigabytes of buffer.
inline constexpr int MaxWaveRate = 384000;
inline constexpr int MaxWaveChannels = 8;

// Decodes a wave held in memory. Only PCM waves are accepted (8-bit unsigned,
// 16/24/32-bit signed, 1 to MaxWaveChannels channels at 1 Hz to MaxWaveRate);
// they come back as 16-bit.
WaveRead decodeWave(const QByteArray &bytes);
// The largest wave read: five minutes of 48 kHz 16-bit stereo (a message is a
// minute at most; the device records nothing wider).
inline constexpr qint64 MaxWaveBytes = 5 * 60 * 48000 * 2 * 2 + 4096;
WaveRead readWaveFile(const QString &path);

// Encodes a sound as a 16-bit PCM wave with its own rate and channels.
std::optional<QByteArray> encodeWave(const PcmSound &sound);
// Writes through a temporary file and a rename; false leaves the old file whole.
bool writeWaveFile(const QString &path, const PcmSound &sound);

} // namespace tembrel
