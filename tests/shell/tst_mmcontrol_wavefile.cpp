// SPDX-License-Identifier: GPL-3.0-or-later
// The wave files of the sound device, checked against sox: every PCM wave
// that sox makes reads back with its rate, channels and length, and what the
// control writes is what soxi expects of a 16-bit PCM wave.
#include "TestApp.h"
#include "shell/WaveFile.h"

#include <QProcess>
#include <QTest>

#include <cmath>

using namespace tembrel;

namespace {

QByteArray runTool(const QString &program, const QStringList &args, int *code = nullptr) {
    QProcess p;
    p.start(program, args);
    const bool done = p.waitForStarted(10000) && p.waitForFinished(30000);
    if (code)
        *code = done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput().trimmed();
}

double rmsOf(const PcmSound &s) {
    const auto *v = reinterpret_cast<const qint16 *>(s.samples.constData());
    const qsizetype n = s.samples.size() / 2;
    double sum = 0;
    for (qsizetype i = 0; i < n; ++i)
        sum += double(v[i]) * v[i];
    return n ? std::sqrt(sum / double(n)) / 32768.0 : 0;
}

} // namespace

class TestWaveFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsWhatSoxMakes_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("encoding");
        QTest::newRow("8-bit unsigned 11025 Hz mono") << 11025 << 1 << 8 << "unsigned";
        QTest::newRow("16-bit 44.1 kHz stereo") << 44100 << 2 << 16 << "signed";
        QTest::newRow("16-bit 16 kHz mono") << 16000 << 1 << 16 << "signed";
        QTest::newRow("24-bit 48 kHz mono") << 48000 << 1 << 24 << "signed";
        QTest::newRow("32-bit 8 kHz stereo") << 8000 << 2 << 32 << "signed";
    }
    void readsWhatSoxMakes() {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(QString, encoding);
        test::TempAppFolder folder;
        const QString wav = folder.path("tone.wav");
        int code = -1;
        runTool("sox",
                {"-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b",
                 QString::number(bits), "-e", encoding, wav, "synth", "0.75", "sine", "440", "vol",
                 "0.5"},
                &code);
        QCOMPARE(code, 0);

        const WaveRead read = readWaveFile(wav);
        QVERIFY2(read.sound, qPrintable(read.error));
        QCOMPARE(read.sound->sampleRate, rate);
        QCOMPARE(read.sound->channels, channels);
        QCOMPARE(read.sound->frames(), runTool("soxi", {"-s", wav}).toLongLong());
        QCOMPARE(read.sound->durationMs(), 750);
        // A sine at half scale: RMS 0.5 / sqrt(2), whatever the sample width.
        QVERIFY(std::abs(rmsOf(*read.sound) - 0.5 / std::sqrt(2.0)) < 0.01);
    }

    void silenceOfEightBitIsZero() {
        test::TempAppFolder folder;
        const QString wav = folder.path("quiet.wav");
        int code = -1;
        runTool("sox",
                {"-D", "-n", "-r", "11025", "-c", "1", "-b", "8", "-e", "unsigned", wav, "trim",
                 "0", "0.1"},
                &code);
        QCOMPARE(code, 0);
        const WaveRead read = readWaveFile(wav);
        QVERIFY(read.sound);
        QVERIFY(read.sound->frames() > 1000);
        // Unsigned 8-bit silence (no dither) is 128 on disk and 0 in memory.
        QCOMPARE(read.sound->samples, QByteArray(read.sound->samples.size(), '\0'));
    }

    void writesSixteenBitPcm() {
        test::TempAppFolder folder;
        const QString wav = folder.path("temp.wav");
        PcmSound s{16000, 1, {}};
        s.samples.resize(16000 * 2);
        auto *v = reinterpret_cast<qint16 *>(s.samples.data());
        for (int i = 0; i < 16000; ++i)
            v[i] = qint16(i % 2 ? 16384 : -16384);
        QVERIFY(writeWaveFile(wav, s));
        QCOMPARE(runTool("soxi", {"-t", wav}), QByteArray("wav"));
        QCOMPARE(runTool("soxi", {"-b", wav}), QByteArray("16"));
        QCOMPARE(runTool("soxi", {"-c", wav}), QByteArray("1"));
        QCOMPARE(runTool("soxi", {"-r", wav}), QByteArray("16000"));
        QCOMPARE(runTool("soxi", {"-s", wav}), QByteArray("16000"));
        QCOMPARE(runTool("soxi", {"-e", wav}), QByteArray("Signed Integer PCM"));
        // Read back sample for sample.
        const WaveRead read = readWaveFile(wav);
        QVERIFY(read.sound);
        QCOMPARE(read.sound->samples, s.samples);
    }

    void refusesWhatIsNoPcmWave_data() {
        QTest::addColumn<QStringList>("soxArgs"); // empty: write `bytes` instead
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("float wave")
            << QStringList{"-e", "floating-point", "-b", "32"} << QByteArray();
        QTest::newRow("empty file") << QStringList{} << QByteArray();
        QTest::newRow("text") << QStringList{} << QByteArray("\"01/01/2005\",\"08:00\"\r\n");
    }
    void refusesWhatIsNoPcmWave() {
        QFETCH(QStringList, soxArgs);
        QFETCH(QByteArray, bytes);
        test::TempAppFolder folder;
        const QString wav = folder.path("temp.wav");
        if (!soxArgs.isEmpty()) {
            int code = -1;
            runTool("sox",
                    QStringList{"-n", "-r", "8000", "-c", "1"} + soxArgs +
                        QStringList{wav, "synth", "0.2", "sine", "440"},
                    &code);
            QCOMPARE(code, 0);
        } else {
            QVERIFY(folder.write("temp.wav", bytes));
        }
        const WaveRead read = readWaveFile(wav);
        QVERIFY(!read.sound);
        QVERIFY(!read.error.isEmpty());
    }

    void unwritablePathLeavesNothing() {
        test::TempAppFolder folder;
        const QString wav = folder.path("missing-folder/temp.wav");
        QVERIFY(!writeWaveFile(wav, PcmSound{16000, 1, QByteArray(320, '\1')}));
        QVERIFY(!QFile::exists(wav));
    }
};

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_mmcontrol_wavefile.moc"
