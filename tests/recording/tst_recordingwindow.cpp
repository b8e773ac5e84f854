// SPDX-License-Identifier: GPL-3.0-or-later
// The recording window on the virtual sound device: its states, captions,
// finishing step, removal and abandon, and the storing of a message.
#include "RecordingBench.h"

#include "grid/YearFile.h"
#include "shell/MdiMain.h"
#include "sound/MMControl.h"
#include "sound/SoundChoice.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

using namespace tembrel;
using namespace tembrel::test;

namespace {

// 21 February 2005 (a Monday) at 08:30.
constexpr int Row = 4;
constexpr int Col = 52;
const QString Base = QStringLiteral("Monday, FEBRUARY 21, 2005 - 08:30 - ");

// The buttons in the table's order, as E (enabled) or - (disabled).
QString buttonStates(const FrmEnregMessage *w) {
    QString out;
    for (const QWidget *b : std::initializer_list<const QWidget *>{
             w->CmdRecord, w->CmdPauseRec, w->cmdResumeRec, w->cmdStopRecord, w->CmdPlay,
             w->cmdPause, w->cmdResumePlay, w->cmdDelWave, w->CmdEnreg, w->CheckDiagramme})
        out += b->isEnabled() ? u'E' : u'-';
    return out;
}

} // namespace

class TestRecordingWindow : public QObject {
    Q_OBJECT

    std::optional<RecordingBench> bench; // a fresh one for each test

private Q_SLOTS:
    void init() { bench.emplace(); }
    void cleanup() { bench.reset(); }

    // Each state of the window, entered by the handlers that lead to it (runSteps).
    void stateTable_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("buttons"); // Record PauseRec ResumeRec Stop Play Pause
                                              // ResumePlay Remove Save Scope
        const auto row = [](const char *name, const char *steps, const char *buttons) {
            QTest::newRow(name) << QString(steps) << QString(buttons);
        };
        row("opening", "", "E--------E");
        row("recording", "record", "-E-E------");
        row("recording paused", "record pauserec", "--EE-----E");
        row("recording resumed", "record pauserec resumerec", "-E-E------");
        row("finishing", "record wait:2000 stop", "----------");
        row("finishing from pause", "record pauserec stop", "---------E");
        row("recorded", "record wait:2000 stop tick", "----E--EE-");
        row("playing", "record wait:2000 stop tick play", "-----E--E-");
        row("playback paused", "record wait:2000 stop tick play wait:500 pause", "----E-EEE-");
        row("playback resumed", "record wait:2000 stop tick play pause resume", "-----E--E-");
        row("empty after Remove", "record wait:2000 stop tick remove", "E--------E");
        row("automatic stop at the limit", "record wait:1000 limit", "----E--E--");
        row("recorded after the limit", "record wait:1000 limit tick", "----E--EE-");
        row("automatic stop at the end of a playback", "record wait:2000 stop tick play wait:3500",
            "----E--EE-");
        row("recorded after a playback", "record wait:2000 stop tick play wait:3500 tick",
            "----E--EE-");
    }
    void stateTable() {
        QFETCH(QString, steps);
        FrmEnregMessage *w = bench->click(Row, Col);
        QVERIFY(w);
        bench->speak(5000);
        bench->runSteps(steps);
        QTEST(buttonStates(w), "buttons");
        QVERIFY(w->CmdCancel->isEnabled());
        // A file is imported where a recording could start.
        QCOMPARE(w->CmdImport->isEnabled(), w->CmdRecord->isEnabled());
    }

    // The open window holds the slot, the grid and the main window; the title
    // names the slot and counts whole seconds.
    void openingAndCaptions() {
        MdiMain main;
        FrmEnregMessage *w = bench->click(Row, Col);
        QVERIFY(w && RecordingWindowOpen && !bench->grid->isEnabled());
        QVERIFY(!bench->cell(Row, Col)->CellPicture().isNull());
        QCOMPARE(w->windowTitle(), Base);
        QVERIFY(!main.close());
        bench->grid->show(); // nor does the grid, which the recording needs
        QVERIFY(!bench->grid->close() && bench->grid->isVisible());
        QCOMPARE(bench->app.messageBox->texts(), QStringList{LoadResString(152)});

        bench->speak(13000);
        w->CmdRecord_Click();
        QCOMPARE(w->windowTitle(), Base + "0/60 seconds");
        QCOMPARE(w->Slider1->maximum(), 60000);
        bench->advance(12500);
        QCOMPARE(w->Slider1->value(), 12500);
        QCOMPARE(w->windowTitle(), Base + "12/60 seconds");
        QCOMPARE(w->Slider1->accessibleDescription(), w->windowTitle());
        bench->app.messageBox->answers << vbYes; // discard what was recorded
        w->close();
        QVERIFY(!RecordingWindowOpen && bench->grid->isEnabled());
        QVERIFY(main.close());
    }

    // The label names the microphone a Record opens, read again at each Record.
    // A recording that hears nothing says so beside it, without a box, until
    // sound comes.
    void microphoneAndSilenceLabels() {
        const SoundDevice builtIn{"builtin", "Built-in microphone", true};
        const SoundDevice headset{"usb-headset", "USB Headset", false};
        bench->app.sound->setDevices({{builtIn, headset}, {}});
        chooseDevice(SoundUse::Microphone, {headset.id, headset.description});
        FrmEnregMessage *w = bench->click(Row, Col);
        QVERIFY(w);
        QCOMPARE(w->lbMicrophone->text(), QString("Microphone: USB Headset"));
        bench->app.sound->setDevices({{builtIn}, {}});
        bench->app.sound->answerDeviceReads();
        QCOMPARE(w->lbMicrophone->text(), QString("Microphone: Built-in microphone"));

        bench->app.sound->setDevices({{builtIn, headset}, {}});
        bench->app.sound->feed(QByteArray(2 * 16000 * 2, '\0'));
        w->CmdRecord_Click();
        QCOMPARE(bench->app.sound->lastCaptureDevice(), headset.id);
        bench->app.sound->answerDeviceReads();
        QCOMPARE(w->lbMicrophone->text(), QString("Microphone: USB Headset"));
        QVERIFY(w->lbMicrophone->isVisibleTo(w));
        bench->advance(2000);
        QVERIFY(w->lbSilence->isVisibleTo(w) && !w->lbSilence->text().isEmpty());
        QVERIFY(bench->app.messageBox->shown.isEmpty());
        bench->speak(1000);
        bench->advance(1000);
        QVERIFY(!w->lbSilence->isVisibleTo(w));
    }

    // Stop records on until the next tick, which saves and packs; listening
    // leaves temp.wav and temp.tbr as they were, Remove deletes them.
    void finishingListeningAndRemoving() {
        FrmEnregMessage *w = bench->click(Row, Col);
        bench->speak(4000);
        w->CmdRecord_Click();
        bench->advance(2000);
        w->cmdStopRecord_Click();
        QVERIFY(w->TimerTempo->isActive());
        bench->advance(1000);
        QCOMPARE(w->MMControl1->Mode(), MMControl::ModeValue::Recording);
        // Until then temp.wav is the recording as it is written, whole to
        // the last block a kill would leave.
        QVERIFY(!bench->app.exists("temp.tbr"));
        const auto written = WaveJournal::read(bench->app.path("temp.wav"));
        QVERIFY(written);
        QCOMPARE(written->sound.samples, w->MMControl1->sound().samples);
        // Its header is at most a second behind: any wave reader plays it.
        const WaveRead header = readWaveFile(bench->app.path("temp.wav"));
        QVERIFY(header.sound && header.sound->durationMs() >= written->sound.durationMs() - 1000);
        w->TimerTempo_Timer();
        QVERIFY(!w->TimerTempo->isActive());
        QCOMPARE(w->MMControl1->Mode(), MMControl::ModeValue::NotOpen);
        QCOMPARE(w->windowTitle(), Base);
        QCOMPARE(w->Slider1->value(), 1);
        const QByteArray wav = bench->app.read("temp.wav");
        const QByteArray tbr = bench->app.read("temp.tbr");
        QCOMPARE(wav.size(), 44 + 3 * 16000 * 2); // 16-bit mono, three seconds
        QCOMPARE(unpackedWave(bench->app.path("temp.tbr"), bench->app.path("unpacked")), wav);
        // Dated long ago: a rewrite would show in the dates, and a repacked
        // temp.tbr would carry the new date of temp.wav in its bytes.
        const QDateTime old(QDate(2001, 1, 1), QTime(12, 0));
        for (const char *name : {"temp.wav", "temp.tbr"})
            QVERIFY(setModified(bench->app.path(name), old));
        w->CmdPlay_Click();
        QCOMPARE(w->Slider1->maximum(), 3000);
        QCOMPARE(w->MMControl1->Mode(), MMControl::ModeValue::Playing);
        QCOMPARE(w->windowTitle(), Base);
        bench->advance(1500);
        QCOMPARE(w->windowTitle(), Base + "1/3 seconds");
        bench->advance(2000); // to the end: the automatic stop
        QCOMPARE(w->state(), RecordingState::Recorded);
        QCOMPARE(w->windowTitle(), Base);
        QVERIFY(!w->TimerTempo->isActive());
        QCOMPARE(w->MMControl1->Mode(), MMControl::ModeValue::NotOpen);
        QCOMPARE(bench->app.read("temp.wav"), wav);
        QCOMPARE(bench->app.read("temp.tbr"), tbr);
        for (const char *name : {"temp.wav", "temp.tbr"})
            QCOMPARE(QFileInfo(bench->app.path(name)).lastModified(), old);

        bench->app.messageBox->answers << vbNo << vbCancel << vbYes;
        w->cmdDelWave_Click();
        w->cmdDelWave_Click();
        QVERIFY(bench->app.exists("temp.wav") && bench->app.exists("temp.tbr"));
        w->cmdDelWave_Click();
        QCOMPARE(bench->app.messageBox->texts(), QStringList(3, LoadResString(153)));
        QCOMPARE(bench->app.messageBox->shown[0].style & 7, int(vbYesNoCancel));
        QVERIFY(!bench->app.exists("temp.wav") && !bench->app.exists("temp.tbr"));
        QVERIFY(w->session().UpdatesSuspended);
        w->Slider1->setValue(2000);
        w->session().positionReport(500);
        QCOMPARE(w->Slider1->value(), 2000); // not moved by the report
        QCOMPARE(w->windowTitle(), Base);
        w->CmdRecord_Click();
        QVERIFY(!w->session().UpdatesSuspended);
        bench->advance(1000);
        QCOMPARE(w->windowTitle(), Base + "1/60 seconds");
    }

    // A recording a killed run left is offered before anything can be recorded
    // (kept, it stores as any recording: tst_recordingsession).
    void interruptedRecording_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("buttons");
        QTest::newRow("kept") << int(vbYes) << "----E--EEE";
        QTest::newRow("deleted") << int(vbNo) << "E--------E";
    }
    void interruptedRecording() {
        QFETCH(int, answer);
        QVERIFY(packMessage(flatSound(1500)));
        const QDateTime when = QFileInfo(bench->app.path("temp.tbr")).lastModified();
        bench->app.messageBox->answers << answer;
        FrmEnregMessage *w = bench->click(Row, Col);
        QCOMPARE(bench->app.messageBox->texts(),
                 QStringList{LoadResString(241).arg(
                     QLocale().toString(when.date(), QLocale::LongFormat),
                     QLocale().toString(when.time(), QLocale::ShortFormat))});
        QTEST(buttonStates(w), "buttons");
        QCOMPARE(bench->app.exists("temp.wav"), answer == vbYes);
    }

    // Abort, Escape and the close box ask before an unsaved recording is thrown
    // away: No keeps it all, Yes empties the slot and gives the grid back.
    void discarding_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("recordMs"); // 0: nothing recorded
        QTest::addColumn<int>("answer");
        for (const char *how : {"abort", "escape", "close box"}) {
            QTest::addRow("%s, No", how) << how << 1000 << int(vbNo);
            QTest::addRow("%s, Yes", how) << how << 1000 << int(vbYes);
        }
        QTest::addRow("abort, nothing recorded") << "abort" << 0 << int(vbNo);
    }
    void discarding() {
        QFETCH(QString, how);
        QFETCH(int, recordMs);
        QFETCH(int, answer);
        FrmEnregMessage *w = bench->click(Row, Col);
        QVERIFY(active(w));
        if (recordMs)
            bench->recordAndFinish(recordMs);
        bench->app.messageBox->answers << answer;
        if (how == u"escape")
            QTest::keyClick(w, Qt::Key_Escape);
        else if (how == u"abort")
            w->CmdCancel_Click();
        else
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(bench->app.messageBox->texts(),
                 recordMs ? QStringList{LoadResString(233)} : QStringList{});
        const bool kept = recordMs && answer == vbNo;
        QCOMPARE(bench->window && bench->window->isVisible(), kept);
        QCOMPARE(bench->app.exists("temp.wav") && bench->app.exists("temp.tbr"), kept);
        QCOMPARE(RecordingWindowOpen, kept);
        QCOMPARE(bench->grid->isEnabled(), !kept);
        FlexGrid *g = bench->cell(Row, Col);
        QCOMPARE(g->CellPicture().isNull(), !kept);
        QCOMPARE(g->TextMatrix(Row, Col), QString());
        if (kept) // and it can still be stored
            QCOMPARE(w->state(), RecordingState::Recorded);
    }

    // A device that is missing, goes away or does not answer: one message
    // (none after Stop), nothing left waiting, and what was heard packed.
    void deviceFailures_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("buttons"); // as in stateTable
        QTest::addColumn<int>("message");     // string id; 0: none
        QTest::addColumn<int>("wavMs");       // length of temp.wav; -1: none
        const auto row = [](const char *name, const char *steps, const char *buttons, int message,
                            int wavMs) {
            QTest::newRow(name) << QString(steps) << QString(buttons) << message << wavMs;
        };
        row("no input", "no-input record", "E--------E", 185, -1);
        row("an input that never starts", "record input-lost", "E--------E", 211, -1);
        row("input lost while recording", "record wait:1500 input-lost wait:1000 tick",
            "----E--EE-", 210, 1500);
        row("input lost while recording with the scope",
            "scope record wait:1500 input-lost wait:1000 tick", "----E--EE-", 210, 1500);
        row("an input that never starts, with the scope", "scope record input-lost", "E--------E",
            211, -1);
        row("input lost while paused", "record wait:1500 pauserec wait:500 input-lost tick",
            "----E--EEE", 210, 1500);
        row("input lost after Stop", "record wait:1500 stop input-lost wait:1000 tick",
            "----E--EE-", 0, 1500);
        row("output lost while playing",
            "record wait:2000 stop tick play wait:500 output-lost tick", "----E--EE-", 212, 2000);
        row("output lost while paused",
            "record wait:2000 stop tick play wait:500 pause output-lost tick", "----E--EE-", 212,
            2000);
        row("no output", "record wait:2000 stop tick no-output play tick", "----E--EE-", 212, 2000);
    }
    void deviceFailures() {
        QFETCH(QString, steps);
        QFETCH(int, message);
        QFETCH(int, wavMs);
        FrmEnregMessage *w = bench->click(Row, Col);
        bench->speak(5000);
        bench->runSteps(steps);
        bench->advance(3000);
        QTEST(buttonStates(w), "buttons");
        QCOMPARE(w->windowTitle(), Base);
        QCOMPARE(w->MMControl1->Mode(), MMControl::ModeValue::NotOpen);
        QCOMPARE(bench->app.sound->runningCaptures() + bench->app.sound->runningPlaybacks(), 0);
        QVERIFY(!w->meter().InputRunning() && !w->Timer1->isActive());
        QCOMPARE(bench->app.messageBox->texts(),
                 message ? QStringList{LoadResString(message)} : QStringList{});
        // What was heard, packed and ready to store.
        QCOMPARE(bench->app.read("temp.wav").size(), wavMs < 0 ? 0 : 44 + wavMs * 32);
        QCOMPARE(bench->app.exists("temp.tbr"), wavMs > 0);
        if (wavMs > 0)
            QCOMPARE(unpackedWave(bench->app.path("temp.tbr"), bench->app.path("unpacked")),
                     bench->app.read("temp.wav"));
    }

    // Storing: the colour's code and picture in the slot, the archive in D2005
    // (made once), the scratch files gone, the marker in the year file.
    void storing_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("byImage");
        QTest::addColumn<QString>("code");
        QTest::newRow("black") << 4 << false << ",";
        QTest::newRow("green") << 2 << false << "..";
        QTest::newRow("a click on the red image") << 1 << true << "-";
        QTest::newRow("blue") << 0 << false << ":";
        QTest::newRow("yellow") << 3 << false << ".";
    }
    void storing() {
        QFETCH(int, option);
        QFETCH(bool, byImage);
        QFETCH(QString, code);
        for (const int col : {Col, Col + 1}) {
            FrmEnregMessage *w = bench->click(Row, col);
            QVERIFY(w);
            bench->recordAndFinish(1000);
            w->CmdEnreg_Click(); // no colour yet
            QCOMPARE(bench->app.messageBox->shown.last().text, LoadResString(176));
            QVERIFY(bench->window && RecordingWindowOpen);
            if (byImage)
                QTest::mouseClick(w->ImgRouge, Qt::LeftButton);
            else
                w->Option1[option]->setChecked(true);
            w->CmdEnreg_Click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!bench->app.exists("temp.wav") && !bench->app.exists("temp.tbr"));
            QVERIFY(bench->app.exists(slotArchivePath(2005, Row, col).mid(AppFolder.size())));
            QCOMPARE(bench->grid->GridLegendes->TextMatrix(Row, col), code);
            QVERIFY(!RecordingWindowOpen && bench->grid->isEnabled());
        }
        QCOMPARE(QDir(bench->app.path("D2005")).entryList(QDir::Files).size(), 2);
        const auto file = YearFile::load(bench->app.path("_2005.dte"));
        QVERIFY(file);
        QCOMPARE(file->text(yearRecordIndex(Row, Col, bench->grid->GridLegendes->Rows())), code);

        bench->reopenGrid();
        FlexGrid *g = bench->cell(Row, Col);
        QCOMPARE(g->TextMatrix(Row, Col), code);
        QCOMPARE(g->CellPicture().toImage(),
                 bench->grid->markerPicture(markerForCode(code)).toImage());
    }

    // A copy that cannot be made leaves the slot unmarked, the year file
    // untouched, the scratch files and the window as they were, and says so.
    void failedStoreKeepsEverything() {
        QVERIFY(bench->app.write("D2005", "a file where the folder should be"));
        FrmEnregMessage *w = bench->click(Row, Col);
        bench->recordAndFinish(1000);
        const QByteArray tbr = bench->app.read("temp.tbr");
        w->Option1[2]->setChecked(true);
        w->CmdEnreg_Click();
        QCOMPARE(bench->app.messageBox->texts(), QStringList{LoadResString(184)});
        QVERIFY(bench->window && RecordingWindowOpen && !bench->grid->isEnabled());
        QCOMPARE(bench->grid->GridLegendes->TextMatrix(Row, Col), QString());
        QVERIFY(!bench->app.exists("_2005.dte"));
        QCOMPARE(bench->app.read("temp.tbr"), tbr);
        QVERIFY(w->CmdEnreg->isEnabled());
        // Once the folder can be made, Save stores the same message.
        QVERIFY(QFile::remove(bench->app.path("D2005")));
        w->CmdEnreg_Click();
        QCOMPARE(bench->app.read(slotArchivePath(2005, Row, Col).mid(AppFolder.size())), tbr);
        QCOMPARE(bench->grid->GridLegendes->TextMatrix(Row, Col), QStringLiteral(".."));
    }

    // "Import..." from an empty slot's menu (the menu key) opens the window and
    // asks for a file; a 61-second one is cut, said so, and its first minute
    // stored; the marked slot's menu then offers Export instead.
    void importing() {
        const QByteArray sound = tone(8000, 61000, 0, 8000);
        QVERIFY(bench->app.write("notes.txt", "no sound here"));
        QVERIFY(writeWaveFile(bench->app.path("speech.wav"), PcmSound{8000, 1, sound}));
        bench->app.dialogs->openFiles << bench->app.path("notes.txt")
                                      << bench->app.path("speech.wav");
        // The menu key on the current cell, as the window system reports it.
        const auto menuKey = [this] {
            QApplication::setActiveWindow(bench->grid.get());
            bench->cell(Row, Col)->setFocus();
            QContextMenuEvent key(QContextMenuEvent::Keyboard, {});
            QApplication::sendEvent(bench->grid->windowHandle(), &key);
        };
        bench->grid->show();
        menuKey();
        auto *menu = bench->grid->findChild<QMenu *>();
        QVERIFY(menu && menu->actions().size() == 1);
        menu->actions()[0]->trigger();
        QCoreApplication::processEvents(); // the window shows, then its file dialog
        FrmEnregMessage *w = clickSlot(bench->grid.get(), Row, Col);
        QVERIFY(w && bench->app.dialogs->openFiles.size() == 1);
        QCOMPARE(bench->app.messageBox->texts(), {LoadResString(250).arg("notes.txt")});
        QCOMPARE(w->state(), RecordingState::Empty);
        QVERIFY(!bench->app.exists("temp.wav") && w->CmdImport->isEnabled());

        w->CmdImport_Click();
        QCOMPARE(bench->app.messageBox->texts().last(), LoadResString(254).arg("speech.wav"));
        QCOMPARE(w->state(), RecordingState::Recorded);
        QVERIFY(!w->CmdImport->isEnabled() && w->CmdPlay->isEnabled() && w->CmdEnreg->isEnabled());
        w->Option1[0]->setChecked(true);
        w->CmdEnreg_Click();
        const WaveRead stored =
            decodeWave(unpackedWave(slotArchivePath(2005, Row, Col), bench->app.path("unpacked")));
        QVERIFY(stored.sound && stored.sound->channels == 1 && stored.sound->sampleRate == 8000);
        QCOMPARE(stored.sound->samples, sound.left(60 * 8000 * 2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        menuKey();
        menu = bench->grid->findChild<QMenu *>();
        QVERIFY(menu && menu->actions().size() == 1);
        QCOMPARE(menu->actions()[0]->text(), LoadResString(237));
    }
};

QTEST_MAIN(TestRecordingWindow)
#include "tst_recordingwindow.moc"
