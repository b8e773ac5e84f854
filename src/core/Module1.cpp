// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Module1.h"

#include <QDate>

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

} // namespace tembrel
