// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// F<year>.ini files as a machine writes them in its short date form, for the
// tests that read, show and rewrite the picked holidays.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace tembrel::test {

// `lines` quoted fields, one a day from 1 January in `form`; the days whose
// index (0 for 1 January) is in `picked` end in "F". CR LF line ends.
inline QByteArray picksFile(int year, int lines, const QList<int> &picked,
                            const QString &form = QStringLiteral("dd/MM/yyyy")) {
    QByteArray out;
    for (int i = 0; i < lines; ++i)
        out += "\"" + QDate(year, 1, 1).addDays(i).toString(form).toLatin1() +
               (picked.contains(i) ? "F" : "") + "\"\r\n";
    return out;
}

} // namespace tembrel::test
