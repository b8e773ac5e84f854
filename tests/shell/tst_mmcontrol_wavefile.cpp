// SPDX-License-Identifier: GPL-3.0-or-later
// The wave files of the sound device, checked against sox: every PCM wave
// that sox makes reads back with its rate, channels, length and level, and
// what is no PCM wave is refused.
#include "TestApp.h"
#include "shell/WaveFile.h"

#include <QProcess>
#include <QTest>

#include <cmath>

using namespace tembrel;

namespace {

// The trimmed standard output of a tool, or "failed" when it did not succeed.
QByteArray tool(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    const bool ok =
        p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return ok ? p.readAllStandardOutput().trimmed() : QByteArray("failed");
}

QByteArray sox(const QString &wav, int rate, int channels, const QStringList &sample) {
    return tool("sox",
                QStringList{"-n", "-r", QString::number(rate), "-c", QString::number(channels)} +
                    sample + QStringList{wav, "synth", "0.75", "sine", "440", "vol", "0.5"});
}

} // namespace

class TestWaveFile : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempAppFolder> folder;
    QString wav() const { return folder->path("temp.wav"); }

private Q_SLOTS:
    void init() { folder = std::make_unique<test::TempAppFolder>(); }
    void cleanup() { folder.reset(); }

    void readsWhatSoxMakes_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QStringList>("sample");
        QTest::newRow("8-bit unsigned 11025 Hz mono")
            << 11025 << 1 << QStringList{"-b", "8", "-e", "unsigned"};
        QTest::newRow("16-bit 44.1 kHz stereo")
            << 44100 << 2 << QStringList{"-b", "16", "-e", "signed"};
        QTest::newRow("24-bit 48 kHz mono")
            << 48000 << 1 << QStringList{"-b", "24", "-e", "signed"};
        QTest::newRow("32-bit 8 kHz stereo")
            << 8000 << 2 << QStringList{"-b", "32", "-e", "signed"};
    }
    void readsWhatSoxMakes() {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QStringList, sample);
        QCOMPARE(sox(wav(), rate, channels, sample), QByteArray());
        const WaveRead read = readWaveFile(wav());
        QVERIFY2(read.sound, qPrintable(read.error));
        QCOMPARE(read.sound->sampleRate, rate);
        QCOMPARE(read.sound->channels, channels);
        QCOMPARE(read.sound->frames(), tool("soxi", {"-s", wav()}).toLongLong());
        QCOMPARE(read.sound->durationMs(), 750);
        // A sine at half scale: RMS 0.5 / sqrt(2) whatever the sample width, and
        // only if 8-bit unsigned silence (128) comes back as 0.
        const auto *v = reinterpret_cast<const qint16 *>(read.sound->samples.constData());
        const qsizetype n = read.sound->samples.size() / 2;
        double sum = 0;
        for (qsizetype i = 0; i < n; ++i)
            sum += double(v[i]) * v[i];
        QVERIFY(std::abs(std::sqrt(sum / double(n)) / 32768.0 - 0.5 / std::sqrt(2.0)) < 0.01);
    }

    void refusesWhatIsNoPcmWave_data() {
        QTest::addColumn<QByteArray>("bytes"); // "sox": a float wave made by sox
        QTest::newRow("float wave") << QByteArray("sox");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("text") << QByteArray("\"01/01/2005\",\"08:00\"\r\n");
    }
    void refusesWhatIsNoPcmWave() {
        QFETCH(QByteArray, bytes);
        if (bytes == "sox")
            QCOMPARE(sox(wav(), 8000, 1, {"-e", "floating-point", "-b", "32"}), QByteArray());
        else
            QVERIFY(folder->write("temp.wav", bytes));
        const WaveRead read = readWaveFile(wav());
        QVERIFY(!read.sound);
        QVERIFY(!read.error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_mmcontrol_wavefile.moc"
