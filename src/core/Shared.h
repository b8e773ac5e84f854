// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// State that every window of the program shares. One copy for the whole run.

#include <QString>
#include <QStringList>
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

// The files that ship next to the executable: the holidays that apply, the
// help document and the starting time rows.
QStringList shippedFiles();

// Whether new files can be made in the folder. Found by making one: neither
// permission bits (the superuser ignores them) nor a read-only mount show
// in the folder's attributes alone.
bool folderAcceptsFiles(const QString &folder);

// Readies the per-user folder with the files shipped in programFolder. At its
// first start (the folder did not exist) it is made and receives every
// shipped file it lacks; later starts only bring the help document, when it is
// missing or the shipped one is newer. The user's own files (hours.dat
// cleared on purpose included) are never replaced or brought back. False when
// the folder cannot be made.
bool prepareUserFolder(const QString &programFolder, const QString &userFolder);

// A folder given by its native name, as a path the program can use. A name
// that a QString holds exactly is itself; one that it cannot hold (not valid
// UTF-8 on Linux, where Qt would turn it into another name) is reached
// through an open descriptor of the folder, /proc/self/fd/<n>, which stays
// valid for the whole run. Empty when the folder cannot be reached at all.
QString usableFolder(const QByteArray &nativePath);

// The executable's folder, from its native name (see usableFolder);
// QCoreApplication::applicationDirPath() gives an empty path for a name that
// is not valid UTF-8.
QString programFolder();

// The folder the program keeps its files in: the executable's own while it
// takes new files (the build folder, a USB stick), else the per-user folder,
// readied as above (an install under /usr or /opt). Never an empty path,
// which would make every file one of the root folder: without a program
// folder the per-user folder is used.
QString chooseAppFolder(const QString &programFolder, const QString &userFolder);

} // namespace tembrel
