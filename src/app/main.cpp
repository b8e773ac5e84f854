// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point: installs the real platform services, registers the tool
// windows with the main window and runs its start-up sequence.

#include "grid/FrmConsultGrille.h"
#include "help/FrmAbout.h"
#include "help/FrmHlp.h"
#include "holidays/FrmJoursFeries.h"
#include "recording/FrmEnregMessage.h"
#include "settings/FrmReglages.h"
#include "shell/Icons.h"
#include "shell/MdiMain.h"
#include "shell/PlatformReal.h"
#include "shell/Translations.h"
#include "timerows/FrmEmp.h"

#include <QApplication>

using namespace tembrel;

namespace {

template <typename Window> MdiMain::Factory factory() {
    return [](QWidget *parent) { return new Window(parent); };
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembrel"));
    QApplication::setApplicationVersion(QStringLiteral("2.01"));
    QApplication::setOrganizationName(QStringLiteral("Ostrand"));
    // The installed desktop entry's name: the desktop matches the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.ostrand.Tembrel"));
    QApplication::setWindowIcon(programIcon());
    installRealPlatform();
    installTranslations();

    MdiMain::registerWindow(MdiMain::Tool::Grid, factory<FrmConsultGrille>());
    MdiMain::registerWindow(MdiMain::Tool::Hours, factory<FrmEmp>());
    MdiMain::registerWindow(MdiMain::Tool::Holidays, factory<FrmJoursFeries>());
    MdiMain::registerWindow(MdiMain::Tool::Settings, [](QWidget *parent) {
        auto *w = new FrmReglages(parent);
        if (auto *main = qobject_cast<MdiMain *>(parent))
            QObject::connect(w, &FrmReglages::settingsChanged, main, &MdiMain::applySettings);
        return w;
    });
    MdiMain::registerWindow(MdiMain::Tool::Help, factory<FrmHlp>());
    MdiMain::registerWindow(MdiMain::Tool::About, factory<FrmAbout>());

    FrmConsultGrille::setRecordingWindowFactory([](FrmConsultGrille *grid) -> QWidget * {
        return new FrmEnregMessage(grid, grid->parentWidget());
    });

    auto *main = new MdiMain;
    main->setAttribute(Qt::WA_DeleteOnClose);
    if (!main->Form_Load()) {
        delete main;
        return 0;
    }
    main->placeOnScreen();
    main->show();
    return app.exec();
}
