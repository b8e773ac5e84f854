// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// F<year>.ini files as a machine writes them in its short date form, for the
// tests that read, show and rewrite the picked holidays.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QListWidget>
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

// The days the holidays window's list shows picked, as in `picked` above.
inline QList<int> selectedRows(const QListWidget *list) {
    QList<int> out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            out.append(i);
    return out;
}

} // namespace tembrel::test
