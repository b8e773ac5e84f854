// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sound files as other programs leave them, written by libsndfile in any of
// its formats. Tests that include this link libsndfile.

#include <QFile>
#include <QList>
#include <QString>

#include <sndfile.h>

#include <cmath>
#include <vector>

namespace tembrel::test {

// `seconds` of a 440 Hz sine in `format` (SF_FORMAT_...), one channel per
// amplitude (full scale 1). False when libsndfile cannot write that format.
inline bool writeSoundFile(const QString &path, int format, int rate, double seconds,
                           const QList<double> &amplitudes) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = int(amplitudes.size());
    info.format = format;
    SNDFILE *sf = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!sf)
        return false;
    const auto frames = sf_count_t(seconds * rate);
    std::vector<float> samples(std::size_t(frames * info.channels));
    for (sf_count_t i = 0; i < frames; ++i)
        for (int c = 0; c < info.channels; ++c)
            samples[std::size_t(i * info.channels + c)] =
                float(amplitudes[c] * std::sin(2 * M_PI * 440 * double(i) / rate));
    const bool written = sf_writef_float(sf, samples.data(), frames) == frames;
    return sf_close(sf) == 0 && written;
}

} // namespace tembrel::test
