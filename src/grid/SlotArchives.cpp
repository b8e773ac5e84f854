// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/SlotArchives.h"

#include "archive/ZipExtractionClass.h"
#include "core/Shared.h"
#include "core/TextRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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
    const FileBytes in = readFileBounded(archive, MaxArchiveBytes);
    if (!in.bytes && in.failure == ReadFailure::Missing)
        return failed(QStringLiteral("%1 does not exist").arg(archive));
    if (!in.bytes && in.failure == ReadFailure::Unreadable)
        return failed(QStringLiteral("%1 cannot be read").arg(archive));
    if (!in.bytes || in.bytes->isEmpty())
        return failed(QStringLiteral("%1 is not a message archive").arg(archive));
    const QByteArray &bytes = *in.bytes;

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
    const QString wave = scratchWavePath();
    QFile::remove(wave);
    // The reader looks for the archive's end from the back of the file: a
    // sparse 30 GB file would be read whole for nothing.
    if (QFileInfo(path).size() > MaxArchiveBytes)
        return failed(QStringLiteral("%1 is larger than any message archive").arg(path));
    ZipExtractionClass zip;
    zip.MaxEntrySize = MaxArchiveBytes;
    // A message archive holds temp.wav; an archive that also names param.ini
    // or hours.dat must not write over the user's files.
    zip.Accept = [](const std::string &name) { return name == "temp.wav"; };
    QString error;
    zip.ZipError = [&error](std::int32_t, const std::string &text) {
        if (error.isEmpty())
            error = QString::fromStdString(text);
    };
    const bool opened = zip.OpenZip(QFile::encodeName(path).toStdString());
    if (opened)
        zip.Extract(QFile::encodeName(AppFolder).toStdString(), true, true);
    zip.CloseZip();
    if (opened && error.isEmpty() && QFileInfo(wave).size() > 0)
        return {true, {}};
    // An empty entry is no message either; nothing stale is played.
    QFile::remove(wave);
    return failed(error.isEmpty() ? QStringLiteral("%1 holds no temp.wav").arg(path) : error);
}

QList<QPoint> archivedSlots(int year) {
    // W<year><row><col>.tbr: the column has three digits (a year has no more
    // than 366 days), the row three or more.
    static const QRegularExpression name(QStringLiteral("^W(\\d{4})(\\d{3,})(\\d{3})\\.tbr$"));
    QList<QPoint> found;
    const QDir folder(appFile(slotFolderName(year)));
    const QFileInfoList files = folder.entryInfoList(QDir::Files);
    for (const QFileInfo &file : files) {
        const auto match = name.match(file.fileName());
        if (!match.hasMatch() || match.captured(1).toInt() != year || file.size() <= 0)
            continue;
        bool rowOk = false;
        const int row = match.captured(2).toInt(&rowOk);
        if (rowOk)
            found.append(QPoint(match.captured(3).toInt(), row));
    }
    return found;
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
