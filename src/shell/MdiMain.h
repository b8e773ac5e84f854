// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: the program's first object and the owner of the state that
// every window reads. Its "File" menu and toolbar open the tool windows; its
// five settings come from param.ini at start-up and are changed by the
// settings window. The program ends when it closes.

#include "core/HiddenControl.h"
#include "core/ParamIni.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QMdiArea;
class QMenu;
class QToolBar;

namespace tembrel {

class LockFileInstance;

class MdiMain final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MdiMain)

public:
    // The windows that the menus open. Each is created on first use by the
    // factory that the program registers; an item without one stays disabled.
    enum class Tool { Grid, Hours, Holidays, Settings, Help, About };
    using Factory = std::function<QWidget *(QWidget *parent)>;

    explicit MdiMain(QWidget *parent = nullptr);
    ~MdiMain() override;

    // The single instance, or null when none exists.
    static MdiMain *instance();

    // An empty factory takes the window's registration back.
    static void registerWindow(Tool tool, Factory factory);

    // Three quarters of the screen's available area, centred: room for the
    // year grid at any DPI.
    void placeOnScreen();

    // The start-up sequence. False when another instance already runs: the
    // message has been shown and the program must end at once.
    bool Form_Load();

    // The open instance of a tool window, or null.
    QWidget *toolWindow(Tool tool) const;
    // Creates (first use) and shows a tool window; null when none is registered.
    QWidget *showTool(Tool tool);

    // Settings held in invisible controls (see the param.ini fields).
    HiddenControl LbPolice;
    HiddenControl LbCouleurWE;
    HiddenControl PictGridColor;
    HiddenControl LbCheminTableur;

    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 bgr);

    // The five settings as held now, and applying a whole set.
    Settings settings() const;
    void applySettings(const Settings &s);

    // Menus and toolbar, named as the program has always named them.
    QMenu *mnuconfiguration = nullptr;
    QAction *mnuouvrir = nullptr;
    QAction *mnuliste = nullptr;
    QAction *mnujoursferies = nullptr;
    QAction *mnuoptions = nullptr;
    QAction *mnuquitter = nullptr;
    QMenu *mnuaide = nullptr;
    QAction *mnuindexaide = nullptr;
    QAction *mnuabout = nullptr;
    QAction *mnuweb = nullptr;
    QToolBar *Toolbar1 = nullptr;

    QMenu *createPopupMenu() override;

    // The toolbar button with this key ("kouvrir", "khoraires", "kferies",
    // "koptions", "kaide"), or null.
    QAction *toolbarButton(const QString &key) const;

public Q_SLOTS:
    void mnuouvrir_Click();
    void mnuliste_Click();
    void mnujoursferies_Click();
    void mnuoptions_Click();
    void mnuquitter_Click();
    void mnuindexaide_Click();
    void mnuabout_Click();
    void mnuweb_Click();
    void Toolbar1_ButtonClick(const QString &key);
    // Right button over the main window: pops the File menu up when it is enabled.
    void MDIForm_MouseDown(Qt::MouseButton button, const QPoint &globalPos);
    // Enables exactly the items whose window is registered and whose menu is
    // enabled.
    void updateAvailableItems();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void setCaptions();
    void applyParamIni();

    QMdiArea *m_area = nullptr;
    quint32 m_backColor = 0;
    QHash<int, QPointer<QWidget>> m_open;
    QHash<QString, QAction *> m_buttons;
    // Held for the whole run: one program per data folder.
    std::unique_ptr<LockFileInstance> m_folderLock;
};

// Hide / show the main window's toolbar, and enable or disable its "File"
// menu (mnuconfiguration); nothing happens without a main window.
void MasquerBarreOutils();
void AfficherBarreOutils();
void setFileMenuEnabled(bool enabled);

} // namespace tembrel
