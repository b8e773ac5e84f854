// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fakes.h"
#include "FileSizeLimit.h"
#include "TestApp.h"
#include "shell/MdiMain.h"
#include "timerows/FrmEmp.h"
#include "timerows/HoursFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include <memory>
#include <sys/stat.h>

using namespace tembrel;
using tembrel::test::FakePlatform;
using tembrel::test::TempAppFolder;

namespace {
void pickAll(const QList<QComboBox *> &combos, const char *texts) {
    const QStringList t = QString::fromLatin1(texts).split(QLatin1Char(' '));
    for (qsizetype i = 0; i < combos.size(); ++i)
        combos[i]->setCurrentIndex(combos[i]->findText(t[i]));
}
ino_t inodeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}
} // namespace

class TestFrmEmp final : public QObject {
    Q_OBJECT

    std::unique_ptr<TempAppFolder> app;
    std::unique_ptr<FakePlatform> platform;

    std::unique_ptr<FrmEmp> open() {
        auto w = std::make_unique<FrmEmp>();
        w->show();
        return w;
    }
    QStringList asked() const {
        QStringList texts;
        for (const auto &m : platform->messageBox->shown)
            texts.append(m.text + QStringLiteral(" [%1]").arg(m.style));
        return texts;
    }
    QStringList files() const {
        return QDir(app->path(QString())).entryList(QDir::Files | QDir::Hidden);
    }

private Q_SLOTS:
    void init() {
        app = std::make_unique<TempAppFolder>();
        platform = std::make_unique<FakePlatform>();
    }
    void cleanup() {
        platform.reset();
        app.reset();
    }

    // The combos open with nothing chosen; the day lists stay hidden.
    void loadState() {
        auto w = open();
        QVERIFY(w->LstTranches->isHidden() && w->LstTranchesHoraires->isHidden() &&
                w->Combo2MinuteFin->isHidden());
        const QList<QComboBox *> minutes = {w->ComboMinuteDebut, w->ComboMinuteFin,
                                            w->Combo2MinuteDebut, w->Combo2MinuteFin};
        QCOMPARE(w->findChildren<QComboBox *>().size(), 8);
        for (QComboBox *c : w->findChildren<QComboBox *>()) {
            QCOMPARE(c->count(), minutes.contains(c) ? 4 : 24);
            QVERIFY(c->currentIndex() == -1 && c->currentText().isEmpty() && !c->isEditable());
        }
        QCOMPARE(w->ComboHeureFin->itemText(7) + w->Combo2MinuteFin->itemText(3), "0745");
        QVERIFY(!w->Frame1[0]->isHidden() && w->Frame1[1]->isHidden() && w->Frame1[2]->isHidden());
    }

    void saveAndReload() {
        open()->close(); // first run: nothing to write
        QVERIFY(files().isEmpty());
        {
            auto w = open();
            pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin},
                    "08 00 08 30");
            w->CmdAddHours_Click();
            w->TxtEmp->setText(QStringLiteral("Lunch, team"));
            w->CmdAddTexte_Click();
            pickAll({w->Combo2HeureDebut, w->Combo2MinuteDebut, w->Combo2HeureFin}, "13 30 14");
            w->CheckPM->click();
            w->CmdApplicTranches_Click();
            w->close();
        }
        QCOMPARE(app->read("hours.dat"),
                 QByteArray("\"08:00\"\r\n\"08:15\"\r\n\"08:30\"\r\n\"Lunch, team\"\r\n\"13:30 "
                            "14:30 PM\"\r\n"));
        QCOMPARE(open()->labels(),
                 QStringList({"08:00", "08:15", "08:30", "Lunch, team", "13:30 14:30 PM"}));
        QVERIFY(asked().isEmpty());
    }

    void clearNoThenYes() {
        const QByteArray earlier("\"08:00\"\r\n\"09:00\"\r\n");
        QVERIFY(app->write("hours.dat", earlier));
        auto w = open();
        platform->messageBox->answers << vbNo << vbYes;
        w->CmdClear->click();
        QCOMPARE(w->labels(), QStringList({"08:00", "09:00"}));
        QCOMPARE(app->read("hours.dat"), earlier);
        w->CmdClear->click();
        QCOMPARE(asked(), QStringList(2, QStringLiteral("Clear the list ? [4]")));
        QCOMPARE(w->List1->count(), 0);
        QVERIFY(!app->exists("hours.dat")); // at once, the window still open
        w->close();
        QVERIFY(files().isEmpty());
    }

    // The question for a double click or the Delete key on a selected row;
    // nothing selected, no question. Removing every row leaves the earlier
    // file: only Clear deletes it.
    void removal() {
        const QByteArray earlier("\"08:00\"\r\n\"08:15\"\r\n\"09:00\"\r\n\"Lunch\"\r\n");
        QVERIFY(app->write("hours.dat", earlier));
        auto w = open();
        w->setListIndex(-1);
        w->List1_DblClick();
        QTest::keyClick(w->List1, Qt::Key_Delete);
        QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {},
                           QPoint(5, w->List1->viewport()->height() - 3));
        QVERIFY(asked().isEmpty());
        auto doubleClick = [&w](int row) {
            const QPoint at = w->List1->visualItemRect(w->List1->item(row)).center();
            QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, at);
        };
        platform->messageBox->answers << vbNo << vbYes << vbYes << vbYes;
        doubleClick(3);
        doubleClick(3);
        doubleClick(0);
        w->setListIndex(1);
        QTest::keyClick(w->List1, Qt::Key_Delete);
        QCOMPARE(asked(),
                 QStringList({"Want you to remove Lunch ? [4]", "Want you to remove Lunch ? [4]",
                              "Want you to remove 08:00 ? [4]", "Want you to remove 09:00 ? [4]"}));
        QCOMPARE(w->labels(), QStringList{"08:15"});
        platform->messageBox->defaultAnswer = vbYes;
        w->setListIndex(0);
        w->List1_DblClick();
        QCOMPARE(w->List1->count(), 0);
        w->close();
        QCOMPARE(app->read("hours.dat"), earlier);
    }

    void freeText() {
        auto w = open();
        QTest::keyClicks(w->TxtEmp, QStringLiteral("a\"b!c"));
        QCOMPARE(w->TxtEmp->text(), QStringLiteral("abc"));
        w->TxtEmp->clear();
        QTest::keyClicks(w->TxtEmp, QStringLiteral("0123456789abcdefg"));
        QCOMPARE(w->TxtEmp->text(), QStringLiteral("0123456789abcde")); // no 16th character
        // Pasted quotes are removed; the caret stays after the pasted text.
        w->TxtEmp->setText(QStringLiteral("xy"));
        w->TxtEmp->setCursorPosition(1);
        w->TxtEmp->insert(QStringLiteral("\"Lu\"n"));
        QCOMPARE(w->TxtEmp->text(), QStringLiteral("xLuny"));
        QCOMPARE(w->TxtEmp->cursorPosition(), 4);
        w->TxtEmp->deselect();
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(w->TxtEmp, &in);
        QCOMPARE(w->TxtEmp->selectedText(), QStringLiteral("xLuny"));

        w->TxtEmp->setText(QStringLiteral(" Lunch"));
        w->CmdAddTexte->click();
        QVERIFY(w->TxtEmp->text().isEmpty());
        w->TxtEmp->setText(QStringLiteral("Lunch"));
        w->CmdAddTexte_Click();
        QCOMPARE(w->labels(), QStringList{"Lunch"});
        QCOMPARE(asked(), QStringList{"Already exist in the list! [0]"});
    }

    void tabs() {
        auto w = open();
        auto shown = [&w] {
            QString v;
            for (QWidget *panel : w->Frame1)
                v += panel->isHidden() ? '-' : 'X';
            return v;
        };
        QString seen;
        for (int tab : {0, 2, 2, 1, 0}) {
            QTest::mouseClick(w->SSTab1, Qt::LeftButton, {}, w->SSTab1->tabRect(tab).center());
            w->SSTab1_Click();
            seen += shown() + ' ';
        }
        QCOMPARE(seen, QStringLiteral("X-- --X --X -X- X-- "));
    }

    // The controls reach the generators: step, AM/PM, the end minute
    // copied from the start minute (by mouse or keyboard).
    void generatorsInWindow() {
        auto w = open();
        // A time field left empty: the message, nothing added (each field is
        // covered by the generator tables).
        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin}, "08 00 09");
        w->CmdAddHours->click();
        pickAll({w->Combo2HeureDebut, w->Combo2HeureFin}, "08 09");
        w->CmdApplicTranches->click();
        QCOMPARE(asked(), QStringList(2, "Choose beginning time and  end time. [0]"));
        QCOMPARE(w->List1->count(), 0);
        platform->messageBox->shown.clear();

        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin},
                "22 00 23 00");
        w->Option1[1]->click();
        w->CheckAM2->click();
        w->CmdAddHours->click();
        pickAll({w->Combo2HeureDebut, w->Combo2HeureFin, w->Combo2MinuteDebut}, "22 00 30");
        QCOMPARE(w->Combo2MinuteFin->currentText(), QStringLiteral("30"));
        w->CmdApplicTranches->click();
        QCOMPARE(w->labels(), QStringList({"22:00 AM", "22:30 AM", "23:00 AM", "22:30 23:30"}));
        QTest::keyClick(w->Combo2MinuteDebut, Qt::Key_Down);
        QCOMPARE(w->Combo2MinuteFin->currentText(), QStringLiteral("45"));
        QVERIFY(asked().isEmpty());
        // AM/PM exclude each other within a panel only.
        w->CheckPM2->click();
        w->CheckAM->click();
        w->CheckPM->click();
        QCOMPARE(QList<bool>({w->CheckAM2->isChecked(), w->CheckPM2->isChecked(),
                              w->CheckAM->isChecked(), w->CheckPM->isChecked()}),
                 QList<bool>({false, true, false, true}));
    }

    void keyboard() {
        auto w = open();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin},
                "10 00 11 00");
        QTest::keyClick(w->ComboMinuteFin, Qt::Key_Return); // Enter stands for Add
        QCOMPARE(w->List1->count(), 5);
        w->ComboHeureDebut->setFocus();
        QList<QWidget *> chain;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
            chain << w->focusWidget();
        }
        QCOMPARE(chain, QList<QWidget *>({w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin,
                                          w->CheckAM2, w->CheckPM2, w->CmdAddHours, w->List1}));
        w->SSTab1->setCurrentIndex(1);
        w->TxtEmp->setFocus();
        QTest::keyClicks(w->TxtEmp, QStringLiteral("Break"));
        QTest::keyClick(w->TxtEmp, Qt::Key_Enter);
        QCOMPARE(w->labels().last(), QStringLiteral("Break"));
        QTest::keyClick(w->TxtEmp, Qt::Key_Tab);
        QCOMPARE(w->focusWidget(), w->CmdAddTexte);
    }

    void badInput_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("rows"); // -1: whatever can be read, but something
        QTest::newRow("LF only") << QByteArray("\"08:00\"\n\"08:15\"\n\"Lunch\"\n") << 3;
        QTest::newRow("unterminated quote") << QByteArray("\"Lunch\r\n\"09:00\"\r\n") << 2;
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n\"08:00\"\r\n\r\n") << 1;
        QTest::newRow("only empty lines") << QByteArray("\r\n\r\n\n") << 0;
        QByteArray big, binary;
        for (int i = 0; i < 10000; ++i)
            big += "\"Row " + QByteArray::number(i) + "\"\r\n";
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 151 + 7) % 256));
        QTest::newRow("10 000 lines") << big << 10000;
        QTest::newRow("binary") << binary << -1;
        QTest::newRow("NUL bytes only") << QByteArray(512, '\0') << 0;
    }
    void badInput() {
        QFETCH(QByteArray, content);
        QFETCH(int, rows);
        QVERIFY(app->write("hours.dat", content));
        QStringList read;
        {
            auto w = open();
            read = w->labels();
            w->close();
        }
        QVERIFY(rows < 0 ? !read.isEmpty() : read.size() == rows);
        QVERIFY(asked().isEmpty());
        // An empty list writes nothing; else a clean file of what was read.
        QCOMPARE(app->read("hours.dat"), read.isEmpty() ? content : formatHours(read));
        QCOMPARE(readHours(hoursFilePath()), read);
    }

    void dataSafety() {
        QVERIFY(app->write("hours.dat", "\"08:00\"\r\n\"09:00\"\r\n\"10:00\"\r\n"));
        const ino_t before = inodeOf(app->path("hours.dat"));
        auto w = open();
        w->setListIndex(0);
        platform->messageBox->answers << vbYes;
        w->List1_DblClick();
        w->close();
        // A new, complete file took the old one's name.
        QCOMPARE(app->read("hours.dat"), QByteArray("\"09:00\"\r\n\"10:00\"\r\n"));
        QVERIFY(inodeOf(app->path("hours.dat")) != before);

        w = open();
        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin},
                "00 00 23 45");
        w->CmdAddHours_Click(); // 96 more rows, far beyond the room below
        {
            tembrel::test::FileSizeLimit limit(64);
            QVERIFY(limit.ok());
            QTest::ignoreMessage(QtWarningMsg,
                                 "hours.dat could not be written; it keeps its previous rows");
            w->close();
        }
        QVERIFY(!w->isVisible());
        QCOMPARE(app->read("hours.dat"), QByteArray("\"09:00\"\r\n\"10:00\"\r\n"));
        QCOMPARE(files(), QStringList{"hours.dat"});
        QCOMPARE(asked().size(), 1); // the removal question, no word about the file
    }

    void opensFromMainWindow() {
        MdiMain main;
        MdiMain::registerWindow(MdiMain::Tool::Hours,
                                [](QWidget *parent) { return new FrmEmp(parent); });
        main.show();
        QVERIFY(app->write("hours.dat", "\"07:00\"\r\n"));
        for (bool fromToolbar : {false, true}) {
            fromToolbar ? main.Toolbar1_ButtonClick(QStringLiteral("khoraires"))
                        : main.mnuliste->trigger();
            QPointer<FrmEmp> w = qobject_cast<FrmEmp *>(main.toolWindow(MdiMain::Tool::Hours));
            QVERIFY(w && w->isVisible());
            QCOMPARE(w->labels(), QStringList{"07:00"});
            QVERIFY(!main.mnuconfiguration->menuAction()->isEnabled() && main.Toolbar1->isHidden());
            w->close();
            QVERIFY(main.mnuconfiguration->menuAction()->isEnabled() && !main.Toolbar1->isHidden());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(w.isNull()); // the next opening makes a fresh one
        }
        MdiMain::unregisterAll();
    }

    void screenshot() {
        QVERIFY(app->write(
            "hours.dat",
            "\"08:00\"\r\n\"08:30\"\r\n\"09:00\"\r\n\"Lunch, team\"\r\n\"13:00 14:00 PM\"\r\n"));
        auto w = open();
        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin},
                "08 00 12 00");
        w->Option1[1]->click();
        w->setListIndex(3);
        const QString folder = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots/");
        QVERIFY(QDir().mkpath(folder) && w->rect().contains(w->CmdClear->geometry()));
        QVERIFY(w->grab().save(folder + "frmemp.png"));
        w->SSTab1->setCurrentIndex(2);
        pickAll({w->Combo2HeureDebut, w->Combo2MinuteDebut, w->Combo2HeureFin}, "13 30 17");
        QVERIFY(w->grab().save(folder + "frmemp_sections.png"));
    }
};

QTEST_MAIN(TestFrmEmp)
#include "tst_frmemp.moc"
