// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the microphone and the speaker on the real audio bench with two of
// each (scripts/with-audio.sh --second-devices): the default microphone says
// one sentence and the "Headset" another, at the same time; a recording holds
// the sentence of the microphone in use and not the other's, and a playback
// is heard on the monitor of the chosen speaker and not on the other's.
#include "../recording/RecordingBench.h"

#include "AudioBench.h"
#include "SoundDevices.h"

#include "settings/FrmReglages.h"
#include "settings/SoundChoiceBox.h"

#include <QLabel>
#include <QLineEdit>

using namespace tembrel;
using namespace tembrel::test;

class TestSoundChoiceAudio : public QObject {
    Q_OBJECT

    MicrophoneSetting m_mic;
    QString m_fifo2 = qEnvironmentVariable("TEMBREL_MIC2_FIFO");
    QByteArray m_default, m_headset; // the two sentences, raw at the bench's rate

    // Opens the recording window, which must name `microphone`, and records
    // about three seconds while both microphones speak (the Headset when
    // plugged in): true when the recording holds the sentence of
    // `microphone` and not the other's. The window stays open.
    bool recordsFrom(RecordingBench &bench, const QString &microphone) {
        bench.click(4, 10);
        FrmEnregMessage *w = bench.window;
        if (!w || !QTest::qWaitFor(
                      [&] { return w->lbMicrophone->text() == "Microphone: " + microphone; }, 5000))
            return false;
        {
            Microphone first(m_mic.fifo, m_mic.rate, m_default);
            Microphone second(m_fifo2, m_mic.rate, m_headset);
            if (!first.isOpen() || !recordWhileHeard(w, first, 3000))
                return false;
        }
        const QString wav = bench.app.path("temp.wav");
        const bool headset = microphone == "Headset";
        const auto match = [&](const QByteArray &spoken) {
            return speechMatch(samplesOf(wav), samplesOfRaw(spoken), m_mic.rate);
        };
        const double mine = match(headset ? m_headset : m_default);
        const double other = match(headset ? m_default : m_headset);
        qInfo("%s in use: the recording matches its sentence %.2f, the other's %.2f",
              qPrintable(microphone), mine, other);
        return soxi("-r", wav).toInt() == m_mic.rate && mine > 0.8 && other < mine - 0.2;
    }
    // A settings window, open with the device lists read.
    static bool listsShown(FrmReglages &settings) {
        settings.show();
        return QTest::qWaitFor([&] { return settings.SoundBox->listsRead(); }, 5000);
    }
    static QString microphoneShown() {
        FrmReglages settings;
        return listsShown(settings) ? settings.SoundBox->CboMicrophone->currentText() : QString();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(m_mic.present() && !m_fifo2.isEmpty(),
                 "run through scripts/with-audio.sh --second-devices");
        QTemporaryDir scratch;
        m_default = spokenSentence("Please call the garage about the car, then buy bread and "
                                   "milk on the way home",
                                   m_mic.rate, scratch.filePath("a.wav"));
        m_headset = spokenSentence("Seven orange boats sailed slowly past the lighthouse while "
                                   "everybody watched",
                                   m_mic.rate, scratch.filePath("b.wav"));
        QVERIFY(!m_default.isEmpty() && !m_headset.isEmpty());
    }

    // With the defaults the recording holds the default microphone's
    // sentence; after choosing the Headset and the Headphones in the settings
    // window, the next recording holds the Headset's sentence and its
    // playback is heard on the Headphones only. A settings window made
    // afresh shows the choice.
    void choosingDevices() {
        RecordingBench bench(QDate(2005, 1, 10));
        QVERIFY(onRealDevice(bench));
        QVERIFY(recordsFrom(bench, "Microphone"));
        bench.window->CmdCancel_Click();
        {
            FrmReglages settings;
            QVERIFY(listsShown(settings));
            QCOMPARE(itemTexts(settings.SoundBox->CboMicrophone),
                     (QStringList{"System default", "Microphone", "Headset"}));
            QCOMPARE(itemTexts(settings.SoundBox->CboSpeaker),
                     (QStringList{"System default", "Speaker", "Headphones"}));
            QVERIFY(pickEntry(settings.SoundBox->CboMicrophone, "Headset"));
            QVERIFY(pickEntry(settings.SoundBox->CboSpeaker, "Headphones"));
        }
        QVERIFY(recordsFrom(bench, "Headset"));

        FrmEnregMessage *w = bench.window;
        SinkMonitor speaker("tembrel_speaker", m_mic.rate);
        SinkMonitor headphones("tembrel_speaker2", m_mic.rate);
        QVERIFY(speaker.connected() && headphones.connected());
        w->CmdPlay_Click();
        QCOMPARE(w->state(), RecordingState::Playing);
        QVERIFY(QTest::qWaitFor([&] { return w->state() == RecordingState::Recorded; }, 10000));
        const double onHeadphones = headphones.level(), onSpeaker = speaker.level();
        qInfo("playback: RMS %.4f on the Headphones' monitor, %.4f on the Speaker's", onHeadphones,
              onSpeaker);
        QVERIFY(onHeadphones > 0.01 && onSpeaker < 0.001);
        w->CmdCancel_Click();

        FrmReglages later;
        QVERIFY(listsShown(later));
        QCOMPARE(later.SoundBox->CboMicrophone->currentText(), QString("Headset"));
        QCOMPARE(later.SoundBox->CboSpeaker->currentText(), QString("Headphones"));
    }

    // The chosen Headset unplugged: Record falls back to the default
    // microphone and the settings window says the Headset is not connected;
    // plugged in again, it is used again.
    void chosenMicrophoneUnplugged() {
        RecordingBench bench(QDate(2005, 1, 10));
        QVERIFY(onRealDevice(bench));
        chooseDevice(SoundUse::Microphone, {"tembrel_mic2", "Headset"});
        QVERIFY(audioControl("mic2-off"));
        QCOMPARE(microphoneShown(), QString("Headset (not connected)"));
        QVERIFY(recordsFrom(bench, "Microphone"));
        bench.window->CmdCancel_Click();

        QVERIFY(audioControl("mic2-on"));
        QCOMPARE(microphoneShown(), QString("Headset"));
        QVERIFY(recordsFrom(bench, "Headset"));
        bench.window->CmdCancel_Click();
    }

    // A server that hangs (SIGSTOP): the settings window opens and answers
    // at once; its lists come once the server answers again.
    void hungServer() {
        AppFixture app;
        MMControl::setBackendFactory({}); // the real sound device
        QVERIFY(audioControl("stop"));
        const Heartbeat beat;
        QElapsedTimer clock;
        clock.start();
        FrmReglages settings;
        settings.show();
        const qint64 openedMs = clock.elapsed();
        QLineEdit *path = settings.TextTableur;
        QMetaObject::invokeMethod(
            path, [path] { path->setText("calc"); }, Qt::QueuedConnection);
        QVERIFY(QTest::qWaitFor([&] { return settings.TextTableur->text() == "calc"; }, 1000));
        QTest::qWait(500); // the window goes on answering while the server hangs
        const qint64 gap = beat.largestGap();
        QVERIFY(audioControl("cont"));
        QVERIFY2(openedMs < 500, qPrintable(QString::number(openedMs)));
        QVERIFY2(gap < 250, qPrintable(QString::number(gap)));
        QVERIFY(QTest::qWaitFor([&] { return settings.SoundBox->listsRead(); }, 5000));
        QVERIFY(itemTexts(settings.SoundBox->CboMicrophone).contains("Microphone"));
    }
};

QTEST_MAIN(TestSoundChoiceAudio)
#include "tst_soundchoice_audio.moc"
