// SPDX-License-Identifier: GPL-3.0-or-later
// The real sound device failing under the windows. CTest runs each function
// alone (see CMakeLists.txt): those that take their server down inside a
// scripts/with-audio.sh of their own.
#include "RecordingBench.h"

#include "AudioBench.h"
#include "MainWindow.h"

#include <signal.h>

using namespace tembrel;
using namespace tembrel::test;

namespace {

constexpr int Row = 4;
constexpr int Col = 10;

void signalServer(int signal) {
    ::kill(pid_t(qEnvironmentVariableIntValue("TEMBREL_PULSE_PID")), signal);
}

// The bench on the real sound device, and a sentence spoken for its
// microphone; empty off the audio bench.
QByteArray realDeviceAndSpeech(RecordingBench &bench) {
    return onRealDevice(bench)
               ? spokenSentence("Please call the garage about the car, then buy "
                                "bread and milk on the way home",
                                MicrophoneSetting().rate, bench.app.path("spoken.wav"))
               : QByteArray();
}

// Records about two and a half seconds while the microphone says `speech`:
// true when temp.wav holds it.
bool recordsSpeech(RecordingBench &bench, FrmEnregMessage *w, const QByteArray &speech) {
    const MicrophoneSetting setting;
    Microphone mic(setting.fifo, setting.rate, speech);
    return mic.isOpen() && recordWhileHeard(w, mic, 2500) &&
           rmsOfFile(bench.app.path("temp.wav"), 100, 2400) > 0.02;
}

} // namespace

class TestSoundFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Two seconds into a recording the microphone's module is unloaded: the
    // recording ends by itself, the finishing step packs about two seconds of
    // the sentence, one message says so, and the message can be stored. The
    // microphone loaded again is used at the next Record.
    void microphoneUnplugged() {
        RecordingBench bench(QDate(2005, 1, 10));
        const QByteArray speech = realDeviceAndSpeech(bench);
        QVERIFY2(!speech.isEmpty(), "run through scripts/with-audio.sh, with an input");
        FrmEnregMessage *w = bench.click(Row, Col);
        QVERIFY(w);
        {
            const MicrophoneSetting setting;
            Microphone mic(setting.fifo, setting.rate, speech);
            QVERIFY(mic.isOpen());
            w->CmdRecord_Click();
            QCOMPARE(w->state(), RecordingState::Recording);
            const qint64 from = mic.writtenMs();
            QVERIFY(QTest::qWaitFor([&] { return mic.writtenMs() >= from + 2000; }, 10000));
            QVERIFY(audioControl("mic-off"));
            QVERIFY(QTest::qWaitFor([&] { return w->state() == RecordingState::Recorded; }, 10000));
        }
        QCOMPARE(bench.app.messageBox->texts(), QStringList{LoadResString(210)});
        QVERIFY(w->CmdEnreg->isEnabled());

        const QString unpacked = bench.app.path("unpacked");
        QVERIFY(!unpackedWave(bench.app.path("temp.tbr"), unpacked).isEmpty());
        const QString wav = unpacked + "/temp.wav";
        const double seconds = soxi("-D", wav).toDouble();
        QVERIFY2(seconds > 1.8 && seconds < 2.8, qPrintable(QString::number(seconds)));
        QVERIFY(rmsOfFile(wav, 100, 1900) > 0.02);

        w->Option1[2]->setChecked(true);
        w->CmdEnreg_Click();
        QTRY_VERIFY(!bench.window);
        QVERIFY(QFile::exists(slotArchivePath(2005, Row, Col)));
        QCOMPARE(bench.grid->GridLegendes->TextMatrix(Row, Col), "..");

        // Plugged in again: the program, still running, records from it once
        // its device list (read a few times a second) shows it.
        QVERIFY(audioControl("mic-on"));
        QVERIFY(soundDevicesRead());
        QVERIFY(bench.click(Row, Col + 1));
        QVERIFY(recordsSpeech(bench, bench.window, speech));
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
    }

    // Record while the server hangs: the handler returns at once, the window
    // goes on answering (a click queued meanwhile is taken, the ticks of a
    // 10 ms timer go on), and after a second and a half one message says the
    // input does not answer. Once the server runs again, Record records speech.
    void serverStopped() {
        RecordingBench bench(QDate(2005, 1, 10));
        const QByteArray speech = realDeviceAndSpeech(bench);
        QVERIFY2(!speech.isEmpty(), "run through scripts/with-audio.sh, with an input");
        FrmEnregMessage *w = bench.click(Row, Col);
        QVERIFY(w);
        signalServer(SIGSTOP);
        const Heartbeat beat;
        QElapsedTimer clock;
        clock.start();
        w->CmdRecord_Click();
        const qint64 handlerMs = clock.elapsed();
        QMetaObject::invokeMethod(w->Option1[1], &QAbstractButton::click, Qt::QueuedConnection);
        QVERIFY(QTest::qWaitFor([&] { return !bench.app.messageBox->shown.isEmpty(); }, 10000));
        const qint64 gap = beat.largestGap();
        signalServer(SIGCONT);
        QVERIFY2(handlerMs < 1000, qPrintable(QString::number(handlerMs)));
        QVERIFY2(gap < 250, qPrintable(QString::number(gap)));
        QVERIFY(w->Option1[1]->isChecked());
        QCOMPARE(bench.app.messageBox->texts(), QStringList{LoadResString(211)});
        QCOMPARE(w->state(), RecordingState::Empty);

        QVERIFY(recordsSpeech(bench, w, speech));
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
    }

    // The server killed while the grid plays a slot's message: the grid
    // returns to idle by itself, without a message. A click on the slot then,
    // with no server left, shows the controls, which leave again or stop.
    void serverKilledDuringPlayback() {
        RecordingBench bench(QDate(2005, 1, 10));
        const QByteArray speech = realDeviceAndSpeech(bench);
        QVERIFY2(!speech.isEmpty(), "run through scripts/with-audio.sh, with an input");
        QVERIFY(storeMessage(2005, Slot{Row, Col}, PcmSound{MicrophoneSetting().rate, 1, speech},
                             Marker::Vert));
        bench.reopenGrid();
        FrmConsultGrille *g = bench.grid.get();
        g->show();
        const auto idle = [g] { return playbackControlsHidden(g); };

        bench.click(Row, Col);
        QVERIFY(!idle());
        QVERIFY(QTest::qWaitFor([&] { return g->Slider1->value() >= 500; }, 5000));
        const Heartbeat beat;
        signalServer(SIGKILL);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(QTest::qWaitFor(idle, 5000));
        const qint64 idleAfter = clock.elapsed();
        QCOMPARE(g->windowTitle(), QString());
        QVERIFY(bench.app.messageBox->shown.isEmpty());

        bench.click(Row, Col);
        if (!QTest::qWaitFor(idle, 3000))
            g->CmdStopLecture->click(); // Play refused at once: the controls wait for Stop
        QVERIFY(idle());
        QVERIFY2(idleAfter < 1000, qPrintable(QString::number(idleAfter)));
        QVERIFY2(beat.largestGap() < 250, qPrintable(QString::number(beat.largestGap())));
    }

    // No server at all: the program starts and opens the grid; Record says
    // there is no input; a marked slot shows the playback controls, which
    // Stop takes away; nothing waits for a server meanwhile.
    void noServer() {
        QVERIFY2(qEnvironmentVariable("PULSE_SERVER").contains("tembrel-no-server"),
                 "run through CTest, which points PULSE_SERVER nowhere");
        RecordingBench bench(QDate(2005, 1, 10));
        QVERIFY(storeMessage(2005, Slot{Row, Col}, flatSound(2000), Marker::Vert));
        MMControl::setBackendFactory({});
        const auto main = startMainWindow();
        QVERIFY(main);
        main->show();
        main->mnuouvrir_Click();
        auto *g = qobject_cast<FrmConsultGrille *>(main->toolWindow(MdiMain::Tool::Grid));
        QVERIFY(g);
        const Heartbeat beat;
        const QPointer<FrmEnregMessage> recording = clickSlot(g, Row, Col + 1);
        QVERIFY(recording);
        recording->CmdRecord_Click();
        QCOMPARE(bench.app.messageBox->texts(), QStringList{LoadResString(185)});
        QCOMPARE(recording->state(), RecordingState::Empty);
        recording->CmdCancel_Click();
        QVERIFY(g->isEnabled());

        clickSlot(g, Row, Col);
        QVERIFY(g->Slider1->isVisible() && g->CmdStopLecture->isVisible());
        g->CmdStopLecture->click();
        QVERIFY(playbackControlsHidden(g));
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
        QVERIFY2(beat.largestGap() < 250, qPrintable(QString::number(beat.largestGap())));
    }
};

QTEST_MAIN(TestSoundFaults)
#include "tst_soundfaults.moc"
