// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "Screenshots.h"
#include "core/Strings.h"
#include "timerows/FrmEmp.h"
#include "timerows/HoursFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>
#include <optional>

using namespace tembrel;
using tembrel::test::AppFixture;

namespace {
void pickAll(const QList<QComboBox *> &combos, const char *texts) {
    const QStringList t = QString::fromLatin1(texts).split(QLatin1Char(' '));
    for (qsizetype i = 0; i < combos.size(); ++i)
        combos[i]->setCurrentIndex(combos[i]->findText(t[i]));
}
} // namespace

class TestFrmEmp final : public QObject {
    Q_OBJECT

    std::optional<AppFixture> app;

    std::unique_ptr<FrmEmp> open() {
        auto w = std::make_unique<FrmEmp>();
        w->show();
        return w;
    }
    QStringList asked() const { return app->messageBox->texts(true); }
    QStringList files() const {
        return QDir(app->path(QString())).entryList(QDir::Files | QDir::Hidden);
    }
    void pickHours(FrmEmp *w, const char *texts) {
        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin, w->ComboMinuteFin},
                texts);
    }

private Q_SLOTS:
    void init() { app.emplace(); }
    void cleanup() { app.reset(); }

    // Written on close, read back on opening; Clear asks, and Yes deletes the file at once.
    void saveReloadAndClear() {
        open()->close(); // first run: nothing to write
        QVERIFY(files().isEmpty());
        auto w = open();
        pickHours(w.get(), "08 00 08 30");
        w->CmdAddHours_Click();
        w->TxtEmp->setText(QStringLiteral("Lunch, team"));
        w->CmdAddTexte_Click();
        pickAll({w->Combo2HeureDebut, w->Combo2MinuteDebut, w->Combo2HeureFin}, "13 30 14");
        w->CheckPM->click();
        w->CmdApplicTranches_Click();
        w->close();
        const QByteArray written("\"08:00\"\r\n\"08:15\"\r\n\"08:30\"\r\n\"Lunch, team\"\r\n"
                                 "\"13:30 14:30 PM\"\r\n");
        QCOMPARE(app->read("hours.dat"), written);
        w = open();
        QCOMPARE(w->labels(),
                 QStringList({"08:00", "08:15", "08:30", "Lunch, team", "13:30 14:30 PM"}));
        app->messageBox->answers << vbNo << vbYes;
        w->CmdClear->click();
        QCOMPARE(w->List1->count(), 5);
        QCOMPARE(app->read("hours.dat"), written);
        w->CmdClear->click();
        QCOMPARE(asked(), QStringList(2, QStringLiteral("Clear the list ? [4]")));
        QCOMPARE(w->List1->count(), 0);
        QVERIFY(!app->exists("hours.dat")); // at once, the window still open
        w->close();
        QVERIFY(files().isEmpty());
    }

    // A double click or Delete on a selected row asks, nothing selected does not;
    // removing every row leaves the earlier file: only Clear deletes it.
    void removal() {
        const QByteArray earlier("\"08:00\"\r\n\"08:15\"\r\n\"09:00\"\r\n\"Lunch\"\r\n");
        QVERIFY(app->write("hours.dat", earlier));
        auto w = open();
        w->setListIndex(-1);
        QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {},
                           QPoint(5, w->List1->viewport()->height() - 3));
        QVERIFY(asked().isEmpty());
        app->messageBox->answers << vbNo << vbYes << vbYes;
        const QPoint at = w->List1->visualItemRect(w->List1->item(3)).center();
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->List1->viewport(), Qt::LeftButton, {}, at);
        w->setListIndex(1);
        QTest::keyClick(w->List1, Qt::Key_Delete);
        QCOMPARE(asked(),
                 QStringList({"Want you to remove Lunch ? [4]", "Want you to remove Lunch ? [4]",
                              "Want you to remove 08:15 ? [4]"}));
        QCOMPARE(w->labels(), QStringList({"08:00", "09:00"}));
        app->messageBox->defaultAnswer = vbYes;
        while (w->List1->count() > 0) {
            w->setListIndex(0);
            w->List1_DblClick();
        }
        w->close();
        QCOMPARE(app->read("hours.dat"), earlier);
    }

    // No "!" typed, 15 characters at most, blanks around dropped, a listed text refused.
    void freeText() {
        auto w = open();
        QTest::keyClicks(w->TxtEmp, QStringLiteral("0123!456789abcdefg"));
        QCOMPARE(w->TxtEmp->text(), QStringLiteral("0123456789abcde"));
        w->TxtEmp->setText(QStringLiteral(" Lunch"));
        w->CmdAddTexte->click();
        QVERIFY(w->TxtEmp->text().isEmpty());
        w->TxtEmp->setText(QStringLiteral("Lunch"));
        w->CmdAddTexte_Click();
        QCOMPARE(w->labels(), QStringList{"Lunch"});
        QCOMPARE(asked(), QStringList{"Already exist in the list! [0]"});
    }

    // hours.dat is Windows-1252: a character it cannot hold, or a quote, is dropped
    // as it arrives, typed or pasted, so the label shown is the label stored.
    void freeTextKeepsWhatTheFileHolds_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("quotes") << QStringLiteral("a\"b\"c") << QStringLiteral("abc");
        QTest::newRow("Polish") << QStringLiteral("Łódź 9h") << QStringLiteral("ód 9h");
        QTest::newRow("Cyrillic, euro") << QStringLiteral("Встреча €5") << QStringLiteral(" €5");
        QTest::newRow("Japanese, quote") << QStringLiteral("会議 \"A\"") << QStringLiteral(" A");
        QTest::newRow("emoji") << QStringLiteral("a😀b") << QStringLiteral("ab");
        QTest::newRow("Windows-1252 only")
            << QStringLiteral("Œuvre “x” ž") << QStringLiteral("Œuvre “x” ž");
    }
    void freeTextKeepsWhatTheFileHolds() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        auto w = open();
        // As a keyboard of that language types it: one key event per character
        // (QTest::keyClicks takes Latin-1 only).
        for (const uint c : typed.toUcs4()) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
            QApplication::sendEvent(w->TxtEmp, &key);
        }
        QCOMPARE(w->TxtEmp->text(), shown);
        w->TxtEmp->setText(QStringLiteral("[]"));
        w->TxtEmp->setCursorPosition(1);
        w->TxtEmp->insert(typed); // as a paste
        QCOMPARE(w->TxtEmp->text(), "[" + shown + "]");
        QCOMPARE(w->TxtEmp->cursorPosition(), 1 + shown.size());
        w->CmdAddTexte_Click();
        w->close();
        QCOMPARE(open()->labels(), QStringList{"[" + shown + "]"});
    }

    // Only the panel of the tab clicked shows; the tab already shown changes nothing.
    void tabs() {
        auto w = open();
        QString seen;
        for (int tab : {0, 2, 2, 1}) {
            QTest::mouseClick(w->SSTab1, Qt::LeftButton, {}, w->SSTab1->tabRect(tab).center());
            w->SSTab1_Click();
            for (QWidget *panel : w->Frame1)
                seen += panel->isHidden() ? '-' : 'X';
        }
        QCOMPARE(seen, QStringLiteral("X----X--X-X-")); // tabs 0, 2, 2, 1
    }

    // The controls reach the generators: step, AM/PM, the end minute copied
    // from the start minute; Enter in a panel stands for its Add button.
    void generatorsInWindow() {
        auto w = open();
        // A time field left empty: the message, nothing added.
        pickAll({w->ComboHeureDebut, w->ComboMinuteDebut, w->ComboHeureFin}, "08 00 09");
        w->CmdAddHours->click();
        QCOMPARE(asked(), QStringList{"Choose beginning time and  end time. [0]"});

        pickHours(w.get(), "22 00 23 00");
        w->Option1[1]->click();
        w->CheckAM2->click();
        QTest::keyClick(w->ComboMinuteFin, Qt::Key_Return);
        pickAll({w->Combo2HeureDebut, w->Combo2HeureFin, w->Combo2MinuteDebut}, "22 00 30");
        w->CmdApplicTranches->click();
        w->SSTab1->setCurrentIndex(1);
        QTest::keyClicks(w->TxtEmp, QStringLiteral("Break"));
        QTest::keyClick(w->TxtEmp, Qt::Key_Enter);
        QCOMPARE(w->labels(),
                 QStringList({"22:00 AM", "22:30 AM", "23:00 AM", "22:30 23:30", "Break"}));
        QCOMPARE(asked().size(), 1);
        // AM/PM exclude each other within a panel only.
        w->CheckPM2->click();
        w->CheckAM->click();
        w->CheckPM->click();
        QVERIFY(!w->CheckAM2->isChecked() && w->CheckPM2->isChecked() && !w->CheckAM->isChecked());
    }

    // Whatever can be read opens without a word; closing without a change leaves a
    // hand-edited file byte for byte as it was.
    void badInput_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("rows"); // -1: whatever can be read, but something
        QByteArray big, binary;
        for (int i = 0; i < 10000; ++i)
            big += "\"Row " + QByteArray::number(i) + "\"\r\n";
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 151 + 7) % 256));
        QTest::newRow("10 000 lines") << big << 10000;
        QTest::newRow("binary") << binary << -1;
    }
    void badInput() {
        QFETCH(QByteArray, content);
        QFETCH(int, rows);
        QVERIFY(app->write("hours.dat", content));
        auto w = open();
        const QStringList read = w->labels();
        w->close();
        QVERIFY(rows < 0 ? !read.isEmpty() : read.size() == rows);
        QVERIFY(asked().isEmpty());
        QCOMPARE(app->read("hours.dat"), content);
    }

    // A failed write keeps the previous file whole and no temporary file; the window
    // says so and stays open with its rows, so a later close saves them.
    void failedWriteKeepsTheWindowOpen() {
        const QByteArray earlier("\"09:00\"\r\n\"10:00\"\r\n");
        QVERIFY(app->write("hours.dat", earlier));
        auto w = open();
        pickHours(w.get(), "00 00 23 45");
        w->CmdAddHours_Click(); // 96 more rows, far beyond the room below
        {
            tembrel::test::FileSizeLimit limit(64);
            QVERIFY(limit.ok());
            QVERIFY(!w->close());
        }
        QVERIFY(w->isVisible());
        QCOMPARE(w->List1->count(), 98);
        QCOMPARE(app->read("hours.dat"), earlier);
        QCOMPARE(asked(), QStringList{LoadResString(190) + " [48]"});
        QVERIFY(w->close());
        QCOMPARE(readHours(app->path("hours.dat")), w->labels());
    }

    void screenshot() {
        QVERIFY(app->write(
            "hours.dat",
            "\"08:00\"\r\n\"08:30\"\r\n\"09:00\"\r\n\"Lunch, team\"\r\n\"13:00 14:00 PM\"\r\n"));
        auto w = open();
        pickHours(w.get(), "08 00 12 00");
        w->Option1[1]->click();
        w->setListIndex(3);
        QVERIFY(w->rect().contains(w->CmdClear->geometry()));
        const QImage shot = test::screenshot(w.get(), QStringLiteral("frmemp.png"));
        QVERIFY(!shot.isNull());
        // The five rows of the file, the fourth one highlighted.
        QCOMPARE(w->List1->count(), 5);
        QCOMPARE(test::highlightedRows(shot, w.get(), w->List1, 5), QList<int>{3});
        w->SSTab1->setCurrentIndex(2);
        pickAll({w->Combo2HeureDebut, w->Combo2MinuteDebut, w->Combo2HeureFin}, "13 30 17");
        QVERIFY(!test::screenshot(w.get(), QStringLiteral("frmemp_sections.png")).isNull());
    }
};

QTEST_MAIN(TestFrmEmp)
#include "tst_frmemp.moc"
