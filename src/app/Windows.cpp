// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Windows.h"

#include "grid/FrmConsultGrille.h"
#include "help/FrmAbout.h"
#include "help/FrmHlp.h"
#include "holidays/FrmJoursFeries.h"
#include "recording/FrmEnregMessage.h"
#include "settings/FrmReglages.h"
#include "shell/MdiMain.h"
#include "timerows/FrmEmp.h"

namespace tembrel {
namespace {

template <typename Window> MdiMain::Factory factory() {
    return [](QWidget *parent) { return new Window(parent); };
}

} // namespace

void registerWindows() {
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
    FrmConsultGrille::setRecordingWindowFactory(
        [](YearModel &model, Slot slot, QWidget *parent) -> QWidget * {
            return new FrmEnregMessage(model, slot, parent);
        });
}

void unregisterWindows() {
    for (auto tool : {MdiMain::Tool::Grid, MdiMain::Tool::Hours, MdiMain::Tool::Holidays,
                      MdiMain::Tool::Settings, MdiMain::Tool::Help, MdiMain::Tool::About})
        MdiMain::registerWindow(tool, {});
    FrmConsultGrille::setRecordingWindowFactory({});
}

} // namespace tembrel
