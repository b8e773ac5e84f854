// SPDX-License-Identifier: GPL-3.0-or-later
// The real sound device failing under the windows: the microphone unplugged
// in the middle of a recording (and plugged in again), a server that hangs
// (SIGSTOP) when Record is pressed, a server killed during a playback from
// the grid, and no server at all. CTest runs each function alone: the first
// three each inside a scripts/with-audio.sh of their own, since they take
// their server down; noServer where PULSE_SERVER names nothing.
#include "RecordingBench.h"

#include "AudioBench.h"

#include "core/Strings.h"
#include "grid/MessageStore.h"
#include "grid/YearFile.h"
#include "shell/FrmEntry.h"
#include "shell/MdiMain.h"
#include "sound/MMControl.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <signal.h>

using namespace tembrel;
using namespace tembrel::test;

namespace {

constexpr int Row = 4;
constexpr int Col = 10;
const QString Sentence =
    QStringLiteral("Please call the garage about the car, then buy bread and milk on the way home");

void signalServer(int signal) {
    ::kill(pid_t(qEnvironmentVariableIntValue("TEMBREL_PULSE_PID")), signal);
}

// Records about two and a half seconds while the microphone says `speech`.
bool recordSpeech(FrmEnregMessage *w, const QString &fifo, int rate, const QByteArray &speech) {
    Microphone mic(fifo, rate, speech);
    return mic.isOpen() && recordWhileHeard(w, mic, 2500);
}

} // namespace

class TestSoundFaults : public QObject {
    Q_OBJECT

    MicrophoneSetting m_mic;

    // The sentence spoken for the bench's microphone, and the bench's grid
    // again, now on the real sound device; empty when not on the audio bench.
    QByteArray onRealDevice(RecordingBench &bench) {
        if (!m_mic.present() || qEnvironmentVariableIsEmpty("TEMBREL_AUDIO_CONTROL") ||
            !soundDevicesRead())
            return {};
        MMControl::setBackendFactory({});
        bench.reopenGrid();
        return spokenSentence(Sentence, m_mic.rate, bench.app.path("spoken.wav"));
    }

private Q_SLOTS:
    // Two seconds into a recording the microphone's module is unloaded: the
    // recording ends by itself, the finishing step packs about two seconds of
    // the sentence, one message says so, and the message can be stored. The
    // microphone loaded again is used at the next Record.
    void microphoneUnplugged() {
        RecordingBench bench(QDate(2005, 1, 10));
        const QByteArray speech = onRealDevice(bench);
        QVERIFY2(!speech.isEmpty(), "run through scripts/with-audio.sh, with an input");
        bench.click(Row, Col);
        FrmEnregMessage *w = bench.window;
        QVERIFY(w);
        {
            Microphone mic(m_mic.fifo, m_mic.rate, speech);
            QVERIFY(mic.isOpen());
            w->CmdRecord_Click();
            QCOMPARE(w->state(), RecordingState::Recording);
            const qint64 from = mic.writtenMs();
            QVERIFY(QTest::qWaitFor([&] { return mic.writtenMs() >= from + 2000; }, 10000));
            QVERIFY(audioControl("mic-off"));
            QElapsedTimer clock;
            clock.start();
            QVERIFY(QTest::qWaitFor([&] { return w->state() != RecordingState::Recording; }, 5000));
            const qint64 endedAfter = clock.elapsed();
            QVERIFY(QTest::qWaitFor([&] { return w->state() == RecordingState::Recorded; }, 5000));
            qInfo("the recording ended %lld ms after the microphone went away", endedAfter);
        }
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
        QCOMPARE(bench.app.messageBox->shown[0].text, LoadResString(210));
        QVERIFY(w->CmdEnreg->isEnabled());

        const QString unpacked = bench.app.path("unpacked");
        QVERIFY(!unpackedWave(bench.app.path("temp.tbr"), unpacked).isEmpty());
        const QString wav = unpacked + "/temp.wav";
        const double seconds = soxi("-D", wav).toDouble();
        const double level = rmsOfFile(wav, 100, 1900);
        qInfo("temp.tbr holds %.3f s, RMS %.4f over its first two seconds", seconds, level);
        QVERIFY2(seconds > 1.8 && seconds < 2.8, qPrintable(QString::number(seconds)));
        QVERIFY(level > 0.02);

        w->Option1[2]->setChecked(true);
        w->CmdEnreg_Click();
        QTRY_VERIFY(!bench.window);
        QVERIFY(QFile::exists(slotArchivePath(2005, Row, Col)));
        const auto year = YearFile::load(bench.app.path("_2005.dte"));
        QVERIFY(year);
        QCOMPARE(year->text(yearRecordIndex(Row, Col, bench.grid->GridLegendes->Rows())), "..");

        // Plugged in again: the program, still running, records from it once
        // its device list (read a few times a second) shows it.
        QVERIFY(audioControl("mic-on"));
        QVERIFY(soundDevicesRead());
        bench.click(Row, Col + 1);
        w = bench.window;
        QVERIFY(w);
        QVERIFY(recordSpeech(w, m_mic.fifo, m_mic.rate, speech));
        const double again = rmsOfFile(bench.app.path("temp.wav"), 100, 2400);
        qInfo("recorded again from the microphone plugged back: RMS %.4f", again);
        QVERIFY(again > 0.02);
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
    }

    // Record while the server hangs: the handler returns at once, the window
    // goes on answering (a click queued meanwhile is taken, the ticks of a
    // 10 ms timer go on), and after a second and a half one message says the
    // input does not answer. Once the server runs again, Record records speech.
    void serverStopped() {
        RecordingBench bench(QDate(2005, 1, 10));
        const QByteArray speech = onRealDevice(bench);
        QVERIFY2(!speech.isEmpty(), "run through scripts/with-audio.sh, with an input");
        bench.click(Row, Col);
        FrmEnregMessage *w = bench.window;
        QVERIFY(w);

        signalServer(SIGSTOP);
        const Heartbeat beat;
        QElapsedTimer clock;
        clock.start();
        w->CmdRecord_Click();
        const qint64 handlerMs = clock.elapsed();
        QMetaObject::invokeMethod(w->Option1[1], &QAbstractButton::click, Qt::QueuedConnection);
        QVERIFY(QTest::qWaitFor([&] { return !bench.app.messageBox->shown.isEmpty(); }, 10000));
        const qint64 refusedMs = clock.elapsed();
        const qint64 gap = beat.largestGap();
        signalServer(SIGCONT);
        qInfo("server stopped: Record returned in %lld ms, the window said so after %lld ms; "
              "largest gap between the ticks of a 10 ms timer: %lld ms",
              handlerMs, refusedMs, gap);
        QVERIFY(handlerMs < 1000);
        QVERIFY2(gap < 250, qPrintable(QString::number(gap)));
        QVERIFY(w->Option1[1]->isChecked());
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
        QCOMPARE(bench.app.messageBox->shown[0].text, LoadResString(211));
        QCOMPARE(w->state(), RecordingState::Empty);

        QVERIFY(recordSpeech(w, m_mic.fifo, m_mic.rate, speech));
        const double level = rmsOfFile(bench.app.path("temp.wav"), 100, 2400);
        qInfo("recorded after the server came back: RMS %.4f", level);
        QVERIFY(level > 0.02);
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
    }

    // The server killed while the grid plays a slot's message: the grid
    // returns to idle by itself, without a message. A click on the slot then,
    // with no server left, shows the controls, which leave again or stop.
    void serverKilledDuringPlayback() {
        RecordingBench bench(QDate(2005, 1, 10));
        const QByteArray speech = onRealDevice(bench);
        QVERIFY2(!speech.isEmpty(), "run through scripts/with-audio.sh, with an input");
        QVERIFY(storeMessage(2005, Slot{Row, Col}, PcmSound{m_mic.rate, 1, speech}, Marker::Vert));
        bench.reopenGrid();
        FrmConsultGrille *g = bench.grid.get();
        g->show();
        const auto idle = [g] {
            return g->Slider1->isHidden() && g->CmdStopLecture->isHidden() &&
                   g->cmdDelWave->isHidden();
        };

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
        qInfo("server killed: the grid was idle %lld ms later; largest gap between the ticks "
              "of a 10 ms timer: %lld ms",
              idleAfter, beat.largestGap());
        QVERIFY(idleAfter < 1000);
        QVERIFY(beat.largestGap() < 250);
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
        MdiMain main;
        QVERIFY(main.Form_Load());
        main.show();
        for (int i = 0; i < 3 && FrmEntry::instance(); ++i)
            FrmEntry::instance()->Timer1_Timer();
        main.mnuouvrir_Click();
        auto *g = qobject_cast<FrmConsultGrille *>(main.toolWindow(MdiMain::Tool::Grid));
        QVERIFY(g);
        const Heartbeat beat;
        const QPointer<FrmEnregMessage> recording = clickSlot(g, Row, Col + 1);
        QVERIFY(recording);
        recording->CmdRecord_Click();
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
        QCOMPARE(bench.app.messageBox->shown[0].text, LoadResString(185));
        QCOMPARE(recording->state(), RecordingState::Empty);
        recording->CmdCancel_Click();
        QVERIFY(g->isEnabled());

        clickSlot(g, Row, Col);
        QVERIFY(g->Slider1->isVisible() && g->CmdStopLecture->isVisible());
        g->CmdStopLecture->click();
        QVERIFY(g->Slider1->isHidden() && g->CmdStopLecture->isHidden());
        QCOMPARE(bench.app.messageBox->shown.size(), 1);
        qInfo("no server: largest gap between the ticks of a 10 ms timer %lld ms",
              beat.largestGap());
        QVERIFY(beat.largestGap() < 250);
    }
};

QTEST_MAIN(TestSoundFaults)
#include "tst_soundfaults.moc"
