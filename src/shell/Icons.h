// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace tembrel {

// The program's icon.
QIcon programIcon();
// The picture of a toolbar button, by its key ("kouvrir", "khoraires",
// "kferies", "koptions", "kaide"); a null icon for an unknown key.
QIcon toolbarIcon(const QString &key);

} // namespace tembrel
