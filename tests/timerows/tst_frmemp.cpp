// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fakes.h"
#include "FileSizeLimit.h"
#include "TestApp.h"
#include "shell/MdiMain.h"
#include "shell/Strings.h"
#include "timerows/FrmEmp.h"
#include "timerows/HoursFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
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
using tembrel::test::FileSizeLimit;
using tembrel::test::TempAppFolder;

namespace {

void pick(QComboBox *combo, const char *text) {
    const int i = combo->findText(QString::fromLatin1(text));
    QVERIFY2(i >= 0, text);
    combo->setCurrentIndex(i);
}

ino_t inodeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

class TestFrmEmp final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempAppFolder> app;
    std::unique_ptr<FakePlatform> platform;

    // Opens the window as the main window does, shown offscreen.
    std::unique_ptr<FrmEmp> open() {
        auto w = std::make_unique<FrmEmp>();
        w->show();
        return w;
    }
    QStringList shownTexts() const {
        QStringList texts;
        for (const auto &m : platform->messageBox->shown)
            texts.append(m.text);
        return texts;
    }

private Q_SLOTS:
    void init();
    void cleanup();

    void loadState();
    void firstRunLeavesNoFile();
    void addCloseReopen();
    void clearNoThenYes();
    void removeByDoubleClick_data();
    void removeByDoubleClick();
    void removingEveryRowKeepsEarlierFile();
    void doubleClickWithoutSelection();
    void deleteKeyAsksTheSameQuestion();
    void freeTextField();
    void freeTextAdd();
    void tabs();
    void timeStepsFromWindow();
    void timeSectionsFromWindow();
    void emptyTimeFieldsAsk_data();
    void emptyTimeFieldsAsk();
    void amPmExclusion();
    void keyboard();
    void badInput_data();
    void badInput();
    void rewriteReplacesWholeFile();
    void failedWriteKeepsOldFile();
    void opensFromMainWindow();
    void screenshot();
};

void TestFrmEmp::init() {
    app = std::make_unique<TempAppFolder>();
    QVERIFY(app->isValid());
    platform = std::make_unique<FakePlatform>();
}

void TestFrmEmp::cleanup() {
    platform.reset();
    app.reset();
}

void TestFrmEmp::loadState() {
    auto w = open();
    QCOMPARE(w->windowTitle(), QStringLiteral("Hours"));
    QCOMPARE(w->SSTab1->count(), 3);
    QCOMPARE(w->SSTab1->tabText(0), QStringLiteral("Time steps"));
    QCOMPARE(w->SSTab1->tabText(1), QStringLiteral("Free text"));
    QCOMPARE(w->SSTab1->tabText(2), QStringLiteral("Time sections"));
    QCOMPARE(w->CmdAddHours->text(), QStringLiteral("Add"));
    QCOMPARE(w->CmdAddTexte->text(), QStringLiteral("Add"));
    QCOMPARE(w->CmdApplicTranches->text(), QStringLiteral("Add"));
    QCOMPARE(w->CmdClear->text(), QStringLiteral("Clear"));
    QCOMPARE(w->Label5->text(), QStringLiteral("Beginning"));
    QCOMPARE(w->Label13->text(), QStringLiteral("End"));
    QCOMPARE(w->Label7->text(), QStringLiteral("15 characters maximum"));
    QCOMPARE(w->Option1[2]->text(), QStringLiteral("1 hour"));
    QCOMPARE(w->Label1->text(), QStringLiteral("H"));
    QCOMPARE(w->Label10->text(), QStringLiteral("H"));
    QCOMPARE(w->Label9->text(), QStringLiteral("M"));
    QVERIFY(w->Option1[0]->isChecked());
    for (QCheckBox *box : {w->CheckAM, w->CheckPM, w->CheckAM2, w->CheckPM2})
        QVERIFY(!box->isChecked());

    QCOMPARE(w->LstTranches->count(), 96);
    QCOMPARE(w->LstTranches->item(0)->text(), QStringLiteral("00:00"));
    QCOMPARE(w->LstTranches->item(95)->text(), QStringLiteral("23:45"));
    QCOMPARE(w->LstTranchesHoraires->count(), 24);
    QCOMPARE(w->LstTranchesHoraires->item(23)->text(), QStringLiteral("23"));
    QVERIFY(w->LstTranches->isHidden());
    QVERIFY(w->LstTranchesHoraires->isHidden());
    QVERIFY(w->Combo2MinuteFin->isHidden());

    for (QComboBox *hour :
         {w->ComboHeureDebut, w->ComboHeureFin, w->Combo2HeureDebut, w->Combo2HeureFin}) {
        QCOMPARE(hour->count(), 24);
        QCOMPARE(hour->itemText(0), QStringLiteral("00"));
        QCOMPARE(hour->itemText(9), QStringLiteral("09"));
        QCOMPARE(hour->itemText(23), QStringLiteral("23"));
        QCOMPARE(hour->currentIndex(), -1);
        QVERIFY(hour->currentText().isEmpty());
        QVERIFY(!hour->isEditable());
    }
    for (QComboBox *minute :
         {w->ComboMinuteDebut, w->ComboMinuteFin, w->Combo2MinuteDebut, w->Combo2MinuteFin}) {
        QCOMPARE(minute->count(), 4);
        QCOMPARE(minute->itemText(3), QStringLiteral("45"));
        QCOMPARE(minute->currentIndex(), -1);
        QVERIFY(minute->currentText().isEmpty());
    }
    QCOMPARE(w->SSTab1->currentIndex(), 0);
    QVERIFY(!w->Frame1[0]->isHidden());
    QVERIFY(w->Frame1[1]->isHidden());
    QVERIFY(w->Frame1[2]->isHidden());
    QCOMPARE(w->TxtEmp->maxLength(), 15);
}

void TestFrmEmp::firstRunLeavesNoFile() {
    auto w = open();
    QCOMPARE(w->List1->count(), 0);
    w->close();
    QVERIFY(!app->exists("hours.dat"));
    QVERIFY(platform->messageBox->shown.isEmpty());
}

void TestFrmEmp::addCloseReopen() {
    {
        auto w = open();
        pick(w->ComboHeureDebut, "08");
        pick(w->ComboMinuteDebut, "00");
        pick(w->ComboHeureFin, "08");
        pick(w->ComboMinuteFin, "30");
        w->CmdAddHours_Click();
        w->TxtEmp->setText(QStringLiteral("Lunch, team"));
        w->CmdAddTexte_Click();
        pick(w->Combo2HeureDebut, "13");
        pick(w->Combo2MinuteDebut, "30");
        pick(w->Combo2HeureFin, "14");
        w->CheckPM->click();
        w->CmdApplicTranches_Click();
        QCOMPARE(w->labels(),
                 QStringList({"08:00", "08:15", "08:30", "Lunch, team", "13:30 14:30 PM"}));
        w->close();
    }
    QCOMPARE(
        app->read("hours.dat"),
        QByteArray(
            "\"08:00\"\r\n\"08:15\"\r\n\"08:30\"\r\n\"Lunch, team\"\r\n\"13:30 14:30 PM\"\r\n"));
    auto again = open();
    QCOMPARE(again->labels(),
             QStringList({"08:00", "08:15", "08:30", "Lunch, team", "13:30 14:30 PM"}));
    QVERIFY(platform->messageBox->shown.isEmpty());
}

void TestFrmEmp::clearNoThenYes() {
    const QByteArray earlier("\"08:00\"\r\n\"09:00\"\r\n");
    QVERIFY(app->write("hours.dat", earlier));
    auto w = open();
    QCOMPARE(w->List1->count(), 2);

    platform->messageBox->answers.enqueue(vbNo);
    w->CmdClear_Click();
    QCOMPARE(platform->messageBox->shown.size(), 1);
    QCOMPARE(platform->messageBox->shown[0].text, QStringLiteral("Clear the list ?"));
    QCOMPARE(platform->messageBox->shown[0].style, int(vbYesNo));
    QCOMPARE(w->labels(), QStringList({"08:00", "09:00"}));
    QCOMPARE(app->read("hours.dat"), earlier);

    platform->messageBox->answers.enqueue(vbYes);
    w->CmdClear->click();
    QCOMPARE(platform->messageBox->shown.size(), 2);
    QCOMPARE(w->List1->count(), 0);
    QVERIFY(!app->exists("hours.dat")); // at once, with the window still open
    w->close();
    QVERIFY(!app->exists("hours.dat"));
}

void TestFrmEmp::removeByDoubleClick_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("No keeps it") << 1 << int(vbNo) << QStringList{"08:00", "08:15", "Lunch"};
    QTest::newRow("Yes removes the middle") << 1 << int(vbYes) << QStringList{"08:00", "Lunch"};
    QTest::newRow("Yes removes the first") << 0 << int(vbYes) << QStringList{"08:15", "Lunch"};
    QTest::newRow("Yes removes the last") << 2 << int(vbYes) << QStringList{"08:00", "08:15"};
}

void TestFrmEmp::removeByDoubleClick() {
    QFETCH(int, row);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    const QByteArray earlier("\"08:00\"\r\n\"08:15\"\r\n\"Lunch\"\r\n");
    QVERIFY(app->write("hours.dat", earlier));
    auto w = open();
    const QString label = w->List1->item(row)->text();
    platform->messageBox->answers.enqueue(answer);

    // A real double click on the row's place in the list.
    const QRect place = w->List1->visualItemRect(w->List1->item(row));
    QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, place.center());

    QCOMPARE(shownTexts(), QStringList{"Want you to remove " + label + " ?"});
    QCOMPARE(platform->messageBox->shown[0].style, int(vbYesNo));
    QCOMPARE(w->labels(), left);
    QCOMPARE(app->read("hours.dat"), earlier); // untouched until closing
}

void TestFrmEmp::removingEveryRowKeepsEarlierFile() {
    const QByteArray earlier("\"08:00\"\r\n\"08:15\"\r\n\"Lunch\"\r\n");
    QVERIFY(app->write("hours.dat", earlier));
    auto w = open();
    platform->messageBox->defaultAnswer = vbYes;
    while (w->List1->count() > 0) {
        w->setListIndex(w->List1->count() - 1);
        w->List1_DblClick();
    }
    QCOMPARE(platform->messageBox->shown.size(), 3);
    QCOMPARE(platform->messageBox->shown[0].text, QStringLiteral("Want you to remove Lunch ?"));
    w->close();
    QCOMPARE(app->read("hours.dat"), earlier);
}

void TestFrmEmp::doubleClickWithoutSelection() {
    QVERIFY(app->write("hours.dat", "\"08:00\"\r\n\"09:00\"\r\n"));
    auto w = open();
    w->setListIndex(-1);
    QCOMPARE(w->ListIndex(), -1);
    w->List1_DblClick();
    QTest::keyClick(w->List1, Qt::Key_Delete);
    // A double click below the last row selects nothing and asks nothing.
    QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {},
                       QPoint(5, w->List1->viewport()->height() - 3));
    QVERIFY(platform->messageBox->shown.isEmpty());
    QCOMPARE(w->labels(), QStringList({"08:00", "09:00"}));
}

void TestFrmEmp::deleteKeyAsksTheSameQuestion() {
    QVERIFY(app->write("hours.dat", "\"08:00\"\r\n\"08:15\"\r\n\"09:00\"\r\n"));
    auto w = open();
    w->setListIndex(1);
    platform->messageBox->answers.enqueue(vbNo);
    QTest::keyClick(w->List1, Qt::Key_Delete);
    QCOMPARE(w->List1->count(), 3);
    platform->messageBox->answers.enqueue(vbYes);
    QTest::keyClick(w->List1, Qt::Key_Delete);
    QCOMPARE(shownTexts(),
             QStringList({"Want you to remove 08:15 ?", "Want you to remove 08:15 ?"}));
    QCOMPARE(w->labels(), QStringList({"08:00", "09:00"}));
}

void TestFrmEmp::freeTextField() {
    auto w = open();
    w->SSTab1->setCurrentIndex(1);
    QTest::keyClicks(w->TxtEmp, QStringLiteral("a\"b!c"));
    QCOMPARE(w->TxtEmp->text(), QStringLiteral("abc"));
    int key = '"';
    w->TxtEmp_KeyPress(key);
    QCOMPARE(key, 0);
    key = '!';
    w->TxtEmp_KeyPress(key);
    QCOMPARE(key, 0);
    key = 'x';
    w->TxtEmp_KeyPress(key);
    QCOMPARE(key, int('x'));

    // A 16th character is refused.
    w->TxtEmp->clear();
    QTest::keyClicks(w->TxtEmp, QStringLiteral("0123456789abcdefg"));
    QCOMPARE(w->TxtEmp->text(), QStringLiteral("0123456789abcde"));

    // Pasted quotes are removed; the caret stays after the pasted text.
    w->TxtEmp->clear();
    QTest::keyClicks(w->TxtEmp, QStringLiteral("xy"));
    w->TxtEmp->setCursorPosition(1);
    w->TxtEmp->insert(QStringLiteral("\"Lu\"n"));
    QCOMPARE(w->TxtEmp->text(), QStringLiteral("xLuny"));
    QCOMPARE(w->TxtEmp->cursorPosition(), 4);

    // Getting the focus selects the whole text; an empty field has no selection.
    w->TxtEmp->deselect();
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w->TxtEmp, &in);
    QCOMPARE(w->TxtEmp->selectedText(), QStringLiteral("xLuny"));
    w->TxtEmp->clear();
    w->TxtEmp_GotFocus();
    QVERIFY(!w->TxtEmp->hasSelectedText());
}

void TestFrmEmp::freeTextAdd() {
    auto w = open();
    w->TxtEmp->setText(QStringLiteral("  Lunch  "));
    w->CmdAddTexte->click();
    QCOMPARE(w->labels(), QStringList{"Lunch"});
    QVERIFY(w->TxtEmp->text().isEmpty());

    w->TxtEmp->setText(QStringLiteral("Lunch"));
    w->CmdAddTexte_Click();
    QCOMPARE(shownTexts(), QStringList{"Already exist in the list!"});
    QCOMPARE(platform->messageBox->shown[0].style, int(vbOKOnly));
    QCOMPARE(w->TxtEmp->text(), QStringLiteral("Lunch")); // kept for correction
    QCOMPARE(w->labels(), QStringList{"Lunch"});

    w->TxtEmp->setText(QStringLiteral("lunch"));
    w->CmdAddTexte_Click();
    w->TxtEmp->setText(QStringLiteral("     "));
    w->CmdAddTexte_Click();
    QCOMPARE(w->labels(), QStringList({"Lunch", "lunch"}));
    QCOMPARE(platform->messageBox->shown.size(), 1);
    QCOMPARE(w->TxtEmp->text(), QStringLiteral("     "));
}

void TestFrmEmp::tabs() {
    auto w = open();
    auto shown = [&w] {
        QList<bool> v;
        for (QWidget *panel : w->Frame1)
            v.append(!panel->isHidden());
        return v;
    };
    auto clickTab = [&w](int i) {
        QTest::mouseClick(w->SSTab1, Qt::LeftButton, {}, w->SSTab1->tabRect(i).center());
    };
    clickTab(0);
    w->SSTab1_Click();
    QCOMPARE(shown(), QList<bool>({true, false, false}));
    clickTab(2);
    QCOMPARE(w->SSTab1->currentIndex(), 2);
    QCOMPARE(shown(), QList<bool>({false, false, true}));
    clickTab(2);
    QCOMPARE(shown(), QList<bool>({false, false, true}));
    clickTab(1);
    QCOMPARE(shown(), QList<bool>({false, true, false}));
    clickTab(0);
    QCOMPARE(shown(), QList<bool>({true, false, false}));
}

void TestFrmEmp::timeStepsFromWindow() {
    auto w = open();
    pick(w->ComboHeureDebut, "22");
    pick(w->ComboMinuteDebut, "00");
    pick(w->ComboHeureFin, "01");
    pick(w->ComboMinuteFin, "00");
    w->Option1[2]->click();
    w->CmdAddHours->click();
    QCOMPARE(w->labels(), QStringList({"22:00", "23:00", "00:00", "01:00"}));
    // No duplicate check: a second click appends the same series again.
    w->CheckAM2->click();
    w->Option1[1]->click();
    pick(w->ComboHeureFin, "23");
    w->CmdAddHours_Click();
    QCOMPARE(w->labels(),
             QStringList({"22:00", "23:00", "00:00", "01:00", "22:00 AM", "22:30 AM", "23:00 AM"}));
    QVERIFY(platform->messageBox->shown.isEmpty());
}

void TestFrmEmp::timeSectionsFromWindow() {
    auto w = open();
    w->SSTab1->setCurrentIndex(2);
    pick(w->Combo2HeureDebut, "22");
    pick(w->Combo2HeureFin, "02");
    pick(w->Combo2MinuteDebut, "30");
    QCOMPARE(w->Combo2MinuteFin->currentText(), QStringLiteral("30"));
    w->CmdApplicTranches->click();
    QCOMPARE(w->labels(), QStringList({"22:30 23:30", "00:30 01:30", "01:30 02:30"}));
    // The keyboard picks a minute too, and the hidden end minute follows it.
    w->Combo2MinuteDebut->setFocus();
    QTest::keyClick(w->Combo2MinuteDebut, Qt::Key_Down);
    QCOMPARE(w->Combo2MinuteDebut->currentText(), QStringLiteral("45"));
    QCOMPARE(w->Combo2MinuteFin->currentText(), QStringLiteral("45"));
}

void TestFrmEmp::emptyTimeFieldsAsk_data() {
    QTest::addColumn<int>("panel");
    QTest::addColumn<int>("left");
    for (int left = 0; left < 4; ++left) {
        QTest::addRow("time steps, field %d empty", left) << 0 << left;
        if (left != 3)
            QTest::addRow("time sections, field %d empty", left) << 2 << left;
    }
    QTest::addRow("time sections, nothing chosen") << 2 << -1;
}

void TestFrmEmp::emptyTimeFieldsAsk() {
    QFETCH(int, panel);
    QFETCH(int, left);
    auto w = open();
    const QList<QComboBox *> fields =
        panel == 0
            ? QList<QComboBox *>{w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin,
                                 w->ComboMinuteFin}
            : QList<QComboBox *>{w->Combo2HeureDebut, w->Combo2MinuteDebut, w->Combo2HeureFin};
    if (left >= 0)
        for (int i = 0; i < fields.size(); ++i)
            if (i != left)
                fields[i]->setCurrentIndex(1);
    if (panel == 0)
        w->CmdAddHours_Click();
    else
        w->CmdApplicTranches_Click();
    QCOMPARE(shownTexts(), QStringList{"Choose beginning time and  end time."});
    QCOMPARE(platform->messageBox->shown[0].style, int(vbOKOnly));
    QCOMPARE(w->List1->count(), 0);
}

void TestFrmEmp::amPmExclusion() {
    auto w = open();
    w->CheckAM2->click();
    QVERIFY(w->CheckAM2->isChecked());
    w->CheckPM2->click();
    QVERIFY(w->CheckPM2->isChecked());
    QVERIFY(!w->CheckAM2->isChecked());
    // The other panel's boxes are not touched.
    w->CheckAM->click();
    QVERIFY(w->CheckAM->isChecked());
    QVERIFY(w->CheckPM2->isChecked());
    w->CheckPM->click();
    QVERIFY(!w->CheckAM->isChecked());
    QVERIFY(w->CheckPM2->isChecked());
    w->CheckAM2->click();
    QVERIFY(!w->CheckPM2->isChecked());
    QVERIFY(w->CheckPM->isChecked());
}

void TestFrmEmp::keyboard() {
    auto w = open();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    // Enter anywhere in a panel stands for its Add button.
    pick(w->ComboHeureDebut, "10");
    pick(w->ComboMinuteDebut, "00");
    pick(w->ComboHeureFin, "11");
    pick(w->ComboMinuteFin, "00");
    w->ComboMinuteFin->setFocus();
    QTest::keyClick(w->ComboMinuteFin, Qt::Key_Return);
    QCOMPARE(w->List1->count(), 5);

    w->SSTab1->setCurrentIndex(1);
    w->TxtEmp->setFocus();
    QTest::keyClicks(w->TxtEmp, QStringLiteral("Break"));
    QTest::keyClick(w->TxtEmp, Qt::Key_Enter);
    QCOMPARE(w->labels().last(), QStringLiteral("Break"));
    QVERIFY(w->TxtEmp->text().isEmpty());

    // Tab order: the free text field, its Add button, then the list and Clear.
    QTest::keyClick(w->TxtEmp, Qt::Key_Tab);
    QCOMPARE(w->focusWidget(), w->CmdAddTexte);
    QTest::keyClick(w->CmdAddTexte, Qt::Key_Tab);
    QCOMPARE(w->focusWidget(), w->List1);
    QTest::keyClick(w->List1, Qt::Key_Tab);
    QCOMPARE(w->focusWidget(), w->CmdClear);

    w->SSTab1->setCurrentIndex(0);
    w->ComboHeureDebut->setFocus();
    const QList<QWidget *> steps{
        w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin, w->CheckAM2,
        w->CheckPM2,         w->CmdAddHours,   w->List1};
    for (QWidget *next : steps) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
        QCOMPARE(w->focusWidget(), next);
    }
}

void TestFrmEmp::badInput_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("first");

    QTest::newRow("LF only") << QByteArray("\"08:00\"\n\"08:15\"\n\"Lunch\"\n") << 3 << "08:00";
    QTest::newRow("unterminated quote") << QByteArray("\"Lunch\r\n\"09:00\"\r\n") << 2 << "Lunch";
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n\"08:00\"\r\n\r\n") << 1 << "08:00";
    QTest::newRow("only empty lines") << QByteArray("\r\n\r\n\n") << 0 << "";
    QByteArray big;
    for (int i = 0; i < 10000; ++i)
        big += "\"Row " + QByteArray::number(i) + "\"\r\n";
    QTest::newRow("10 000 lines") << big << 10000 << "Row 0";
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 151 + 7) % 256));
    // Whatever can be read from it, and at least something.
    QTest::newRow("binary") << binary << -1 << "";
    QTest::newRow("NUL bytes only") << QByteArray(512, '\0') << 0 << "";
}

void TestFrmEmp::badInput() {
    QFETCH(QByteArray, content);
    QFETCH(int, rows);
    QFETCH(QString, first);
    QVERIFY(app->write("hours.dat", content));
    QStringList read;
    {
        auto w = open();
        if (rows < 0) {
            rows = w->List1->count();
            QVERIFY(rows > 0);
        }
        QCOMPARE(w->List1->count(), rows);
        if (!first.isEmpty())
            QCOMPARE(w->List1->item(0)->text(), first);
        read = w->labels();
        w->close();
    }
    QVERIFY(platform->messageBox->shown.isEmpty());
    const QByteArray after = app->read("hours.dat");
    if (rows == 0) {
        QCOMPARE(after, content); // an empty list writes nothing
        return;
    }
    // A clean file: one quoted label per CR LF line, nothing else.
    const QList<QByteArray> lines = after.split('\n');
    QCOMPARE(lines.size(), rows + 1);
    QVERIFY(lines.last().isEmpty());
    for (qsizetype i = 0; i < rows; ++i) {
        const QByteArray &line = lines[i];
        QVERIFY(line.size() >= 4);
        QVERIFY(line.startsWith('"') && line.endsWith("\"\r"));
        QCOMPARE(line.count('"'), 2);
        for (char c : line.chopped(1))
            QVERIFY(static_cast<unsigned char>(c) >= 0x20);
    }
    QCOMPARE(readHours(hoursFilePath()), read);
}

void TestFrmEmp::rewriteReplacesWholeFile() {
    QVERIFY(app->write("hours.dat", "\"08:00\"\r\n\"09:00\"\r\n\"10:00\"\r\n"));
    const ino_t before = inodeOf(app->path("hours.dat"));
    QVERIFY(before != 0);
    auto w = open();
    w->setListIndex(0);
    platform->messageBox->answers.enqueue(vbYes);
    w->List1_DblClick();
    w->close();
    QCOMPARE(app->read("hours.dat"), QByteArray("\"09:00\"\r\n\"10:00\"\r\n"));
    // A new file took the old one's name, and no temporary file is left.
    QVERIFY(inodeOf(app->path("hours.dat")) != before);
    QCOMPARE(QDir(app->path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{"hours.dat"});
}

void TestFrmEmp::failedWriteKeepsOldFile() {
    const QByteArray earlier("\"08:00\"\r\n\"09:00\"\r\n");
    QVERIFY(app->write("hours.dat", earlier));
    auto w = open();
    pick(w->ComboHeureDebut, "00");
    pick(w->ComboMinuteDebut, "00");
    pick(w->ComboHeureFin, "23");
    pick(w->ComboMinuteFin, "45");
    w->CmdAddHours_Click(); // 96 more rows, far more than the limit below
    QCOMPARE(w->List1->count(), 98);
    {
        FileSizeLimit limit(64);
        QVERIFY(limit.ok());
        QTest::ignoreMessage(QtWarningMsg,
                             "hours.dat could not be written; it keeps its previous rows");
        w->close();
    }
    QVERIFY(!w->isVisible());
    QCOMPARE(app->read("hours.dat"), earlier);
    QCOMPARE(QDir(app->path(QString())).entryList(QDir::Files | QDir::Hidden),
             QStringList{"hours.dat"});
    QVERIFY(platform->messageBox->shown.isEmpty());
}

void TestFrmEmp::opensFromMainWindow() {
    MdiMain main;
    MdiMain::registerWindow(MdiMain::Tool::Hours,
                            [](QWidget *parent) { return new FrmEmp(parent); });
    main.show();
    QVERIFY(main.mnuliste->isEnabled());
    QVERIFY(app->write("hours.dat", "\"07:00\"\r\n"));

    for (bool fromToolbar : {false, true}) {
        if (fromToolbar)
            main.Toolbar1_ButtonClick(QStringLiteral("khoraires"));
        else
            main.mnuliste->trigger();
        QPointer<QWidget> w = main.toolWindow(MdiMain::Tool::Hours);
        auto *frm = qobject_cast<FrmEmp *>(w.data());
        QVERIFY(frm);
        QVERIFY(frm->isVisible());
        QCOMPARE(frm->labels().first(), QStringLiteral("07:00"));
        QVERIFY(!main.mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(main.Toolbar1->isHidden());

        frm->close();
        QVERIFY(main.mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(!main.Toolbar1->isHidden());
        // The instance is dropped; the next opening makes a fresh one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QCOMPARE(main.toolWindow(MdiMain::Tool::Hours), nullptr);
    }
    MdiMain::unregisterAll();
}

void TestFrmEmp::screenshot() {
    QVERIFY(app->write("hours.dat", "\"08:00\"\r\n\"08:30\"\r\n\"09:00\"\r\n\"Lunch, team\"\r\n"
                                    "\"13:00 14:00 PM\"\r\n"));
    auto w = open();
    pick(w->ComboHeureDebut, "08");
    pick(w->ComboMinuteDebut, "00");
    pick(w->ComboHeureFin, "12");
    pick(w->ComboMinuteFin, "00");
    w->Option1[1]->click();
    w->setListIndex(3);
    const QImage image = w->grab().toImage();
    QVERIFY(!image.isNull());
    // The list and the panel are side by side and nothing is cut off.
    QVERIFY(w->List1->geometry().left() >= w->Frame1[0]->geometry().right());
    QVERIFY(w->rect().contains(w->CmdClear->geometry()));
    QVERIFY(w->rect().contains(w->mapFromGlobal(w->CmdAddHours->mapToGlobal(QPoint(0, 0)))));
    const QString folder = QStringLiteral(TEMBREL_BINARY_DIR) + QStringLiteral("/screenshots");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(folder + QStringLiteral("/frmemp.png")));
    w->SSTab1->setCurrentIndex(1);
    w->TxtEmp->setText(QStringLiteral("Team meeting"));
    QVERIFY(w->grab().save(folder + QStringLiteral("/frmemp_freetext.png")));
    w->SSTab1->setCurrentIndex(2);
    pick(w->Combo2HeureDebut, "13");
    pick(w->Combo2MinuteDebut, "30");
    pick(w->Combo2HeureFin, "17");
    w->CheckPM->click();
    QVERIFY(w->grab().save(folder + QStringLiteral("/frmemp_sections.png")));
}

QTEST_MAIN(TestFrmEmp)
#include "tst_frmemp.moc"
