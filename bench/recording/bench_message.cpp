// SPDX-License-Identifier: GPL-3.0-or-later
// Times the road of a one-minute message at 16 kHz in a year of 97 time rows:
// the finishing step after its tick (stop, save, pack), storing it (copy into
// the slot, marker, year file rewrite, close), and starting its playback from
// the grid (unpack, open, the sound handed to the device), up to the first
// position report. On the virtual device; inside scripts/with-audio.sh the
// playback is also timed on the real one.

#include "BenchTiming.h"
#include "RecordingBench.h"

#include "sound/MMControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRadioButton>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tembrel;
using namespace tembrel::bench;
using namespace tembrel::test;

namespace {

constexpr int Runs = 7;
constexpr int Row = 10;

double msSince(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

QStringList quarterHours() {
    QStringList out;
    for (int i = 0; i < 97; ++i)
        out << QStringLiteral("%1:%2")
                   .arg(i / 4 % 24, 2, 10, QLatin1Char('0'))
                   .arg((i % 4) * 15, 2, 10, QLatin1Char('0'));
    return out;
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<double> finishing, storing, click, firstReport;
    for (int run = 0; run < Runs; ++run) {
        RecordingBench bench;
        bench.app.writeHours(quarterHours());
        bench.grid = std::make_unique<FrmConsultGrille>();
        const int col = 40 + run;
        bench.click(Row, col);
        FrmEnregMessage *w = bench.window;
        bench.speak(61000, 6000);
        w->CmdRecord_Click();
        bench.advance(59000);
        w->cmdStopRecord_Click();
        bench.advance(1000);
        QElapsedTimer t;
        t.start();
        w->TimerTempo_Timer();
        finishing.push_back(msSince(t));
        w->Option1[2]->setChecked(true);
        t.restart();
        w->CmdEnreg_Click();
        storing.push_back(msSince(t));

        bool reported = false;
        QObject::connect(bench.grid->MMControl1, &MMControl::StatusUpdate,
                         [&] { reported = true; });
        t.restart();
        bench.click(Row, col);
        click.push_back(msSince(t));
        // The first report comes with the device's first interval.
        bench.advance(250);
        if (reported)
            firstReport.push_back(msSince(t));
    }
    std::printf("one-minute message at 16 kHz, year of 97 time rows, median of %d runs\n", Runs);
    std::printf("  finishing step (stop, save, pack):        %7.2f ms (aim < 100)\n",
                figuresOf(finishing).median);
    std::printf("  storing (copy, marker, year file, close): %7.2f ms (aim < 50)\n",
                figuresOf(storing).median);
    std::printf("  click to sound handed to the device:      %7.2f ms (aim < 100)\n",
                figuresOf(click).median);
    if (!firstReport.empty())
        std::printf("  ... to the first report (virtual clock):  %7.2f ms + one 250 ms interval\n",
                    figuresOf(firstReport).median);

    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::vector<double> realClick, realReport;
        for (int run = 0; run < 3; ++run) {
            RecordingBench bench;
            bench.app.writeHours(quarterHours());
            bench.grid = std::make_unique<FrmConsultGrille>();
            bench.click(Row, 40);
            bench.recordAndFinish(59000);
            bench.window->Option1[0]->setChecked(true);
            bench.window->CmdEnreg_Click();
            MMControl::setBackendFactory({});
            bench.grid = std::make_unique<FrmConsultGrille>();
            bool reported = false;
            QObject::connect(bench.grid->MMControl1, &MMControl::StatusUpdate, [&] {
                reported = reported || bench.grid->MMControl1->Position() > 0;
            });
            QElapsedTimer t;
            t.start();
            bench.click(Row, 40);
            realClick.push_back(msSince(t));
            while (!reported && t.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
            if (reported)
                realReport.push_back(msSince(t));
            bench.grid->CmdStopLecture_Click();
        }
        std::printf("real device (PulseAudio), median of 3 runs\n");
        std::printf("  click to sound handed to the device:      %7.2f ms\n",
                    figuresOf(realClick).median);
        if (!realReport.empty())
            std::printf("  click to the first report past 0 ms:      %7.2f ms\n",
                        figuresOf(realReport).median);
    }
    return 0;
}
