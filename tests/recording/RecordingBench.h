// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A year grid of 2005 with a few time rows, in the fixture's folder, that
// opens the real recording window on a click of an empty slot; with the
// widget and string headers the tests of these windows use.

#include "AppFixture.h"
#include "GridWindow.h"
#include "MessageSupport.h"
#include "Screenshots.h"

#include "app/Windows.h"
#include "archive/ZipExtractionClass.h"
#include "core/Strings.h"
#include "grid/MessageStore.h"
#include "recording/FrmEnregMessage.h"
#include "sound/WaveFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <functional>
#include <memory>

namespace tembrel::test {

// A click on a grid's cell, as the grid reports one; the recording window
// open then, if any.
inline FrmEnregMessage *clickSlot(FrmConsultGrille *grid, int row, int col) {
    clickCell(grid, row, col);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *recording = qobject_cast<FrmEnregMessage *>(w))
            return recording;
    return nullptr;
}

class RecordingBench final {
public:
    explicit RecordingBench(const QDate &today = QDate(2005, 2, 21))
        : app(today) {
        app.writeHours({QStringLiteral("08:00"), QStringLiteral("08:30"), QStringLiteral("09:00")});
        registerWindows();
        grid = std::make_unique<FrmConsultGrille>();
    }
    ~RecordingBench() {
        delete window.data();
        grid.reset();
        unregisterWindows();
    }
    RecordingBench(const RecordingBench &) = delete;
    RecordingBench &operator=(const RecordingBench &) = delete;

    // A click on the cell; the recording window it opened, if any.
    FrmEnregMessage *click(int row, int col) {
        FrmEnregMessage *opened = clickSlot(grid.get(), row, col);
        if (!window)
            window = opened;
        return window;
    }
    // The grid with the cell current, for its picture and colours.
    FlexGrid *cell(int row, int col) { return cellAt(grid->GridLegendes, row, col); }
    // A fresh grid window, which reads the year and the sound device again.
    void reopenGrid() {
        grid.reset();
        grid = std::make_unique<FrmConsultGrille>();
    }
    // The virtual clock moves on: the device records, plays and reports.
    void advance(int ms) { app.sound->advance(std::chrono::milliseconds(ms)); }
    // A tone the microphone hears next: `ms` of a 440 Hz sine at 16 kHz.
    void speak(int ms, int amplitude = 8000) { app.sound->feed(tone(16000, ms, 0, amplitude)); }
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

    // Runs the window's handlers and the device as named: record, pauserec,
    // resumerec, stop, tick (TimerTempo), play, pause, resume, remove
    // (answered Yes), close, wait:<ms>, limit (the slider at 59 997 ms),
    // scope (ticks it), and the device's failures: no-input, no-output (absent
    // from then on), input-lost, output-lost. `after` runs after each handler.
    void runSteps(const QString &steps, const std::function<void()> &after = {}) {
        FrmEnregMessage *w = window;
        const std::map<QString, std::function<void()>> handlers{
            {"record", [w] { w->CmdRecord_Click(); }},
            {"pauserec", [w] { w->CmdPauseRec_Click(); }},
            {"resumerec", [w] { w->cmdResumeRec_Click(); }},
            {"stop", [w] { w->cmdStopRecord_Click(); }},
            {"tick", [w] { w->TimerTempo_Timer(); }},
            {"play", [w] { w->CmdPlay_Click(); }},
            {"pause", [w] { w->cmdPause_Click(); }},
            {"resume", [w] { w->cmdResumePlay_Click(); }},
            {"remove", [w] { w->cmdDelWave_Click(); }},
            {"close", [w] { w->close(); }},
            {"limit", [w] {
                 w->session().positionReport(59996);
                 QCOMPARE(w->state(), RecordingState::Recording); // not yet
                 w->session().positionReport(59997);
             }}};
        const std::map<QString, std::function<void()>> device{
            {"scope", [w] { w->CheckDiagramme->setChecked(true); }},
            {"no-input", [this] { app.sound->setInputPresent(false); }},
            {"no-output", [this] { app.sound->setOutputPresent(false); }},
            {"input-lost", [this] { app.sound->loseInput(); }},
            {"output-lost", [this] { app.sound->loseOutput(); }}};
        const auto answers = app.messageBox->defaultAnswer;
        app.messageBox->defaultAnswer = vbYes;
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith(u"wait:"))
                advance(step.mid(5).toInt());
            else if (device.count(step))
                device.at(step)();
            else if (handlers.count(step)) {
                handlers.at(step)();
                if (after)
                    after();
            } else
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
        app.messageBox->defaultAnswer = answers;
    }

    AppFixture app;
    std::unique_ptr<FrmConsultGrille> grid;
    QPointer<FrmEnregMessage> window;
};

// The temp.wav inside an archive, unpacked into `folder`.
inline QByteArray unpackedWave(const QString &archive, const QString &folder) {
    ZipExtractionClass zip;
    if (!zip.OpenZip(QFile::encodeName(archive).toStdString()))
        return {};
    zip.Extract(QFile::encodeName(folder).toStdString(), true, true);
    zip.CloseZip();
    return fileBytes(QDir(folder).filePath(QStringLiteral("temp.wav")));
}

} // namespace tembrel::test
