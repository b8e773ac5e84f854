// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Platform services that tests must control: message boxes, the clock, the
// clipboard, the web browser, the single-instance test and the common dialogs.
// The program runs with the real ones; a test installs a double with
// Platform::set...() and reads what was asked of it. This is the interface
// only (Qt Core); the real services live with the windows (shell/PlatformReal.h)
// and are installed at start-up.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QColor;
class QPrinter;
class QWidget;

namespace tembrel {

// Message box styles and answers, as the program's messages have always used them.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows a modal box; returns the answer code.
    virtual int show(const QString &text, int style, const QString &title) = 0;
};

class ClockService {
public:
    virtual ~ClockService() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual void clear() = 0;
    virtual void setText(const QString &text) = 0;
    virtual QString text() const = 0;
};

class BrowserService {
public:
    virtual ~BrowserService() = default;
    // Hands the address to the system's browser; false when that failed.
    virtual bool openUrl(const QUrl &url) = 0;
};

class InstanceService {
public:
    virtual ~InstanceService() = default;
    // True when another copy of the program already runs. The first call
    // claims the instance for this process.
    virtual bool anotherInstanceRunning() = 0;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // nullopt when the user cancels.
    virtual std::optional<QColor> getColour(const QColor &initial, QWidget *parent) = 0;
    // `filter` as QFileDialog takes it ("Sound files (*.wav *.mp3)"); none: all files.
    virtual std::optional<QString> getOpenFileName(QWidget *parent, const QString &caption,
                                                   const QString &filter = {}) = 0;
    // A file to write, starting at `suggested`; `filters` are separated by
    // ";;" and `selectedFilter` holds the one to start with, then the one chosen.
    virtual std::optional<QString> getSaveFileName(QWidget *parent, const QString &caption,
                                                   const QString &suggested, const QString &filters,
                                                   QString *selectedFilter) = 0;
    virtual std::optional<QString> getExistingDirectory(QWidget *parent,
                                                        const QString &caption) = 0;
    // The printer dialog; selectionChosen opens it with "Selection" set. Returns
    // false when cancelled; on acceptance the printer is set up as chosen.
    virtual bool choosePrinter(QPrinter &printer, bool selectionChosen, QWidget *parent) = 0;
};

class Platform final {
public:
    static Platform &instance();

    MessageBoxService &messageBox() const { return need(m_messageBox); }
    ClockService &clock() const { return need(m_clock); }
    ClipboardService &clipboard() const { return need(m_clipboard); }
    BrowserService &browser() const { return need(m_browser); }
    InstanceService &instances() const { return need(m_instances); }
    DialogService &dialogs() const { return need(m_dialogs); }

    void setMessageBox(std::unique_ptr<MessageBoxService> s) { m_messageBox = std::move(s); }
    void setClock(std::unique_ptr<ClockService> s) { m_clock = std::move(s); }
    void setClipboard(std::unique_ptr<ClipboardService> s) { m_clipboard = std::move(s); }
    void setBrowser(std::unique_ptr<BrowserService> s) { m_browser = std::move(s); }
    void setInstances(std::unique_ptr<InstanceService> s) { m_instances = std::move(s); }
    void setDialogs(std::unique_ptr<DialogService> s) { m_dialogs = std::move(s); }

    // Puts the real services back: those of the installer given to
    // setRealServices (shell's installRealPlatform), none before it.
    void reset();
    using Installer = void (*)(Platform &);
    static void setRealServices(Installer install);

private:
    Platform();
    // A service asked for before any was installed is a fault of the
    // program's start-up, not something to answer for the user.
    template <typename Service> static Service &need(const std::unique_ptr<Service> &s) {
        if (!s)
            missingService();
        return *s;
    }
    [[noreturn]] static void missingService();
    std::unique_ptr<MessageBoxService> m_messageBox;
    std::unique_ptr<ClockService> m_clock;
    std::unique_ptr<ClipboardService> m_clipboard;
    std::unique_ptr<BrowserService> m_browser;
    std::unique_ptr<InstanceService> m_instances;
    std::unique_ptr<DialogService> m_dialogs;
};

// A modal message box titled with the program's name; returns the answer code.
int MsgBox(const QString &text, int style = vbOKOnly);

} // namespace tembrel
