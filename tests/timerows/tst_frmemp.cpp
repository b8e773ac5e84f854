// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fakes.h"
#include "FileSizeLimit.h"
#include "TestApp.h"
#include "shell/MdiMain.h"
#include "timerows/FrmEmp.h"
#include "timerows/HoursFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
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
void pick(QComboBox *combo, const char *text) {
    combo->setCurrentIndex(combo->findText(QString::fromLatin1(text)));
}
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

    void loadState() {
        auto w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Hours"));
        QCOMPARE(w->SSTab1->tabText(2), QStringLiteral("Time sections"));
        QCOMPARE(w->CmdApplicTranches->text() + w->CmdClear->text() + w->Label13->text() +
                     w->Label9->text(),
                 QStringLiteral("AddClearEndM"));
        QCOMPARE(w->Option1[2]->text(), QStringLiteral("1 hour"));
        QVERIFY(w->Option1[0]->isChecked());
        QCOMPARE(w->LstTranches->count(), 96);
        QCOMPARE(w->LstTranches->item(95)->text(), QStringLiteral("23:45"));
        QCOMPARE(w->LstTranchesHoraires->item(9)->text(), QStringLiteral("09"));
        QVERIFY(w->LstTranches->isHidden() && w->LstTranchesHoraires->isHidden() &&
                w->Combo2MinuteFin->isHidden());
        for (QComboBox *c :
             {w->ComboHeureDebut, w->ComboHeureFin, w->Combo2HeureDebut, w->Combo2HeureFin})
            QCOMPARE(c->count(), 24);
        for (QComboBox *c :
             {w->ComboMinuteDebut, w->ComboMinuteFin, w->Combo2MinuteDebut, w->Combo2MinuteFin})
            QCOMPARE(c->count(), 4);
        QCOMPARE(w->findChildren<QComboBox *>().size(), 8);
        for (QComboBox *c : w->findChildren<QComboBox *>())
            QVERIFY(c->currentIndex() == -1 && c->currentText().isEmpty() && !c->isEditable());
        QCOMPARE(w->ComboHeureFin->itemText(7), QStringLiteral("07"));
        QCOMPARE(w->Combo2MinuteFin->itemText(3), QStringLiteral("45"));
        QVERIFY(!w->Frame1[0]->isHidden() && w->Frame1[1]->isHidden() && w->Frame1[2]->isHidden());
        QVERIFY(!w->CheckAM->isChecked() && !w->CheckPM->isChecked() && !w->CheckAM2->isChecked());
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

    void removeByDoubleClick_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("No keeps it") << 1 << int(vbNo) << QStringList{"08:00", "08:15", "Lunch"};
        QTest::newRow("Yes, the middle") << 1 << int(vbYes) << QStringList{"08:00", "Lunch"};
        QTest::newRow("Yes, the first") << 0 << int(vbYes) << QStringList{"08:15", "Lunch"};
        QTest::newRow("Yes, the last") << 2 << int(vbYes) << QStringList{"08:00", "08:15"};
    }
    void removeByDoubleClick() {
        QFETCH(int, row);
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        const QByteArray earlier("\"08:00\"\r\n\"08:15\"\r\n\"Lunch\"\r\n");
        QVERIFY(app->write("hours.dat", earlier));
        auto w = open();
        const QString label = w->List1->item(row)->text();
        platform->messageBox->answers << answer;
        const QPoint at = w->List1->visualItemRect(w->List1->item(row)).center();
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(asked(), QStringList{"Want you to remove " + label + " ? [4]"});
        QCOMPARE(w->labels(), left);
        QCOMPARE(app->read("hours.dat"), earlier); // untouched until closing
    }

    void removalEdgeCases() {
        const QByteArray earlier("\"08:00\"\r\n\"08:15\"\r\n\"09:00\"\r\n");
        QVERIFY(app->write("hours.dat", earlier));
        auto w = open();
        // Nothing selected: no question, whichever way it is asked.
        w->setListIndex(-1);
        w->List1_DblClick();
        QTest::keyClick(w->List1, Qt::Key_Delete);
        QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {},
                           QPoint(5, w->List1->viewport()->height() - 3));
        QVERIFY(asked().isEmpty());
        // The Delete key asks the double click's question.
        w->setListIndex(1);
        platform->messageBox->answers << vbYes;
        QTest::keyClick(w->List1, Qt::Key_Delete);
        QCOMPARE(asked(), QStringList{"Want you to remove 08:15 ? [4]"});
        QCOMPARE(w->labels(), QStringList({"08:00", "09:00"}));
        // Removing every row leaves the earlier file: only Clear deletes it.
        platform->messageBox->defaultAnswer = vbYes;
        while (w->List1->count() > 0) {
            w->setListIndex(0);
            w->List1_DblClick();
        }
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

        w->TxtEmp->setText(QStringLiteral("  Lunch  "));
        w->CmdAddTexte->click();
        QVERIFY(w->TxtEmp->text().isEmpty());
        for (const char *typed : {"Lunch", "lunch", "     "}) {
            w->TxtEmp->setText(QString::fromLatin1(typed));
            w->CmdAddTexte_Click();
        }
        QCOMPARE(w->labels(), QStringList({"Lunch", "lunch"}));
        QCOMPARE(asked(), QStringList{"Already exist in the list! [0]"});
        QCOMPARE(w->TxtEmp->text(), QStringLiteral("     ")); // only spaces: left as it is
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

    void generatorsInWindow() {
        auto w = open();
        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin},
                "22 00 01 00");
        w->Option1[2]->click();
        w->CmdAddHours->click();
        w->CheckAM2->click();
        w->Option1[1]->click();
        pick(w->ComboHeureFin, "23");
        w->CmdAddHours->click();
        pickAll({w->Combo2HeureDebut, w->Combo2HeureFin, w->Combo2MinuteDebut}, "22 00 30");
        QCOMPARE(w->Combo2MinuteFin->currentText(), QStringLiteral("30"));
        w->CmdApplicTranches->click();
        QCOMPARE(w->labels(), QStringList({"22:00", "23:00", "00:00", "01:00", "22:00 AM",
                                           "22:30 AM", "23:00 AM", "22:30 23:30"}));
        // A minute picked with the keyboard is copied too.
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

    void emptyTimeField_data() {
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("empty");
        for (int empty = 0; empty < 4; ++empty)
            QTest::addRow("time steps, field %d", empty) << 0 << empty;
        for (int empty = 0; empty < 3; ++empty)
            QTest::addRow("time sections, field %d", empty) << 2 << empty;
    }
    void emptyTimeField() {
        QFETCH(int, panel);
        QFETCH(int, empty);
        auto w = open();
        const QList<QComboBox *> fields =
            panel == 0
                ? QList<QComboBox *>{w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin,
                                     w->ComboMinuteFin}
                : QList<QComboBox *>{w->Combo2HeureDebut, w->Combo2MinuteDebut, w->Combo2HeureFin};
        for (int i = 0; i < fields.size(); ++i)
            fields[i]->setCurrentIndex(i == empty ? -1 : 1);
        (panel == 0 ? w->CmdAddHours : w->CmdApplicTranches)->click();
        QCOMPARE(asked(), QStringList{"Choose beginning time and  end time. [0]"});
        QCOMPARE(w->List1->count(), 0);
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
        const QByteArray after = app->read("hours.dat");
        if (read.isEmpty())
            QCOMPARE(after, content); // an empty list writes nothing
        // A clean file: one quoted label per CR LF line, nothing else.
        const QList<QByteArray> lines = after.split('\n');
        for (qsizetype i = 0; !read.isEmpty() && i < lines.size() - 1; ++i) {
            QVERIFY(lines[i].startsWith('"') && lines[i].endsWith("\"\r") &&
                    lines[i].count('"') == 2);
            QVERIFY(std::all_of(lines[i].begin(), lines[i].end() - 1,
                                [](char c) { return uchar(c) >= 0x20; }));
        }
        if (!read.isEmpty())
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
        QVERIFY(QDir().mkpath(folder));
        // Side by side and nothing cut off.
        QVERIFY(w->List1->geometry().left() >=
                w->Frame1[0]->mapTo(w.get(), QPoint(w->Frame1[0]->width(), 0)).x());
        QVERIFY(w->rect().contains(w->CmdClear->geometry()));
        QCOMPARE(w->SSTab1->tabRect(2).right() < w->SSTab1->width(), true);
        QVERIFY(w->grab().save(folder + "frmemp.png"));
        w->SSTab1->setCurrentIndex(2);
        pickAll({w->Combo2HeureDebut, w->Combo2MinuteDebut, w->Combo2HeureFin}, "13 30 17");
        QVERIFY(w->grab().save(folder + "frmemp_sections.png"));
    }
};

QTEST_MAIN(TestFrmEmp)
#include "tst_frmemp.moc"
