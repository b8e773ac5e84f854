// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Icons.h"

#include <QFile>

namespace tembrel {
namespace {

// The picture and, when there is one, its double-size drawing for high-DPI
// screens, added explicitly so that both sizes are known to the icon.
QIcon loadIcon(const QString &name) {
    const QString path = QStringLiteral(":/icons/%1.png").arg(name);
    if (!QFile::exists(path))
        return QIcon();
    QIcon icon;
    icon.addFile(path);
    const QString large = QStringLiteral(":/icons/%1@2x.png").arg(name);
    if (QFile::exists(large))
        icon.addFile(large);
    return icon;
}

} // namespace

QIcon programIcon() {
    return loadIcon(QStringLiteral("tembrel"));
}

QIcon toolbarIcon(const QString &key) {
    return loadIcon(key);
}

} // namespace tembrel
