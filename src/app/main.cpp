// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point: installs the real platform services, registers the tool
// windows with the main window and runs its start-up sequence.

#include "app/Windows.h"
#include "shell/Icons.h"
#include "shell/MdiMain.h"
#include "shell/PlatformReal.h"
#include "shell/Translations.h"

#include <QApplication>

using namespace tembrel;

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

    registerWindows();
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
