// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The device lists of the settings window as the tests read and drive them.

#include <QComboBox>
#include <QStringList>

namespace tembrel::test {

inline QStringList itemTexts(const QComboBox *list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->itemText(i));
    return texts;
}

// The user picks the entry with this text, as from the open list.
inline bool pickEntry(QComboBox *list, const QString &text) {
    const int i = list->findText(text);
    if (i < 0)
        return false;
    list->setCurrentIndex(i);
    Q_EMIT list->activated(i);
    return true;
}

} // namespace tembrel::test
