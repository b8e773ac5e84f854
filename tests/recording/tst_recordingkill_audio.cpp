// SPDX-License-Identifier: GPL-3.0-or-later
// Kill -9 at random moments while tembrel_recorddriver records a sentence from
// the real microphone (scripts/with-audio.sh): the restart offers what was
// said up to a second before the kill, and stores it into a slot.
#include "recording/RecordingSession.h"

#include "AppFixture.h"
#include "AudioBench.h"
#include "MessageSupport.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

using namespace tembrel;
using namespace tembrel::test;

namespace {
const QString Driver = QStringLiteral(TEMBREL_BINARY_DIR "/test-bin/tembrel_recorddriver");
constexpr int Kills = 20;
} // namespace

class TestRecordingKill : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWhileRecording() {
        const MicrophoneSetting mic;
        QVERIFY2(mic.present(), "run through scripts/with-audio.sh");
        AppFixture app(QDate(2005, 3, 10));
        const QByteArray sentence =
            spokenSentence("Remember to call the garage about the car on Monday", mic.rate,
                           app.path("spoken.wav"));
        QVERIFY(!sentence.isEmpty());
        QByteArray script;
        while (script.size() < qsizetype(mic.rate) * 2 * 10 * Kills)
            script += sentence;
        Microphone microphone(mic.fifo, mic.rate, script);
        QVERIFY(microphone.isOpen());
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        YearModel model;
        model.open(2005, {"08:00"});
        for (int kill = 1; kill <= Kills; ++kill) {
            QProcess driver;
            driver.start(Driver, {app.path({})});
            QVERIFY(driver.waitForReadyRead(10000));
            QCOMPARE(driver.readLine().trimmed(), QByteArray("recording"));
            QElapsedTimer recorded;
            recorded.start();
            QThread::msleep(random.bounded(1000, 5000));
            const qint64 killedAt = recorded.elapsed();
            driver.kill();
            QVERIFY(driver.waitForFinished(5000));

            QVERIFY(RecordingSession::interrupted());
            RecordingSession session;
            QVERIFY(session.adoptInterrupted());
            QVERIFY(session.store(model, {3, kill}, Marker::Vert));
            const PcmSound kept = slotSound(2005, {3, kill});
            qInfo("kill %d after %lld ms: %lld ms kept", kill, killedAt, kept.durationMs());
            QVERIFY2(kept.durationMs() >= killedAt - 1000 && kept.durationMs() <= killedAt + 200,
                     qPrintable(QString::number(kept.durationMs())));
            // The sentence goes on all along: the last kept second is speech.
            const QList<qint16> samples = samplesOfRaw(kept.samples);
            QVERIFY(rmsBetween(samples, kept.sampleRate, kept.durationMs() - 1000,
                               kept.durationMs()) > 0.02);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordingKill)
#include "tst_recordingkill_audio.moc"
