// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what importing an audio file costs: the time to make a message of a
// one-minute and of a ten-minute 44.1 kHz stereo FLAC (only its first minute
// is kept), and, to show that memory does not grow with the file, the peak
// memory while the whole ten minutes are converted.
#include "BenchTiming.h"
#include "sound/SoundImport.h"

#include <QFile>
#include <QTemporaryDir>

#include <sndfile.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace tembrel;
using namespace tembrel::bench;

namespace {

constexpr int Rate = 44100;

// Speech-like enough for the coder: a 220 Hz tone that swells every second.
// Written a second at a time, so that making it costs no memory either.
bool writeFlac(const QString &path, int seconds) {
    SF_INFO info{0, Rate, 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE *sf = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    std::vector<float> block(std::size_t(Rate) * 2);
    for (int s = 0; sf && s < seconds; ++s) {
        for (int i = 0; i < Rate; ++i) {
            const double t = s + double(i) / Rate;
            block[std::size_t(i) * 2] = block[std::size_t(i) * 2 + 1] =
                float(0.4 * std::sin(M_PI * t) * std::sin(2 * M_PI * 220 * t));
        }
        sf_writef_float(sf, block.data(), Rate);
    }
    return sf && sf_close(sf) == 0;
}

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString one = dir.filePath("one.flac"), ten = dir.filePath("ten.flac");
    const QString wave = dir.filePath("temp.wav");
    if (!writeFlac(one, 60) || !writeFlac(ten, 600)) {
        std::printf("libsndfile cannot write FLAC here\n");
        return 1;
    }
    std::printf("importing a 44.1 kHz stereo FLAC (median of 5, longest)\n");
    for (const auto &[name, path] : {std::pair{"one minute", one}, std::pair{"ten minutes", ten}}) {
        const Figures f = timeMs(5, [&] { importSound(path, wave, 60000); });
        std::printf("  %-12s first minute kept %8.1f ms %8.1f ms\n", name, f.median, f.longest);
    }
    const long before = peakKb();
    const ImportResult whole = importSound(ten, wave, 600000);
    std::printf("  ten minutes whole (%lld kB wave): peak memory %ld kB -> %ld kB\n",
                QFile(wave).size() / 1024, before, peakKb());
    return whole.ok() ? 0 : 1;
}
