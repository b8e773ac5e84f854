// SPDX-License-Identifier: GPL-3.0-or-later
// MMControl on a real PulseAudio server (scripts/with-audio.sh): espeak-ng
// speaks into the microphone FIFO, sox and soxi make and inspect the waves.
#include "AppFixture.h"
#include "AudioBench.h"

using namespace tembrel;
using namespace std::chrono_literals;
using Mode = MMControl::ModeValue;

using namespace tembrel::test;

class TestMMControlAudio : public QObject {
    Q_OBJECT

    const MicrophoneSetting m_mic;
    std::unique_ptr<test::AppFixture> folder;

    std::unique_ptr<MMControl> openOn(const QString &path) {
        auto mm = std::make_unique<MMControl>(std::make_shared<QtSoundBackend>());
        mm->setDeviceType("WaveAudio");
        mm->setFileName(path);
        return mm->setCommand("Open") == MciError::None ? std::move(mm) : nullptr;
    }

    struct Playback {
        qint32 length = -1, pausedAt = -1;
        QList<qint32> positions; // of each status update
        qint64 elapsedMs = 0;
    };
    // Plays the file to its end, paused for pauseForMs once past pauseAtMs.
    Playback playToEnd(const QString &file, int pauseAtMs, int pauseForMs) {
        Playback pb;
        auto mm = openOn(file);
        if (!mm)
            return pb;
        pb.length = mm->Length();
        connect(mm.get(), &MMControl::StatusUpdate, this,
                [&] { pb.positions.append(mm->Position()); });
        QElapsedTimer clock;
        clock.start();
        if (mm->setCommand("Play") != MciError::None)
            return pb;
        if (pauseForMs > 0 && QTest::qWaitFor([&] { return mm->Position() >= pauseAtMs; })) {
            mm->setCommand("Pause");
            pb.pausedAt = mm->Position();
            QTest::qWait(pauseForMs); // the pause the user makes, not a wait for the device
            mm->setCommand("Play");
        }
        (void)QTest::qWaitFor([&] { return mm->Mode() == Mode::Stopped; }, pb.length + 10000);
        pb.elapsedMs = clock.elapsed();
        return pb;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_mic.present())
            QFAIL("no audio server: run these tests through scripts/with-audio.sh");
        QVERIFY(soundDevicesRead());
    }
    void init() { folder = std::make_unique<test::AppFixture>(); }
    void cleanup() { folder.reset(); }

    // The recording window on a real microphone: Open, Record, Pause, Record,
    // Stop, Save, Close, three seconds to temp.wav. A loud buzz heard while
    // paused must neither reach the recording nor add to its length.
    void recordsSpeech() {
        const QByteArray speech =
            spokenSentence("Meeting with the bank at nine", m_mic.rate, folder->path("spoken.wav"));
        QVERIFY(!speech.isEmpty());
        const qint64 speechMs = speech.size() / 2 * 1000 / m_mic.rate;

        // Silence, the buzz from 0.6 s to 1.4 s, silence, the sentence from 2 s;
        // the microphone hears before the recording starts, as a real one does.
        const int perMs = m_mic.rate / 1000 * 2;
        QByteArray buzz(800 * perMs, Qt::Uninitialized);
        auto *v = reinterpret_cast<qint16 *>(buzz.data());
        for (qsizetype i = 0; i < buzz.size() / 2; ++i)
            v[i] = qint16((i / 8) % 2 ? 12000 : -12000);
        const QByteArray gap(600 * perMs, 0);
        Microphone mic(m_mic.fifo, m_mic.rate, gap + buzz + gap + speech);
        QVERIFY(mic.isOpen());
        const auto heard = [&](qint64 ms) {
            return QTest::qWaitFor([&] { return mic.writtenMs() >= ms; });
        };
        const QString wav = appFile("temp.wav");
        auto mm = openOn(wav);
        QVERIFY(mm);
        int reports = 0;
        connect(mm.get(), &MMControl::StatusUpdate, this, [&] { ++reports; });
        QVERIFY(heard(200));
        const qint64 fedAtStart = mic.writtenMs();
        QCOMPARE(mm->setCommand("Record"), MciError::None);
        QVERIFY(heard(500));
        QCOMPARE(mm->setCommand("Pause"), MciError::None);
        const qint64 fedAtPause = mic.writtenMs();
        const qint32 atPause = mm->Position();
        QVERIFY(heard(1500));
        const qint32 afterPause = mm->Position();
        const qint64 fedAtResume = mic.writtenMs();
        QCOMPARE(mm->setCommand("Record"), MciError::None);
        QVERIFY2(QTest::qWaitFor([&] { return mm->Position() >= 3000; }, 15000),
                 qPrintable(QString("recorded only %1 ms").arg(mm->Position())));
        QCOMPARE(mm->setCommand("Stop"), MciError::None);
        const qint32 length = mm->Length();
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        QCOMPARE(mm->setCommand("Close"), MciError::None);
        QVERIFY(reports >= 8);
        QVERIFY2(afterPause - atPause <= 150, qPrintable(QString::number(afterPause - atPause)));

        QCOMPARE(soxi("-t -b -c -e -r", wav), "wav 16 1 Signed Integer PCM 16000");
        const QList<qint16> s = samplesOf(wav);
        QCOMPARE(s.size() * 1000 / 16000, qint64(length));
        QVERIFY2(length >= 3000 && length < 3500, qPrintable(QString::number(length)));
        QVERIFY2(rms(s, 0, s.size()) > 0.01, "the recording is silent");

        // The loudest second lies over the sentence; before it, the recording is
        // quiet, the moment of the pause included.
        qsizetype loudest = 0;
        double loudestRms = 0;
        for (qsizetype from = 0; from + 16000 <= s.size(); from += 1600)
            if (const double v = rms(s, from, 16000); v > loudestRms)
                loudestRms = v, loudest = from;
        const double startMs = double(loudest) / 16;
        const double speechStart = double(fedAtPause - fedAtStart + 2000 - fedAtResume);
        qInfo("loudest second from %.0f ms, speech from about %.0f to %.0f ms", startMs,
              speechStart, speechStart + speechMs);
        QVERIFY(startMs + 1000 > speechStart && startMs < speechStart + speechMs);
        QVERIFY2(rms(s, 0, qsizetype(speechStart - 200) * 16) < loudestRms / 10,
                 "the recording is not quiet before the sentence");
    }

    // A wave made by sox plays with Length right at once, positions rising to
    // it and a final report; half a second of pause delays the end by about
    // that. (Other sample formats reach the device decoded: tst_mmcontrol.)
    void playsToTheEnd() {
        const int rate = 16000;
        const QString wav = appFile("temp.wav");
        QVERIFY(run("sox", {"-n", "-r", "16000", "-c", "1", "-b", "16", "-e", "signed", wav,
                            "synth", "1.7", "sine", "440", "vol", "0.5"}));
        const Playback plain = playToEnd(wav, 0, 0);
        const Playback paused = playToEnd(wav, 600, 500);
        QCOMPARE(qint64(plain.length), soxi("-s", wav).toLongLong() * 1000 / rate);
        for (const Playback *pb : {&plain, &paused}) {
            QCOMPARE(pb->length, plain.length);
            QCOMPARE(pb->positions.last(), pb->length); // the final report shows the end
            QVERIFY(std::is_sorted(pb->positions.begin(), pb->positions.end()));
            QVERIFY2(pb->positions.size() > 2 &&
                         pb->positions[pb->positions.size() / 2] < pb->length,
                     "no report on the way to the end");
        }
        QVERIFY(plain.elapsedMs >= plain.length - 300); // played, not skipped
        QVERIFY(paused.pausedAt >= 600 && paused.pausedAt < 1400);
        const qint64 delay = paused.elapsedMs - plain.elapsedMs;
        QVERIFY2(delay > 250 && delay < 1000, qPrintable(QString("delay %1 ms").arg(delay)));
    }
};

QTEST_GUILESS_MAIN(TestMMControlAudio)
#include "tst_mmcontrol_audio.moc"
