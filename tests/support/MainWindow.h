// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window as a user has it three seconds after the start.

#include "shell/FrmEntry.h"
#include "shell/MdiMain.h"

#include <QCoreApplication>

#include <memory>

namespace tembrel::test {

// Lets the splash run out through its own one-second timer handler.
inline void endSplash() {
    for (int i = 0; i < 3 && FrmEntry::instance(); ++i)
        FrmEntry::instance()->Timer1_Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The main window through its own start-up (Form_Load), the splash ended;
// null when the start-up ended the program.
inline std::unique_ptr<MdiMain> startMainWindow() {
    auto main = std::make_unique<MdiMain>();
    if (!main->Form_Load())
        return nullptr;
    endSplash();
    return main;
}

} // namespace tembrel::test
