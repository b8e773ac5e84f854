// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, its splash and the progress window, as a user meets them:
// real windows (offscreen), real files in a temporary application folder, the
// platform's message boxes and instance test replaced by doubles.

#include "shell/FrmEntry.h"
#include "shell/FrmProgressBar.h"
#include "shell/MdiMain.h"
#include "shell/Module1.h"
#include "shell/PlatformReal.h"
#include "shell/Shared.h"
#include "shell/Strings.h"
#include "shell/Twips.h"

#include "Fakes.h"
#include "TestApp.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <array>
#include <memory>

using namespace tembrel;
using tembrel::test::FakePlatform;
using tembrel::test::TempAppFolder;
using Tool = MdiMain::Tool;

namespace {

constexpr int ToolCount = 7;
std::array<int, ToolCount> g_created{};

// A stand-in for a tool window. Like the real grid, time rows, holiday and
// settings windows, it gives the File menu and the toolbar back when it closes.
class DummyTool final : public QWidget {
public:
    DummyTool(QWidget *parent, bool givesBack)
        : QWidget(parent)
        , m_givesBack(givesBack) {
        resize(200, 120);
    }
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent *e) override {
        if (refuseClose) {
            e->ignore();
            return;
        }
        if (m_givesBack) {
            setFileMenuEnabled(true);
            AfficherBarreOutils();
        }
        e->accept();
    }

private:
    bool m_givesBack;
};

bool givesBack(Tool t) {
    return t == Tool::Grid || t == Tool::Hours || t == Tool::Holidays || t == Tool::Settings;
}

void registerAll() {
    g_created.fill(0);
    for (int i = 0; i < ToolCount; ++i) {
        const auto t = Tool(i);
        MdiMain::registerWindow(t, [t](QWidget *parent) {
            ++g_created[int(t)];
            return new DummyTool(parent, givesBack(t));
        });
    }
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool fileEnabled(const MdiMain &m) {
    return m.mnuconfiguration->menuAction()->isEnabled();
}

// A started main window: param.ini read, splash shown.
std::unique_ptr<MdiMain> startMain() {
    auto m = std::make_unique<MdiMain>();
    if (!m->Form_Load())
        return m;
    m->resize(800, 560);
    m->show();
    return m;
}

// Lets the splash run out through its own one-second timer handler.
void endSplash() {
    for (int i = 0; i < 3 && FrmEntry::instance(); ++i)
        FrmEntry::instance()->Timer1_Timer();
    flushDeletes();
}

void clickButton(MdiMain &m, const QString &key) {
    QWidget *w = m.Toolbar1->widgetForAction(m.toolbarButton(key));
    QVERIFY(w);
    QTest::mouseClick(w, Qt::LeftButton);
}

void rightClick(MdiMain &m) {
    QWidget *viewport = m.findChild<QMdiArea *>()->viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, QPoint(50, 50));
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(50, 50));
}

// Pressing a menu's title in the menu bar: true when its items dropped down.
bool menuOpens(MdiMain &m, QMenu *menu) {
    QMenuBar *bar = m.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    const bool open = menu->isVisible();
    menu->hide();
    return open;
}

// Types a key the way a user does: into whichever window has the focus.
void typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget *focused = QApplication::activeWindow();
    QVERIFY(focused);
    QTest::keyClick(focused, key, modifiers);
}

int opened() {
    int n = 0;
    for (int c : g_created)
        n += c;
    return n;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        MdiMain::unregisterAll();
        g_created.fill(0);
        RecordingWindowOpen = false;
    }
    void cleanup() {
        MdiMain::unregisterAll();
        RecordingWindowOpen = false;
        flushDeletes();
    }

    void startUpWithoutParamIni() {
        FakePlatform fake;
        TempAppFolder app;
        auto m = startMain();
        QCOMPARE(m->windowTitle(), QStringLiteral("Tembrel - Version 2.01"));
        QCOMPARE(m->LbPolice.Caption, QStringLiteral("Times New Roman"));
        QCOMPARE(m->LbCouleurWE.BackColor, 12632256u);
        QCOMPARE(m->PictGridColor.BackColor, 12632256u);
        QCOMPARE(m->BackColor(), 16711680u);
        QCOMPARE(m->LbCheminTableur.Caption, QString());
        QCOMPARE(m->findChild<QMdiArea *>()->background().color(), QColor(0, 0, 255));
        QVERIFY(fake.messageBox->shown.isEmpty());
        QVERIFY(!app.exists(QStringLiteral("param.ini"))); // reading never creates it
    }

    void startUpAppliesParamIni() {
        FakePlatform fake;
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("param.ini"),
                          "\"Arial\",255,32768,8421504,\"C:\\Program Files\\calc.exe\"\r\n"));
        auto m = startMain();
        QCOMPARE(m->LbPolice.Caption, QStringLiteral("Arial"));
        QCOMPARE(m->LbCouleurWE.BackColor, 255u);
        QCOMPARE(m->BackColor(), 32768u);
        QCOMPARE(m->findChild<QMdiArea *>()->background().color(), QColor(0, 128, 0));
        QCOMPARE(m->PictGridColor.BackColor, 8421504u);
        QCOMPARE(m->LbCheminTableur.Caption, QStringLiteral("C:\\Program Files\\calc.exe"));
        QVERIFY(fake.messageBox->shown.isEmpty());
    }

    void malformedParamIni_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("font");
        QTest::addColumn<quint32>("weekend");
        QTest::addColumn<quint32>("back");
        QTest::addColumn<quint32>("grid");
        QTest::addColumn<QString>("path");
        const QString tnr = QStringLiteral("Times New Roman");
        QTest::newRow("non-number field") << QByteArray("\"Arial\",255,blue,8421504,\"x\"\r\n")
                                          << "Arial" << 255u << 16711680u << 8421504u << "x";
        QTest::newRow("colour out of range") << QByteArray("\"Arial\",-1,16777216,65535,\"\"\r\n")
                                             << "Arial" << 12632256u << 16711680u << 65535u << "";
        QTest::newRow("missing fields") << QByteArray("\"Verdana\",255\r\n") << "Verdana" << 255u
                                        << 16711680u << 12632256u << "";
        QTest::newRow("empty file")
            << QByteArray() << tnr << 12632256u << 16711680u << 12632256u << "";
        QTest::newRow("binary") << QByteArray("\x00\xFF\x01\x02\"\x80\x1B,\x7F\n\x00", 11) << tnr
                                << 12632256u << 16711680u << 12632256u << "";
        QTest::newRow("LF only, unquoted")
            << QByteArray("Tahoma,1,2,3,\n") << "Tahoma" << 1u << 2u << 3u << "";
    }
    void malformedParamIni() {
        QFETCH(QByteArray, content);
        QFETCH(QString, font);
        QFETCH(quint32, weekend);
        QFETCH(quint32, back);
        QFETCH(quint32, grid);
        QFETCH(QString, path);
        FakePlatform fake;
        TempAppFolder app;
        QVERIFY(app.write(QStringLiteral("param.ini"), content));
        auto m = startMain();
        QVERIFY(FrmEntry::instance()); // the load went on to the splash
        QCOMPARE(m->LbPolice.Caption, font);
        QCOMPARE(m->LbCouleurWE.BackColor, weekend);
        QCOMPARE(m->BackColor(), back);
        QCOMPARE(m->PictGridColor.BackColor, grid);
        QCOMPARE(m->LbCheminTableur.Caption, path);
        QVERIFY(fake.messageBox->shown.isEmpty());
        QCOMPARE(app.read(QStringLiteral("param.ini")), content); // left as it was
    }

    void secondInstanceIsRefused() {
        FakePlatform fake;
        TempAppFolder app;
        fake.instances->running = true;
        MdiMain m;
        QVERIFY(!m.Form_Load());
        QCOMPARE(fake.instances->asked, 1);
        QCOMPARE(fake.messageBox->shown.size(), 1);
        QCOMPARE(fake.messageBox->shown[0].text,
                 QStringLiteral("Tembrel is already running. Look at the taskbar."));
        QCOMPARE(fake.messageBox->shown[0].style, 16);
        QCOMPARE(fake.messageBox->shown[0].title, QStringLiteral("Tembrel"));
        QVERIFY(!FrmEntry::instance()); // ended before anything else
    }

    void lockFileAllowsOneInstance() {
        QTemporaryDir dir;
        const QString lock = QDir(dir.path()).filePath(QStringLiteral("tembrel.lock"));
        auto first = std::make_unique<LockFileInstance>(lock);
        QVERIFY(!first->anotherInstanceRunning());
        QVERIFY(QFile::exists(lock));
        {
            LockFileInstance second(lock);
            QVERIFY(second.anotherInstanceRunning());
            QVERIFY(second.anotherInstanceRunning()); // the answer stays
        }
        QVERIFY(!first->anotherInstanceRunning()); // a refused second does not free it
        first.reset();
        QVERIFY(!QFile::exists(lock));
        LockFileInstance third(lock);
        QVERIFY(!third.anotherInstanceRunning());
    }

    void menusAndToolbar() {
        FakePlatform fake;
        TempAppFolder app;
        auto m = startMain();
        const QStringList file{"Open ...",    "", "Hours...", "", "Holidays...",
                               "Settings...", "", "Exit"};
        QStringList seen;
        for (QAction *a : m->mnuconfiguration->actions())
            seen << a->text();
        QCOMPARE(seen, file);
        seen.clear();
        for (QAction *a : m->mnuaide->actions())
            seen << a->text();
        QCOMPARE(seen, (QStringList{"Help file...", "", "About ...", "Net..."}));
        QCOMPARE(m->mnuconfiguration->title(), QStringLiteral("File"));
        QCOMPARE(m->mnuaide->title(), QStringLiteral("Help"));

        // Buttons with their keys, in order, separators between the groups.
        QStringList keys;
        for (QAction *a : m->Toolbar1->actions())
            keys << (a->isSeparator() ? QStringLiteral("|") : a->data().toString());
        QCOMPARE(keys, (QStringList{"kouvrir", "|", "khoraires", "kferies", "|", "koptions", "|",
                                    "kaide"}));
        const QList<QPair<QString, int>> tips{{"kouvrir", 102},
                                              {"khoraires", 103},
                                              {"kferies", 104},
                                              {"koptions", 105},
                                              {"kaide", 107}};
        for (const auto &[key, id] : tips) {
            QAction *a = m->toolbarButton(key);
            QCOMPARE(a->toolTip(), LoadResString(id));
            QCOMPARE(a->statusTip(), LoadResString(id));
            // A real picture, with its double-size version for high-DPI screens.
            QVERIFY2(!a->icon().isNull(), qPrintable(key));
            const QImage small(QStringLiteral(":/icons/%1.png").arg(key));
            QCOMPARE(a->icon().pixmap(QSize(24, 24), 1.0).toImage().convertToFormat(small.format()),
                     small);
            const QImage large = a->icon().pixmap(QSize(24, 24), 2.0).toImage();
            QCOMPARE(large.size(), QSize(48, 48));
            QImage drawn(QStringLiteral(":/icons/%1@2x.png").arg(key));
            QVERIFY2(!drawn.isNull(), qPrintable(key));
            QCOMPARE(large.convertToFormat(drawn.format()), drawn);
        }
        QVERIFY(!m->windowIcon().isNull());
        QVERIFY(!m->toolbarButton(QStringLiteral("kunknown")));
    }

    void shortcuts() {
        FakePlatform fake;
        TempAppFolder app;
        registerAll();
        auto m = startMain();
        endSplash();
        QCOMPARE(m->mnuouvrir->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(m->mnuquitter->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(m->mnuindexaide->shortcut(), QKeySequence(Qt::Key_F1));
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        typeKey(Qt::Key_F1);
        QCOMPARE(g_created[int(Tool::Help)], 1);
        m->toolWindow(Tool::Help)->close();
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        typeKey(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(g_created[int(Tool::Grid)], 1);
        // While the grid is open the File menu, and so Ctrl+O and Ctrl+Q, are out of use.
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        typeKey(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(m->isVisible());
        m->toolWindow(Tool::Grid)->close();
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        typeKey(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!m->isVisible());
        QVERIFY(fake.messageBox->shown.isEmpty());
    }

    void exitRefusedWhileRecording() {
        FakePlatform fake;
        TempAppFolder app;
        auto m = startMain();
        endSplash();
        RecordingWindowOpen = true;
        m->mnuquitter->trigger();
        QVERIFY(m->isVisible());
        QCOMPARE(fake.messageBox->shown.size(), 1);
        QCOMPARE(fake.messageBox->shown[0].text,
                 QStringLiteral("Close initially the recording window !"));
        QCOMPARE(fake.messageBox->shown[0].style, 0);
        // The window frame's close asks the same.
        QVERIFY(!m->close());
        QCOMPARE(fake.messageBox->shown.size(), 2);
        QVERIFY(m->isVisible());
        RecordingWindowOpen = false;
        m->mnuquitter->trigger();
        QVERIFY(!m->isVisible());
        QCOMPARE(fake.messageBox->shown.size(), 2);
    }

    void exitClosesToolWindowsFirst() {
        FakePlatform fake;
        TempAppFolder app;
        registerAll();
        auto m = startMain();
        endSplash();
        m->mnuabout->trigger();
        auto *about = static_cast<DummyTool *>(m->toolWindow(Tool::About));
        QVERIFY(about && about->isVisible());
        // A window that will not close keeps the program running.
        about->refuseClose = true;
        QVERIFY(!m->close());
        QVERIFY(m->isVisible());
        about->refuseClose = false;
        QPointer<QWidget> watch(about);
        QVERIFY(m->close());
        flushDeletes();
        QVERIFY(watch.isNull());
    }

    void rightClickPopsFileMenu() {
        FakePlatform fake;
        TempAppFolder app;
        registerAll();
        auto m = startMain();
        // Not during the splash.
        rightClick(*m);
        QVERIFY(!m->mnuconfiguration->isVisible());
        endSplash();
        QWidget *viewport = m->findChild<QMdiArea *>()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!m->mnuconfiguration->isVisible());
        rightClick(*m);
        QVERIFY(m->mnuconfiguration->isVisible());
        m->mnuconfiguration->hide();
        // Not while a tool window holds the File menu.
        m->mnuoptions->trigger();
        rightClick(*m);
        QVERIFY(!m->mnuconfiguration->isVisible());
        m->toolWindow(Tool::Settings)->close();
        rightClick(*m);
        QVERIFY(m->mnuconfiguration->isVisible());
        m->mnuconfiguration->hide();
        // The toolbar offers no menu of its own.
        QVERIFY(!m->createPopupMenu());
    }

    void toolbarButtonsDoWhatTheirItemsDo_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("tool");
        QTest::newRow("kouvrir") << "kouvrir"
                                 << "mnuouvrir" << int(Tool::Grid);
        QTest::newRow("khoraires") << "khoraires"
                                   << "mnuliste" << int(Tool::Hours);
        QTest::newRow("kferies") << "kferies"
                                 << "mnujoursferies" << int(Tool::Holidays);
        QTest::newRow("koptions") << "koptions"
                                  << "mnuoptions" << int(Tool::Settings);
        QTest::newRow("kaide") << "kaide"
                               << "mnuindexaide" << int(Tool::Help);
    }
    void toolbarButtonsDoWhatTheirItemsDo() {
        QFETCH(QString, key);
        QFETCH(QString, item);
        QFETCH(int, tool);
        FakePlatform fake;
        TempAppFolder app;
        registerAll();
        struct Outcome {
            std::array<int, ToolCount> created;
            bool file, help, toolbar;
            bool operator==(const Outcome &) const = default;
        };
        auto run = [&](bool byButton) {
            g_created.fill(0);
            auto m = startMain();
            endSplash();
            if (byButton)
                clickButton(*m, key);
            else
                m->findChild<QAction *>(item)->trigger();
            return Outcome{g_created, fileEnabled(*m), m->mnuaide->menuAction()->isEnabled(),
                           m->Toolbar1->isVisible()};
        };
        const Outcome byMenu = run(false);
        const Outcome byButton = run(true);
        QCOMPARE(byMenu.created[tool], 1);
        QVERIFY(byButton == byMenu);
        QCOMPARE(byButton.file, !givesBack(Tool(tool)));
        QCOMPARE(byButton.toolbar, !givesBack(Tool(tool)));
        QVERIFY(byButton.help);
        // A key that matches no button does nothing.
        auto m = startMain();
        endSplash();
        g_created.fill(0);
        m->Toolbar1_ButtonClick(QStringLiteral("kquitter"));
        QCOMPARE(opened(), 0);
    }

    void splashHoldsEverythingForThreeTicks() {
        FakePlatform fake;
        TempAppFolder app;
        registerAll();
        auto m = startMain();
        QPointer<FrmEntry> splash = FrmEntry::instance();
        QVERIFY(splash && splash->isVisible());
        QVERIFY(splash->Timer1->isActive());
        QCOMPARE(splash->Timer1->interval(), 1000);
        QVERIFY(splash->Timer2->isActive());
        QCOMPARE(splash->Timer2->interval(), 18);

        auto tryEverything = [&] {
            for (const char *key : {"kouvrir", "khoraires", "kferies", "koptions", "kaide"})
                clickButton(*m, QString::fromLatin1(key));
            m->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m.get()));
            typeKey(Qt::Key_O, Qt::ControlModifier);
            typeKey(Qt::Key_F1);
        };
        for (int tick = 1; tick <= 3; ++tick) {
            QVERIFY(!fileEnabled(*m));
            QVERIFY(!m->mnuaide->menuAction()->isEnabled());
            QVERIFY(!m->Toolbar1->isEnabled());
            QVERIFY(m->Toolbar1->isVisible()); // disabled, not hidden
            QVERIFY(!menuOpens(*m, m->mnuconfiguration));
            QVERIFY(!menuOpens(*m, m->mnuaide));
            tryEverything();
            QCOMPARE(opened(), 0);
            typeKey(Qt::Key_Q, Qt::ControlModifier);
            QVERIFY(m->isVisible());
            QCOMPARE(splash->LbCompte->text(), QString::number(tick - 1));
            splash->Timer1_Timer();
            flushDeletes();
        }
        // Gone after the third tick, bar full or not, and everything answers.
        QVERIFY(splash.isNull());
        QVERIFY(!FrmEntry::instance());
        QVERIFY(fileEnabled(*m));
        QVERIFY(m->mnuaide->menuAction()->isEnabled());
        QVERIFY(m->Toolbar1->isEnabled());
        QVERIFY(menuOpens(*m, m->mnuconfiguration));
        QVERIFY(menuOpens(*m, m->mnuaide));
        clickButton(*m, QStringLiteral("kaide"));
        QCOMPARE(g_created[int(Tool::Help)], 1);
        clickButton(*m, QStringLiteral("kferies"));
        QCOMPARE(g_created[int(Tool::Holidays)], 1);
    }

    void splashBar_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("position");
        QTest::newRow("none") << 0 << 0 << 0;
        QTest::newRow("one") << 1 << 0 << 100;
        QTest::newRow("two") << 2 << 100 << 200;
        QTest::newRow("full") << 101 << 10000 << 10100;
        QTest::newRow("past the maximum") << 150 << 10000 << 15000;
        // 32700 + 100 would overflow the 16-bit position: it stays.
        QTest::newRow("at the overflow") << 328 << 10000 << 32700;
        QTest::newRow("long after") << 1000 << 10000 << 32700;
    }
    void splashBar() {
        QFETCH(int, ticks);
        QFETCH(int, value);
        QFETCH(int, position);
        FakePlatform fake;
        TempAppFolder app;
        auto m = startMain();
        FrmEntry *splash = FrmEntry::instance();
        QVERIFY(splash);
        QCOMPARE(splash->ProgBar->maximum(), 10000);
        for (int i = 0; i < ticks; ++i)
            splash->Timer2_Timer();
        QCOMPARE(splash->ProgBar->value(), value);
        QCOMPARE(int(splash->barPosition()), position);
        QVERIFY(FrmEntry::instance() == splash); // the bar never closes it
    }

    void splashLayout() {
        FakePlatform fake;
        TempAppFolder app;
        auto m = startMain();
        FrmEntry *splash = FrmEntry::instance();
        QCOMPARE(splash->size(), QSize(twipsToPixels(4830, splash), twipsToPixels(2820, splash)));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(splash->y(), screen.y() + screen.height() / 4);
        QCOMPARE(splash->x(), screen.x() + (screen.width() - splash->width()) / 2);
        QCOMPARE(splash->Label3->text(), QStringLiteral("Tembrel"));
        QCOMPARE(splash->Label2->text(), QStringLiteral("Version 2.01"));
        QCOMPARE(splash->Label1->text(), QStringLiteral("  Ostrand"));
        QVERIFY(!splash->LbCompte->isVisible());
        QVERIFY(splash->ProgBar->height() <= twipsToPixels(75, splash) + 1);
        const QRect bar(splash->ProgBar->mapTo(splash, QPoint(0, 0)), splash->ProgBar->size());
        QVERIFY(bar.bottom() >= splash->height() - 3); // along the bottom
        QVERIFY(bar.width() >= splash->width() - 4);
        for (int i = 0; i < 40; ++i)
            splash->Timer2_Timer();
        saveShot(splash->grab(), QStringLiteral("splash.png"));
    }

    void openingRules_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("tool");
        QTest::newRow("Open") << "mnuouvrir" << int(Tool::Grid);
        QTest::newRow("Hours") << "mnuliste" << int(Tool::Hours);
        QTest::newRow("Holidays") << "mnujoursferies" << int(Tool::Holidays);
        QTest::newRow("Settings") << "mnuoptions" << int(Tool::Settings);
        QTest::newRow("Help file") << "mnuindexaide" << int(Tool::Help);
        QTest::newRow("About") << "mnuabout" << int(Tool::About);
    }
    void openingRules() {
        QFETCH(QString, item);
        QFETCH(int, tool);
        FakePlatform fake;
        TempAppFolder app;
        registerAll();
        auto m = startMain();
        endSplash();
        const bool holds = givesBack(Tool(tool));
        for (int round = 1; round <= 2; ++round) {
            m->findChild<QAction *>(item)->trigger();
            QWidget *w = m->toolWindow(Tool(tool));
            QVERIFY(w && w->isVisible() && w->isWindow());
            QCOMPARE(g_created[tool], round); // a fresh instance at each opening
            QCOMPARE(fileEnabled(*m), !holds);
            QCOMPARE(m->Toolbar1->isVisible(), !holds);
            QVERIFY(m->mnuaide->menuAction()->isEnabled());
            QCOMPARE(m->mnuliste->isEnabled(), !holds); // so no second one can open
            QVERIFY(m->mnuabout->isEnabled());
            QPointer<QWidget> watch(w);
            QVERIFY(w->close());
            flushDeletes();
            QVERIFY(watch.isNull());
            QVERIFY(!m->toolWindow(Tool(tool)));
            QVERIFY(fileEnabled(*m));
            QVERIFY(m->Toolbar1->isVisible());
            QVERIFY(m->mnuliste->isEnabled());
        }
        QVERIFY(fake.messageBox->shown.isEmpty());
    }

    void itemsWithoutWindowAreDisabled() {
        FakePlatform fake;
        TempAppFolder app;
        auto m = startMain();
        endSplash();
        for (QAction *a : {m->mnuouvrir, m->mnuliste, m->mnujoursferies, m->mnuoptions,
                           m->mnuindexaide, m->mnuabout})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        for (const char *key : {"kouvrir", "khoraires", "kferies", "koptions", "kaide"})
            QVERIFY(!m->toolbarButton(QString::fromLatin1(key))->isEnabled());
        QVERIFY(m->mnuquitter->isEnabled());
        QVERIFY(m->mnuweb->isEnabled());
        // Calling the handler anyway leaves the menu and toolbar as they were.
        m->mnuouvrir_Click();
        QVERIFY(fileEnabled(*m));
        QVERIFY(m->Toolbar1->isVisible());
        // A window registered later enables its item and button.
        registerAll();
        QVERIFY(m->mnujoursferies->isEnabled());
        QVERIFY(m->toolbarButton(QStringLiteral("kferies"))->isEnabled());
    }

    void netAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("browserWindow");
        QTest::newRow("No") << int(vbNo) << true;
        QTest::newRow("Yes, browser window") << int(vbYes) << true;
        QTest::newRow("Yes, no browser window") << int(vbYes) << false;
    }
    void netAsksFirst() {
        QFETCH(int, answer);
        QFETCH(bool, browserWindow);
        FakePlatform fake;
        TempAppFolder app;
        if (browserWindow)
            registerAll();
        auto m = startMain();
        endSplash();
        fake.messageBox->answers.enqueue(answer);
        m->mnuweb->trigger();
        QCOMPARE(fake.messageBox->shown.size(), 1);
        QCOMPARE(fake.messageBox->shown[0].text, LoadResString(148));
        QCOMPARE(fake.messageBox->shown[0].style, 68);
        const bool yes = answer == vbYes;
        QCOMPARE(g_created[int(Tool::Browser)], yes && browserWindow ? 1 : 0);
        QCOMPARE(fake.browser->opened.size(), yes && !browserWindow ? 1 : 0);
        QVERIFY(fileEnabled(*m));
    }

    void progressWindow() {
        QVERIFY(!FrmProgressBar::exists());
        QPointer<FrmProgressBar> p = FrmProgressBar::instance();
        QCOMPARE(FrmProgressBar::instance(), p.data());
        QCOMPARE(p->size(), QSize(twipsToPixels(5100, p), twipsToPixels(540, p)));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(p->x(), screen.x() + (screen.width() - p->width()) / 2);
        QCOMPARE(p->y(), screen.y() + (screen.height() - p->height()) / 2);
        QCOMPARE(p->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(p->ProgBar->geometry(), QRect(twipsToPixels(60, p), twipsToPixels(180, p),
                                               twipsToPixels(4395, p), twipsToPixels(195, p)));
        p->ProgBar->setMaximum(12);
        p->ProgBar->setValue(5);
        p->show();
        saveShot(p->grab(), QStringLiteral("progressbar.png"));
        FrmProgressBar::Unload();
        QVERIFY(p.isNull());
        QVERIFY(!FrmProgressBar::exists());
        FrmProgressBar::Unload(); // twice is harmless
        QPointer<FrmProgressBar> again = FrmProgressBar::instance();
        QCOMPARE(again->ProgBar->value(), 0); // a fresh, empty bar
        FrmProgressBar::Unload();
    }

    void screenshot() {
        FakePlatform fake;
        TempAppFolder app;
        registerAll();
        auto m = startMain();
        endSplash();
        m->resize(900, 600);
        QTest::qWait(0);
        const QImage shot = m->grab().toImage();
        saveShot(QPixmap::fromImage(shot), QStringLiteral("mainwindow.png"));
        // The client area is the main window's blue.
        QWidget *viewport = m->findChild<QMdiArea *>()->viewport();
        const QPoint inside = viewport->mapTo(m.get(), viewport->rect().center());
        QCOMPARE(shot.pixelColor(inside * shot.devicePixelRatio()), QColor(0, 0, 255));
    }

private:
    static void saveShot(const QPixmap &pixmap, const QString &name) {
        const QString dir = QStringLiteral(TEMBREL_BINARY_DIR "/screenshots");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(pixmap.save(QDir(dir).filePath(name)));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
