// SPDX-License-Identifier: GPL-3.0-or-later
// The road of one message on a real PulseAudio server (scripts/with-audio.sh),
// from the microphone through storing, playback, export, deletion undone and
// deletion; and a FLAC file imported into another slot.
#include "RecordingBench.h"

#include "AudioBench.h"

#include "grid/YearFile.h"

using namespace tembrel;
using namespace tembrel::test;

constexpr int Row = 4;
constexpr int Col = 10;

class TestMessageRoadAudio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordPlayAndDelete() {
        const MicrophoneSetting mic;
        RecordingBench bench(QDate(2005, 1, 10));
        QVERIFY2(onRealDevice(bench), "run through scripts/with-audio.sh");
        const QByteArray speech =
            spokenSentence("Call the garage about the car", mic.rate, bench.app.path("spoken.wav"));
        QVERIFY(!speech.isEmpty());
        const int speechMs = int(speech.size() / 2 * 1000 / mic.rate);
        const QByteArray lead(mic.rate / 1000 * 2 * 300, 0); // 0.3 s of silence first

        // --- recording: three seconds, and the finishing step a second later
        FrmEnregMessage *w = bench.click(Row, Col);
        QVERIFY(w);
        Microphone microphone(mic.fifo, mic.rate, lead + speech);
        QVERIFY(microphone.isOpen());
        QVERIFY(recordWhileHeard(w, microphone, 3000));
        QVERIFY(w->CmdEnreg->isEnabled());
        w->Option1[2]->setChecked(true);
        w->CmdEnreg_Click();
        QTRY_VERIFY(!bench.window);

        const QString archive = slotArchivePath(2005, Row, Col);
        const QString out = bench.app.path("unzipped");
        QVERIFY(run("unzip", {"-q", archive, "-d", out}));
        const QString wav = out + "/temp.wav";
        QCOMPARE(soxi("-c -b -e", wav), QStringLiteral("1 16 Signed Integer PCM"));
        const double seconds = soxi("-D", wav).toDouble();
        QVERIFY2(seconds > 3.6 && seconds < 4.6, qPrintable(QString::number(seconds)));
        // The sentence starts about 0.3 s in (where the start fell in the
        // microphone's stream varies by a block).
        const double during = rmsOfFile(wav, 600, std::min(2900, 300 + speechMs));
        QVERIFY2(during > 0.02, qPrintable(QString::number(during)));
        const auto file = YearFile::load(bench.app.path("_2005.dte"));
        QVERIFY(file);
        QCOMPARE(file->text(yearRecordIndex(Row, Col, bench.grid->GridLegendes->Rows())),
                 QStringLiteral(".."));

        // --- playback from a fresh grid window, heard on the speaker's monitor
        bench.reopenGrid();
        FrmConsultGrille *g = bench.grid.get();
        QCOMPARE(g->GridLegendes->TextMatrix(Row, Col), QStringLiteral(".."));
        QVERIFY(!bench.cell(Row, Col)->CellPicture().isNull());
        g->show();
        SinkMonitor speaker("tembrel_speaker", mic.rate);
        QVERIFY(speaker.connected());
        const qint64 playedFrom = speaker.heardMs();
        bench.click(Row, Col);
        QVERIFY(g->Slider1->isVisible());
        const int length = g->Slider1->maximum();
        QVERIFY(std::abs(length - int(seconds * 1000)) < 50);
        QVERIFY(QTest::qWaitFor([&] { return g->Slider1->isHidden(); }, length + 5000));
        const qint64 end = speaker.heardMs();
        QCOMPARE(g->windowTitle(), QString());
        QVERIFY(QTest::qWaitFor([&] { return speaker.heardMs() >= end + 1000; }, 5000));
        const double playing = speaker.level(playedFrom, end), after = speaker.level(end + 300);
        qInfo("speaker RMS while playing %.4f, after the end %.5f", playing, after);
        QVERIFY(playing > 0.01 && after < 0.002);

        // --- export: the WAV is the stored wave, the FLAC holds its samples -----
        bench.cell(Row, Col);
        bench.app.dialogs->savePaths << bench.app.path("out.wav") << bench.app.path("out.flac");
        g->CmdExporter_Click();
        g->CmdExporter_Click();
        QCOMPARE(bench.app.read("out.wav"), bench.app.read("unzipped/temp.wav"));
        QCOMPARE(soxi("-t", bench.app.path("out.flac")), QStringLiteral("flac"));
        QCOMPARE(samplesOf(bench.app.path("out.flac")), samplesOf(wav));

        // --- deletion undone, then deletion while it plays again --------------
        const QByteArray stored = bench.app.read(QStringLiteral("D2005/W2005004010.tbr"));
        bench.app.messageBox->answers << vbYes;
        g->deleteMessage(2005, Slot{Row, Col});
        QVERIFY(!QFile::exists(archive) && g->BarreAnnuler->isVisible());
        g->CmdAnnuler_Click();
        QCOMPARE(bench.app.read(QStringLiteral("D2005/W2005004010.tbr")), stored);
        QCOMPARE(g->GridLegendes->TextMatrix(Row, Col), QStringLiteral(".."));
        bench.click(Row, Col);
        QVERIFY(g->cmdDelWave->isVisible());
        bench.app.messageBox->answers << vbYes;
        g->cmdDelWave_Click();
        QVERIFY(g->Slider1->isHidden());
        QVERIFY(!QFile::exists(archive));
        QCOMPARE(g->GridLegendes->TextMatrix(Row, Col), QString());
    }

    // A sentence in a stereo 44.1 kHz FLAC file (espeak-ng's speech, made
    // over by sox) imported into another slot: heard on the speaker when
    // listened to, and stored as the same sound in mono, as sox mixes it.
    void importFlac() {
        RecordingBench bench(QDate(2005, 1, 10));
        QVERIFY2(onRealDevice(bench), "run through scripts/with-audio.sh");
        const QString spoken = bench.app.path("spoken.wav"), flac = bench.app.path("speech.flac");
        QVERIFY(run("espeak-ng", {"-w", spoken, "Buy bread on the way home"}));
        QVERIFY(run("sox", {spoken, "-r", "44100", "-c", "2", flac}));
        FrmEnregMessage *w = bench.click(Row, Col + 1);
        QVERIFY(w);
        bench.app.dialogs->openFiles << flac;
        w->CmdImport_Click();
        QCOMPARE(w->state(), RecordingState::Recorded);
        SinkMonitor speaker("tembrel_speaker", 44100);
        QVERIFY(speaker.connected());
        const qint64 from = speaker.heardMs();
        w->CmdPlay_Click();
        QVERIFY(QTest::qWaitFor([&] { return w->state() == RecordingState::Recorded; }, 10000));
        const double heard = speaker.level(from);
        QVERIFY2(heard > 0.01, qPrintable(QString::number(heard)));
        w->Option1[3]->setChecked(true);
        w->CmdEnreg_Click();
        QTRY_VERIFY(!bench.window);

        const QString out = bench.app.path("unzipped");
        QVERIFY(run("unzip", {"-q", slotArchivePath(2005, Row, Col + 1), "-d", out}));
        QCOMPARE(soxi("-c -r -b -e", out + "/temp.wav"),
                 QStringLiteral("1 44100 16 Signed Integer PCM"));
        const QList<qint16> stored = samplesOf(out + "/temp.wav"), mixed = samplesOf(flac);
        QCOMPARE(stored.size(), mixed.size());
        for (qsizetype i = 0; i < stored.size(); ++i) // rounded either way
            QVERIFY2(std::abs(stored[i] - mixed[i]) <= 1, qPrintable(QString::number(i)));
    }
};

QTEST_MAIN(TestMessageRoadAudio)
#include "tst_messageroad_audio.moc"
