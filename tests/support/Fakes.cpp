// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fakes.h"

#include "AppFixture.h"

#include "core/TextRecords.h"
#include "sound/MMControl.h"

#include <QSettings>
#include <QStandardPaths>

namespace tembrel::test {

int FakeMessageBox::show(const QString &text, int style, const QString &title) {
    shown.append({text, style, title});
    return answers.isEmpty() ? defaultAnswer : answers.dequeue();
}

QStringList FakeMessageBox::texts(bool withStyle) const {
    QStringList out;
    for (const Shown &m : shown)
        out << (withStyle ? m.text + QStringLiteral(" [%1]").arg(m.style) : m.text);
    return out;
}

std::optional<QColor> FakeDialogs::getColour(const QColor &, QWidget *) {
    ++colourAsked;
    return colours.isEmpty() ? std::nullopt : colours.dequeue();
}

bool FakeDialogs::choosePrinter(QPrinter &printer, bool selectionChosen, QWidget *) {
    printerSelectionChosen.append(selectionChosen);
    if (acceptPrinter && setUpPrinter)
        setUpPrinter(printer);
    return acceptPrinter;
}

FakePlatform::FakePlatform() {
    auto &p = Platform::instance();
    auto mb = std::make_unique<FakeMessageBox>();
    messageBox = mb.get();
    p.setMessageBox(std::move(mb));
    auto c = std::make_unique<FakeClock>();
    clock = c.get();
    p.setClock(std::move(c));
    auto cb = std::make_unique<FakeClipboard>();
    clipboard = cb.get();
    p.setClipboard(std::move(cb));
    auto b = std::make_unique<FakeBrowser>();
    browser = b.get();
    p.setBrowser(std::move(b));
    auto i = std::make_unique<FakeInstance>();
    instances = i.get();
    p.setInstances(std::move(i));
    auto d = std::make_unique<FakeDialogs>();
    dialogs = d.get();
    p.setDialogs(std::move(d));
}

FakePlatform::~FakePlatform() {
    Platform::instance().reset();
}

AppFixture::AppFixture()
    : m_savedDataHome(qgetenv("XDG_DATA_HOME")) {
    MMControl::setBackendFactory([device = sound] { return device; });
    // The user's data folder (and so the desktop's trash) inside the fixture.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    // And the user's settings (the sound devices chosen).
    setSettingsFolder(configHome());
}

AppFixture::AppFixture(const QDate &today)
    : AppFixture() {
    setToday(today);
}

AppFixture::~AppFixture() {
    MMControl::setBackendFactory({});
    qputenv("XDG_DATA_HOME", m_savedDataHome);
    setSettingsFolder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

void AppFixture::setSettingsFolder(const QString &folder) {
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, folder);
}

void AppFixture::setToday(const QDate &today) {
    clock->current = QDateTime(today, QTime(9, 0));
}

bool AppFixture::writeHours(const QStringList &labels) const {
    QList<Record> lines;
    for (const QString &label : labels)
        lines.append({label});
    return writeRecords(path(QStringLiteral("hours.dat")), lines);
}

} // namespace tembrel::test
