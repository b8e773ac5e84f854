// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Platform.h"

#include "core/Strings.h"

#include <QtGlobal>

namespace tembrel {
namespace {

Platform::Installer realServices = nullptr;

} // namespace

Platform &Platform::instance() {
    static Platform platform;
    return platform;
}

Platform::Platform() {
    reset();
}

void Platform::setRealServices(Installer install) {
    realServices = install;
}

void Platform::reset() {
    m_messageBox.reset();
    m_clock.reset();
    m_clipboard.reset();
    m_browser.reset();
    m_instances.reset();
    m_dialogs.reset();
    if (realServices)
        realServices(*this);
}

void Platform::missingService() {
    qFatal("A platform service was used before any was installed (installRealPlatform)");
}

int MsgBox(const QString &text, int style) {
    return Platform::instance().messageBox().show(text, style, QString::fromLatin1(ProgramTitle));
}

} // namespace tembrel
