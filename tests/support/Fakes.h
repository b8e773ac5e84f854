// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test doubles of the platform services: each records what it was asked and
// answers from a queue the test fills.

#include "core/Platform.h"

#include <QColor>
#include <QList>
#include <QPair>
#include <QQueue>
#include <QStringList>

namespace tembrel::test {

struct FakeMessageBox final : MessageBoxService {
    struct Shown {
        QString text;
        int style;
        QString title;
    };
    QList<Shown> shown;
    QQueue<int> answers; // answered in order; empty -> defaultAnswer
    int defaultAnswer = vbOK;
    int show(const QString &text, int style, const QString &title) override;
    // The texts shown, in order; withStyle adds each box's style: "text [48]".
    QStringList texts(bool withStyle = false) const;
};

struct FakeClock final : ClockService {
    QDateTime current = QDateTime(QDate(2005, 1, 10), QTime(10, 0));
    QDateTime now() const override { return current; }
};

struct FakeClipboard final : ClipboardService {
    QString content;
    void clear() override { content.clear(); }
    void setText(const QString &text) override { content = text; }
    QString text() const override { return content; }
};

struct FakeBrowser final : BrowserService {
    QList<QUrl> opened;    // every address asked for, opened or not
    bool available = true; // false: no browser can be started
    bool openUrl(const QUrl &url) override {
        opened.append(url);
        return available;
    }
};

struct FakeInstance final : InstanceService {
    bool running = false;
    bool anotherInstanceRunning() override { return running; }
};

struct FakeDialogs final : DialogService {
    QQueue<std::optional<QColor>> colours; // empty -> cancelled
    bool acceptPrinter = true;
    // What the printer dialog was opened with.
    QList<bool> printerSelectionChosen;
    int colourAsked = 0;
    // Called with the printer when accepted, so a test can point it at a PDF file.
    std::function<void(QPrinter &)> setUpPrinter;

    std::optional<QColor> getColour(const QColor &initial, QWidget *parent) override;
    QQueue<QString> openFiles; // the files chosen in turn; empty -> cancelled
    std::optional<QString> getOpenFileName(QWidget *, const QString &,
                                           const QString & = {}) override {
        return openFiles.isEmpty() ? std::nullopt : std::optional(openFiles.dequeue());
    }
    bool choosePrinter(QPrinter &printer, bool selectionChosen, QWidget *parent) override;

    // Files and folders to answer with, in order; empty -> cancelled. What
    // the save dialog was opened with: "suggested|selected filter".
    QQueue<QString> savePaths;
    QQueue<QString> folders;
    QStringList saveAsked;
    std::optional<QString> getSaveFileName(QWidget *, const QString &, const QString &suggested,
                                           const QString &, QString *selectedFilter) override {
        saveAsked << suggested + '|' + (selectedFilter ? *selectedFilter : QString());
        return savePaths.isEmpty() ? std::nullopt : std::optional(savePaths.dequeue());
    }
    std::optional<QString> getExistingDirectory(QWidget *, const QString &) override {
        return folders.isEmpty() ? std::nullopt : std::optional(folders.dequeue());
    }
};

// Installs a fresh set of doubles and gives access to them; puts the real
// services back when it goes out of scope.
class FakePlatform final {
public:
    FakePlatform();
    ~FakePlatform();
    FakeMessageBox *messageBox;
    FakeClock *clock;
    FakeClipboard *clipboard;
    FakeBrowser *browser;
    FakeInstance *instances;
    FakeDialogs *dialogs;
};

} // namespace tembrel::test
