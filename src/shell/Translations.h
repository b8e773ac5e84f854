// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The language of the interface. The program's own texts are English; a
// translation chosen by the system's language replaces them where there is
// one (French today), with Qt's own translation for the standard dialogs and
// buttons. Texts that are data stored in files are never translated.

#include <QLocale>
#include <QString>

namespace tembrel {

// Installs the program's and Qt's translations for the locale on the running
// application, replacing any installed before. Returns the language whose
// translation is now in use ("fr"), or an empty text for English.
QString installTranslations(const QLocale &locale = QLocale::system());

// The language installed last ("fr"), or empty for English.
QString interfaceLanguage();

} // namespace tembrel
