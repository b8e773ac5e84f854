// SPDX-License-Identifier: GPL-3.0-or-later
// Playing and deleting a stored message from the year grid, on the virtual device.
#include "core/Strings.h"
#include "grid/YearFile.h"
#include "sound/MMControl.h"

#include "AppFixture.h"
#include "GridWindow.h"
#include "MessageSupport.h"

#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

// Monday 3 January 2005 at 08:00, and another slot of the same year.
constexpr int Row = 3;
constexpr int Col = 3;
constexpr int OtherRow = 4;
constexpr int OtherCol = 40;
const QString Heading = QStringLiteral("Monday, JANUARY 3, 2005 - 08:00 - ");

struct Bench {
    AppFixture app;
    std::unique_ptr<FrmConsultGrille> grid;
    int recordingOpened = 0;

    // The year 2005 with two marked slots, shown; the first holds `ms` of sound.
    explicit Bench(int ms, bool withArchive = true) {
        app.writeHours({"08:00", "08:30"});
        FrmConsultGrille::setRecordingWindowFactory([this](YearModel &, Slot, QWidget *) {
            ++recordingOpened;
            return new QWidget;
        });
        if (withArchive)
            storeMessage(2005, Slot{Row, Col}, flatSound(ms));
        storeMessage(2005, Slot{OtherRow, OtherCol}, flatSound(1000), Marker::Noir);
        YearModel marking;
        marking.open(2005, {"08:00", "08:30"});
        marking.setMarker(Slot{Row, Col}, Marker::Bleu);
        marking.save();
        grid = std::make_unique<FrmConsultGrille>();
        grid->show();
    }
    ~Bench() { FrmConsultGrille::setRecordingWindowFactory({}); }

    void click(int row, int col) { clickCell(grid.get(), row, col); }
    void advance(int ms) { app.sound->advance(std::chrono::milliseconds(ms)); }
    bool controlsShown() const {
        return grid->Slider1->isVisible() && grid->CmdStopLecture->isVisible() &&
               grid->cmdDelWave->isVisible();
    }
    bool controlsHidden() const { return playbackControlsHidden(grid.get()); }
    bool deviceIdle() const {
        return grid->MMControl1->Mode() == MMControl::ModeValue::NotOpen &&
               app.sound->runningPlaybacks() == 0 && app.sound->runningTickers() == 0;
    }
};

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The caption follows the position in whole seconds; at the end the
    // window returns to idle by itself with the device closed.
    void captionAndEnd_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("seconds");
        QTest::newRow("3 s into 12 s") << 12000 << 3000 << "3/12 seconds";
        QTest::newRow("0.5 s into 12.9 s") << 12900 << 500 << "0/12 seconds";
        QTest::newRow("a length off the report times") << 2130 << 2000 << "2/2 seconds";
    }
    void captionAndEnd() {
        QFETCH(int, length);
        QFETCH(int, at);
        QFETCH(QString, seconds);
        Bench b(length);
        b.click(Row, Col);
        QVERIFY(b.controlsShown());
        QCOMPARE(b.grid->Slider1->maximum(), length);
        QCOMPARE(b.app.sound->runningPlaybacks(), 1);
        b.advance(at);
        QCOMPARE(b.grid->Slider1->value(), at);
        QCOMPARE(b.grid->windowTitle(), Heading + seconds);
        QCOMPARE(b.grid->Slider1->accessibleDescription(), Heading + seconds);
        b.advance(length - at + 1);
        QVERIFY(b.controlsHidden());
        QCOMPARE(b.grid->windowTitle(), QString());
        QVERIFY(b.deviceIdle());
        QCOMPARE(QFileInfo(b.app.path("temp.wav")).size(), 44 + qint64(length) * 32);
    }

    // The grid's keys (today is Monday 10 January 2005): moves of the current
    // cell, and the keys that act as the mouse and the buttons do.
    void keys_data() {
        QTest::addColumn<QList<int>>("move"); // column, row, key, column, row after
        QTest::addColumn<QString>("then");
        const int ctrl = Qt::ControlModifier;
        const std::initializer_list<std::tuple<const char *, QList<int>, const char *>> rows = {
            {"Right", {3, 3, Qt::Key_Right, 4, 3}, ""},
            {"Down", {3, 3, Qt::Key_Down, 3, 4}, ""},
            {"Home", {40, 4, Qt::Key_Home, 1, 4}, ""},
            {"End", {40, 4, Qt::Key_End, 365, 4}, ""},
            {"Ctrl+Home", {200, 4, ctrl | Qt::Key_Home, 10, 4}, ""},
            {"PageDown on 31 January", {31, 3, Qt::Key_PageDown, 59, 3}, ""},
            {"PageUp on 9 February", {40, 3, Qt::Key_PageUp, 9, 3}, ""},
            {"PageUp in January", {3, 3, Qt::Key_PageUp, 3, 3}, ""},
            {"Enter, empty", {3, 4, Qt::Key_Return, 3, 4}, "recording"},
            {"Space, marked", {3, 3, Qt::Key_Space, 3, 3}, "playing"},
            {"Delete, marked", {40, 4, Qt::Key_Delete, 40, 4}, "153"},
            {"Delete, empty", {3, 4, Qt::Key_Delete, 3, 4}, ""}};
        for (const auto &[name, move, then] : rows)
            QTest::newRow(name) << move << QString::fromLatin1(then);
    }
    void keys() {
        QFETCH(QList<int>, move);
        QFETCH(QString, then);
        Bench b(12000);
        QVERIFY(QTest::qWaitForWindowActive(b.grid.get()));
        FlexGrid *g = b.grid->GridLegendes;
        QVERIFY(g->hasFocus() && g->goTo(move[1], move[0]));
        QTest::keyClick(g, Qt::Key(move[2] & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(move[2] & Qt::KeyboardModifierMask));
        QCOMPARE(QList<int>({g->Col(), g->Row()}), move.mid(3));
        QCOMPARE(g->currentIndex(), g->model()->index(move[4] - 3, move[3] - 1));
        QCOMPARE(b.recordingOpened, int(then == u"recording"));
        QCOMPARE(b.controlsShown(), then == u"playing");
        // The length of the message played is said with its slot.
        QCOMPARE(
            g->currentIndex().data(Qt::AccessibleTextRole).toString().endsWith(u", 12 seconds"),
            then == u"playing");
        QCOMPARE(b.app.messageBox->texts(),
                 then == u"153" ? QStringList{LoadResString(153)} : QStringList{});
    }

    // Stop, Escape, closing the window and a lost output all end the playback
    // the same way, without a word.
    void stopping_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Stop") << "stop";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("closing the window") << "close";
        QTest::newRow("the output going away") << "lost";
    }
    void stopping() {
        QFETCH(QString, how);
        Bench b(12000);
        QVERIFY(QTest::qWaitForWindowActive(b.grid.get()));
        b.click(Row, Col);
        b.advance(1000);
        if (how == u"stop")
            b.grid->CmdStopLecture->click();
        else if (how == u"escape")
            QTest::keyClick(b.grid->GridLegendes, Qt::Key_Escape); // where the focus is
        else if (how == u"lost")
            b.app.sound->loseOutput();
        else
            b.grid->close();
        QVERIFY(b.controlsHidden());
        QVERIFY(b.deviceIdle());
        QCOMPARE(b.grid->windowTitle(), QString());
        QVERIFY(b.app.messageBox->shown.isEmpty());
        b.advance(12000);
        QCOMPARE(b.app.sound->runningPlaybacks(), 0);
    }

    // While a message plays, clicks on the grid and the year buttons change
    // nothing, not even the remembered cell. Only Yes deletes, exactly that
    // archive; reopened, the slot is empty and a click opens the recording window.
    void inertWhilePlayingAndDeleting() {
        Bench b(12000);
        b.click(Row, Col);
        b.click(OtherRow, OtherCol);
        b.click(5, 10);
        b.grid->CmdAnneePlus->click();
        b.grid->CmdAnneeMoins->click();
        QCOMPARE(QPair(SelRow, SelCol), QPair(Row, Col));
        QCOMPARE(b.grid->year(), 2005);
        b.app.messageBox->answers << vbNo << vbCancel << vbYes;
        b.grid->cmdDelWave_Click();
        b.grid->cmdDelWave_Click();
        QVERIFY(b.controlsShown());
        QCOMPARE(b.app.sound->runningPlaybacks(), 1);
        QVERIFY(b.app.exists("temp.wav") && b.app.exists("D2005/W2005003003.tbr"));
        b.grid->cmdDelWave_Click();
        QCOMPARE(b.app.messageBox->texts(), QStringList(3, LoadResString(153)));
        QCOMPARE(b.app.messageBox->shown[2].style & 7, int(vbYesNoCancel));
        QVERIFY(b.controlsHidden() && b.deviceIdle());
        QVERIFY(!b.app.exists("temp.wav") && !b.app.exists("D2005/W2005003003.tbr"));
        QVERIFY(b.app.exists("D2005/W2005004040.tbr"));
        FlexGrid *g = b.grid->GridLegendes;
        QVERIFY(cellAt(g, Row, Col)->CellPicture().isNull() && g->TextMatrix(Row, Col).isEmpty());

        b.grid.reset();
        b.grid = std::make_unique<FrmConsultGrille>();
        g = b.grid->GridLegendes;
        QCOMPARE(g->TextMatrix(Row, Col), QString());
        QCOMPARE(g->TextMatrix(OtherRow, OtherCol), QStringLiteral(","));
        b.click(Row, Col);
        QCOMPARE(b.recordingOpened, 1);
        QVERIFY(!b.grid->isEnabled() && RecordingWindowOpen);
        b.grid->model().setRecordingSlot(std::nullopt);
    }

    // A slot whose archive is missing or damaged shows the controls, plays
    // nothing and says nothing; Stop ends the state, and it can be deleted.
    void brokenArchive_data() {
        QTest::addColumn<QByteArray>("archive"); // empty: none at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("damaged") << QByteArray("PK\3\4 not really an archive");
    }
    void brokenArchive() {
        QFETCH(QByteArray, archive);
        Bench b(0, false);
        if (!archive.isEmpty())
            QVERIFY(b.app.write("D2005/W2005003003.tbr", archive));
        QVERIFY(b.app.write("temp.wav", "left from an older playback"));
        b.click(Row, Col);
        QVERIFY(b.controlsShown());
        QVERIFY(!b.app.exists("temp.wav"));
        QCOMPARE(b.app.sound->runningPlaybacks(), 0);
        b.advance(3000);
        QVERIFY(b.controlsShown());
        b.grid->CmdStopLecture_Click();
        QVERIFY(b.controlsHidden() && b.deviceIdle());

        b.click(Row, Col);
        b.app.messageBox->defaultAnswer = vbYes;
        b.grid->cmdDelWave_Click();
        QCOMPARE(b.app.messageBox->shown.size(), 1); // only the question
        QVERIFY(b.controlsHidden());
        QVERIFY(!b.app.exists("D2005/W2005003003.tbr"));
        QCOMPARE(b.grid->GridLegendes->TextMatrix(Row, Col), QString());
        const auto file = YearFile::load(b.app.path("_2005.dte"));
        QVERIFY(file);
        QCOMPARE(file->text(yearRecordIndex(Row, Col, b.grid->GridLegendes->Rows())), QString());
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
