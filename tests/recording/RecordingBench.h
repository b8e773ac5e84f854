// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A year grid of 2005 with a few time rows, in the fixture's folder, that
// opens the real recording window on a click of an empty slot.

#include "AppFixture.h"

#include "grid/FrmConsultGrille.h"
#include "recording/FrmEnregMessage.h"
#include "shell/FlexGrid.h"

#include <QPointer>
#include <QtMath>

#include <memory>

namespace tembrel::test {

class RecordingBench final {
public:
    explicit RecordingBench(const QDate &today = QDate(2005, 2, 21))
        : app(today) {
        app.writeHours({QStringLiteral("08:00"), QStringLiteral("08:30"), QStringLiteral("09:00")});
        FrmConsultGrille::setRecordingWindowFactory([this](FrmConsultGrille *grid) {
            window = new FrmEnregMessage(grid);
            return window.data();
        });
        grid = std::make_unique<FrmConsultGrille>();
    }
    ~RecordingBench() {
        delete window.data();
        grid.reset();
        FrmConsultGrille::setRecordingWindowFactory({});
    }
    RecordingBench(const RecordingBench &) = delete;
    RecordingBench &operator=(const RecordingBench &) = delete;

    // A click on the cell, as the grid reports one.
    void click(int row, int col) {
        grid->GridLegendes->setRow(row);
        grid->GridLegendes->setCol(col);
        grid->GridLegendes_Click();
    }
    // The virtual clock moves on: the device records, plays and reports.
    void advance(int ms) { app.sound->advance(std::chrono::milliseconds(ms)); }
    // A tone the microphone hears next: `ms` of a 440 Hz sine at 16 kHz.
    void speak(int ms, int amplitude = 8000) {
        QByteArray samples(ms * 16 * 2, Qt::Uninitialized);
        auto *v = reinterpret_cast<qint16 *>(samples.data());
        for (int i = 0; i < ms * 16; ++i)
            v[i] = qint16(amplitude * std::sin(2 * M_PI * 440 * i / 16000.0));
        app.sound->feed(samples);
    }
    // Records `ms` of speech on the open window, stops, and lets the finishing
    // step run after one more second.
    void recordAndFinish(int ms) {
        speak(ms + 1000);
        window->CmdRecord_Click();
        advance(ms);
        window->cmdStopRecord_Click();
        advance(1000);
        window->TimerTempo_Timer();
    }

    AppFixture app;
    std::unique_ptr<FrmConsultGrille> grid;
    QPointer<FrmEnregMessage> window;
};

} // namespace tembrel::test
