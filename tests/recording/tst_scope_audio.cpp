// SPDX-License-Identifier: GPL-3.0-or-later
// The input scope on a real PulseAudio server (scripts/with-audio.sh): with
// "Scope" ticked, a sentence spoken by espeak-ng after a second and a half of
// silence, drawn by the window's own Timer1.
#include "RecordingBench.h"

#include "AudioBench.h"

#include "recording/ScopeView.h"

using namespace tembrel;
using namespace tembrel::test;

class TestScopeAudio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scopeFollowsSpeech() {
        constexpr int LeadMs = 1500;
        const MicrophoneSetting setting;
        RecordingBench bench(QDate(2005, 1, 10));
        QVERIFY2(onRealDevice(bench), "run through scripts/with-audio.sh");
        const QByteArray speech = spokenSentence(
            "Call the garage about the car, then book a table for dinner on Friday evening.",
            setting.rate, bench.app.path("spoken.wav"));
        QVERIFY(!speech.isEmpty());
        const int speechMs = int(speech.size() / 2 * 1000 / setting.rate);
        const QByteArray lead(qsizetype(setting.rate) * LeadMs / 1000 * 2, 0);
        FrmEnregMessage *w = bench.click(4, 10);
        QVERIFY(w);
        QVERIFY(exposed(w));
        w->CheckDiagramme->setChecked(true);

        // The window's own timer runs its own handler; after each tick, what
        // the microphone had said and the largest distance of a drawn sample
        // from silence.
        QList<std::pair<qint64, int>> ticks;
        QImage shot;
        std::unique_ptr<Microphone> mic;
        disconnect(w->Timer1, &QTimer::timeout, w, &FrmEnregMessage::Timer1_Timer);
        connect(w->Timer1, &QTimer::timeout, this, [&] {
            w->Timer1_Timer();
            int peak = 0;
            for (quint8 s : w->scopeSamples())
                peak = std::max(peak, std::abs(int(s) - ScopeSilence));
            ticks.append({mic->writtenMs(), peak});
            if (shot.isNull() && ticks.last().first > LeadMs + 1000 && peak > 20)
                shot = w->grab().toImage();
        });

        mic = std::make_unique<Microphone>(setting.fifo, setting.rate, lead + speech);
        QVERIFY(mic->isOpen());
        w->CmdRecord_Click();
        const qint64 recordAt = mic->writtenMs();
        QCOMPARE(w->state(), RecordingState::Recording);
        QVERIFY(w->meter().InputRunning() && w->Timer1->isActive());
        const qint64 end = LeadMs + speechMs + 300;
        QVERIFY(QTest::qWaitFor([&] { return mic->writtenMs() >= end; }, end + 10000));
        w->cmdStopRecord_Click();
        QVERIFY(QTest::qWaitFor([&] { return w->state() == RecordingState::Recorded; }, 5000));
        QVERIFY(!w->meter().InputRunning() && !w->Timer1->isActive());
        QVERIFY(bench.app.messageBox->shown.isEmpty());

        // A block ends before the tick that draws it and spans 0.4 s: those
        // drawn before the sentence began are silence; those drawn a second
        // into it up to its end are speech.
        QList<int> silent, spoken;
        for (const auto &[heardMs, peak] : std::as_const(ticks)) {
            if (heardMs < LeadMs)
                silent << peak;
            else if (heardMs > LeadMs + 1000 && heardMs <= LeadMs + speechMs)
                spoken << peak;
        }
        qInfo() << "peaks in the silence" << silent << "in the speech" << spoken;
        QVERIFY(silent.size() >= 2 && spoken.size() >= 4);
        QVERIFY(std::all_of(silent.begin(), silent.end(), [](int p) { return p <= 2; }));
        const auto moving =
            std::count_if(spoken.begin(), spoken.end(), [](int p) { return p > 10; });
        QVERIFY(moving * 4 >= spoken.size() * 3);

        // The recording beside it heard the whole sentence where it was said.
        const qint64 speechAt = LeadMs - recordAt;
        const QString wav = bench.app.path("temp.wav");
        const double before = rmsOfFile(wav, 0, speechAt - 300),
                     during = rmsOfFile(wav, speechAt + 300, speechAt + speechMs - 300);
        qInfo("recording RMS before the speech %.5f, during it %.4f", before, during);
        QVERIFY(before < 0.002 && during > 0.02);

        // The window as the user saw it, the scope drawing speech: a wave over
        // many rows, not the flat line of silence, on black.
        QVERIFY(!shot.isNull());
        QVERIFY(saveScreenshot(shot, "recording_scope.png"));
        const QRect scope(w->scopeBox->mapTo(w, QPoint(0, 0)) * shot.devicePixelRatio(),
                          w->scopeBox->size() * shot.devicePixelRatio());
        const auto rows = litRows(shot.copy(scope));
        QVERIFY(rows);
        QVERIFY2(rows->size() > scope.height() / 8, qPrintable(QString::number(rows->size())));
    }
};

QTEST_MAIN(TestScopeAudio)
#include "tst_scope_audio.moc"
