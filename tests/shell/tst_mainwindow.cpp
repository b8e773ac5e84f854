// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, its splash and the progress window: real windows (offscreen), real
// files in a temporary application folder, doubles for message boxes and the instance test.

#include "core/Shared.h"
#include "core/Strings.h"
#include "shell/FrmEntry.h"
#include "shell/MdiMain.h"
#include "shell/QtColours.h"

#include "AppFixture.h"
#include "MainWindow.h"
#include "Screenshots.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QToolBar>

#include <array>
#include <memory>
#include <numeric>

using namespace tembrel;
using Tool = MdiMain::Tool;

namespace {

constexpr int ToolCount = 7;
std::array<int, ToolCount> g_created{};
const QStringList g_keys{"kouvrir", "khoraires", "kferies", "koptions", "kaide"};

// A stand-in for a tool window; the main window alone takes the File menu and
// the toolbar while it exists and gives them back at its end.
struct DummyTool final : QWidget {
    using QWidget::QWidget;
    bool refuseClose = false;
    void closeEvent(QCloseEvent *e) override {
        if (refuseClose)
            return e->ignore();
        e->accept();
    }
};

int opened() {
    return std::accumulate(g_created.begin(), g_created.end(), 0);
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString joined(const Settings &s) {
    const auto n = [](quint32 v) { return QString::number(v); };
    return QStringList{s.fontName, n(s.weekendColour), n(s.mainBackColour), n(s.gridColour),
                       s.spreadsheetPath}
        .join(u',');
}

// The doubles, a temporary application folder and the main window in it.
struct Session {
    test::AppFixture app;
    std::unique_ptr<MdiMain> m;

    void start(bool pastSplash = true) {
        for (int i = 0; i < ToolCount; ++i)
            MdiMain::registerWindow(
                Tool(i), [i](QWidget *parent) { return ++g_created[i], new DummyTool(parent); });
        m = std::make_unique<MdiMain>();
        if (!m->Form_Load())
            return;
        m->resize(800, 560);
        m->show();
        if (pastSplash)
            test::endSplash();
    }
    bool fileEnabled() const { return m->mnuconfiguration->menuAction()->isEnabled(); }
    QWidget *viewport() const { return m->findChild<QMdiArea *>()->viewport(); }
    void click(const QString &key) {
        QTest::mouseClick(m->Toolbar1->widgetForAction(m->toolbarButton(key)), Qt::LeftButton);
    }
    // Types a key the way a user does: into the main window once it has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        QTest::keyClick(QApplication::activeWindow(), key, modifiers);
    }
    // A click on the client area with `button`: true when the File menu popped up.
    bool clickPopsFileMenu(Qt::MouseButton button) {
        QTest::mousePress(viewport(), button, {}, QPoint(50, 50));
        QTest::mouseRelease(viewport(), button, {}, QPoint(50, 50));
        const bool open = m->mnuconfiguration->isVisible();
        m->mnuconfiguration->hide();
        return open;
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        for (int i = 0; i < ToolCount; ++i)
            MdiMain::registerWindow(Tool(i), {});
        g_created.fill(0);
        RecordingWindowOpen = false;
    }
    void cleanup() { init(), flushDeletes(); }

    // Missing, whole and malformed param.ini: what can be read is applied, the
    // rest keeps its default, nothing is shown and the file is not created.
    // (One too large to read: tst_textrecords.)
    void paramIni_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // font, weekend, main window, heading colours, path
        const QString defaults = QStringLiteral("Times New Roman,12632256,16711680,12632256,");
        QTest::newRow("missing") << false << QByteArray() << defaults;
        QTest::newRow("present")
            << true << QByteArray("\"Arial\",255,32768,8421504,\"C:\\Program Files\\calc.exe\"\r\n")
            << "Arial,255,32768,8421504,C:\\Program Files\\calc.exe";
        QTest::newRow("non-number, out of range")
            << true << QByteArray("\"Arial\",-1,blue,65535,\"x\"\r\n")
            << "Arial,12632256,16711680,65535,x";
        QTest::newRow("missing fields")
            << true << QByteArray("\"Verdana\",255\r\n") << "Verdana,255,16711680,12632256,";
        QTest::newRow("empty file") << true << QByteArray() << defaults;
        QTest::newRow("binary") << true << QByteArray("\x00\xFF\x01\x02\"\x80\x1B,\x7F\n\x00", 11)
                                << defaults;
    }
    void paramIni() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        Session s;
        QVERIFY(!exists || s.app.write(QStringLiteral("param.ini"), content));
        s.start(false);
        QVERIFY(FrmEntry::instance()); // the load went on to the splash
        QTEST(joined(s.m->settings()), "expected");
        QCOMPARE(s.m->findChild<QMdiArea *>()->background().color(), toQColor(s.m->BackColor()));
        QVERIFY(s.app.messageBox->shown.isEmpty());
        QCOMPARE(s.app.exists(QStringLiteral("param.ini")), exists);
    }

    void splashHoldsEverythingForThreeTicks() {
        Session s;
        s.start(false);
        QPointer<FrmEntry> splash = FrmEntry::instance();
        QVERIFY(splash);
        for (int tick = 1; tick <= 3; ++tick) {
            QVERIFY(!s.fileEnabled() && !s.m->mnuaide->menuAction()->isEnabled());
            QVERIFY(!s.clickPopsFileMenu(Qt::RightButton));
            for (const QString &key : g_keys)
                s.click(key);
            s.press(Qt::Key_O, Qt::ControlModifier);
            s.press(Qt::Key_F1);
            s.press(Qt::Key_Q, Qt::ControlModifier);
            s.press(Qt::Key_F, Qt::AltModifier);
            QVERIFY(!QApplication::activePopupWidget());
            QCOMPARE(opened(), 0);
            QVERIFY(s.m->isVisible());
            splash->Timer1_Timer();
            flushDeletes();
        }
        // Gone after the third tick, bar full or not, and everything answers.
        QVERIFY(splash.isNull() && !FrmEntry::instance());
        s.click(QStringLiteral("kferies"));
        s.press(Qt::Key_F1);
        QCOMPARE(g_created[int(Tool::Holidays)] + g_created[int(Tool::Help)], 2);
    }

    // Each item opens a fresh window by Alt and the access keys (captions from the
    // string table, one letter underlined), then by its toolbar button, the row's
    // name, likewise; grid to settings hold the File menu and toolbar until they end.
    void openingByKeysAndButtons_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("itemText");
        QTest::addColumn<Qt::Key>("itemKey");
        QTest::addColumn<int>("tool"); // -1: the program ends
        QTest::newRow("kouvrir") << u"mnuouvrir"_qs << 102 << Qt::Key_O << int(Tool::Grid);
        QTest::newRow("khoraires") << u"mnuliste"_qs << 103 << Qt::Key_H << int(Tool::Hours);
        QTest::newRow("kferies") << u"mnujoursferies"_qs << 104 << Qt::Key_L << int(Tool::Holidays);
        QTest::newRow("koptions") << u"mnuoptions"_qs << 105 << Qt::Key_S << int(Tool::Settings);
        QTest::newRow("Exit") << u"mnuquitter"_qs << 106 << Qt::Key_X << -1;
        QTest::newRow("kaide") << u"mnuindexaide"_qs << 108 << Qt::Key_H << int(Tool::Help);
        QTest::newRow("About, no button") << u"mnuabout"_qs << 112 << Qt::Key_A << int(Tool::About);
    }
    void openingByKeysAndButtons() {
        QFETCH(QString, item);
        QFETCH(int, itemText);
        QFETCH(Qt::Key, itemKey);
        QFETCH(int, tool);
        const bool inHelp = tool == int(Tool::Help) || tool == int(Tool::About);
        const QString menu = inHelp ? u"mnuaide"_qs : u"mnuconfiguration"_qs;
        const int menuText = inHelp ? 107 : 101;
        const Qt::Key menuKey = inHelp ? Qt::Key_H : Qt::Key_F;
        const QString key = QString::fromLatin1(QTest::currentDataTag());
        Session s;
        s.start();
        const auto shown = [](QString caption) {
            return caption.count(u'&') == 1 ? caption.remove(u'&') : caption;
        };
        QCOMPARE(shown(s.m->findChild<QMenu *>(menu)->title()), LoadResString(menuText));
        QCOMPARE(shown(s.m->findChild<QAction *>(item)->text()), LoadResString(itemText));
        const bool holds = tool >= 0 && tool <= int(Tool::Settings); // grid to settings
        const auto menuAndBar = [&] {
            return QList{s.fileEnabled(), s.m->Toolbar1->isVisible(),
                         s.clickPopsFileMenu(Qt::RightButton)};
        };
        for (int round = 1; round <= 2; ++round) {
            if (round == 1) {
                s.press(menuKey, Qt::AltModifier);
                QWidget *popup = QApplication::activePopupWidget();
                QCOMPARE(popup, s.m->findChild<QMenu *>(menu));
                QTest::keyClick(popup, itemKey);
            } else if (s.m->toolbarButton(key)) {
                s.click(key);
            } else {
                s.m->findChild<QAction *>(item)->trigger();
            }
            if (tool < 0) {
                QVERIFY(!s.m->isVisible());
                return;
            }
            QPointer<QWidget> w = s.m->toolWindow(Tool(tool));
            QVERIFY(w && w->isVisible());
            QCOMPARE(QPair(opened(), g_created[tool]), QPair(round, round)); // only this one
            QCOMPARE(menuAndBar(), QList<bool>(3, !holds));
            QVERIFY(w->close());
            flushDeletes();
            QVERIFY(!s.m->toolWindow(Tool(tool)) && !s.clickPopsFileMenu(Qt::LeftButton));
            QCOMPARE(menuAndBar(), QList<bool>(3, true));
        }
    }

    // Exit (menu, Ctrl+Q, frame) is refused with a message while the recording window
    // is open, silently while a tool window will not close; Ctrl+Q is the grid's then.
    void exitRefused() {
        const QString message = QStringLiteral("Close initially the recording window !");
        Session s;
        s.start();
        s.press(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(g_created[int(Tool::Grid)], 1);
        s.press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(s.m->isVisible());
        s.m->toolWindow(Tool::Grid)->close();
        flushDeletes(); // the grid's end gives the File menu back
        s.m->mnuabout->trigger();
        QPointer<DummyTool> about = static_cast<DummyTool *>(s.m->toolWindow(Tool::About));
        RecordingWindowOpen = true;
        s.m->mnuquitter->trigger();
        QVERIFY(!s.m->close());
        QCOMPARE(s.app.messageBox->texts(), QStringList(2, message));
        QVERIFY(s.m->isVisible() && about && about->isVisible());
        RecordingWindowOpen = false;
        about->refuseClose = true;
        s.m->mnuquitter->trigger();
        QVERIFY(s.m->isVisible());
        about->refuseClose = false;
        s.press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!s.m->isVisible());
        flushDeletes();
        QVERIFY(about.isNull());
    }

    // The splash bar fills as Timer2 ticks and stays full, never wrapping however
    // long it runs; the screenshots of the splash and of the main window.
    void splashBarAndScreenshots() {
        Session s;
        QVERIFY(s.app.write(QStringLiteral("param.ini"), "\"Arial\",1,6710835,3,\"\"\r\n"));
        s.start(false);
        QPointer<FrmEntry> splash = FrmEntry::instance();
        QPixmap splashFace;
        for (int tick = 1; tick <= 1000; ++tick) {
            splash->Timer2_Timer();
            if (tick == 40) {
                splashFace = splash->grab();
                QVERIFY(test::saveScreenshot(splashFace.toImage(), QStringLiteral("splash.png")));
                test::checkBarDrawn(splash, splash->ProgBar);
            }
        }
        QCOMPARE(splash->ProgBar->value(), splash->ProgBar->maximum());
        QVERIFY(splash->barPosition() > 0);
        QVERIFY(FrmEntry::instance() == splash); // the bar never closes it
        test::endSplash();
        // The back colour of param.ini (0x666633) all around the picture,
        // which stays centred and in proportion at any size.
        const QWidget *area = s.viewport();
        for (const QSize size : {QSize(800, 560), QSize(420, 360), QSize(1400, 900)}) {
            s.m->resize(size);
            const QImage shot = s.m->grab().toImage();
            QVERIFY(test::saveScreenshot(shot, QStringLiteral("mainwindow.png")));
            const QRect client(area->mapTo(s.m.get(), QPoint()), area->size());
            const QRect picture = test::pictureOn(shot, client, QColor(0x33, 0x66, 0x66));
            const int side = std::min(client.width(), client.height());
            QVERIFY(picture.height() > side / 3 && picture.height() < side * 2 / 3);
            QVERIFY((picture.center() - client.center()).manhattanLength() < side / 10);
        }
        // The splash's face shows it too, faintly: its calendar rings and band
        // above the name, the paper beside them.
        const QImage face = splashFace.toImage();
        const int y = face.height() / 5;
        QVERIFY(!test::pictureOn(face, QRect(face.width() / 3, y, face.width() / 3, 1),
                                 face.pixelColor(face.width() / 20, y))
                     .isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
