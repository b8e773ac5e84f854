// SPDX-License-Identifier: GPL-3.0-or-later
// The road of one message on a real PulseAudio server (scripts/with-audio.sh):
// a sentence spoken into the microphone is recorded into a slot of 2005,
// stored green, checked with unzip and sox, played back from a fresh grid
// (the speaker's monitor hears it) and deleted. The reports of a playback on
// the real device: tst_mmcontrol_audio.
#include "RecordingBench.h"

#include "AudioBench.h"

#include "grid/MessageStore.h"
#include "grid/YearFile.h"
#include "sound/MMControl.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

constexpr int Row = 4;
constexpr int Col = 10;

} // namespace

class TestMessageRoadAudio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordPlayAndDelete() {
        const MicrophoneSetting mic;
        if (!mic.present())
            QFAIL("no audio server: run these tests through scripts/with-audio.sh");
        QVERIFY(soundDevicesRead());
        RecordingBench bench(QDate(2005, 1, 10));
        MMControl::setBackendFactory({}); // the real sound device from here on
        const QByteArray speech =
            spokenSentence("Call the garage about the car", mic.rate, bench.app.path("spoken.wav"));
        QVERIFY(!speech.isEmpty());
        const int speechMs = int(speech.size() / 2 * 1000 / mic.rate);
        const QByteArray lead(mic.rate / 1000 * 2 * 300, 0); // 0.3 s of silence first

        // --- recording ------------------------------------------------------
        bench.reopenGrid();
        bench.click(Row, Col);
        FrmEnregMessage *w = bench.window;
        QVERIFY(w);
        Microphone microphone(mic.fifo, mic.rate, lead + speech);
        QVERIFY(microphone.isOpen());
        w->CmdRecord_Click();
        QCOMPARE(w->state(), RecordingState::Recording);
        const qint64 startedAt = microphone.writtenMs();
        QVERIFY(QTest::qWaitFor([&] { return microphone.writtenMs() >= startedAt + 3000; }, 10000));
        w->cmdStopRecord_Click();
        // The window's own timer runs the finishing step one second later.
        QVERIFY(QTest::qWaitFor([&] { return w->state() == RecordingState::Recorded; }, 5000));
        QVERIFY(w->CmdEnreg->isEnabled());
        w->Option1[2]->setChecked(true);
        w->CmdEnreg_Click();
        QTRY_VERIFY(!bench.window);

        const QString archive = slotArchivePath(2005, Row, Col);
        QVERIFY(QFile::exists(archive));
        QVERIFY(run("unzip", {"-tq", archive}));
        const QString out = bench.app.path("unzipped");
        QVERIFY(run("unzip", {"-q", archive, "-d", out}));
        const QString wav = out + "/temp.wav";
        QCOMPARE(soxi("-c -b -e", wav), QStringLiteral("1 16 Signed Integer PCM"));
        const double seconds = soxi("-D", wav).toDouble();
        qInfo("recorded %.3f s (3 s and the finishing second)", seconds);
        QVERIFY2(seconds > 3.6 && seconds < 4.6, qPrintable(QString::number(seconds)));
        const QList<qint16> recorded = samplesOf(wav);
        // The sentence starts about 0.3 s in (where the start fell in the
        // microphone's stream varies by a block).
        const double during =
            rmsBetween(recorded, soxi("-r", wav).toInt(), 600, std::min(2900, 300 + speechMs));
        qInfo("recording RMS while speaking %.4f", during);
        QVERIFY(during > 0.02);
        const auto file = YearFile::load(bench.app.path("_2005.dte"));
        QVERIFY(file);
        QCOMPARE(file->text(yearRecordIndex(Row, Col, bench.grid->GridLegendes->Rows())),
                 QStringLiteral(".."));

        // --- playback from a fresh grid window -------------------------------
        bench.reopenGrid();
        FrmConsultGrille *g = bench.grid.get();
        QCOMPARE(g->GridLegendes->TextMatrix(Row, Col), QStringLiteral(".."));
        g->GridLegendes->setRow(Row);
        g->GridLegendes->setCol(Col);
        QVERIFY(!g->GridLegendes->CellPicture().isNull());
        g->show();

        const QString heard = bench.app.path("speaker.raw");
        QProcess monitor;
        monitor.start("parecord", {"-d", "tembrel_speaker.monitor", "--raw", "--format=s16le",
                                   "--rate=16000", "--channels=1", "--latency-msec=50", heard});
        QVERIFY(monitor.waitForStarted());
        // The monitor is running once it has written something.
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(heard).size() > 3200; }, 5000));
        const qint64 before = QFileInfo(heard).size();
        bench.click(Row, Col);
        QVERIFY(g->Slider1->isVisible());
        const int length = g->Slider1->maximum();
        QVERIFY(std::abs(length - int(seconds * 1000)) < 50);
        QVERIFY(QTest::qWaitFor([&] { return g->Slider1->isHidden(); }, length + 5000));
        const qint64 atEnd = QFileInfo(heard).size();
        QCOMPARE(g->windowTitle(), QString());
        // A second more of the speaker, then the monitor stops.
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(heard).size() >= atEnd + 32000; }, 5000));
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(5000));
        const QList<qint16> speaker = samplesOfRaw(bench.app.read("speaker.raw"));
        const int playedFromMs = int(before / 32);
        const int endMs = int(atEnd / 32);
        const double playing = rmsBetween(speaker, 16000, playedFromMs, endMs);
        const double after = rmsBetween(speaker, 16000, endMs + 300, int(speaker.size() / 16));
        qInfo("speaker RMS while playing %.4f, after the end %.5f", playing, after);
        QVERIFY(playing > 0.01);
        QVERIFY(after < 0.002);

        // --- deletion ---------------------------------------------------------
        bench.click(Row, Col);
        QVERIFY(g->cmdDelWave->isVisible());
        bench.app.messageBox->answers << vbYes;
        g->cmdDelWave_Click();
        QVERIFY(g->Slider1->isHidden());
        QVERIFY(!QFile::exists(archive));
        QCOMPARE(g->GridLegendes->TextMatrix(Row, Col), QString());
    }
};

QTEST_MAIN(TestMessageRoadAudio)
#include "tst_messageroad_audio.moc"
