// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// State that every window of the program shares. One copy for the whole run.

#include <QString>
#include <QtGlobal>

namespace tembrel {

// The executable's folder, always ending with exactly one native separator;
// every data file is AppFolder + its bare name.
extern QString AppFolder;
// True while the recording window is open; the main window refuses to close then.
extern bool RecordingWindowOpen;
// The grid cell last clicked: the slot for recording, storing, playback, deletion.
extern qint32 SelRow;
extern qint32 SelCol;

// Sets AppFolder from a folder path, converting to native separators and
// appending one separator unless the path already ends with one.
void setAppFolder(const QString &folder);

// AppFolder + name: the full path of a data file.
QString appFile(const QString &name);

} // namespace tembrel
