// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window against a real param.ini in a temporary application
// folder, with the main window present where the settings land.

#include "settings/FrmReglages.h"
#include "settings/PictureBox.h"
#include "shell/FrmEntry.h"
#include "shell/MdiMain.h"
#include "shell/TextRecords.h"
#include "shell/Twips.h"

#include "Fakes.h"
#include "TestApp.h"

#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
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
    FrmEntry::instance()->close();
    return main;
}

} // namespace

class TestFrmReglages : public QObject {
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

    void withoutParamIniTheDefaultsShow() {
        FrmReglages w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Settings"));
        QCOMPARE(w.LbPolice->text(), QStringLiteral("Times New Roman"));
        QCOMPARE(w.LbPolice->font().pointSize(), 12);
        QCOMPARE(w.Picture2->BackColor(), quint32(0xFF0000));
        QCOMPARE(w.Picture2->palette().color(QPalette::Window), QColor(0, 0, 255));
        QCOMPARE(w.Picture1->BackColor(), quint32(0xC0C0C0));
        QCOMPARE(w.Picture3->BackColor(), quint32(0xC0C0C0));
        QVERIFY(w.TextTableur->text().isEmpty());
        QVERIFY(!m_folder->exists(QStringLiteral("param.ini")));
        w.CmdFocus->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(m_folder->read(QStringLiteral("param.ini")), DefaultLine);
    }

    void openAndCloseKeepsTheFiveValues_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray own = "\"DejaVu Sans\",255,65280,8421504,\"C:\\Apps\\calc.exe\"\r\n";
        QTest::newRow("as the program writes it") << own << own;
        QTest::newRow("LF only, blanks around numbers")
            << QByteArray("\"Arial\", 1193046 ,0,16777215,\"/usr/bin/gnumeric\"\n")
            << QByteArray("\"Arial\",1193046,0,16777215,\"/usr/bin/gnumeric\"\r\n");
    }
    void openAndCloseKeepsTheFiveValues() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        QVERIFY(m_folder->write(QStringLiteral("param.ini"), content));
        const QStringList fields = parseFields(content);
        FrmReglages w;
        QCOMPARE(w.LbPolice->text(), fields[0]);
        QCOMPARE(w.Picture1->BackColor(), quint32(fieldToInt(fields[1]).value()));
        QCOMPARE(w.Picture2->BackColor(), quint32(fieldToInt(fields[2]).value()));
        QCOMPARE(w.Picture3->BackColor(), quint32(fieldToInt(fields[3]).value()));
        QCOMPARE(w.TextTableur->text(), fields[4]);
        w.close();
        QCOMPARE(m_folder->read(QStringLiteral("param.ini")), expected);
    }

    void aTypedDoubleQuoteDoesNothing() {
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.TextTableur->setFocus();
        QSignalSpy changes(w.TextTableur, &QLineEdit::textChanged);
        QTest::keyClicks(w.TextTableur, QStringLiteral("C:\"a b\""));
        QCOMPARE(w.TextTableur->text(), QStringLiteral("C:a b"));
        // The quote never reached the text, not even for a moment.
        QCOMPARE(changes.count(), 5);
    }

    void pastedQuotesAreRemoved_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("cursor");
        QTest::newRow("around the path") << "\"C:\\x\\y.exe\""
                                         << "aC:\\x\\y.exeb" << 11;
        QTest::newRow("only quotes") << "\"\"\""
                                     << "ab" << 1;
    }
    void pastedQuotesAreRemoved() {
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        QFETCH(int, cursor);
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.TextTableur->setText(QStringLiteral("ab"));
        w.TextTableur->setFocus();
        w.TextTableur->setCursorPosition(1);
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keySequence(w.TextTableur, QKeySequence::Paste);
        QCOMPARE(w.TextTableur->text(), expected);
        QCOMPARE(w.TextTableur->cursorPosition(), cursor);
    }

    void theStoredPathHasNoQuoteAndNoOuterBlanks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("outer blanks") << "   C:\\Program Files\\calc.exe  "
                                      << "C:\\Program Files\\calc.exe";
        QTest::newRow("blanks only") << "  \t "
                                     << "";
        QTest::newRow("quotes and blanks") << " \"/opt/x  y\" "
                                           << "/opt/x  y";
    }
    void theStoredPathHasNoQuoteAndNoOuterBlanks() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        auto main = startMain();
        FrmReglages w(main.get());
        w.TextTableur->setText(typed);
        w.close();
        const QByteArray bytes = m_folder->read(QStringLiteral("param.ini"));
        QVERIFY(bytes.endsWith(",\"" + stored.toLatin1() + "\"\r\n"));
        QCOMPARE(bytes.count('"'), 4);
        QCOMPARE(main->LbCheminTableur.Caption, stored);
    }

    void theFileDialogFillsThePath() {
        FrmReglages w;
        w.TextTableur->setText(QStringLiteral("old"));
        w.Command3->click(); // cancelled
        QCOMPARE(m_platform->dialogs->fileAsked, 1);
        QCOMPARE(w.TextTableur->text(), QStringLiteral("old"));
        m_platform->dialogs->files.enqueue(QStringLiteral("C:\\Tools\\\"calc\".exe"));
        w.Command3->click();
        QCOMPARE(w.TextTableur->text(), QStringLiteral("C:\\Tools\\calc.exe"));
    }

    void coloursReachTheMainWindowAtOnce_data() {
        QTest::addColumn<int>("button"); // 0 weekend, 1 main window, 2 headings
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<quint32>("stored");
        QTest::newRow("weekend pure red") << 0 << QColor(255, 0, 0) << quint32(255);
        QTest::newRow("main window pure blue") << 1 << QColor(0, 0, 255) << quint32(16711680);
        QTest::newRow("headings mixed") << 2 << QColor(0x12, 0x34, 0x56) << quint32(0x563412);
        QTest::newRow("cancelled") << 1 << QColor() << quint32(2);
    }
    void coloursReachTheMainWindowAtOnce() {
        QFETCH(int, button);
        QFETCH(QColor, colour);
        QFETCH(quint32, stored);
        QVERIFY(m_folder->write(QStringLiteral("param.ini"), "\"Arial\",1,2,3,\"\"\r\n"));
        auto main = startMain();
        FrmReglages w(main.get());
        if (colour.isValid())
            m_platform->dialogs->colours.enqueue(colour);
        const QList<QPushButton *> buttons{w.Command1, w.Command2, w.Command4};
        buttons[button]->click();
        QCOMPARE(m_platform->dialogs->colourAsked, 1);
        QList<quint32> expected{1, 2, 3};
        expected[button] = stored;
        const auto previews = [&w] {
            return QList<quint32>{w.Picture1->BackColor(), w.Picture2->BackColor(),
                                  w.Picture3->BackColor()};
        };
        const auto held = [&main] {
            return QList<quint32>{main->LbCouleurWE.BackColor, main->BackColor(),
                                  main->PictGridColor.BackColor};
        };
        QCOMPARE(previews(), expected);
        QCOMPARE(held(), expected);
        w.close();
        const QStringList fields = parseFields(m_folder->read(QStringLiteral("param.ini")));
        QCOMPARE(fields.mid(1, 3),
                 (QStringList{QString::number(expected[0]), QString::number(expected[1]),
                              QString::number(expected[2])}));
    }

    void theFontListIsTheSystemsAndAPickShowsIt() {
        const QStringList families = QFontDatabase::families();
        QVERIFY(families.size() >= 2);
        QVERIFY(m_folder->write(QStringLiteral("param.ini"),
                                "\"" + families[0].toUtf8() + "\",1,2,3,\"\"\r\n"));
        auto main = startMain();
        FrmReglages w(main.get());
        QStringList listed;
        for (int i = 0; i < w.LstFonts->count(); ++i)
            listed.append(w.LstFonts->item(i)->text());
        QCOMPARE(listed, families);
        QCOMPARE(w.LstFonts->currentRow(), 0); // the stored font
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QListWidgetItem *last = w.LstFonts->item(w.LstFonts->count() - 1);
        w.LstFonts->scrollToItem(last);
        QTest::mouseClick(w.LstFonts->viewport(), Qt::LeftButton, {},
                          w.LstFonts->visualItemRect(last).center());
        QCOMPARE(w.LbPolice->text(), families.last());
        QCOMPARE(w.LbPolice->font().family(), families.last());
        QCOMPARE(w.LbPolice->font().pointSize(), 12);
        w.LstFonts->setFocus();
        QTest::keyClick(w.LstFonts, Qt::Key_Home);
        QTest::keyClick(w.LstFonts, Qt::Key_Down);
        QCOMPARE(w.LbPolice->text(), families[1]);
        // The font reaches the main window only on closing.
        QCOMPARE(main->LbPolice.Caption, families[0]);
        w.close();
        QCOMPARE(main->LbPolice.Caption, families[1]);
    }

    void chosenSettingsAreHeldByTheMainWindow() {
        auto main = startMain();
        {
            FrmReglages w(main.get());
            w.LstFonts->setCurrentRow(0);
            for (QColor c : {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)})
                m_platform->dialogs->colours.enqueue(c);
            w.Command1->click();
            w.Command2->click();
            w.Command4->click();
            w.TextTableur->setText(QStringLiteral(" /usr/bin/localc "));
            w.close();
        }
        const Settings expected{QFontDatabase::families().value(0), 0x0000FF, 0x00FF00, 0xFF0000,
                                QStringLiteral("/usr/bin/localc")};
        QCOMPARE(main->settings(), expected);
        // And the next start reads the same back.
        main.reset();
        QCOMPARE(startMain()->settings(), expected);
    }

    void closingGivesTheFileMenuAndToolbarBack_data() {
        QTest::addColumn<bool>("fromToolbar");
        QTest::newRow("menu item") << false;
        QTest::newRow("toolbar koptions") << true;
    }
    void closingGivesTheFileMenuAndToolbarBack() {
        QFETCH(bool, fromToolbar);
        MdiMain::registerWindow(MdiMain::Tool::Settings,
                                [](QWidget *parent) { return new FrmReglages(parent); });
        auto main = startMain();
        main->show();
        if (fromToolbar)
            main->Toolbar1_ButtonClick(QStringLiteral("koptions"));
        else
            main->mnuoptions->trigger();
        QPointer<QWidget> w = main->toolWindow(MdiMain::Tool::Settings);
        QVERIFY(qobject_cast<FrmReglages *>(w.data()));
        QVERIFY(!main->mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(main->Toolbar1->isHidden());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(main->mnuconfiguration->menuAction()->isEnabled());
        QVERIFY(!main->Toolbar1->isHidden());
        QTRY_VERIFY(w.isNull());
        QCOMPARE(m_folder->read(QStringLiteral("param.ini")), DefaultLine);
    }

    void theWindowSitsAtTheTopCentre() {
        FrmReglages w;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(w.pos().y(), screen.y() + twipsToPixels(100, &w));
        QVERIFY(qAbs(w.pos().x() + w.frameGeometry().width() / 2 - screen.center().x()) <= 1);
    }

    void screenshot() {
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
    std::unique_ptr<FakePlatform> m_platform;
};

QTEST_MAIN(TestFrmReglages)
#include "tst_frmreglages.moc"
