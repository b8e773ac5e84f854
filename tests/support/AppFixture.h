// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one fixture of the tests: a temporary application folder (AppFolder
// points into it for the fixture's life, so every data file the code touches
// is a real file there), the platform doubles, a virtual sound device that
// every MMControl made meanwhile uses, and a user data folder of its own (the
// desktop's trash included). Everything is put back at the end.

#include "Fakes.h"
#include "Files.h"
#include "VirtualSoundBackend.h"

#include "core/Shared.h"

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tembrel::test {

class TempAppFolder final {
public:
    TempAppFolder() {
        m_previous = AppFolder;
        setAppFolder(m_dir.path());
    }
    ~TempAppFolder() { AppFolder = m_previous; }
    TempAppFolder(const TempAppFolder &) = delete;
    TempAppFolder &operator=(const TempAppFolder &) = delete;

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    bool exists(const QString &name) const { return QFile::exists(path(name)); }
    QByteArray read(const QString &name) const { return fileBytes(path(name)); }
    bool write(const QString &name, const QByteArray &bytes) const {
        return putFile(path(name), bytes);
    }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

class AppFixture final {
public:
    AppFixture();
    // Today, as the program's clock tells it (at 09:00).
    explicit AppFixture(const QDate &today);
    ~AppFixture();
    AppFixture(const AppFixture &) = delete;
    AppFixture &operator=(const AppFixture &) = delete;

    void setToday(const QDate &today);
    // hours.dat holding these labels, one record a line, as the program writes it.
    bool writeHours(const QStringList &labels) const;

    QString path(const QString &name) const { return m_folder.path(name); }
    bool exists(const QString &name) const { return m_folder.exists(name); }
    QByteArray read(const QString &name) const { return m_folder.read(name); }
    bool write(const QString &name, const QByteArray &bytes) const {
        return m_folder.write(name, bytes);
    }
    bool isValid() const { return m_folder.isValid(); }
    // The user's data folder for the fixture's life (XDG_DATA_HOME).
    QString dataHome() const { return m_folder.path(QStringLiteral("home/.local/share")); }
    // The user's settings folder for the fixture's life (QSettings).
    QString configHome() const { return m_folder.path(QStringLiteral("home/.config")); }

private:
    static void setSettingsFolder(const QString &folder);

    QByteArray m_savedDataHome;
    TempAppFolder m_folder;
    FakePlatform m_platform;

public:
    FakeMessageBox *const messageBox = m_platform.messageBox;
    FakeClock *const clock = m_platform.clock;
    FakeClipboard *const clipboard = m_platform.clipboard;
    FakeBrowser *const browser = m_platform.browser;
    FakeInstance *const instances = m_platform.instances;
    FakeDialogs *const dialogs = m_platform.dialogs;
    const std::shared_ptr<VirtualSoundBackend> sound = std::make_shared<VirtualSoundBackend>();
};

} // namespace tembrel::test
