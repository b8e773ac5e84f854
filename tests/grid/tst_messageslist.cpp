// SPDX-License-Identifier: GPL-3.0-or-later
// The list of messages in the grid window, used with the keyboard.
#include "core/Strings.h"
#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/Markers.h"
#include "grid/MessagesPanel.h"

#include "AppFixture.h"
#include "MessageSupport.h"
#include "Screenshots.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace tembrel;
using namespace tembrel::test;

namespace {

const QString Archive = QStringLiteral("D2005/W2005003003.tbr");

struct Bench {
    AppFixture app{QDate(2005, 1, 10)};
    std::unique_ptr<FrmConsultGrille> grid;

    // Monday 3 January at 08:00 (blue) and 4 February at 08:30 (red); in
    // 2004, 1 March at 08:30 (green).
    Bench() {
        app.writeHours({"08:00", "08:30"});
        storeMessage(2004, {4, 61}, flatSound(500), Marker::Vert);
        storeMessage(2005, {3, 3}, flatSound(2000), Marker::Bleu);
        storeMessage(2005, {4, 35}, flatSound(1000), Marker::Rouge);
        open();
    }
    void open() {
        grid = std::make_unique<FrmConsultGrille>();
        QVERIFY(active(grid.get()));
    }
    QTableView *list() const { return grid->ListeMessages->ListMessages; }
    void selectRow(int row) {
        list()->setFocus();
        list()->setCurrentIndex(list()->model()->index(row, 0));
    }
    void key(int key, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
    }
    QString yearCode(int row, int col) const { return grid->model().text(row, col); }
};

} // namespace

class TestMessagesList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Ctrl+L shows the list, in the next window too; a row makes its slot
    // current, in its year; Enter plays it.
    void showAndPlay() {
        Bench b;
        QVERIFY(b.grid->ListeMessages->isHidden());
        b.key(Qt::Key_L, Qt::ControlModifier);
        b.open();
        QVERIFY(b.grid->ListeMessages->isVisible() && b.grid->CmdListe->isChecked());
        QCOMPARE(b.list()->model()->rowCount(), 2);
        b.grid->ListeMessages->ComboAnnees->setCurrentIndex(1);
        b.selectRow(0);
        QCOMPARE(b.grid->year(), 2004);
        QCOMPARE(b.grid->GridLegendes->Col(), 61);
        QCOMPARE(b.list()->currentIndex().row(), 0);
        b.selectRow(2);
        QCOMPARE(b.grid->year(), 2005);
        QCOMPARE(b.grid->GridLegendes->Row(), 4);
        QCOMPARE(b.grid->GridLegendes->Col(), 35);
        b.key(Qt::Key_Return);
        QVERIFY(b.grid->cmdDelWave->isVisible());
        QCOMPARE(b.app.sound->runningPlaybacks(), 1);
        b.app.sound->advance(std::chrono::milliseconds(500));
        QVERIFY(b.grid->windowTitle().startsWith(b.grid->model().title({4, 35})));
    }

    // Only Yes deletes; Ctrl+Z puts it back while the bar shows, after that
    // nothing comes back and an archive kept aside for want of a trash is erased.
    void deleteAndUndo_data() {
        QTest::addColumn<bool>("trash");
        QTest::newRow("into the trash") << true;
        QTest::newRow("no trash: kept aside") << false;
    }
    void deleteAndUndo() {
        QFETCH(bool, trash);
        Bench b;
        if (!trash) // a file where the trash's folder would be made
            QVERIFY(QDir().mkpath(b.app.dataHome()) &&
                    b.app.write("home/.local/share/Trash", "not a folder"));
        b.grid->CmdListe_Click();
        const QByteArray stored = b.app.read(Archive);
        b.selectRow(0);
        b.app.messageBox->answers << vbNo << vbYes << vbYes;
        b.key(Qt::Key_Delete);
        QCOMPARE(b.app.messageBox->texts(), QStringList{LoadResString(153)});
        QVERIFY(b.app.exists(Archive) && b.grid->BarreAnnuler->isHidden());
        b.key(Qt::Key_Delete);
        QVERIFY(!b.app.exists(Archive));
        QCOMPARE(b.app.exists(Archive + ".deleted"), !trash);
        QVERIFY(b.grid->BarreAnnuler->isVisible() && b.grid->TimerAnnuler->isActive());

        b.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(b.app.read(Archive), stored);
        QVERIFY(b.grid->BarreAnnuler->isHidden());
        QCOMPARE(b.yearCode(3, 3), codeForMarker(Marker::Bleu));
        QCOMPARE(YearModel().open(2005, {}).restoredMarkers, 0); // the file has it
        QVERIFY(!QFile::exists(b.app.dataHome() + "/Trash/info/W2005003003.tbr.trashinfo"));

        b.selectRow(0);
        b.key(Qt::Key_Delete);
        b.grid->TimerAnnuler_Timer();
        QVERIFY(b.grid->BarreAnnuler->isHidden());
        b.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!b.app.exists(Archive) && !b.app.exists(Archive + ".deleted"));
        QCOMPARE(QFile::exists(b.app.dataHome() + "/Trash/files/W2005003003.tbr"), trash);
        QCOMPARE(b.yearCode(3, 3), QString());
    }

    // One message goes to the file chosen, in the format its name says;
    // several go to a folder under their own names; a failure is said.
    void exporting() {
        Bench b;
        b.grid->CmdListe_Click();
        b.selectRow(0);
        b.app.dialogs->savePaths << b.app.path("one.flac") << b.app.path("none/x.wav");
        b.key(Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(b.app.dialogs->saveAsked.value(0),
                 QDir::home().filePath("2005-01-03 08-00 Blue.wav|WAV (*.wav)"));
        QVERIFY(b.app.read("one.flac").startsWith("fLaC"));
        b.key(Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(b.app.messageBox->shown.size(), 1);
        QVERIFY(b.app.messageBox->shown[0].text.contains("x.wav"));

        QVERIFY(QDir().mkpath(b.app.path("out")));
        b.app.dialogs->folders << b.app.path("out");
        b.list()->selectAll();
        b.grid->ListeMessages->CmdExporter->click();
        QCOMPARE(QDir(b.app.path("out")).entryList(QDir::Files),
                 (QStringList{"2005-01-03 08-00 Blue.wav", "2005-02-04 08-30 Red.wav"}));
        QCOMPARE(b.app.read("out/2005-01-03 08-00 Blue.wav"), *encodeWave(flatSound(2000)));
    }

    // The window with its list: each row's colour picture shows in its cell.
    void screenshot() {
        Bench b;
        b.grid->resize(1400, 700);
        b.grid->CmdListe_Click();
        b.grid->ListeMessages->ComboAnnees->setCurrentIndex(1);
        QTableView *list = b.list();
        QSignalSpy lengths(&b.grid->ListeMessages->messages(), &MessagesModel::lengthsDone);
        QVERIFY(b.grid->ListeMessages->messages().lengthsKnown() || lengths.wait(5000));
        QCOMPARE(list->model()->index(1, MessagesModel::LengthColumn).data(), "2.0");
        list->resizeColumnsToContents();
        const QImage shot = tembrel::test::screenshot(b.grid.get(), "grid-with-list.png");
        QVERIFY(!shot.isNull());
        for (int row = 0; row < 2; ++row) {
            const QModelIndex i = list->model()->index(row, MessagesModel::ColourColumn);
            const QColor marker =
                markerPixmap(Marker(i.data(MessagesModel::MarkerRole).toInt()), 1.0)
                    .toImage()
                    .pixelColor(11, 11);
            const QRect cell =
                list->visualRect(i).translated(list->viewport()->mapTo(b.grid.get(), QPoint()));
            bool seen = false;
            for (int x = cell.left(); x < cell.left() + 24 && !seen; ++x)
                for (int y = cell.top(); y <= cell.bottom() && !seen; ++y) {
                    const QColor c = shot.pixelColor(x, y);
                    seen = std::abs(c.hsvHue() - marker.hsvHue()) < 15 && c.hsvSaturation() > 100;
                }
            QVERIFY2(seen, qPrintable(i.data().toString()));
        }
    }
};

QTEST_MAIN(TestMessagesList)
#include "tst_messageslist.moc"
