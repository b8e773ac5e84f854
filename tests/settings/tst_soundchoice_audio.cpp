// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the microphone and the speaker on the real audio bench with two of
// each (scripts/with-audio.sh --second-devices): the default microphone speaks
// for its first 1.2 s and the "Headset" from 1.6 s on; a recording holds the
// speech of the microphone in use and not the other's, and a playback is heard
// on the monitor of the chosen speaker and not on the other's.
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
    QByteArray m_default, m_headset; // what the two say, raw at the bench's rate

    // Opens the recording window, which must name `microphone`, and records
    // about three seconds while both microphones speak (the Headset when
    // plugged in): true when the recording is loud early and quiet late (the
    // Microphone) or the other way round (the Headset), as `microphone` says.
    // The window stays open.
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
        const double early = rmsOfFile(wav, 200, 1000), late = rmsOfFile(wav, 2000, 2900);
        qInfo("%s in use: RMS %.4f early, %.4f late", qPrintable(microphone), early, late);
        const bool headset = microphone == "Headset";
        return soxi("-r", wav).toInt() == m_mic.rate && (headset ? late : early) > 0.02 &&
               (headset ? early : late) < 0.002;
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
        const QByteArray speech = spokenSentence(
            "Seven orange boats sailed slowly past the lighthouse while everybody watched",
            m_mic.rate, scratch.filePath("a.wav"));
        QVERIFY(!speech.isEmpty());
        m_default = speech.left(m_mic.rate / 5 * 12);
        m_headset = QByteArray(m_mic.rate / 5 * 16, 0) + speech;
    }

    // With the defaults the recording holds the default microphone's
    // sentence; after choosing the Headset and the Headphones in the settings
    // window, the next recording holds the Headset's sentence and its
    // playback is heard on the Headphones only. A settings window made
    // afresh shows the choice.
    void choosingDevices() {
        RecordingBench bench(QDate(2005, 1, 10));
        bench.app.messageBox->defaultAnswer = vbYes; // Abort discards each recording
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
        bench.app.messageBox->defaultAnswer = vbYes; // Abort discards each recording
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
