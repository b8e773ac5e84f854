// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/FrmReglages.h"
#include "settings/PictureBox.h"
#include "shell/FrmEntry.h"
#include "shell/MdiMain.h"

#include "AppFixture.h"
#include "Fakes.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tembrel;
using namespace tembrel::test;

namespace {

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
    void init() { m_app.emplace(); }
    void cleanup() { m_app.reset(); }

    void openAndCloseKeepsTheFiveValues_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray own = "\"DejaVu Sans\",255,65280,8421504,\"C:\\Apps\\calc.exe\"\r\n";
        QTest::newRow("as the program writes it") << own << own;
        QTest::newRow("no file") << QByteArray()
                                 << QByteArray(
                                        "\"Times New Roman\",12632256,16711680,12632256,\"\"\r\n");
        QTest::newRow("LF only, blanks around numbers")
            << QByteArray("\"Arial\", 1193046 ,0,16777215,\"/usr/bin/gnumeric\"\n")
            << QByteArray("\"Arial\",1193046,0,16777215,\"/usr/bin/gnumeric\"\r\n");
    }
    void openAndCloseKeepsTheFiveValues() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        if (!content.isNull())
            QVERIFY(m_app->write(QStringLiteral("param.ini"), content));
        FrmReglages w;
        if (content.isNull()) { // the defaults are shown
            QCOMPARE(w.LbPolice->text(), QStringLiteral("Times New Roman"));
            QCOMPARE(w.Picture2->palette().color(QPalette::Window), QColor(0, 0, 255));
        }
        w.close();
        QCOMPARE(m_app->read(QStringLiteral("param.ini")), expected);
    }

    void quotesNeverReachThePath() {
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.TextTableur->setFocus();
        QTest::keyClicks(w.TextTableur, QStringLiteral("C:\"a b\""));
        QCOMPARE(w.TextTableur->text(), QStringLiteral("C:a b"));
        // Pasted ones are removed.
        w.TextTableur->setCursorPosition(1);
        for (const char *pasted : {"\"\"\"", "\"\\x\\y.exe\""}) {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(pasted));
            QTest::keySequence(w.TextTableur, QKeySequence::Paste);
        }
        QCOMPARE(w.TextTableur->text(), QStringLiteral("C\\x\\y.exe:a b"));
    }

    void theStoredPathHasNoQuoteAndNoOuterBlanks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("outer blanks") << "  C:\\My calc.exe " << QStringLiteral("C:\\My calc.exe");
        QTest::newRow("blanks only") << "  \t " << QString();
        QTest::newRow("quotes and blanks") << " \"/opt/x  y\" " << QStringLiteral("/opt/x  y");
    }
    void theStoredPathHasNoQuoteAndNoOuterBlanks() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        FrmReglages w;
        w.TextTableur->setText(typed);
        w.close();
        const QByteArray bytes = m_app->read(QStringLiteral("param.ini"));
        QVERIFY(bytes.endsWith(",\"" + stored.toLatin1() + "\"\r\n"));
        QCOMPARE(bytes.count('"'), 4);
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
        QVERIFY(m_app->write(QStringLiteral("param.ini"), "\"Arial\",1,2,3,\"\"\r\n"));
        auto main = startMain();
        FrmReglages w(main.get());
        connect(&w, &FrmReglages::settingsChanged, main.get(), &MdiMain::applySettings);
        if (colour.isValid())
            m_app->dialogs->colours.enqueue(colour);
        (QList<QPushButton *>{w.Command1, w.Command2, w.Command4})[button]->click();
        QCOMPARE(m_app->dialogs->colourAsked, 1);
        QList<quint32> expected{1, 2, 3};
        expected[button] = stored;
        QCOMPARE((QList<quint32>{main->LbCouleurWE.BackColor, main->BackColor(),
                                 main->PictGridColor.BackColor}),
                 expected);
        w.close();
        const QString line = QStringLiteral("\"Arial\",%1,%2,%3,\"\"\r\n");
        QCOMPARE(m_app->read(QStringLiteral("param.ini")),
                 line.arg(expected[0]).arg(expected[1]).arg(expected[2]).toLatin1());
    }

    void aPickedFontShowsAndReachesTheMainWindowOnClosing() {
        const QStringList families = QFontDatabase::families();
        QVERIFY(families.size() >= 2);
        QVERIFY(m_app->write(QStringLiteral("param.ini"),
                             "\"" + families[0].toUtf8() + "\",1,2,3,\"\"\r\n"));
        auto main = startMain();
        FrmReglages w(main.get());
        connect(&w, &FrmReglages::settingsChanged, main.get(), &MdiMain::applySettings);
        QCOMPARE(w.LstFonts->currentRow(), 0); // the stored font
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.LstFonts->setFocus();
        QTest::keyClick(w.LstFonts, Qt::Key_Down);
        QCOMPARE((QStringList{w.LbPolice->text(), w.LbPolice->font().family()}),
                 QStringList(2, families[1]));
        // The font reaches the main window only on closing.
        QCOMPARE(main->LbPolice.Caption, families[0]);
        w.close();
        QCOMPARE(main->LbPolice.Caption, families[1]);
    }

    // Reaching the font list by keyboard makes its first row current, which is
    // no choice: the stored font stays until the user clicks or moves the
    // selection.
    void focusAloneChoosesNoFont() {
        QVERIFY(m_app->write(QStringLiteral("param.ini"), "\"No Such Font\",1,2,3,\"\"\r\n"));
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.LstFonts->currentRow(), -1);
        for (int tab = 0; tab < 10 && QApplication::focusWidget() != w.LstFonts; ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.LstFonts);
        QCOMPARE(w.LbPolice->text(), QStringLiteral("No Such Font"));
        QTest::keyClick(w.LstFonts, Qt::Key_Tab);
        w.close();
        QCOMPARE(m_app->read(QStringLiteral("param.ini")),
                 QByteArray("\"No Such Font\",1,2,3,\"\"\r\n"));
    }

    void aClickChoosesTheFont() {
        QVERIFY(m_app->write(QStringLiteral("param.ini"), "\"No Such Font\",1,2,3,\"\"\r\n"));
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QListWidgetItem *second = w.LstFonts->item(1);
        QTest::mouseClick(w.LstFonts->viewport(), Qt::LeftButton, {},
                          w.LstFonts->visualItemRect(second).center());
        QCOMPARE(w.LbPolice->text(), second->text());
    }

    void screenshot() {
        QVERIFY(m_app->write(QStringLiteral("param.ini"),
                             "\"DejaVu Serif\",8421631,16711680,12632256,"
                             "\"C:\\Program Files\\LibreOffice\\program\\scalc.exe\"\r\n"));
        FrmReglages w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage shot = w.grab().toImage();
        const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(shot.save(dir + QStringLiteral("/frmreglages.png")));
        // Each preview shows its colour of the file.
        const auto middle = [&](const QWidget *c) {
            return shot.pixelColor(c->mapTo(&w, c->rect().center()));
        };
        QCOMPARE(middle(w.Picture1), QColor(0xFF, 0x80, 0x80));
        QCOMPARE(middle(w.Picture2), QColor(0, 0, 0xFF));
        QCOMPARE(middle(w.Picture3), QColor(0xC0, 0xC0, 0xC0));
    }

private:
    std::optional<AppFixture> m_app;
};

QTEST_MAIN(TestFrmReglages)
#include "tst_frmreglages.moc"
