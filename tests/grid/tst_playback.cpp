// SPDX-License-Identifier: GPL-3.0-or-later
// Playing a stored message from the year grid, and deleting it, on the
// virtual sound device.
#include "core/Strings.h"
#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/MessageStore.h"
#include "grid/YearFile.h"
#include "sound/MMControl.h"
#include "sound/WaveFile.h"

#include "AppFixture.h"
#include "MessageSupport.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
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

    // The year 2005 with two marked slots; the first holds a message of `ms`.
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
    }
    ~Bench() { FrmConsultGrille::setRecordingWindowFactory({}); }

    void click(int row, int col) {
        grid->GridLegendes->setRow(row);
        grid->GridLegendes->setCol(col);
        grid->GridLegendes_Click();
    }
    void advance(int ms) { app.sound->advance(std::chrono::milliseconds(ms)); }
    bool controlsShown() const {
        return grid->Slider1->isVisible() && grid->CmdStopLecture->isVisible() &&
               grid->cmdDelWave->isVisible();
    }
    bool controlsHidden() const {
        return grid->Slider1->isHidden() && grid->CmdStopLecture->isHidden() &&
               grid->cmdDelWave->isHidden();
    }
    bool deviceIdle() const {
        return grid->MMControl1->Mode() == MMControl::ModeValue::NotOpen &&
               app.sound->runningPlaybacks() == 0 && app.sound->runningTickers() == 0;
    }
};

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The caption follows the position in whole seconds; the last report of a
    // playback carries its whole length, and the window returns to idle by
    // itself with the device closed.
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
        b.grid->show();
        b.click(Row, Col);
        QVERIFY(b.controlsShown());
        QCOMPARE(b.grid->NomArchive, QStringLiteral("W2005003003.tbr"));
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

    // The grid's keys: moves of the current cell (today is Monday 10 January
    // 2005), and Enter, Space, Delete and Escape acting as the mouse and the
    // buttons do.
    void keys_data() {
        QTest::addColumn<QPoint>("from"); // (column, row)
        QTest::addColumn<int>("key");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QString>("then");
        const int ctrl = int(Qt::ControlModifier);
        QTest::newRow("Right") << QPoint(3, 3) << int(Qt::Key_Right) << QPoint(4, 3) << "";
        QTest::newRow("Left stops at 1 January")
            << QPoint(1, 3) << int(Qt::Key_Left) << QPoint(1, 3) << "";
        QTest::newRow("Down") << QPoint(3, 3) << int(Qt::Key_Down) << QPoint(3, 4) << "";
        QTest::newRow("Up stops at the first row")
            << QPoint(3, 3) << int(Qt::Key_Up) << QPoint(3, 3) << "";
        QTest::newRow("Home") << QPoint(40, 4) << int(Qt::Key_Home) << QPoint(1, 4) << "";
        QTest::newRow("End") << QPoint(40, 4) << int(Qt::Key_End) << QPoint(365, 4) << "";
        QTest::newRow("Ctrl+Home")
            << QPoint(200, 4) << (ctrl | Qt::Key_Home) << QPoint(10, 4) << "";
        QTest::newRow("PageDown, 31 January")
            << QPoint(31, 3) << int(Qt::Key_PageDown) << QPoint(59, 3) << "";
        QTest::newRow("PageUp, 9 February")
            << QPoint(40, 3) << int(Qt::Key_PageUp) << QPoint(9, 3) << "";
        QTest::newRow("PageUp in January")
            << QPoint(3, 3) << int(Qt::Key_PageUp) << QPoint(3, 3) << "";
        QTest::newRow("Enter, empty")
            << QPoint(3, 4) << int(Qt::Key_Return) << QPoint(3, 4) << "recording";
        QTest::newRow("Space, marked")
            << QPoint(3, 3) << int(Qt::Key_Space) << QPoint(3, 3) << "playing";
        QTest::newRow("Delete, marked")
            << QPoint(40, 4) << int(Qt::Key_Delete) << QPoint(40, 4) << "153";
        QTest::newRow("Delete, empty") << QPoint(3, 4) << int(Qt::Key_Delete) << QPoint(3, 4) << "";
        QTest::newRow("Escape") << QPoint(3, 3) << int(Qt::Key_Escape) << QPoint(3, 3) << "stopped";
    }
    void keys() {
        QFETCH(QPoint, from);
        QFETCH(int, key);
        QFETCH(QPoint, to);
        QFETCH(QString, then);
        Bench b(12000);
        b.grid->show();
        QVERIFY(QTest::qWaitForWindowActive(b.grid.get()));
        FlexGrid *g = b.grid->GridLegendes;
        QVERIFY(g->hasFocus() && g->goTo(from.y(), from.x()));
        if (then == u"stopped")
            QTest::keyClick(g, Qt::Key_Return);
        QTest::keyClick(g, Qt::Key(key & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        QCOMPARE(QPoint(g->Col(), g->Row()), to);
        // The view's current index follows: a screen reader reads that one.
        QCOMPARE(g->currentIndex(), g->model()->index(to.y() - 3, to.x() - 1));
        QCOMPARE(b.recordingOpened, int(then == u"recording"));
        QCOMPARE(b.controlsShown(), then == u"playing");
        QCOMPARE(b.app.messageBox->texts(),
                 then == u"153" ? QStringList{LoadResString(153)} : QStringList{});
    }

    // Stop (its button or Escape) ends the playback the same way, and so does
    // an output that goes away, without a word; closing the window leaves
    // nothing playing.
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
        b.grid->show();
        QVERIFY(QTest::qWaitForWindowActive(b.grid.get()));
        b.click(Row, Col);
        b.advance(1000);
        if (how == u"stop")
            b.grid->CmdStopLecture->click();
        else if (how == u"escape")
            QTest::keyClick(b.grid.get(), Qt::Key_Escape);
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
    // nothing, not even the remembered cell.
    void inertWhilePlaying() {
        Bench b(12000);
        b.grid->show();
        b.click(Row, Col);
        b.click(OtherRow, OtherCol);
        b.click(5, 10);
        QCOMPARE(QPair(SelRow, SelCol), QPair(Row, Col));
        QCOMPARE(b.recordingOpened, 0);
        b.grid->CmdAnneePlus->click();
        b.grid->CmdAnneeMoins->click();
        QCOMPARE(b.grid->year(), 2005);
        QCOMPARE(b.app.sound->runningPlaybacks(), 1);
    }

    // Only Yes deletes: exactly that archive goes, the slot is emptied, the
    // year file rewritten; reopened, the slot is empty and a click on it opens
    // the recording window.
    void deleting() {
        Bench b(12000);
        b.grid->show();
        b.click(Row, Col);
        b.app.messageBox->answers << vbNo << vbCancel << vbYes;
        b.grid->cmdDelWave_Click();
        b.grid->cmdDelWave_Click();
        QVERIFY(b.controlsShown());
        QCOMPARE(b.app.sound->runningPlaybacks(), 1);
        QVERIFY(b.app.exists("temp.wav") && b.app.exists("D2005/W2005003003.tbr"));
        b.grid->cmdDelWave_Click();
        QCOMPARE(b.app.messageBox->shown.size(), 3);
        QCOMPARE(b.app.messageBox->shown[2].text, LoadResString(153));
        QCOMPARE(b.app.messageBox->shown[2].style & 7, int(vbYesNoCancel));
        QVERIFY(b.controlsHidden() && b.deviceIdle());
        QVERIFY(!b.app.exists("temp.wav") && !b.app.exists("D2005/W2005003003.tbr"));
        QVERIFY(b.app.exists("D2005/W2005004040.tbr"));
        QVERIFY(QFile::exists(b.app.dataHome() + "/Trash/files/W2005003003.tbr"));
        FlexGrid *g = b.grid->GridLegendes;
        g->setRow(Row);
        g->setCol(Col);
        QVERIFY(g->CellPicture().isNull() && g->TextMatrix(Row, Col).isEmpty());

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
        b.grid->show();
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
