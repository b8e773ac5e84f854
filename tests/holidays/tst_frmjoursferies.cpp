// SPDX-License-Identifier: GPL-3.0-or-later
// The holiday window against real F<year>.ini and JFValid.ini files in a
// temporary application folder, typed into and clicked as a user would.

#include "holidays/FrmJoursFeries.h"
#include "shell/FrmEntry.h"
#include "shell/MdiMain.h"
#include "shell/Twips.h"

#include "Fakes.h"
#include "TestApp.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <memory>

using namespace tembrel;
using namespace tembrel::test;

namespace {

QList<int> selectedRows(const QListWidget *list) {
    QList<int> out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            out.append(i);
    return out;
}

QByteArray picksFile(int lines, const QList<int> &picked) {
    QByteArray out;
    for (int i = 0; i < lines; ++i)
        out += "\"" + dateText(QDate(2005, 1, 1).addDays(i)).toLatin1() +
               (picked.contains(i) ? "F" : "") + "\"\r\n";
    return out;
}

void clickRow(QListWidget *list, int row) {
    QListWidgetItem *item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

} // namespace

class TestFrmJoursFeries : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        QVERIFY(m_folder->isValid());
        m_platform = std::make_unique<FakePlatform>();
    }
    void cleanup() {
        MdiMain::unregisterAll();
        m_platform.reset();
        m_folder.reset();
    }

    void typingDigitByDigit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // shown at the last digit only
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("sixtieth");
        QTest::newRow("2006") << "2006" << QString() << 365 << "01/03/2006";
        QTest::newRow("2008") << "2008" << QString() << 366 << "29/02/2008";
        QTest::newRow("2000") << "2000" << QString() << 366 << "29/02/2000";
        QTest::newRow("2099") << "2099" << QString() << 365 << "01/03/2099";
        QTest::newRow("1999") << "1999"
                              << "lower than 2000 !" << 0 << QString();
        QTest::newRow("2100") << "2100"
                              << "higher than 2099 !" << 0 << QString();
        QTest::newRow("1000") << "1000" << QString() << 0 << QString();
        QTest::newRow("letters dropped") << "2a0-0 x6" << QString() << 365 << "01/03/2006";
    }
    void typingDigitByDigit() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, days);
        QFETCH(QString, sixtieth);
        FrmJoursFeries w;
        w.CheckAutres->setChecked(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.TxtAnnee->clear();
        w.TxtAnnee->setFocus();
        QString digits;
        for (QChar c : typed) {
            QTest::keyClick(w.TxtAnnee, c.toLatin1());
            if (c.isDigit())
                digits += c;
            QCOMPARE(w.TxtAnnee->text(), digits);
            if (digits.size() < 4) {
                QCOMPARE(w.List1->count(), 0);
                QVERIFY(m_platform->messageBox->shown.isEmpty());
            }
        }
        const auto &shown = m_platform->messageBox->shown;
        QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(shown[0].text, message);
            QCOMPARE(shown[0].style, int(vbOKOnly));
            QCOMPARE(shown[0].title, QStringLiteral("Tembrel"));
        }
        QCOMPARE(w.List1->count(), days);
        if (days) {
            const int year = digits.toInt();
            QCOMPARE(w.List1->item(0)->text(), QStringLiteral("01/01/%1").arg(year));
            QCOMPARE(w.List1->item(59)->text(), sixtieth);
            QCOMPARE(w.List1->item(days - 1)->text(), QStringLiteral("31/12/%1").arg(year));
            QVERIFY(w.List1->selectedItems().isEmpty());
        }
        QVERIFY(!w.CmdEnreg->isEnabled());
        // Backspace passes and the list follows the text.
        QTest::keyClick(w.TxtAnnee, Qt::Key_Backspace);
        QCOMPARE(w.TxtAnnee->text(), digits.chopped(1));
        QCOMPARE(w.List1->count(), 0);
        // Pasted text with a letter is refused whole.
        QGuiApplication::clipboard()->setText(QStringLiteral("x"));
        QTest::keySequence(w.TxtAnnee, QKeySequence::Paste);
        QCOMPARE(w.TxtAnnee->text(), digits.chopped(1));
        QVERIFY(QDir(AppFolder).entryList(QDir::Files).isEmpty());
    }

    void savingAndReopening() {
        QVERIFY(m_folder->write(QStringLiteral("JFValid.ini"), "1,0,0,1,0,0,0,0,0,0,0,0,1\r\n"));
        const int may1 = QDate(2005, 1, 1).daysTo(QDate(2005, 5, 1));
        const int june15 = QDate(2005, 1, 1).daysTo(QDate(2005, 6, 15));
        {
            FrmJoursFeries w;
            w.CheckAutres->setChecked(true);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.TxtAnnee->text(), QStringLiteral("2005")); // the fake clock's year
            QVERIFY(!w.CmdEnreg->isEnabled());
            clickRow(w.List1, may1);
            QVERIFY(w.CmdEnreg->isEnabled());
            clickRow(w.List1, june15);
            QTest::mouseClick(w.CmdEnreg, Qt::LeftButton);
            QVERIFY(!w.CmdEnreg->isEnabled());
        }
        const QByteArray bytes = m_folder->read(QStringLiteral("F2005.ini"));
        QCOMPARE(bytes, picksFile(365, {may1, june15}));
        QCOMPARE(bytes.count("\r\n"), 365);
        QCOMPARE(bytes.count("F\"\r\n"), 2);
        {
            FrmJoursFeries w;
            QCOMPARE(selectedRows(w.List1), (QList<int>{may1, june15}));
            QVERIFY(w.CmdEnreg->isEnabled());
        }
        QCOMPARE(
            holidayList(2005, AppFolder),
            (QStringList{"01/01/2005", "01/05/2005", "26/12/2005", "01/05/2005", "15/06/2005"}));
    }

    void nothingIsSavedWithoutAListedYear_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("three characters") << "200";
        QTest::newRow("below range") << "1999";
        QTest::newRow("above range") << "2100";
    }
    void nothingIsSavedWithoutAListedYear() {
        QFETCH(QString, text);
        FrmJoursFeries w;
        w.List1->item(3)->setSelected(true);
        QVERIFY(w.CmdEnreg->isEnabled());
        w.TxtAnnee->setText(text);
        QVERIFY(!w.CmdEnreg->isEnabled());
        w.CmdEnreg_Click();
        QVERIFY(QDir(AppFolder).entryList(QDir::Files).isEmpty());
    }

    void aFileIsReadByLinePositionAndTrailingF_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("picked");
        QTest::newRow("fewer lines") << picksFile(10, {0, 9}) << 10 << QList<int>{0, 9};
        QTest::newRow("more lines") << picksFile(400, {3, 399}) << 400 << QList<int>{3, 399};
        QTest::newRow("no pick") << picksFile(365, {}) << 365 << QList<int>{};
        QTest::newRow("empty file") << QByteArray() << 0 << QList<int>{};
        QTest::newRow("texts are not read as dates")
            << QByteArray("\"junk\"\r\n\"F\"\r\n\"31/12/1999F\"\n\"01/01/2005\"\r\n\"xF \"\r\n")
            << 5 << QList<int>{1, 2};
    }
    void aFileIsReadByLinePositionAndTrailingF() {
        QFETCH(QByteArray, content);
        QFETCH(int, count);
        QFETCH(QList<int>, picked);
        QVERIFY(m_folder->write(QStringLiteral("F2005.ini"), content));
        FrmJoursFeries w;
        QCOMPARE(w.List1->count(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(w.List1->item(i)->text(), dateText(QDate(2005, 1, 1).addDays(i)));
        QCOMPARE(selectedRows(w.List1), picked);
        QCOMPARE(w.CmdEnreg->isEnabled(), !picked.isEmpty());
        // Saving writes as many lines as were listed.
        w.CmdEnreg_Click();
        QCOMPARE(m_folder->read(QStringLiteral("F2005.ini")), picksFile(count, picked));
    }

    void aFailedSaveKeepsSaveAvailable() {
        // A folder where the file should be: the write cannot succeed.
        QVERIFY(QDir(AppFolder).mkdir(QStringLiteral("F2005.ini")));
        FrmJoursFeries w;
        QCOMPARE(w.List1->count(), 365);
        w.List1->item(0)->setSelected(true);
        w.CmdEnreg_Click();
        QVERIFY(w.CmdEnreg->isEnabled());
        QVERIFY(QFileInfo(m_folder->path(QStringLiteral("F2005.ini"))).isDir());
        QVERIFY(m_platform->messageBox->shown.isEmpty());
    }

    void autresSetsTheWidth() {
        FrmJoursFeries w;
        w.show();
        QVERIFY(!w.CheckAutres->isChecked());
        for (bool ticked : {true, false, true}) {
            QTest::keyClick(w.CheckAutres, Qt::Key_Space);
            QCOMPARE(w.CheckAutres->isChecked(), ticked);
            QCOMPARE(w.width(), twipsToPixels(ticked ? 6825 : 4935, &w));
            QCOMPARE(w.List1->isVisible(), ticked);
            QCOMPARE(w.TxtAnnee->isVisible(), ticked);
        }
    }

    void standardBoxesFollowJFValid() {
        const QStringList captions{
            "Jour de l'An", "Vendredi Saint", "Lundi de Pâques",    "1er mai",
            "8 mai",        "Ascension",      "Lundi de Pentecôte", "14 juillet",
            "15 août",      "1er novembre",   "11 novembre",        "Noël",
            "Saint-Etienne"};
        {
            // Without the file none counts, and one click writes all thirteen.
            FrmJoursFeries w;
            for (int n = 0; n < StandardHolidayCount; ++n) {
                QCOMPARE(w.standardBoxes()[n]->text(), captions[n]);
                QVERIFY(!w.standardBoxes()[n]->isChecked());
            }
            QVERIFY(!m_folder->exists(QStringLiteral("JFValid.ini")));
            w.ChkNoel->click();
            QCOMPARE(m_folder->read(QStringLiteral("JFValid.ini")),
                     QByteArray("0,0,0,0,0,0,0,0,0,0,0,1,0\r\n"));
        }
        QVERIFY(m_folder->write(QStringLiteral("JFValid.ini"), "1,0,1\n0,1,0,1,0,1,0,1,7,1"));
        FrmJoursFeries w;
        const QList<bool> expected{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
        for (int n = 0; n < StandardHolidayCount; ++n)
            QCOMPARE(w.standardBoxes()[n]->isChecked(), expected[n]);
        w.ChkVendredisaint->click();
        w.ChkSaintetienne->click();
        QCOMPARE(m_folder->read(QStringLiteral("JFValid.ini")),
                 QByteArray("1,1,1,0,1,0,1,0,1,0,1,0,0\r\n"));
        QCOMPARE(holidayList(2006, AppFolder),
                 (QStringList{"01/01/2006", "14/04/2006", "17/04/2006", "08/05/2006", "05/06/2006",
                              "15/08/2006", "11/11/2006"}));
    }

    void todaysYearAtLoad_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("messages");
        QTest::newRow("2026") << 2026 << "2026" << 0;
        QTest::newRow("2000") << 2000 << "2000" << 0;
        QTest::newRow("2150") << 2150 << "" << 1;
    }
    void todaysYearAtLoad() {
        QFETCH(int, year);
        QFETCH(QString, text);
        QFETCH(int, messages);
        m_platform->clock->current = QDateTime(QDate(year, 3, 1), QTime(8, 0));
        FrmJoursFeries w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Holidays..."));
        QCOMPARE(w.CmdEnreg->text(), QStringLiteral("Save"));
        QCOMPARE(w.TxtAnnee->text(), text);
        QCOMPARE(w.List1->count(), text.isEmpty() ? 0 : QDate(year, 1, 1).daysInYear());
        QCOMPARE(m_platform->messageBox->shown.size(), messages);
    }

    void closingGivesTheFileMenuAndToolbarBack_data() {
        QTest::addColumn<bool>("fromToolbar");
        QTest::newRow("menu item") << false;
        QTest::newRow("toolbar kferies") << true;
    }
    void closingGivesTheFileMenuAndToolbarBack() {
        QFETCH(bool, fromToolbar);
        MdiMain::registerWindow(MdiMain::Tool::Holidays,
                                [](QWidget *parent) { return new FrmJoursFeries(parent); });
        MdiMain main;
        main.Form_Load();
        FrmEntry::instance()->close();
        main.show();
        if (fromToolbar)
            main.Toolbar1_ButtonClick(QStringLiteral("kferies"));
        else
            main.mnujoursferies->trigger();
        QPointer<QWidget> w = main.toolWindow(MdiMain::Tool::Holidays);
        QVERIFY(qobject_cast<FrmJoursFeries *>(w.data()));
        QVERIFY(!main.mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(main.Toolbar1->isHidden());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(main.mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(!main.Toolbar1->isHidden());
        QTRY_VERIFY(w.isNull());
    }

    void screenshot() {
        QVERIFY(m_folder->write(QStringLiteral("JFValid.ini"), "1,0,1,1,1,1,1,1,1,1,1,1,0\r\n"));
        QVERIFY(m_folder->write(QStringLiteral("F2005.ini"), picksFile(365, {2, 4, 5})));
        FrmJoursFeries w;
        w.CheckAutres->setChecked(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(w.grab().save(dir + QStringLiteral("/frmjoursferies.png")));
        w.CheckAutres->setChecked(false);
        QVERIFY(w.grab().save(dir + QStringLiteral("/frmjoursferies-narrow.png")));
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
    std::unique_ptr<FakePlatform> m_platform;
};

QTEST_MAIN(TestFrmJoursFeries)
#include "tst_frmjoursferies.moc"
