// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MdiMain.h"

#include "core/Platform.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "shell/Backdrop.h"
#include "shell/FrmEntry.h"
#include "shell/Icons.h"
#include "shell/PlatformReal.h"
#include "shell/QtColours.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QToolBar>

namespace tembrel {
namespace {

MdiMain *g_instance = nullptr;

QHash<int, MdiMain::Factory> &factories() {
    static QHash<int, MdiMain::Factory> f;
    return f;
}

// The caption with its access key: '&' before the first `key` in it (any
// case), or before its first letter when a translation lacks that one. An
// '&' of the text itself is doubled so that it still shows.
QString withMnemonic(QString text, const QString &key) {
    text.replace(u'&', QStringLiteral("&&"));
    qsizetype at = key.isEmpty() ? -1 : text.indexOf(key.front(), 0, Qt::CaseInsensitive);
    for (qsizetype i = 0; at < 0 && i < text.size(); ++i)
        if (text[i].isLetter())
            at = i;
    if (at >= 0)
        text.insert(at, u'&');
    return text;
}

} // namespace

MdiMain::MdiMain(QWidget *parent)
    : QMainWindow(parent) {
    g_instance = this;
    setObjectName(QStringLiteral("MdiMain"));
    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("MdiArea"));
    m_area->viewport()->installEventFilter(this);
    setCentralWidget(m_area);
    buildMenus();
    buildToolbar();
    setWindowIcon(programIcon());
    // The defaults stand until param.ini says otherwise.
    applySettings(Settings{});
    updateAvailableItems();
}

MdiMain::~MdiMain() {
    // Tool windows die with the main window: nothing is left to give back to.
    for (const QPointer<QWidget> &w : std::as_const(m_open))
        if (w)
            disconnect(w, nullptr, this, nullptr);
    if (g_instance == this)
        g_instance = nullptr;
}

MdiMain *MdiMain::instance() {
    return g_instance;
}

void MdiMain::registerWindow(Tool tool, Factory factory) {
    if (factory)
        factories().insert(int(tool), std::move(factory));
    else
        factories().remove(int(tool));
    if (g_instance)
        g_instance->updateAvailableItems();
}

void MdiMain::buildMenus() {
    mnuconfiguration = menuBar()->addMenu(QString());
    mnuconfiguration->setObjectName(QStringLiteral("mnuconfiguration"));
    mnuouvrir = mnuconfiguration->addAction(QString(), this, &MdiMain::mnuouvrir_Click);
    mnuouvrir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuconfiguration->addSeparator();
    mnuliste = mnuconfiguration->addAction(QString(), this, &MdiMain::mnuliste_Click);
    mnuconfiguration->addSeparator();
    mnujoursferies = mnuconfiguration->addAction(QString(), this, &MdiMain::mnujoursferies_Click);
    mnuoptions = mnuconfiguration->addAction(QString(), this, &MdiMain::mnuoptions_Click);
    mnuconfiguration->addSeparator();
    mnuquitter = mnuconfiguration->addAction(QString(), this, &MdiMain::mnuquitter_Click);
    mnuquitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnuquitter->setMenuRole(QAction::QuitRole);

    mnuaide = menuBar()->addMenu(QString());
    mnuaide->setObjectName(QStringLiteral("mnuaide"));
    mnuindexaide = mnuaide->addAction(QString(), this, &MdiMain::mnuindexaide_Click);
    mnuindexaide->setShortcut(QKeySequence(Qt::Key_F1));
    mnuaide->addSeparator();
    mnuabout = mnuaide->addAction(QString(), this, &MdiMain::mnuabout_Click);
    mnuweb = mnuaide->addAction(QString(), this, &MdiMain::mnuweb_Click);

    mnuouvrir->setObjectName(QStringLiteral("mnuouvrir"));
    mnuliste->setObjectName(QStringLiteral("mnuliste"));
    mnujoursferies->setObjectName(QStringLiteral("mnujoursferies"));
    mnuoptions->setObjectName(QStringLiteral("mnuoptions"));
    mnuquitter->setObjectName(QStringLiteral("mnuquitter"));
    mnuindexaide->setObjectName(QStringLiteral("mnuindexaide"));
    mnuabout->setObjectName(QStringLiteral("mnuabout"));
    mnuweb->setObjectName(QStringLiteral("mnuweb"));

    // The shortcuts work from every window of the program, as long as their
    // menu is enabled: a disabled menu disables its items, shortcuts included.
    for (QAction *a : {mnuouvrir, mnuquitter, mnuindexaide})
        a->setShortcutContext(Qt::ApplicationShortcut);
    connect(mnuconfiguration->menuAction(), &QAction::changed, this,
            &MdiMain::updateAvailableItems);
    connect(mnuaide->menuAction(), &QAction::changed, this, &MdiMain::updateAvailableItems);
}

void MdiMain::buildToolbar() {
    Toolbar1 = addToolBar(QString());
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->toggleViewAction()->setEnabled(false);
}

void MdiMain::setCaptions() {
    setWindowTitle(LoadResString(110));
    // Alt+F and Alt+H open the menus; every item has a key of its own there.
    mnuconfiguration->setTitle(withMnemonic(LoadResString(101), tr("F", "access key of File")));
    mnuouvrir->setText(withMnemonic(LoadResString(102), tr("O", "access key of Open")));
    mnuliste->setText(withMnemonic(LoadResString(103), tr("H", "access key of Hours")));
    mnujoursferies->setText(withMnemonic(LoadResString(104), tr("L", "access key of Holidays")));
    mnuoptions->setText(withMnemonic(LoadResString(105), tr("S", "access key of Settings")));
    mnuquitter->setText(withMnemonic(LoadResString(106), tr("X", "access key of Exit")));
    mnuaide->setTitle(withMnemonic(LoadResString(107), tr("H", "access key of Help")));
    mnuindexaide->setText(withMnemonic(LoadResString(108), tr("H", "access key of Help file")));
    mnuabout->setText(withMnemonic(LoadResString(112), tr("A", "access key of About")));
    mnuweb->setText(withMnemonic(LoadResString(145), tr("N", "access key of Net")));
}

bool MdiMain::Form_Load() {
    // 1. One instance only.
    if (Platform::instance().instances().anotherInstanceRunning()) {
        MsgBox(LoadResString(111), vbCritical);
        return false;
    }
    // 2. Blue until param.ini says otherwise.
    setBackColor(ColourBlue);
    // 3. AppFolder, unless the program has set it already: the executable's
    // folder, or the per-user one when an install there cannot be written.
    if (AppFolder.isEmpty()) {
        const QString folder = chooseAppFolder(
            programFolder(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        // Nowhere to keep files: the current folder rather than the root.
        setAppFolder(folder.isEmpty() ? QStringLiteral(".") : folder);
    }
    // One program per data folder too: two users or two machines sharing it
    // would write over each other's scratch and year files. A lock left by a
    // program that died is taken over.
    m_folderLock =
        std::make_unique<LockFileInstance>(QStringList{appFile(QStringLiteral("Tembrel.lock"))});
    if (m_folderLock->anotherInstanceRunning()) {
        MsgBox(LoadResString(111), vbCritical);
        return false;
    }
    // 4., 5. Captions.
    setCaptions();
    // 6. Toolbar buttons, in order, each with the menu item's text as tip.
    Toolbar1->clear();
    m_buttons.clear();
    struct Button {
        const char *key;
        int tip;
    };
    const Button buttons[] = {{"kouvrir", 102}, {nullptr, 0},  {"khoraires", 103},
                              {"kferies", 104}, {nullptr, 0},  {"koptions", 105},
                              {nullptr, 0},     {"kaide", 107}};
    for (const Button &b : buttons) {
        if (!b.key) {
            Toolbar1->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(b.key);
        QAction *a = Toolbar1->addAction(toolbarIcon(key), LoadResString(b.tip));
        a->setObjectName(key);
        a->setData(key);
        a->setToolTip(LoadResString(b.tip));
        a->setStatusTip(LoadResString(b.tip)); // the button's description
        connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        m_buttons.insert(key, a);
    }
    updateAvailableItems();
    // 7. param.ini.
    applyParamIni();
    // 8. The splash, which holds the menus for its short life.
    FrmEntry::showSplash(this);
    return true;
}

void MdiMain::placeOnScreen() {
    const QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!scr)
        return;
    const QRect avail = scr->availableGeometry();
    const QSize size = avail.size() * 3 / 4;
    setGeometry(QRect(avail.topLeft() + QPoint((avail.width() - size.width()) / 2,
                                               (avail.height() - size.height()) / 2),
                      size));
}

void MdiMain::applyParamIni() {
    const auto fields = readParamIni(appFile(QStringLiteral("param.ini")));
    if (!fields)
        return;
    applySettings(tembrel::applyParamIni(settings(), *fields));
}

void MdiMain::setBackColor(quint32 bgr) {
    m_backColor = bgr;
    m_area->setBackground(QBrush(toQColor(bgr)));
}

Settings MdiMain::settings() const {
    Settings s;
    s.fontName = LbPolice.Caption;
    s.weekendColour = LbCouleurWE.BackColor;
    s.mainBackColour = m_backColor;
    s.gridColour = PictGridColor.BackColor;
    s.spreadsheetPath = LbCheminTableur.Caption;
    return s;
}

void MdiMain::applySettings(const Settings &s) {
    setBackColor(s.mainBackColour);
    PictGridColor.BackColor = s.gridColour;
    LbPolice.Caption = s.fontName;
    LbCheminTableur.Caption = s.spreadsheetPath;
    LbCouleurWE.BackColor = s.weekendColour;
}

QAction *MdiMain::toolbarButton(const QString &key) const {
    return m_buttons.value(key, nullptr);
}

void MdiMain::updateAvailableItems() {
    const auto &f = factories();
    auto has = [&f](Tool t) { return f.contains(int(t)); };
    const bool file = mnuconfiguration->menuAction()->isEnabled();
    const bool help = mnuaide->menuAction()->isEnabled();
    mnuouvrir->setEnabled(file && has(Tool::Grid));
    mnuliste->setEnabled(file && has(Tool::Hours));
    mnujoursferies->setEnabled(file && has(Tool::Holidays));
    mnuoptions->setEnabled(file && has(Tool::Settings));
    mnuquitter->setEnabled(file);
    mnuindexaide->setEnabled(help && has(Tool::Help));
    mnuabout->setEnabled(help && has(Tool::About));
    mnuweb->setEnabled(help);
    auto button = [this](const char *key, bool on) {
        if (QAction *a = toolbarButton(QString::fromLatin1(key)))
            a->setEnabled(on);
    };
    button("kouvrir", has(Tool::Grid));
    button("khoraires", has(Tool::Hours));
    button("kferies", has(Tool::Holidays));
    button("koptions", has(Tool::Settings));
    button("kaide", has(Tool::Help));
}

QWidget *MdiMain::toolWindow(Tool tool) const {
    return m_open.value(int(tool)).data();
}

QWidget *MdiMain::showTool(Tool tool) {
    QWidget *w = toolWindow(tool);
    if (!w) {
        const auto it = factories().constFind(int(tool));
        if (it == factories().constEnd())
            return nullptr;
        w = (*it)(this);
        if (!w)
            return nullptr;
        // The instance is dropped when the window closes; the next use makes a new one.
        w->setAttribute(Qt::WA_DeleteOnClose);
        // The grid, time rows, holiday and settings windows hold the File menu
        // and the toolbar while they exist; their end gives both back.
        if (tool == Tool::Grid || tool == Tool::Hours || tool == Tool::Holidays ||
            tool == Tool::Settings)
            connect(w, &QObject::destroyed, this, [this] {
                mnuconfiguration->menuAction()->setEnabled(true);
                Toolbar1->show();
            });
        if (!w->isWindow())
            w->setWindowFlag(Qt::Window);
        m_open.insert(int(tool), w);
    }
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

void MdiMain::mnuouvrir_Click() {
    setFileMenuEnabled(false);
    MasquerBarreOutils();
    if (!showTool(Tool::Grid)) {
        setFileMenuEnabled(true);
        AfficherBarreOutils();
    }
}

void MdiMain::mnuliste_Click() {
    if (showTool(Tool::Hours)) {
        MasquerBarreOutils();
        setFileMenuEnabled(false);
    }
}

void MdiMain::mnujoursferies_Click() {
    if (showTool(Tool::Holidays)) {
        setFileMenuEnabled(false);
        MasquerBarreOutils();
    }
}

void MdiMain::mnuoptions_Click() {
    if (showTool(Tool::Settings)) {
        setFileMenuEnabled(false);
        MasquerBarreOutils();
    }
}

void MdiMain::mnuquitter_Click() {
    close();
}

void MdiMain::mnuindexaide_Click() {
    showTool(Tool::Help);
}

void MdiMain::mnuabout_Click() {
    showTool(Tool::About);
}

void MdiMain::mnuweb_Click() {
    if (MsgBox(LoadResString(148), vbYesNo | vbInformation) != vbYes)
        return;
    // The web page opens in the system's browser rather than in a window of ours;
    // without one, the user gets the address to type elsewhere.
    const QString address = QString::fromLatin1(WebPageAddress);
    if (!Platform::instance().browser().openUrl(QUrl(address)))
        MsgBox(LoadResString(192) + QStringLiteral("\r\n") + address, vbExclamation);
}

void MdiMain::Toolbar1_ButtonClick(const QString &key) {
    if (key == QLatin1String("kouvrir"))
        mnuouvrir_Click();
    else if (key == QLatin1String("khoraires"))
        mnuliste_Click();
    else if (key == QLatin1String("kferies"))
        mnujoursferies_Click();
    else if (key == QLatin1String("koptions"))
        mnuoptions_Click();
    else if (key == QLatin1String("kaide"))
        mnuindexaide_Click();
}

void MdiMain::MDIForm_MouseDown(Qt::MouseButton button, const QPoint &globalPos) {
    if (button == Qt::RightButton && mnuconfiguration->menuAction()->isEnabled())
        mnuconfiguration->popup(globalPos);
}

QMenu *MdiMain::createPopupMenu() {
    // No toolbar toggling menu: the toolbar is shown and hidden by the program.
    return nullptr;
}

bool MdiMain::eventFilter(QObject *watched, QEvent *event) {
    // The area's own painting is its back colour alone: the picture goes on it.
    if (watched == m_area->viewport() && event->type() == QEvent::Paint) {
        QPainter painter(m_area->viewport());
        paintBackdrop(painter, m_area->viewport()->rect(), toQColor(m_backColor));
        return true;
    }
    if (watched == m_area->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(event);
        MDIForm_MouseDown(me->button(), me->globalPosition().toPoint());
    }
    return QMainWindow::eventFilter(watched, event);
}

void MdiMain::closeEvent(QCloseEvent *event) {
    if (RecordingWindowOpen) {
        event->ignore();
        MsgBox(LoadResString(152), vbOKOnly);
        return;
    }
    // Tool windows close first, so each one saves what it keeps; one that
    // refuses to close keeps the program running.
    const auto open = m_open.values();
    for (const QPointer<QWidget> &w : open) {
        if (w && w->isVisible() && !w->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void MasquerBarreOutils() {
    if (MdiMain *main = MdiMain::instance())
        main->Toolbar1->hide();
}

void AfficherBarreOutils() {
    if (MdiMain *main = MdiMain::instance())
        main->Toolbar1->show();
}

void setFileMenuEnabled(bool enabled) {
    if (MdiMain *main = MdiMain::instance())
        main->mnuconfiguration->menuAction()->setEnabled(enabled);
}

} // namespace tembrel
