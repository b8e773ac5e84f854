// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/Strings.h"
#include "holidays/FrmJoursFeries.h"

#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "PicksFiles.h"
#include "Screenshots.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

void clickRow(QListWidget *list, int row) {
    QListWidgetItem *item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

} // namespace

class TestFrmJoursFeries : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_app.emplace(); }
    void cleanup() { m_app.reset(); }

    void typingDigitByDigit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // shown at the last digit only
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("sixtieth");
        // Letters and signs typed among the digits are dropped.
        QTest::newRow("2006") << "2a0-0 x6" << QString() << 365 << "01/03/2006";
        QTest::newRow("2008") << "2008" << QString() << 366 << "29/02/2008";
        QTest::newRow("1999") << "1999" << QStringLiteral("lower than 2000 !") << 0 << QString();
        QTest::newRow("2100") << "2100" << QStringLiteral("higher than 2099 !") << 0 << QString();
    }
    void typingDigitByDigit() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, days);
        FrmJoursFeries w;
        w.CheckAutres->setChecked(true);
        QVERIFY(exposed(&w));
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
                QVERIFY(m_app->messageBox->shown.isEmpty());
            }
        }
        QCOMPARE(m_app->messageBox->texts(),
                 message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(w.List1->count(), days);
        if (days) {
            QTEST(w.List1->item(59)->text(), "sixtieth");
            QCOMPARE(w.List1->item(days - 1)->text(), u"31/12/"_qs + digits);
        }
    }

    // Each field is read by its date (one that does not read shifts nothing) and
    // its day shown picked; Save writes the 365 days in order.
    void aFileIsReadByDate_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("picked");
        QTest::newRow("fewer lines") << picksFile(2005, 10, {0, 9}) << QList<int>{0, 9};
        QTest::newRow("more lines, next year's") << picksFile(2005, 400, {3, 399}) << QList<int>{3};
        QTest::newRow("unreadable dates first")
            << "\"31/02/2005F\"\r\n\"garbageF\"\r\n" + picksFile(2005, 365, {120, 165})
            << QList<int>{120, 165};
        QTest::newRow("texts and other years")
            << QByteArray("\"junk\"\r\n\"F\"\r\n\"31/12/1999F\"\n\"01/01/2005\"\r\n\"xF \"\r\n")
            << QList<int>{};
        QTest::newRow("40 000 picked fields")
            << QByteArray("\"01/05/2005F\"\r\n").repeated(40000) << QList<int>{120};
    }
    void aFileIsReadByDate() {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, picked);
        QVERIFY(m_app->write("F2005.ini", content));
        FrmJoursFeries w;
        QCOMPARE(w.List1->count(), 365);
        QCOMPARE(selectedRows(w.List1), picked);
        w.CmdEnreg_Click();
        QCOMPARE(m_app->read("F2005.ini"), picksFile(2005, 365, picked));
    }

    // An unfinished year refuses Save (a failed write: the next test).
    void aRefusedSaveWritesNothing() {
        FrmJoursFeries w;
        w.List1->item(3)->setSelected(true);
        QVERIFY(w.CmdEnreg->isEnabled());
        w.TxtAnnee->setText(QStringLiteral("200"));
        QVERIFY(!w.CmdEnreg->isEnabled());
        w.CmdEnreg_Click();
        QVERIFY(QDir(AppFolder).entryList(QDir::Files).isEmpty());
    }

    // A Save that fails says so and keeps the picks and Save; closing with
    // picks that are not saved asks first, and only Yes drops them.
    void unsavedPicksAreNeverDroppedWithoutAWord() {
        const QByteArray earlier = picksFile(2005, 365, {0});
        QVERIFY(m_app->write("F2005.ini", earlier));
        FrmJoursFeries w;
        QVERIFY(exposed(&w));
        w.List1->item(120)->setSelected(true);
        {
            const FileSizeLimit limit(8);
            QVERIFY(limit.ok());
            w.CmdEnreg_Click();
        }
        QVERIFY(w.CmdEnreg->isEnabled());
        QCOMPARE(m_app->read("F2005.ini"), earlier);
        m_app->messageBox->answers << vbNo << vbYes;
        QVERIFY(!w.close() && w.isVisible());
        QCOMPARE(selectedRows(w.List1), (QList<int>{0, 120}));
        QVERIFY(w.close());
        const QString asked = QStringLiteral("The holidays picked for 2005 are not saved. Close "
                                             "the window anyway? They will be lost. [52]");
        QCOMPARE(m_app->messageBox->texts(true),
                 (QStringList{QStringLiteral("The holidays of 2005 could not be saved in "
                                             "F2005.ini. They are kept here: try Save again. [48]"),
                              asked, asked}));
        // Picks clicked and saved, or none changed, close without a question.
        FrmJoursFeries again;
        again.CheckAutres->setChecked(true);
        QVERIFY(exposed(&again));
        QCOMPARE(again.TxtAnnee->text(), QStringLiteral("2005")); // the fake clock's year
        clickRow(again.List1, 120);
        clickRow(again.List1, 165);
        QTest::mouseClick(again.CmdEnreg, Qt::LeftButton);
        QVERIFY(!again.CmdEnreg->isEnabled());
        QVERIFY(again.close());
        FrmJoursFeries unchanged;
        QCOMPARE(selectedRows(unchanged.List1), (QList<int>{0, 120, 165}));
        QVERIFY(unchanged.close());
        QCOMPARE(m_app->messageBox->shown.size(), 3);
        QCOMPARE(m_app->read("F2005.ini"), picksFile(2005, 365, {0, 120, 165}));
    }

    void standardBoxesFollowJFValid() {
        QVERIFY(m_app->write("JFValid.ini", "1,0,1\n0,1,0,1,0,1,0,1,7,1"));
        FrmJoursFeries w;
        for (int n = 0; n < StandardHolidayCount; ++n)
            QCOMPARE(w.standardBoxes()[n]->isChecked(), n % 2 == 0);
        // Each click rewrites all thirteen fields.
        w.ChkVendredisaint->click();
        w.ChkSaintetienne->click();
        QCOMPARE(m_app->read("JFValid.ini"), QByteArray("1,1,1,0,1,0,1,0,1,0,1,0,0\r\n"));
    }

    // A JFValid.ini that cannot be written: a message, and the box goes back to
    // the file's value, so it never shows a holiday the grid will not colour.
    void aFailedWritePutsTheBoxBack() {
        const QByteArray earlier("1,0,1,1,1,1,1,1,1,1,1,1,1\r\n");
        QVERIFY(m_app->write("JFValid.ini", earlier));
        FrmJoursFeries w;
        {
            const FileSizeLimit limit(8);
            QVERIFY(limit.ok());
            w.ChkVendredisaint->click();
            QTest::keyClick(w.ChkNoel, Qt::Key_Space);
        }
        QVERIFY(!w.ChkVendredisaint->isChecked());
        QVERIFY(w.ChkNoel->isChecked());
        QCOMPARE(m_app->read("JFValid.ini"), earlier);
        QCOMPARE(m_app->messageBox->texts(true), QStringList(2, LoadResString(191) + " [48]"));
        w.ChkVendredisaint->click();
        QCOMPARE(m_app->read("JFValid.ini"), QByteArray("1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"));
    }

    void screenshot() {
        QVERIFY(m_app->write("JFValid.ini", "1,0,1,1,1,1,1,1,1,1,1,1,0\r\n"));
        QVERIFY(m_app->write("F2005.ini", picksFile(2005, 365, {2, 4, 5})));
        FrmJoursFeries w;
        QVERIFY(exposed(&w));
        QVERIFY(!w.List1->isVisible());
        // "Autres" by keyboard shows the days.
        QTest::keyClick(w.CheckAutres, Qt::Key_Space);
        QVERIFY(w.List1->isVisible() && w.TxtAnnee->isVisible());
        const QImage shot = test::screenshot(&w, QStringLiteral("frmjoursferies.png"));
        QVERIFY(!shot.isNull());
        // The picked days, and only they, are drawn highlighted.
        QCOMPARE(highlightedRows(shot, &w, w.List1, 7), (QList<int>{2, 4, 5}));
    }

private:
    std::optional<AppFixture> m_app;
};

QTEST_MAIN(TestFrmJoursFeries)
#include "tst_frmjoursferies.moc"
