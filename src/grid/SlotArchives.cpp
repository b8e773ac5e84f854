// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/SlotArchives.h"

#include "archive/ZipExtractionClass.h"
#include "shell/Shared.h"
#include "shell/TextRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tembrel {
namespace {

// The largest scratch archive taken: a minute of 16-bit stereo at 48 kHz is
// about 11 MB before compression; anything far past that is not ours.
constexpr qint64 MaxArchiveBytes = 64 * 1024 * 1024;

SlotResult failed(const QString &text) {
    return {false, text};
}

// The desktop's trash in the user's data folder. Qt 6.4 moves a file into the
// current folder when it can make no trash at all, so the trash is made (or
// found) here first, and the file is only handed to Qt when one exists.
bool moveToHomeTrash(const QString &path) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    const QString trash = data + QStringLiteral("/Trash");
    if (!QFileInfo(trash).isDir()) {
        if (!QDir().mkpath(trash))
            return false;
        QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash))
        return false;
    const QString dir = QFileInfo(inTrash).absolutePath();
    if (dir.endsWith(QStringLiteral("/files")) && dir.contains(QStringLiteral("Trash")))
        return true;
    // Somewhere that is no trash: the message was meant to go, so it goes.
    QFile::remove(inTrash);
    return true;
}

} // namespace

QString slotNumber(int n) {
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString slotFolderName(int year) {
    return QStringLiteral("D%1").arg(year);
}

QString slotArchiveName(int year, int row, int col) {
    return QStringLiteral("W%1%2%3.tbr").arg(year).arg(slotNumber(row), slotNumber(col));
}

QString slotArchivePath(int year, int row, int col) {
    return appFile(slotFolderName(year) + QDir::separator() + slotArchiveName(year, row, col));
}

QString scratchWavePath() {
    return appFile(QStringLiteral("temp.wav"));
}

QString scratchArchivePath() {
    return appFile(QStringLiteral("temp.tbr"));
}

SlotResult storeSlotArchive(const QString &archive, int year, int row, int col) {
    QFile in(archive);
    if (!in.exists())
        return failed(QStringLiteral("%1 does not exist").arg(archive));
    if (in.size() <= 0 || in.size() > MaxArchiveBytes)
        return failed(QStringLiteral("%1 is not a message archive").arg(archive));
    if (!in.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("%1 cannot be read: %2").arg(archive, in.errorString()));
    const QByteArray bytes = in.readAll();
    if (bytes.size() != in.size())
        return failed(QStringLiteral("%1 cannot be read whole").arg(archive));

    const QString folder = appFile(slotFolderName(year));
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("the folder %1 cannot be made").arg(folder));
    const QString target = slotArchivePath(year, row, col);
    if (!writeFileSafely(target, bytes))
        return failed(QStringLiteral("%1 cannot be written").arg(target));
    return {true, {}};
}

SlotResult extractSlotArchive(int year, int row, int col) {
    const QString path = slotArchivePath(year, row, col);
    ZipExtractionClass zip;
    QString error;
    zip.ZipError = [&error](std::int32_t, const std::string &text) {
        if (error.isEmpty())
            error = QString::fromStdString(text);
    };
    const bool opened = zip.OpenZip(QFile::encodeName(path).toStdString());
    if (opened)
        zip.Extract(QFile::encodeName(AppFolder).toStdString(), true, true);
    zip.CloseZip();
    if (!opened || !error.isEmpty())
        QFile::remove(scratchWavePath()); // nothing stale is played
    if (!QFileInfo::exists(scratchWavePath()))
        return failed(error.isEmpty() ? QStringLiteral("%1 holds no temp.wav").arg(path) : error);
    return {true, {}};
}

SlotResult removeSlotArchive(int year, int row, int col) {
    const QString path = slotArchivePath(year, row, col);
    if (!QFileInfo::exists(path))
        return {true, {}};
    if (moveToHomeTrash(path))
        return {true, {}};
    QFile file(path);
    if (file.remove())
        return {true, {}};
    return failed(QStringLiteral("%1 cannot be removed: %2").arg(path, file.errorString()));
}

} // namespace tembrel
