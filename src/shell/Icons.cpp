// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Icons.h"

#include <QFile>

namespace tembrel {

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/icons/tembrel.png"));
}

QIcon toolbarIcon(const QString &key)
{
    const QString path = QStringLiteral(":/icons/%1.png").arg(key);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

} // namespace tembrel
