// SPDX-License-Identifier: GPL-3.0-or-later
// Importing audio files that libsndfile writes: a mono 16-bit wave at the
// file's rate with the same sound, cut at the limit, or the target untouched.
#include "AudioBench.h"

#include "sound/SoundImport.h"
#include "sound/WaveFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

using namespace tembrel;
using F = ImportFailure;

namespace {

struct Case {
    int format; // SF_FORMAT_...; 0: a text file
    int rate;
    double seconds;
    QList<double> amplitudes; // of a 440 Hz sine, one per channel
    int keptBytes;            // the file cut to these; -1: whole
    F failure;
    int ms = 0;           // of the wave made
    double amplitude = 0; // of its sine
    bool cut = false;
};

bool writeFile(const QString &path, const Case &c) {
    if (c.format == 0) {
        QFile text(path);
        return text.open(QIODevice::WriteOnly) && text.write("Not a sound at all.\r\n") > 0;
    }
    SF_INFO info{0, c.rate, int(c.amplitudes.size()), c.format, 0, 0};
    SNDFILE *sf = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    const auto frames = sf_count_t(c.seconds * c.rate);
    std::vector<float> samples;
    for (sf_count_t i = 0; i < frames; ++i)
        for (double a : c.amplitudes)
            samples.push_back(float(a * std::sin(2 * M_PI * 440 * double(i) / c.rate)));
    return sf && sf_writef_float(sf, samples.data(), frames) == frames && sf_close(sf) == 0;
}

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16, Flac24 = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;

} // namespace

Q_DECLARE_METATYPE(Case)

class TestSoundImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void import_data() {
        QTest::addColumn<Case>("c");
        const auto row = [](const char *name, Case c) { QTest::newRow(name) << c; };
        row("16-bit mono wave", {Wav16, 16000, 2, {0.5}, -1, F::None, 2000, 0.5});
        row("stereo float wave, averaged",
            {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1.5, {0.8, 0.2}, -1, F::None, 1500, 0.5});
        row("four-channel 24-bit FLAC",
            {Flac24, 48000, 1, {0.4, 0.4, 0.2, 0.2}, -1, F::None, 1000, 0.3});
        row("stereo Ogg Vorbis",
            {SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, {0.5, 0.3}, -1, F::None, 2000, 0.4});
        row("MP3",
            {SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, {0.5}, -1, F::None, 2000, 0.5});
        row("61 s: the first minute", {Wav16, 8000, 61, {0.5}, -1, F::None, 60000, 0.5, true});
        row("exactly a minute: whole", {Wav16, 8000, 60, {0.5}, -1, F::None, 60000, 0.5});
        row("quiet, -50 dBFS: heard", {Wav16, 8000, 1, {0.0032}, -1, F::None, 1000, 0.0032});
        row("-70 dBFS: silent", {Wav16, 8000, 1, {0.0003}, -1, F::Silent});
        row("wave without samples", {Wav16, 8000, 0, {0.5}, -1, F::Empty});
        row("no bytes", {Wav16, 8000, 1, {0.5}, 0, F::Empty});
        row("not audio", {0, 0, 0, {}, -1, F::Unreadable});
        row("wave cut in its samples", {Wav16, 8000, 2, {0.5}, 44 + 8000, F::None, 500, 0.5});
        row("wave cut in its header", {Wav16, 8000, 2, {0.5}, 20, F::Unreadable});
    }
    void import() {
        QFETCH(Case, c);
        QTemporaryDir dir;
        const QString source = dir.filePath("sound"), target = dir.filePath("temp.wav");
        if (!writeFile(source, c))
            QSKIP("libsndfile does not write this format here");
        QVERIFY(c.keptBytes < 0 || QFile::resize(source, c.keptBytes));
        QVERIFY(QFile(target).open(QIODevice::WriteOnly)); // an old, empty temp.wav

        const ImportResult result = importSound(source, target, 60000);
        QCOMPARE(result.failure, c.failure);
        QCOMPARE(QFileInfo(target).size() == 0, c.failure != F::None);
        if (c.failure != F::None)
            return;
        QCOMPARE(result.cut, c.cut);
        const WaveRead wave = readWaveFile(target);
        QVERIFY2(wave.sound, qPrintable(wave.error));
        QVERIFY(wave.sound->channels == 1 && wave.sound->sampleRate == c.rate);
        QCOMPARE(wave.sound->frames(), result.frames);
        // Lossy coders add a few milliseconds and round the level.
        const int type = c.format & SF_FORMAT_TYPEMASK;
        const bool lossy = type == SF_FORMAT_OGG || type == SF_FORMAT_MPEG;
        QVERIFY2(std::abs(wave.sound->durationMs() - c.ms) <= (lossy ? 60 : 1),
                 qPrintable(QString::number(wave.sound->durationMs())));
        const QList<qint16> samples = test::samplesOfRaw(wave.sound->samples);
        const double amplitude = std::sqrt(2.0) * test::rms(samples, 0, samples.size());
        QVERIFY2(std::abs(amplitude - c.amplitude) <= c.amplitude * (lossy ? 0.1 : 0.01),
                 qPrintable(QString::number(amplitude)));
    }
};

QTEST_GUILESS_MAIN(TestSoundImport)
#include "tst_soundimport.moc"
