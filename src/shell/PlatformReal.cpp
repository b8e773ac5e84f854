// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PlatformReal.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLockFile>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>

namespace tembrel {

namespace {

void installReal(Platform &p) {
    p.setMessageBox(std::make_unique<QtMessageBox>());
    p.setClock(std::make_unique<SystemClock>());
    p.setClipboard(std::make_unique<QtClipboard>());
    p.setBrowser(std::make_unique<DesktopBrowser>());
    p.setInstances(std::make_unique<LockFileInstance>());
    p.setDialogs(std::make_unique<QtDialogs>());
}

} // namespace

void installRealPlatform() {
    Platform::setRealServices(&installReal);
    Platform::instance().reset();
}

int QtMessageBox::show(const QString &text, int style, const QString &title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (style & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (style & 0x07) {
    case vbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case vbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Cancel:
        return vbCancel;
    default:
        return (style & 0x07) == vbYesNoCancel ? vbCancel : vbOK;
    }
}

void QtClipboard::clear() {
    QApplication::clipboard()->clear();
}

void QtClipboard::setText(const QString &text) {
    QApplication::clipboard()->setText(text);
}

QString QtClipboard::text() const {
    return QApplication::clipboard()->text();
}

bool DesktopBrowser::openUrl(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}

LockFileInstance::LockFileInstance(QStringList lockPaths)
    : m_paths(std::move(lockPaths)) {
    if (m_paths.isEmpty()) {
        // Folders private to the user, so each user has one instance of their
        // own; the runtime folder first, as it is emptied at each login.
        for (const auto location :
             {QStandardPaths::RuntimeLocation, QStandardPaths::GenericCacheLocation,
              QStandardPaths::TempLocation}) {
            const QString folder = QStandardPaths::writableLocation(location);
            if (!folder.isEmpty())
                m_paths.append(QDir(folder).filePath(QStringLiteral("Tembrel.lock")));
        }
    }
}

LockFileInstance::~LockFileInstance() = default;

bool LockFileInstance::anotherInstanceRunning() {
    if (m_answer)
        return *m_answer;
    m_answer = false;
    for (const QString &path : std::as_const(m_paths)) {
        auto lock = std::make_unique<QLockFile>(path);
        lock->setStaleLockTime(0); // only a dead owner makes a lock stale
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_held = path;
            break;
        }
        // Only a lock held by a live process means another instance.
        if (lock->error() == QLockFile::LockFailedError) {
            m_answer = true;
            break;
        }
    }
    return *m_answer;
}

QString LockFileInstance::heldPath() const {
    return m_held;
}

std::optional<QColor> QtDialogs::getColour(const QColor &initial, QWidget *parent) {
    const QColor c = QColorDialog::getColor(initial, parent);
    return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
}

std::optional<QString> QtDialogs::getOpenFileName(QWidget *parent, const QString &caption,
                                                  const QString &filter) {
    const QString f = QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    return f.isEmpty() ? std::nullopt : std::optional<QString>(QDir::toNativeSeparators(f));
}

std::optional<QString> QtDialogs::getSaveFileName(QWidget *parent, const QString &caption,
                                                  const QString &suggested, const QString &filters,
                                                  QString *selectedFilter) {
    const QString f =
        QFileDialog::getSaveFileName(parent, caption, suggested, filters, selectedFilter);
    return f.isEmpty() ? std::nullopt : std::optional<QString>(f);
}

std::optional<QString> QtDialogs::getExistingDirectory(QWidget *parent, const QString &caption) {
    const QString d = QFileDialog::getExistingDirectory(parent, caption);
    return d.isEmpty() ? std::nullopt : std::optional<QString>(d);
}

bool QtDialogs::choosePrinter(QPrinter &printer, bool selectionChosen, QWidget *parent) {
    QPrintDialog dialog(&printer, parent);
    // The page range choice stays hidden; only "All" or "Selection".
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionChosen);
    if (selectionChosen)
        printer.setPrintRange(QPrinter::Selection);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tembrel
