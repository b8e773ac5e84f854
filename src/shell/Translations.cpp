// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace tembrel {
namespace {

struct Installed {
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
    QString language;
};

Installed &installed() {
    static Installed i;
    return i;
}

} // namespace

QString installTranslations(const QLocale &locale) {
    Installed &i = installed();
    for (auto *t : {i.program.get(), i.qt.get()})
        if (t)
            QCoreApplication::removeTranslator(t);
    i = Installed{};

    // English is the program's own language: nothing to load.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return {};
    auto program = std::make_unique<QTranslator>();
    if (!program->load(locale, QStringLiteral("tembrel"), QStringLiteral("_"),
                       QStringLiteral(":/i18n")))
        return {};
    QCoreApplication::installTranslator(program.get());
    i.language = program->language().section(u'_', 0, 0);
    i.program = std::move(program);

    // Qt's own texts (dialog buttons, the colour and file dialogs) where the
    // system has them.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        i.qt = std::move(qt);
    }
    return i.language;
}

QString interfaceLanguage() {
    return installed().language;
}

} // namespace tembrel
