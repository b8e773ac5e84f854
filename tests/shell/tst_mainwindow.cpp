// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, its splash and the progress window, as a user meets them:
// real windows (offscreen), real files in a temporary application folder, the
// platform's message boxes and instance test replaced by doubles.

#include "shell/FrmEntry.h"
#include "shell/FrmProgressBar.h"
#include "shell/MdiMain.h"
#include "shell/Module1.h"
#include "shell/Shared.h"
#include "shell/Twips.h"

#include "Fakes.h"
#include "TestApp.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMap>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
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

bool givesBack(Tool t) {
    return t == Tool::Grid || t == Tool::Hours || t == Tool::Holidays || t == Tool::Settings;
}

// A stand-in for a tool window. Like the real grid, time rows, holiday and
// settings windows, it gives the File menu and the toolbar back when it closes.
class DummyTool final : public QWidget {
public:
    using QWidget::QWidget;
    bool givesBack = false;
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent *e) override {
        if (refuseClose)
            return e->ignore();
        if (givesBack) {
            setFileMenuEnabled(true);
            AfficherBarreOutils();
        }
        e->accept();
    }
};

int opened() {
    return std::accumulate(g_created.begin(), g_created.end(), 0);
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Lets the splash run out through its own one-second timer handler.
void endSplash() {
    for (int i = 0; i < 3 && FrmEntry::instance(); ++i)
        FrmEntry::instance()->Timer1_Timer();
    flushDeletes();
}

QString joined(const Settings &s) {
    return QStringList{s.fontName, QString::number(s.weekendColour),
                       QString::number(s.mainBackColour), QString::number(s.gridColour),
                       s.spreadsheetPath}
        .join(u',');
}

void registerAll() {
    for (int i = 0; i < ToolCount; ++i)
        MdiMain::registerWindow(Tool(i), [i](QWidget *parent) {
            ++g_created[i];
            auto *w = new DummyTool(parent);
            w->givesBack = givesBack(Tool(i));
            return w;
        });
}

void saveShot(const QPixmap &pixmap, const QString &name) {
    const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(pixmap.save(QDir(dir).filePath(name)));
}

// The doubles, a temporary application folder and the main window started in
// it, with what a user does to it.
struct Session {
    test::FakePlatform fake;
    test::TempAppFolder app;
    std::unique_ptr<MdiMain> m;

    // With `windows` every tool window is registered; with `pastSplash` the
    // splash has run out.
    void start(bool windows = true, bool pastSplash = true) {
        if (windows)
            registerAll();
        m = std::make_unique<MdiMain>();
        if (!m->Form_Load())
            return;
        m->resize(800, 560);
        m->show();
        if (pastSplash)
            endSplash();
    }
    bool fileEnabled() const { return m->mnuconfiguration->menuAction()->isEnabled(); }
    bool helpEnabled() const { return m->mnuaide->menuAction()->isEnabled(); }
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
    // The last of `count` messages shown so far.
    void lastMessage(qsizetype count, const QString &text, int style) const {
        QCOMPARE(fake.messageBox->shown.size(), count);
        QCOMPARE(fake.messageBox->shown.last().text, text);
        QCOMPARE(fake.messageBox->shown.last().style, style);
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        MdiMain::unregisterAll();
        g_created.fill(0);
        RecordingWindowOpen = false;
    }
    void cleanup() { init(), flushDeletes(); }

    // Missing, whole and malformed param.ini: what can be read is applied, the
    // rest keeps its default, nothing is shown and the file is left as it was.
    void paramIni_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // font, weekend, main window, heading colours, path
        const QString defaults = QStringLiteral("Times New Roman,12632256,16711680,12632256,");
        QTest::newRow("missing") << false << QByteArray() << defaults;
        QTest::newRow("present")
            << true << QByteArray("\"Arial\",255,32768,8421504,\"C:\\Program Files\\calc.exe\"\r\n")
            << "Arial,255,32768,8421504,C:\\Program Files\\calc.exe";
        QTest::newRow("non-number field")
            << true << QByteArray("\"Arial\",255,blue,8421504,\"x\"\r\n")
            << "Arial,255,16711680,8421504,x";
        QTest::newRow("colour out of range")
            << true << QByteArray("\"Arial\",-1,16777216,65535,\"\"\r\n")
            << "Arial,12632256,16711680,65535,";
        QTest::newRow("missing fields")
            << true << QByteArray("\"Verdana\",255\r\n") << "Verdana,255,16711680,12632256,";
        QTest::newRow("empty file") << true << QByteArray() << defaults;
        QTest::newRow("binary") << true << QByteArray("\x00\xFF\x01\x02\"\x80\x1B,\x7F\n\x00", 11)
                                << defaults;
    }
    void paramIni() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        Session s;
        QVERIFY(!exists || s.app.write(QStringLiteral("param.ini"), content));
        s.start(false, false);
        QVERIFY(FrmEntry::instance()); // the load went on to the splash
        QCOMPARE(joined(s.m->settings()), expected);
        QCOMPARE(s.m->findChild<QMdiArea *>()->background().color(), toQColor(s.m->BackColor()));
        QVERIFY(s.fake.messageBox->shown.isEmpty());
        QCOMPARE(s.app.exists(QStringLiteral("param.ini")), exists); // reading never creates it
        QCOMPARE(s.app.read(QStringLiteral("param.ini")), content);
    }

    void secondInstanceIsRefused() {
        Session s;
        s.fake.instances->running = true;
        s.start();
        QCOMPARE(s.fake.instances->asked, 1);
        s.lastMessage(1, QStringLiteral("Tembrel is already running. Look at the taskbar."), 16);
        QCOMPARE(s.fake.messageBox->shown[0].title, QStringLiteral("Tembrel"));
        QVERIFY(!FrmEntry::instance()); // ended before anything else
    }

    void toolbarAndIcons() {
        Session s;
        s.start(false);
        QStringList keys; // in order, separators between the groups
        for (QAction *a : s.m->Toolbar1->actions())
            keys << (a->isSeparator() ? QStringLiteral("|") : a->data().toString());
        QCOMPARE(keys, (QStringList{"kouvrir", "|", "khoraires", "kferies", "|", "koptions", "|",
                                    "kaide"}));
        for (const QString &key : g_keys) {
            const QAction *a = s.m->toolbarButton(key);
            QVERIFY2(!a->toolTip().isEmpty() && a->statusTip() == a->toolTip(), qPrintable(key));
            QVERIFY2(!a->isEnabled(), qPrintable(key)); // no window registered yet
            // A real picture, with its double-size drawing for high-DPI screens.
            const QImage large(QStringLiteral(":/icons/%1@2x.png").arg(key));
            QVERIFY2(!large.isNull(), qPrintable(key));
            QCOMPARE(a->icon().pixmap(QSize(24, 24), 2.0).toImage().convertToFormat(large.format()),
                     large);
        }
        QVERIFY(!s.m->windowIcon().isNull());
        registerAll(); // a window registered later enables its item and button
        QVERIFY(s.m->mnujoursferies->isEnabled() && s.m->toolbarButton("kferies")->isEnabled());
        QVERIFY(!s.m->createPopupMenu()); // the toolbar offers no menu of its own
    }

    void splashHoldsEverythingForThreeTicks() {
        Session s;
        s.start(true, false);
        QPointer<FrmEntry> splash = FrmEntry::instance();
        QVERIFY(splash && splash->isVisible());
        QVERIFY(splash->Timer1->isActive() && splash->Timer2->isActive());
        for (int tick = 1; tick <= 3; ++tick) {
            QVERIFY(!s.fileEnabled() && !s.helpEnabled());
            QVERIFY(!s.m->Toolbar1->isEnabled());
            QVERIFY(s.m->Toolbar1->isVisible()); // disabled, not hidden
            QVERIFY(!s.clickPopsFileMenu(Qt::RightButton));
            for (const QString &key : g_keys)
                s.click(key);
            s.press(Qt::Key_O, Qt::ControlModifier);
            s.press(Qt::Key_F1);
            s.press(Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(opened(), 0);
            QVERIFY(s.m->isVisible());
            QCOMPARE(splash->LbCompte->text(), QString::number(tick - 1));
            splash->Timer1_Timer();
            flushDeletes();
        }
        // Gone after the third tick, bar full or not, and everything answers.
        QVERIFY(splash.isNull() && !FrmEntry::instance());
        QVERIFY(s.fileEnabled() && s.helpEnabled() && s.m->Toolbar1->isEnabled());
        s.click(QStringLiteral("kferies"));
        QCOMPARE(g_created[int(Tool::Holidays)], 1);
        s.press(Qt::Key_F1);
        QCOMPARE(g_created[int(Tool::Help)], 1);
    }

    // The bar's value and its 16-bit position after so many ticks of Timer2:
    // 32700 + 100 would overflow the position, so it stays there.
    void splashBar() {
        const QMap<int, QPair<int, int>> expected{{1, {0, 100}},         {2, {100, 200}},
                                                  {101, {10000, 10100}}, {150, {10000, 15000}},
                                                  {328, {10000, 32700}}, {1000, {10000, 32700}}};
        Session s;
        s.start(false, false);
        QPointer<FrmEntry> splash = FrmEntry::instance();
        QVERIFY(splash);
        for (int tick = 1; tick <= 1000; ++tick) {
            splash->Timer2_Timer();
            if (!expected.contains(tick))
                continue;
            QCOMPARE(splash->ProgBar->value(), expected[tick].first);
            QCOMPARE(int(splash->barPosition()), expected[tick].second);
        }
        QVERIFY(FrmEntry::instance() == splash); // the bar never closes it
    }

    // Each item opens a fresh window; the first opening is by the menu item, the
    // second by the toolbar button named by the row, which must do the same.
    void openingRules_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("tool");
        QTest::newRow("kouvrir") << "mnuouvrir" << int(Tool::Grid);
        QTest::newRow("khoraires") << "mnuliste" << int(Tool::Hours);
        QTest::newRow("kferies") << "mnujoursferies" << int(Tool::Holidays);
        QTest::newRow("koptions") << "mnuoptions" << int(Tool::Settings);
        QTest::newRow("kaide") << "mnuindexaide" << int(Tool::Help);
        QTest::newRow("About, no button") << "mnuabout" << int(Tool::About);
    }
    void openingRules() {
        QFETCH(QString, item);
        QFETCH(int, tool);
        const QString key = QString::fromLatin1(QTest::currentDataTag());
        Session s;
        s.start();
        const bool holds = givesBack(Tool(tool));
        for (int round = 1; round <= 2; ++round) {
            if (round == 2 && s.m->toolbarButton(key))
                s.click(key);
            else
                s.m->findChild<QAction *>(item)->trigger();
            QWidget *w = s.m->toolWindow(Tool(tool));
            QVERIFY(w && w->isVisible() && w->isWindow());
            QCOMPARE(g_created[tool], round);
            QCOMPARE(opened(), round); // and nothing else
            QCOMPARE(s.fileEnabled(), !holds);
            QCOMPARE(s.m->Toolbar1->isVisible(), !holds);
            QCOMPARE(s.m->mnuliste->isEnabled(), !holds); // so no second one can open
            QCOMPARE(s.clickPopsFileMenu(Qt::RightButton), !holds);
            QVERIFY(s.helpEnabled());
            QPointer<QWidget> watch(w);
            QVERIFY(w->close());
            flushDeletes();
            QVERIFY(watch.isNull() && !s.m->toolWindow(Tool(tool)));
            QVERIFY(s.fileEnabled() && s.m->Toolbar1->isVisible() && s.m->mnuliste->isEnabled());
            QVERIFY(s.clickPopsFileMenu(Qt::RightButton));
            QVERIFY(!s.clickPopsFileMenu(Qt::LeftButton));
        }
        QVERIFY(s.fake.messageBox->shown.isEmpty());
    }

    void shortcuts() {
        Session s;
        s.start();
        s.press(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(g_created[int(Tool::Grid)], 1);
        // While the grid holds the File menu, Ctrl+O and Ctrl+Q are out of use.
        s.press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(s.m->isVisible());
        s.m->toolWindow(Tool::Grid)->close();
        s.press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!s.m->isVisible());
        QVERIFY(s.fake.messageBox->shown.isEmpty());
    }

    // Exit, and the window frame's close, are refused with a message while the
    // recording window is open, and silently while a tool window will not close.
    void exitRefused() {
        const QString message = QStringLiteral("Close initially the recording window !");
        Session s;
        s.start();
        s.m->mnuabout->trigger();
        QPointer<DummyTool> about = static_cast<DummyTool *>(s.m->toolWindow(Tool::About));
        QVERIFY(about);
        RecordingWindowOpen = true;
        s.m->mnuquitter->trigger();
        s.lastMessage(1, message, 0);
        QVERIFY(!s.m->close());
        s.lastMessage(2, message, 0);
        QVERIFY(s.m->isVisible() && about && about->isVisible());
        RecordingWindowOpen = false;
        about->refuseClose = true;
        s.m->mnuquitter->trigger();
        QVERIFY(s.m->isVisible());
        about->refuseClose = false;
        s.m->mnuquitter->trigger();
        QVERIFY(!s.m->isVisible());
        flushDeletes();
        QVERIFY(about.isNull());
        QCOMPARE(s.fake.messageBox->shown.size(), 2);
    }

    void progressWindow() {
        QVERIFY(!FrmProgressBar::exists());
        QPointer<FrmProgressBar> p = FrmProgressBar::instance();
        QCOMPARE(FrmProgressBar::instance(), p.data());
        QCOMPARE(p->size(), QSize(twipsToPixels(5100, p), twipsToPixels(540, p)));
        p->ProgBar->setMaximum(12);
        p->ProgBar->setValue(5);
        p->show();
        saveShot(p->grab(), QStringLiteral("progressbar.png"));
        FrmProgressBar::Unload();
        QVERIFY(p.isNull() && !FrmProgressBar::exists());
        FrmProgressBar::Unload();                                  // twice is harmless
        QCOMPARE(FrmProgressBar::instance()->ProgBar->value(), 0); // a fresh, empty bar
        FrmProgressBar::Unload();
    }

    void screenshots() {
        Session s;
        s.start(true, false);
        for (int i = 0; i < 40; ++i)
            FrmEntry::instance()->Timer2_Timer();
        saveShot(FrmEntry::instance()->grab(), QStringLiteral("splash.png"));
        endSplash();
        s.m->resize(900, 600);
        QCoreApplication::processEvents();
        const QImage shot = s.m->grab().toImage();
        saveShot(QPixmap::fromImage(shot), QStringLiteral("mainwindow.png"));
        // The client area is the main window's blue.
        const QPoint inside = s.viewport()->mapTo(s.m.get(), s.viewport()->rect().center());
        QCOMPARE(shot.pixelColor(inside * shot.devicePixelRatio()), QColor(0, 0, 255));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
