// SPDX-License-Identifier: GPL-3.0-or-later
// The input scope on a real PulseAudio server (scripts/with-audio.sh): with
// "Scope" ticked, a sentence spoken by espeak-ng after a second and a half of
// silence. The window's own Timer1 draws; the scope is flat in the silence and
// moves during the speech, the recording beside it holds the sentence, and a
// screenshot shows the window with the scope drawing speech.
#include "RecordingBench.h"

#include "AudioBench.h"

#include "recording/ScopeView.h"
#include "sound/MMControl.h"

#include <QCheckBox>
#include <QDir>
#include <QTest>
#include <QTimer>

using namespace tembrel;
using namespace tembrel::test;

namespace {

constexpr int Row = 4;
constexpr int Col = 10;
constexpr int LeadMs = 1500;

struct Tick {
    qint64 heardMs; // what the microphone had said when the tick ran
    int peak;       // the largest distance of a drawn sample from silence
};

int peakOf(const std::array<quint8, ScopeBufferSize> &samples) {
    int peak = 0;
    for (quint8 s : samples)
        peak = std::max(peak, std::abs(int(s) - ScopeSilence));
    return peak;
}

} // namespace

class TestScopeAudio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scopeFollowsSpeech() {
        const MicrophoneSetting setting;
        const QString &fifo = setting.fifo;
        const int rate = setting.rate;
        if (!setting.present())
            QFAIL("no audio server: run these tests through scripts/with-audio.sh");

        RecordingBench bench(QDate(2005, 1, 10));
        MMControl::setBackendFactory({}); // the real sound device from here on
        const QByteArray speech = spokenSentence(
            "Call the garage about the car, then book a table for dinner on Friday evening.", rate,
            bench.app.path("spoken.wav"));
        QVERIFY(!speech.isEmpty());
        const int speechMs = int(speech.size() / 2 * 1000 / rate);
        const QByteArray lead(qsizetype(rate) * LeadMs / 1000 * 2, 0);

        bench.reopenGrid();
        bench.click(Row, Col);
        FrmEnregMessage *w = bench.window;
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->CheckDiagramme->setChecked(true);

        // The window's own timer runs its own handler, timed here.
        QList<Tick> ticks;
        double longestMs = 0;
        QImage shot;
        std::unique_ptr<Microphone> mic;
        disconnect(w->Timer1, &QTimer::timeout, w, &FrmEnregMessage::Timer1_Timer);
        connect(w->Timer1, &QTimer::timeout, this, [&] {
            QElapsedTimer clock;
            clock.start();
            w->Timer1_Timer();
            longestMs = std::max(longestMs, clock.nsecsElapsed() / 1e6);
            ticks.append({mic->writtenMs(), peakOf(w->scopeSamples())});
            if (shot.isNull() && ticks.last().heardMs > LeadMs + 1000 && ticks.last().peak > 20)
                shot = w->grab().toImage();
        });

        mic = std::make_unique<Microphone>(fifo, rate, lead + speech);
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
        for (const Tick &t : std::as_const(ticks)) {
            if (t.heardMs < LeadMs)
                silent << t.peak;
            else if (t.heardMs > LeadMs + 1000 && t.heardMs <= LeadMs + speechMs)
                spoken << t.peak;
        }
        qInfo("%lld ticks, the longest %.3f ms; peaks in the silence %s, in the speech %s",
              qint64(ticks.size()), longestMs, qPrintable(joined(silent)),
              qPrintable(joined(spoken)));
        QVERIFY(silent.size() >= 2 && spoken.size() >= 4);
        QVERIFY(std::all_of(silent.begin(), silent.end(), [](int p) { return p <= 2; }));
        const auto moving =
            std::count_if(spoken.begin(), spoken.end(), [](int p) { return p > 10; });
        QVERIFY2(moving * 4 >= spoken.size() * 3, qPrintable(joined(spoken)));

        // The recording beside it heard the whole sentence where it was said.
        const auto rmsMs = [&](qint64 fromMs, qint64 toMs) {
            return rmsOfFile(bench.app.path("temp.wav"), fromMs, toMs);
        };
        const qint64 speechAt = LeadMs - recordAt;
        const double before = rmsMs(0, speechAt - 300),
                     during = rmsMs(speechAt + 300, speechAt + speechMs - 300);
        qInfo("recording RMS before the speech %.5f, during it %.4f", before, during);
        QVERIFY(before < 0.002 && during > 0.02);

        // The window as the user saw it, the scope drawing speech.
        QVERIFY(!shot.isNull());
        QVERIFY(saveScreenshot(shot, "recording_scope.png"));
        const QRect scope(w->scopeBox->mapTo(w, QPoint(0, 0)) * shot.devicePixelRatio(),
                          w->scopeBox->size() * shot.devicePixelRatio());
        QSet<int> rows;
        int others = 0;
        for (int y = scope.top(); y <= scope.bottom(); ++y)
            for (int x = scope.left(); x <= scope.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c == QColor(0xC0, 0xFF, 0xC0))
                    rows.insert(y);
                else if (c != Qt::black)
                    ++others;
            }
        // A wave over many rows, not the flat line of silence, on black.
        QVERIFY2(rows.size() > scope.height() / 8, qPrintable(QString::number(rows.size())));
        QCOMPARE(others, 0);
    }

private:
    static QString joined(const QList<int> &values) {
        QStringList out;
        for (int v : values)
            out << QString::number(v);
        return out.join(u' ');
    }
};

QTEST_MAIN(TestScopeAudio)
#include "tst_scope_audio.moc"
