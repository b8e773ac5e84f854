// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point: installs the real platform services, registers the tool
// windows with the main window and runs its start-up sequence.

#include "grid/FrmConsultGrille.h"
#include "shell/MdiMain.h"
#include "shell/Shared.h"

#include <QApplication>

using namespace tembrel;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tembrel"));
    QApplication::setApplicationVersion(QStringLiteral("2.01"));
    QApplication::setOrganizationName(QStringLiteral("Ostrand"));

    setAppFolder(QCoreApplication::applicationDirPath());

    auto *main = new MdiMain;
    main->setAttribute(Qt::WA_DeleteOnClose);
    MdiMain::registerWindow(MdiMain::Tool::Grid,
                            [](QWidget *parent) { return new FrmConsultGrille(parent); });
    if (!main->Form_Load()) {
        delete main;
        return 0;
    }
    main->resize(1024, 720);
    main->show();
    return app.exec();
}
