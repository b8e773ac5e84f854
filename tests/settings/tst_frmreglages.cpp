// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window against a real param.ini in a temporary application
// folder, with the main window present where the settings land.

#include "settings/FrmReglages.h"
#include "settings/PictureBox.h"
#include "shell/FrmEntry.h"
#include "shell/MdiMain.h"
#include "shell/Strings.h"
#include "shell/TextRecords.h"
#include "shell/Twips.h"

#include "Fakes.h"
#include "TestApp.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include <memory>

using namespace tembrel;
using namespace tembrel::test;

namespace {

const QByteArray DefaultLine = "\"Times New Roman\",12632256,16711680,12632256,\"\"\r\n";

// A main window through its own start-up, with the splash closed.
std::unique_ptr<MdiMain> startMain() {
    auto main = std::make_unique<MdiMain>();
    main->Form_Load();
    if (FrmEntry *splash = FrmEntry::instance())
        splash->close();
    QCoreApplication::processEvents();
    return main;
}

QStringList paramFields(const TempAppFolder &folder) {
    return parseFields(folder.read(QStringLiteral("param.ini")));
}

} // namespace

class TestFrmReglages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempAppFolder>();
        QVERIFY(m_folder->isValid());
    }
    void cleanup() {
        MdiMain::unregisterAll();
        m_folder.reset();
    }

    void captionsComeFromTheStringTable() {
        FakePlatform platform;
        FrmReglages w;
        QCOMPARE(w.windowTitle(), LoadResString(123));
        QCOMPARE(w.windowTitle(), QStringLiteral("Settings"));
        QCOMPARE(w.LbCouleurWE->text(), QStringLiteral("Columns colors (weekend and holidays)"));
        QCOMPARE(w.LbFond->text(), QStringLiteral("Backcolor Main Window"));
        QCOMPARE(w.Label1->text(), QStringLiteral("Margins and headings grids"));
        QCOMPARE(w.LbPoliceImprimante->text(), QStringLiteral("Screen font"));
        QCOMPARE(w.LbTableur->text(), QStringLiteral("Chemin d'accès au tableur"));
        for (QPushButton *b : {w.Command1, w.Command2, w.Command4})
            QCOMPARE(b->text(), QStringLiteral("Palette"));
    }

    void withoutParamIniTheDefaultsShow() {
        FakePlatform platform;
        {
            FrmReglages w;
            QCOMPARE(w.LbPolice->text(), QStringLiteral("Times New Roman"));
            QCOMPARE(w.LbPolice->font().pointSize(), 12);
            QCOMPARE(w.Picture2->BackColor(), quint32(0xFF0000));
            QCOMPARE(w.Picture2->palette().color(QPalette::Window), QColor(0, 0, 255));
            QCOMPARE(w.Picture1->BackColor(), quint32(0xC0C0C0));
            QCOMPARE(w.Picture3->BackColor(), quint32(0xC0C0C0));
            QVERIFY(w.TextTableur->text().isEmpty());
            QVERIFY(!m_folder->exists(QStringLiteral("param.ini")));
            w.close();
        }
        // Closing writes the defaults, byte for byte.
        QCOMPARE(m_folder->read(QStringLiteral("param.ini")), DefaultLine);
    }

    void openAndCloseKeepsTheFiveValues_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("written by the program")
            << QByteArray("\"DejaVu Sans\",255,65280,8421504,\"C:\\Apps\\calc.exe\"\r\n")
            << QByteArray("\"DejaVu Sans\",255,65280,8421504,\"C:\\Apps\\calc.exe\"\r\n");
        QTest::newRow("LF only, blanks around numbers")
            << QByteArray("\"Arial\", 1193046 ,0,16777215,\"/usr/bin/gnumeric\"\n")
            << QByteArray("\"Arial\",1193046,0,16777215,\"/usr/bin/gnumeric\"\r\n");
        QTest::newRow("defaults") << DefaultLine << DefaultLine;
        QTest::newRow("accented path in Windows-1252")
            << QByteArray("\"Courier New\",1,2,3,\"C:\\Donn\xe9"
                          "es\\tableur.exe\"\r\n")
            << QByteArray("\"Courier New\",1,2,3,\"C:\\Donn\xe9"
                          "es\\tableur.exe\"\r\n");
    }
    void openAndCloseKeepsTheFiveValues() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        FakePlatform platform;
        QVERIFY(m_folder->write(QStringLiteral("param.ini"), content));
        const QStringList fields = parseFields(content);
        {
            FrmReglages w;
            QCOMPARE(w.LbPolice->text(), fields[0]);
            QCOMPARE(w.Picture1->BackColor(), quint32(fieldToInt(fields[1]).value()));
            QCOMPARE(w.Picture2->BackColor(), quint32(fieldToInt(fields[2]).value()));
            QCOMPARE(w.Picture3->BackColor(), quint32(fieldToInt(fields[3]).value()));
            QCOMPARE(w.TextTableur->text(), fields[4]);
            w.show();
            w.close();
        }
        QCOMPARE(m_folder->read(QStringLiteral("param.ini")), expected);
    }

    void aBrokenColourFieldKeepsItsDefault() {
        FakePlatform platform;
        QVERIFY(m_folder->write(QStringLiteral("param.ini"), "\"Arial\",abc,255\r\n"));
        FrmReglages w;
        QCOMPARE(w.LbPolice->text(), QStringLiteral("Arial"));
        QCOMPARE(w.Picture1->BackColor(), quint32(0xC0C0C0));
        QCOMPARE(w.Picture2->BackColor(), quint32(255));
        QCOMPARE(w.Picture3->BackColor(), quint32(0xC0C0C0));
        QVERIFY(w.TextTableur->text().isEmpty());
    }

    void aTypedDoubleQuoteDoesNothing() {
        FakePlatform platform;
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.TextTableur->setFocus();
        QSignalSpy changes(w.TextTableur, &QLineEdit::textChanged);
        QTest::keyClicks(w.TextTableur, QStringLiteral("C:\"a b\""));
        QCOMPARE(w.TextTableur->text(), QStringLiteral("C:a b"));
        // The quote never reached the text, not even for a moment.
        QCOMPARE(changes.count(), 5);
        QCOMPARE(w.TextTableur->cursorPosition(), 5);
    }

    void pastedQuotesAreRemoved_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("expectedCursor");
        QTest::newRow("into empty") << QString() << 0 << QStringLiteral("\"C:\\x\\y.exe\"")
                                    << QStringLiteral("C:\\x\\y.exe") << 10;
        QTest::newRow("in the middle")
            << QStringLiteral("ab") << 1 << QStringLiteral("\"-\"") << QStringLiteral("a-b") << 2;
        QTest::newRow("only quotes")
            << QStringLiteral("ab") << 2 << QStringLiteral("\"\"\"") << QStringLiteral("ab") << 2;
    }
    void pastedQuotesAreRemoved() {
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        QFETCH(int, expectedCursor);
        FakePlatform platform;
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.TextTableur->setText(before);
        w.TextTableur->setFocus();
        w.TextTableur->setCursorPosition(cursor);
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keySequence(w.TextTableur, QKeySequence::Paste);
        QCOMPARE(w.TextTableur->text(), expected);
        QCOMPARE(w.TextTableur->cursorPosition(), expectedCursor);
    }

    void theStoredPathHasNoQuoteAndNoOuterBlanks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("outer blanks") << QStringLiteral("   C:\\Program Files\\calc.exe  ")
                                      << QStringLiteral("C:\\Program Files\\calc.exe");
        QTest::newRow("blanks only") << QStringLiteral("    ") << QString();
        QTest::newRow("quotes and blanks")
            << QStringLiteral(" \"/opt/x y/z\" ") << QStringLiteral("/opt/x y/z");
        QTest::newRow("tab and inner blanks")
            << QStringLiteral("\t/a  b\t") << QStringLiteral("/a  b");
    }
    void theStoredPathHasNoQuoteAndNoOuterBlanks() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        FakePlatform platform;
        auto main = startMain();
        {
            FrmReglages w(main.get());
            w.TextTableur->setText(typed);
            QVERIFY(!w.TextTableur->text().contains(QLatin1Char('"')));
            w.close();
        }
        const QByteArray bytes = m_folder->read(QStringLiteral("param.ini"));
        QVERIFY(bytes.endsWith("\"" + toCp1252(stored) + "\"\r\n"));
        QCOMPARE(bytes.count('"'), 4);
        QCOMPARE(paramFields(*m_folder).value(4), stored);
        QCOMPARE(main->LbCheminTableur.Caption, stored);
    }

    void theFileDialogFillsThePath() {
        FakePlatform platform;
        FrmReglages w;
        w.TextTableur->setText(QStringLiteral("old"));
        // Cancelled: nothing changes.
        w.Command3->click();
        QCOMPARE(platform.dialogs->fileAsked, 1);
        QCOMPARE(w.TextTableur->text(), QStringLiteral("old"));
        platform.dialogs->files.enqueue(QStringLiteral("C:\\Tools\\\"calc\".exe"));
        w.Command3->click();
        QCOMPARE(w.TextTableur->text(), QStringLiteral("C:\\Tools\\calc.exe"));
    }

    void chosenColoursReachTheMainWindowAtOnce_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<quint32>("stored");
        QTest::newRow("weekend pure red") << 1 << QColor(255, 0, 0) << quint32(255);
        QTest::newRow("main window pure blue") << 2 << QColor(0, 0, 255) << quint32(16711680);
        QTest::newRow("main window green") << 2 << QColor(0, 128, 0) << quint32(0x008000);
        QTest::newRow("headings mixed") << 4 << QColor(0x12, 0x34, 0x56) << quint32(0x563412);
        QTest::newRow("weekend white") << 1 << QColor(Qt::white) << quint32(0xFFFFFF);
    }
    void chosenColoursReachTheMainWindowAtOnce() {
        QFETCH(int, button);
        QFETCH(QColor, colour);
        QFETCH(quint32, stored);
        FakePlatform platform;
        // Start the main window away from the colour, so the change shows.
        QVERIFY(m_folder->write(QStringLiteral("param.ini"), "\"Arial\",1,2,3,\"\"\r\n"));
        auto main = startMain();
        QCOMPARE(main->BackColor(), quint32(2));
        {
            FrmReglages w(main.get());
            platform.dialogs->colours.enqueue(colour);
            QPushButton *buttons[] = {nullptr, w.Command1, w.Command2, nullptr, w.Command4};
            PictureBox *previews[] = {nullptr, w.Picture1, w.Picture2, nullptr, w.Picture3};
            buttons[button]->click();
            QCOMPARE(platform.dialogs->colourAsked, 1);
            QCOMPARE(previews[button]->BackColor(), stored);
            const quint32 held[] = {0, main->LbCouleurWE.BackColor, main->BackColor(), 0,
                                    main->PictGridColor.BackColor};
            QCOMPARE(held[button], stored);
            // The other two settings are untouched.
            const quint32 before[] = {0, 1, 2, 0, 3};
            for (int other : {1, 2, 4})
                if (other != button)
                    QCOMPARE(held[other], before[other]);
            w.close();
        }
        const int field = button == 4 ? 3 : button;
        QCOMPARE(paramFields(*m_folder).value(field), QString::number(stored));
    }

    void cancellingTheColourDialogChangesNothing() {
        FakePlatform platform;
        QVERIFY(m_folder->write(QStringLiteral("param.ini"), "\"Arial\",11,22,33,\"\"\r\n"));
        auto main = startMain();
        {
            FrmReglages w(main.get());
            for (QPushButton *b : {w.Command1, w.Command2, w.Command4})
                b->click();
            QCOMPARE(platform.dialogs->colourAsked, 3);
            QCOMPARE(w.Picture1->BackColor(), quint32(11));
            QCOMPARE(w.Picture2->BackColor(), quint32(22));
            QCOMPARE(w.Picture3->BackColor(), quint32(33));
            QCOMPARE(main->LbCouleurWE.BackColor, quint32(11));
            QCOMPARE(main->BackColor(), quint32(22));
            QCOMPARE(main->PictGridColor.BackColor, quint32(33));
            QVERIFY(platform.messageBox->shown.isEmpty());
            w.close();
        }
        QCOMPARE(m_folder->read(QStringLiteral("param.ini")),
                 QByteArray("\"Arial\",11,22,33,\"\"\r\n"));
    }

    void theFontListIsTheSystemsAndAPickShowsIt() {
        FakePlatform platform;
        const QStringList families = QFontDatabase::families();
        QVERIFY(!families.isEmpty());
        auto main = startMain();
        {
            FrmReglages w(main.get());
            QStringList listed;
            for (int i = 0; i < w.LstFonts->count(); ++i)
                listed.append(w.LstFonts->item(i)->text());
            QCOMPARE(listed, families);

            const QString pick = families.last();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QListWidgetItem *item = w.LstFonts->item(w.LstFonts->count() - 1);
            w.LstFonts->scrollToItem(item);
            QTest::mouseClick(w.LstFonts->viewport(), Qt::LeftButton, {},
                              w.LstFonts->visualItemRect(item).center());
            QCOMPARE(w.LbPolice->text(), pick);
            QCOMPARE(w.LbPolice->font().family(), pick);
            QCOMPARE(w.LbPolice->font().pointSize(), 12);
            // The font reaches the main window only on closing.
            QCOMPARE(main->LbPolice.Caption, QStringLiteral("Times New Roman"));
            w.close();
            QCOMPARE(main->LbPolice.Caption, pick);
        }
        QCOMPARE(paramFields(*m_folder).value(0), families.last());
    }

    void theKeyboardPicksAFontToo() {
        FakePlatform platform;
        if (QFontDatabase::families().size() < 2)
            QSKIP("needs two fonts");
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.LstFonts->setFocus();
        QTest::keyClick(w.LstFonts, Qt::Key_Home);
        QCOMPARE(w.LbPolice->text(), w.LstFonts->item(0)->text());
        QTest::keyClick(w.LstFonts, Qt::Key_Down);
        QCOMPARE(w.LbPolice->text(), w.LstFonts->item(1)->text());
    }

    void theStoredFontIsTheListsCurrentEntry() {
        FakePlatform platform;
        const QString family = QFontDatabase::families().value(0);
        QVERIFY(m_folder->write(QStringLiteral("param.ini"),
                                "\"" + family.toUtf8() + "\",1,2,3,\"\"\r\n"));
        FrmReglages w;
        QVERIFY(w.LstFonts->currentItem());
        QCOMPARE(w.LstFonts->currentItem()->text(), family);
        QCOMPARE(w.LbPolice->text(), family);
    }

    void chosenSettingsAreHeldByTheMainWindow() {
        FakePlatform platform;
        auto main = startMain();
        const QString font = QFontDatabase::families().value(0);
        {
            FrmReglages w(main.get());
            w.LstFonts->setCurrentRow(0);
            platform.dialogs->colours.enqueue(QColor(255, 0, 0));
            platform.dialogs->colours.enqueue(QColor(0, 255, 0));
            platform.dialogs->colours.enqueue(QColor(0, 0, 255));
            w.Command1->click();
            w.Command2->click();
            w.Command4->click();
            w.TextTableur->setText(QStringLiteral(" /usr/bin/localc "));
            w.close();
        }
        Settings expected;
        expected.fontName = font;
        expected.weekendColour = 255;
        expected.mainBackColour = 0x00FF00;
        expected.gridColour = 0xFF0000;
        expected.spreadsheetPath = QStringLiteral("/usr/bin/localc");
        QCOMPARE(main->settings(), expected);
        // And a later start reads the same back.
        main.reset();
        auto next = startMain();
        QCOMPARE(next->settings(), expected);
    }

    void closingGivesTheFileMenuAndToolbarBack_data() {
        QTest::addColumn<bool>("fromToolbar");
        QTest::newRow("menu item") << false;
        QTest::newRow("toolbar koptions") << true;
    }
    void closingGivesTheFileMenuAndToolbarBack() {
        QFETCH(bool, fromToolbar);
        FakePlatform platform;
        MdiMain::registerWindow(MdiMain::Tool::Settings,
                                [](QWidget *parent) { return new FrmReglages(parent); });
        auto main = startMain();
        main->show();
        QVERIFY(main->mnuoptions->isEnabled());
        if (fromToolbar)
            main->Toolbar1_ButtonClick(QStringLiteral("koptions"));
        else
            main->mnuoptions->trigger();
        QPointer<QWidget> w = main->toolWindow(MdiMain::Tool::Settings);
        QVERIFY(qobject_cast<FrmReglages *>(w.data()));
        QVERIFY(w->isVisible());
        QVERIFY(!main->mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(main->Toolbar1->isHidden());
        w->close();
        QVERIFY(main->mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(!main->Toolbar1->isHidden());
        QTRY_VERIFY(w.isNull());
        QVERIFY(m_folder->exists(QStringLiteral("param.ini")));
    }

    void escapeAndOkCloseAndStore_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("OK") << false;
    }
    void escapeAndOkCloseAndStore() {
        QFETCH(bool, escape);
        FakePlatform platform;
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QCOMPARE(w.CmdFocus->text(), LoadResString(121));
        if (escape)
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            QTest::keyClick(w.CmdFocus, Qt::Key_Space);
        QVERIFY(!w.isVisible());
        QCOMPARE(m_folder->read(QStringLiteral("param.ini")), DefaultLine);
    }

    void theWindowSitsAtTheTopCentre() {
        FakePlatform platform;
        FrmReglages w;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(w.pos().y(), screen.y() + twipsToPixels(100, &w));
        QVERIFY(qAbs(w.pos().x() + w.frameGeometry().width() / 2 - screen.center().x()) <= 1);
        // Everything fits: nothing is cut off at its hinted size.
        QVERIFY(w.size().width() >= w.minimumSizeHint().width());
    }

    void screenshot() {
        FakePlatform platform;
        QVERIFY(m_folder->write(QStringLiteral("param.ini"),
                                "\"DejaVu Serif\",8421631,16711680,12632256,"
                                "\"C:\\Program Files\\LibreOffice\\program\\scalc.exe\"\r\n"));
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(w.grab().save(dir + QStringLiteral("/frmreglages.png")));
    }

private:
    std::unique_ptr<TempAppFolder> m_folder;
};

QTEST_MAIN(TestFrmReglages)
#include "tst_frmreglages.moc"
