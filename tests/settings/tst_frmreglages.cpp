// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Windows.h"
#include "settings/FrmReglages.h"
#include "settings/PictureBox.h"
#include "shell/MdiMain.h"

#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "MainWindow.h"
#include "Screenshots.h"

#include <QApplication>
#include <QClipboard>
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

// The main window started on this param.ini; its settings window opened from
// the menu, through the program's own wiring.
std::unique_ptr<MdiMain> startedOn(const AppFixture &app, const QByteArray &ini) {
    return app.write(QStringLiteral("param.ini"), ini) ? startMainWindow() : nullptr;
}
FrmReglages *openSettings(MdiMain *main) {
    if (main)
        main->mnuoptions_Click();
    return main ? qobject_cast<FrmReglages *>(main->toolWindow(MdiMain::Tool::Settings)) : nullptr;
}

// A copy of a TrueType font under another family name: its naming table is
// replaced by one holding only the family, style and full names (UTF-16BE,
// Windows platform), appended at the end; the other tables stay as they are.
QByteArray renamedFont(const QByteArray &font, const QString &family) {
    const auto u16 = [](QByteArray &b, int v) { b.append(char(v >> 8)).append(char(v & 0xFF)); };
    QByteArray strings, records;
    const QList<QPair<int, QString>> names{
        {1, family}, {2, QStringLiteral("Regular")}, {4, family}, {6, QStringLiteral("Renamed")}};
    for (const auto &[id, text] : names) {
        QByteArray utf16;
        for (const QChar c : text)
            u16(utf16, c.unicode());
        for (int v : {3, 1, 0x409, id, int(utf16.size()), int(strings.size())})
            u16(records, v);
        strings += utf16;
    }
    QByteArray table;
    for (int v : {0, int(names.size()), int(6 + records.size())})
        u16(table, v);
    table += records + strings;

    QByteArray out = font;
    out.append(QByteArray((4 - out.size() % 4) % 4, '\0'));
    const int tables = quint8(font[4]) << 8 | quint8(font[5]);
    for (int t = 0; t < tables; ++t) {
        const qsizetype entry = 12 + 16 * t;
        if (font.mid(entry, 4) != "name")
            continue;
        const quint32 offset = quint32(out.size()), length = quint32(table.size());
        for (int i = 0; i < 4; ++i) {
            out[entry + 8 + i] = char(offset >> (24 - 8 * i));
            out[entry + 12 + i] = char(length >> (24 - 8 * i));
        }
        return out + table;
    }
    return {};
}

} // namespace

class TestFrmReglages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_app.emplace();
        registerWindows();
    }
    void cleanup() {
        unregisterWindows();
        m_app.reset();
    }

    // What the window reads it writes back; a path typed is stored without
    // quotes and outer blanks.
    void openAndCloseKeepsTheFiveValues_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QString>("typed");      // null: the path left as it is
        QTest::addColumn<QByteArray>("expected");
        const QByteArray own = "\"DejaVu Sans\",255,65280,8421504,\"C:\\Apps\\calc.exe\"\r\n";
        const QByteArray defaults = "\"Times New Roman\",12632256,16711680,12632256,";
        QTest::newRow("as the program writes it") << own << QString() << own;
        QTest::newRow("no file") << QByteArray() << QString() << defaults + "\"\"\r\n";
        QTest::newRow("LF only, blanks around numbers")
            << QByteArray("\"Arial\", 1193046 ,0,16777215,\"/usr/bin/gnumeric\"\n") << QString()
            << QByteArray("\"Arial\",1193046,0,16777215,\"/usr/bin/gnumeric\"\r\n");
        QTest::newRow("outer blanks typed")
            << QByteArray() << "  C:\\My calc.exe " << defaults + "\"C:\\My calc.exe\"\r\n";
        QTest::newRow("blanks only typed") << QByteArray() << "  \t " << defaults + "\"\"\r\n";
        QTest::newRow("quotes and blanks typed")
            << QByteArray() << " \"/opt/x  y\" " << defaults + "\"/opt/x  y\"\r\n";
    }
    void openAndCloseKeepsTheFiveValues() {
        QFETCH(QByteArray, content);
        QFETCH(QString, typed);
        if (!content.isNull())
            QVERIFY(m_app->write("param.ini", content));
        FrmReglages w;
        if (content.isNull()) { // the defaults are shown
            QCOMPARE(w.LbPolice->text(), QStringLiteral("Times New Roman"));
            QCOMPARE(w.Picture2->palette().color(QPalette::Window), QColor(0, 0, 255));
        }
        if (!typed.isNull())
            w.TextTableur->setText(typed);
        w.close();
        QTEST(m_app->read("param.ini"), "expected");
    }

    // param.ini that cannot be written: a message, the window open, the file as it
    // was; closing again tries again, and if that fails too, closes only on Yes.
    void aFailedWriteKeepsTheWindowOpen() {
        const QByteArray earlier = "\"Arial\",1,2,3,\"\"\r\n";
        const QString failed = QStringLiteral(
            "The settings could not be saved in param.ini, so they would be lost at the next "
            "start. The window stays open: close it again to try once more. [48]");
        const QString askAgain = QStringLiteral(
            "The settings still could not be saved in param.ini. Close the window anyway? The "
            "font, colours and path chosen will be lost at the next start. [52]");
        for (const bool retryWrites : {true, false}) {
            QVERIFY(m_app->write("param.ini", earlier));
            m_app->messageBox->shown.clear();
            FrmReglages w;
            QVERIFY(exposed(&w));
            m_app->dialogs->colours.enqueue(QColor(255, 0, 0));
            w.Command1->click();
            {
                const FileSizeLimit limit(8);
                QVERIFY(limit.ok());
                QVERIFY(!w.close() && w.isVisible());
                QCOMPARE(m_app->read("param.ini"), earlier);
                if (!retryWrites) {
                    m_app->messageBox->answers << vbNo << vbYes;
                    QVERIFY(!w.close() && w.isVisible());
                    QVERIFY(w.close());
                }
            }
            if (retryWrites)
                QVERIFY(w.close()); // the write works now: closed without a question
            QCOMPARE(m_app->messageBox->texts(true),
                     (retryWrites ? QStringList{failed} : QStringList{failed, askAgain, askAgain}));
            QCOMPARE(m_app->read("param.ini"),
                     retryWrites ? QByteArray("\"Arial\",255,2,3,\"\"\r\n") : earlier);
        }
    }

    // param.ini is Windows-1252: the path field drops what it cannot hold, and
    // quotes, typed or pasted, so the path read back is the path shown.
    void thePathKeepsWhatTheFileHolds_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("quotes only") << QStringLiteral("\"\"\"") << QString();
        QTest::newRow("quoted path")
            << QStringLiteral("\"\\x\\y.exe\"") << QStringLiteral("\\x\\y.exe");
        QTest::newRow("Cyrillic folder")
            << QStringLiteral("C:\\Программы\\calc.exe") << QStringLiteral("C:\\\\calc.exe");
        QTest::newRow("Polish, quote")
            << QStringLiteral("/home/\"Łódź\"/calc") << QStringLiteral("/home/ód/calc");
        QTest::newRow("Windows-1252 only")
            << QStringLiteral("/opt/Café €/calc") << QStringLiteral("/opt/Café €/calc");
    }
    void thePathKeepsWhatTheFileHolds() {
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        FrmReglages w;
        QVERIFY(exposed(&w));
        w.TextTableur->setFocus();
        QTest::keyClicks(w.TextTableur, QStringLiteral("C:\"a b\""));
        w.TextTableur->setCursorPosition(2);
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keySequence(w.TextTableur, QKeySequence::Paste);
        const QString path = "C:" + shown + "a b";
        QCOMPARE(w.TextTableur->text(), path);
        QCOMPARE(w.TextTableur->cursorPosition(), 2 + shown.size());
        w.close();
        FrmReglages again;
        QCOMPARE(again.TextTableur->text(), path);
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
        const auto main = startedOn(*m_app, "\"Arial\",1,2,3,\"\"\r\n");
        FrmReglages *w = openSettings(main.get());
        QVERIFY(w);
        if (colour.isValid())
            m_app->dialogs->colours.enqueue(colour);
        (QList<QPushButton *>{w->Command1, w->Command2, w->Command4})[button]->click();
        QCOMPARE(m_app->dialogs->colourAsked, 1);
        QList<quint32> expected{1, 2, 3};
        expected[button] = stored;
        QCOMPARE((QList<quint32>{main->LbCouleurWE.BackColor, main->BackColor(),
                                 main->PictGridColor.BackColor}),
                 expected);
        w->close();
        const QString line = QStringLiteral("\"Arial\",%1,%2,%3,\"\"\r\n");
        QCOMPARE(m_app->read("param.ini"),
                 line.arg(expected[0]).arg(expected[1]).arg(expected[2]).toLatin1());
    }

    void aPickedFontShowsAndReachesTheMainWindowOnClosing() {
        const QStringList families = QFontDatabase::families();
        QVERIFY(families.size() >= 2);
        const auto main = startedOn(*m_app, "\"" + families[0].toUtf8() + "\",1,2,3,\"\"\r\n");
        FrmReglages *w = openSettings(main.get());
        QVERIFY(w);
        QCOMPARE(w->LstFonts->currentRow(), 0); // the stored font
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->LstFonts->setFocus();
        QTest::keyClick(w->LstFonts, Qt::Key_Down);
        QCOMPARE((QStringList{w->LbPolice->text(), w->LbPolice->font().family()}),
                 QStringList(2, families[1]));
        // The font reaches the main window only on closing.
        QCOMPARE(main->LbPolice.Caption, families[0]);
        w->close();
        QCOMPARE(main->LbPolice.Caption, families[1]);
    }

    // Reaching the font list by keyboard makes its first row current, which is no
    // choice: the stored font stays until a click or a move picks another.
    void focusAloneChoosesNoFontAClickDoes() {
        QVERIFY(m_app->write("param.ini", "\"No Such Font\",1,2,3,\"\"\r\n"));
        {
            FrmReglages w;
            QVERIFY(active(&w));
            QCOMPARE(w.LstFonts->currentRow(), -1);
            for (int tab = 0; tab < 10 && QApplication::focusWidget() != w.LstFonts; ++tab)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), w.LstFonts);
            QCOMPARE(w.LbPolice->text(), QStringLiteral("No Such Font"));
            QTest::keyClick(w.LstFonts, Qt::Key_Tab);
            w.close();
        }
        QCOMPARE(m_app->read("param.ini"), QByteArray("\"No Such Font\",1,2,3,\"\"\r\n"));
        FrmReglages w;
        QVERIFY(exposed(&w));
        QListWidgetItem *second = w.LstFonts->item(1);
        QTest::mouseClick(w.LstFonts->viewport(), Qt::LeftButton, {},
                          w.LstFonts->visualItemRect(second).center());
        QCOMPARE(w.LbPolice->text(), second->text());
    }

    // param.ini is Windows-1252: a family whose name it cannot hold is not
    // offered, one it can is.
    void fontsWhoseNameTheFileCannotHoldAreNotOffered() {
        const QByteArray font = fileBytes("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        QStringList added;
        for (const QString &family : {QStringLiteral("Łódź Grotesk"), QStringLiteral("会議 Mincho"),
                                      QStringLiteral("Café Grotesk")}) {
            const int id = QFontDatabase::addApplicationFontFromData(renamedFont(font, family));
            QVERIFY(id >= 0);
            added += QFontDatabase::applicationFontFamilies(id);
        }
        QCOMPARE(added, (QStringList{"Łódź Grotesk", "会議 Mincho", "Café Grotesk"}));
        FrmReglages w;
        QStringList offered;
        for (int i = 0; i < w.LstFonts->count(); ++i)
            offered << w.LstFonts->item(i)->text();
        QVERIFY(offered.contains(QStringLiteral("Café Grotesk")));
        QVERIFY(!offered.contains(QStringLiteral("Łódź Grotesk")));
        QVERIFY(!offered.contains(QStringLiteral("会議 Mincho")));
        QCOMPARE(offered.size(), QFontDatabase::families().size() - 2);
        QFontDatabase::removeAllApplicationFonts();
    }

    void screenshot() {
        QVERIFY(m_app->write("param.ini",
                             "\"DejaVu Serif\",8421631,16711680,12632256,"
                             "\"C:\\Program Files\\LibreOffice\\program\\scalc.exe\"\r\n"));
        FrmReglages w;
        QVERIFY(exposed(&w));
        const QImage shot = test::screenshot(&w, QStringLiteral("frmreglages.png"));
        QVERIFY(!shot.isNull());
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
