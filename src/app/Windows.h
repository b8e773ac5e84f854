// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's wiring of its windows: which window each entry of the main
// window opens, the recording window the grid opens on an empty slot, and the
// settings window's changes reaching the main window. The program calls it at
// start-up; tests call it too, so that what they drive is the real wiring.

namespace tembrel {

void registerWindows();
// Takes every registration back.
void unregisterWindows();

} // namespace tembrel
