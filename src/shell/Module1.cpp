// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Module1.h"

#include "shell/MdiMain.h"

#include <QDate>
#include <QMenu>
#include <QToolBar>

namespace tembrel {

qint16 NbJoursMois(int year, int month) {
    const QDate first(year, month, 1);
    if (!first.isValid())
        return 0;
    for (int d = 2; d <= 31; ++d) {
        // DateSerial(year, month, d): the day carries into the next month.
        if (first.addDays(d - 1).day() == 1)
            return qint16(d - 1);
    }
    return 31;
}

QString SansGuillemets(const QString &text) {
    QString out = text;
    out.remove(QLatin1Char('"'));
    return out;
}

void MasquerBarreOutils() {
    if (MdiMain *main = MdiMain::instance())
        main->Toolbar1->hide();
}

void AfficherBarreOutils() {
    if (MdiMain *main = MdiMain::instance())
        main->Toolbar1->show();
}

void setFileMenuEnabled(bool enabled) {
    if (MdiMain *main = MdiMain::instance())
        main->mnuconfiguration->menuAction()->setEnabled(enabled);
}

} // namespace tembrel
