// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Shared.h"

#include <QDir>

namespace tembrel {

QString AppFolder;
bool RecordingWindowOpen = false;
qint32 SelRow = 0;
qint32 SelCol = 0;

void setAppFolder(const QString &folder) {
    QString f = QDir::toNativeSeparators(folder);
    const QChar sep = QDir::separator();
    if (!f.endsWith(sep))
        f += sep;
    AppFolder = f;
}

QString appFile(const QString &name) {
    return AppFolder + name;
}

} // namespace tembrel
