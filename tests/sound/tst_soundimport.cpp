// SPDX-License-Identifier: GPL-3.0-or-later
// Importing audio files that libsndfile writes in a temporary folder: what
// comes out is a mono 16-bit wave at the file's rate holding the same sound,
// cut at the limit; a file that cannot be imported leaves the target as it was.
#include "sound/SoundImport.h"
#include "sound/WaveFile.h"

#include "SoundFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tembrel;
using tembrel::test::writeSoundFile;
using F = ImportFailure;

Q_DECLARE_METATYPE(ImportFailure)

namespace {

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// The amplitude of a sine from its samples' power (full scale 1).
double sineAmplitude(const PcmSound &sound) {
    const auto *s = reinterpret_cast<const qint16 *>(sound.samples.constData());
    double power = 0;
    for (qint64 i = 0; i < sound.frames(); ++i)
        power += double(s[i]) * s[i];
    return std::sqrt(2 * power / double(std::max<qint64>(1, sound.frames()))) / 32768;
}

} // namespace

class TestSoundImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void import_data() {
        QTest::addColumn<int>("format"); // 0: a text file
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QList<double>>("amplitudes");
        QTest::addColumn<int>("keptBytes"); // the file cut to these; -1 whole
        QTest::addColumn<ImportFailure>("failure");
        QTest::addColumn<int>("ms");           // of the wave made
        QTest::addColumn<double>("amplitude"); // of its sine
        QTest::addColumn<bool>("cut");
        const auto row = [](const char *name, int format, int rate, double seconds,
                            QList<double> amplitudes, int kept, F failure, int ms = 0,
                            double amplitude = 0, bool cut = false) {
            QTest::newRow(name) << format << rate << seconds << amplitudes << kept << failure << ms
                                << amplitude << cut;
        };
        row("16-bit mono wave", Wav16, 16000, 2, {0.5}, -1, F::None, 2000, 0.5);
        row("stereo float wave, averaged", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1.5, {0.8, 0.2},
            -1, F::None, 1500, 0.5);
        row("four-channel 24-bit FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 1,
            {0.4, 0.4, 0.2, 0.2}, -1, F::None, 1000, 0.3);
        row("stereo Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, {0.5, 0.3}, -1,
            F::None, 2000, 0.4);
        row("MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, {0.5}, -1, F::None, 2000,
            0.5);
        row("61 s: the first minute", Wav16, 8000, 61, {0.5}, -1, F::None, 60000, 0.5, true);
        row("exactly a minute: whole", Wav16, 8000, 60, {0.5}, -1, F::None, 60000, 0.5);
        row("quiet, -50 dBFS: heard", Wav16, 8000, 1, {0.0032}, -1, F::None, 1000, 0.0032);
        row("-70 dBFS: silent", Wav16, 8000, 1, {0.0003}, -1, F::Silent);
        row("wave without samples", Wav16, 8000, 0, {0.5}, -1, F::Empty);
        row("no bytes", Wav16, 8000, 1, {0.5}, 0, F::Empty);
        row("not audio", 0, 0, 0, {}, -1, F::Unreadable);
        row("wave cut in its samples", Wav16, 8000, 2, {0.5}, 44 + 8000, F::None, 500, 0.5);
        row("wave cut in its header", Wav16, 8000, 2, {0.5}, 20, F::Unreadable);
    }
    void import() {
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(double, seconds);
        QFETCH(QList<double>, amplitudes);
        QFETCH(int, keptBytes);
        QFETCH(ImportFailure, failure);
        QFETCH(int, ms);
        QFETCH(double, amplitude);
        QFETCH(bool, cut);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("sound"));
        const QString target = dir.filePath(QStringLiteral("temp.wav"));
        if (format == 0) {
            QFile text(source);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Not a sound at all.\r\n") > 0);
        } else if (!writeSoundFile(source, format, rate, seconds, amplitudes)) {
            QSKIP("libsndfile does not write this format here");
        }
        if (keptBytes >= 0)
            QVERIFY(QFile::resize(source, keptBytes));
        QVERIFY(QFile(target).open(QIODevice::WriteOnly)); // an old, empty temp.wav

        const ImportResult result = importSound(source, target, 60000);
        QCOMPARE(result.failure, failure);
        if (failure != F::None) {
            QCOMPARE(QFileInfo(target).size(), 0);
            return;
        }
        QCOMPARE(result.cut, cut);
        const WaveRead wave = readWaveFile(target);
        QVERIFY2(wave.sound, qPrintable(wave.error));
        QCOMPARE(wave.sound->channels, 1);
        QCOMPARE(wave.sound->sampleRate, rate);
        QCOMPARE(wave.sound->frames(), result.frames);
        // Lossy coders add a few milliseconds and round the level.
        const int type = format & SF_FORMAT_TYPEMASK;
        const bool lossy = type == SF_FORMAT_OGG || type == SF_FORMAT_MPEG;
        QVERIFY2(std::abs(wave.sound->durationMs() - ms) <= (lossy ? 60 : 1),
                 qPrintable(QString::number(wave.sound->durationMs())));
        QVERIFY2(std::abs(sineAmplitude(*wave.sound) - amplitude) <=
                     amplitude * (lossy ? 0.1 : 0.01),
                 qPrintable(QString::number(sineAmplitude(*wave.sound))));
    }
};

QTEST_GUILESS_MAIN(TestSoundImport)
#include "tst_soundimport.moc"
