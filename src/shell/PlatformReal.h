// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real platform services, installed at start-up.

#include "core/Platform.h"

#include <QColor>
#include <QStringList>

class QLockFile;

namespace tembrel {

// Installs the real services, now and at every Platform::reset().
void installRealPlatform();

class QtMessageBox final : public MessageBoxService {
public:
    int show(const QString &text, int style, const QString &title) override;
};

class SystemClock final : public ClockService {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class QtClipboard final : public ClipboardService {
public:
    void clear() override;
    void setText(const QString &text) override;
    QString text() const override;
};

class DesktopBrowser final : public BrowserService {
public:
    bool openUrl(const QUrl &url) override;
};

// One lock file held for the run: by default in the user's runtime folder
// (the main window holds one more in the data folder); a stale lock of a
// crashed run is taken over. A folder that takes no lock file (read-only, missing)
// is no other instance: the next place is tried, and where none takes one
// the program runs rather than refuse to start.
class LockFileInstance final : public InstanceService {
public:
    // The places to try in order; by default the runtime folder, the user's
    // cache folder and the temporary folder.
    explicit LockFileInstance(QStringList lockPaths = {});
    ~LockFileInstance() override;
    bool anotherInstanceRunning() override;
    // The lock file held, empty when none could be made.
    QString heldPath() const;

private:
    QStringList m_paths;
    QString m_held;
    std::unique_ptr<QLockFile> m_lock;
    std::optional<bool> m_answer;
};

class QtDialogs final : public DialogService {
public:
    std::optional<QColor> getColour(const QColor &initial, QWidget *parent) override;
    std::optional<QString> getOpenFileName(QWidget *parent, const QString &caption,
                                           const QString &filter = {}) override;
    std::optional<QString> getSaveFileName(QWidget *parent, const QString &caption,
                                           const QString &suggested, const QString &filters,
                                           QString *selectedFilter) override;
    std::optional<QString> getExistingDirectory(QWidget *parent, const QString &caption) override;
    bool choosePrinter(QPrinter &printer, bool selectionChosen, QWidget *parent) override;
};

} // namespace tembrel
