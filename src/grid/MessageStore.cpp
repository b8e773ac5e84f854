// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/MessageStore.h"

#include "archive/ZipClass.h"
#include "archive/ZipExtractionClass.h"
#include "core/Shared.h"
#include "core/TextRecords.h"
#include "sound/WaveFile.h"
#include "sound/WaveJournal.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <limits>
#include <optional>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace tembrel {
namespace {

// The largest scratch archive taken: a minute of 16-bit stereo at 48 kHz is
// about 11 MB before compression; anything far past that is not ours.
constexpr qint64 MaxArchiveBytes = 64 * 1024 * 1024;

SlotResult failed(const QString &text) {
    return {false, text};
}

SlotResult unpackArchive(const QString &path) {
    const QString wave = scratchWavePath();
    QFile::remove(wave);
    // The reader looks for the archive's end from the back of the file: a
    // sparse 30 GB file would be read whole for nothing.
    if (QFileInfo(path).size() > MaxArchiveBytes)
        return failed(QStringLiteral("%1 is larger than any message archive").arg(path));
    ZipExtractionClass zip;
    // A message archive holds temp.wav; an archive that also names param.ini
    // or hours.dat must not write over the user's files. One temp.wav is
    // taken, as long as any wave read back: an archive naming it again and
    // again would write it over and over.
    zip.Accept = [](const std::string &name) { return name == "temp.wav"; };
    zip.MaxEntries = 1;
    zip.MaxEntrySize = zip.MaxTotalSize = MaxWaveBytes;
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

// The desktop's trash in the user's data folder. Qt 6.4 moves a file into the
// current folder when it can make no trash at all, so the trash is made (or
// found) here first, and the file is only handed to Qt when one exists.
// The path in the trash, or empty when there is no trash.
QString moveToHomeTrash(const QString &path) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return {};
    const QString trash = data + QStringLiteral("/Trash");
    if (!QFileInfo(trash).isDir()) {
        if (!QDir().mkpath(trash))
            return {};
        QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash))
        return {};
    const QString dir = QFileInfo(inTrash).absolutePath();
    if (dir.endsWith(QStringLiteral("/files")) && dir.contains(QStringLiteral("Trash")))
        return inTrash;
    // Somewhere that is no trash: put it back for the caller to deal with.
    QFile::rename(inTrash, path);
    return {};
}

// The slot an archive's name stands for: W<year><row><col>.tbr, the column
// of three digits (a year has no more than 366 days), the row three or more.
std::optional<Slot> slotOfArchiveName(QByteArrayView name, QByteArrayView prefix) {
    constexpr QByteArrayView suffix(".tbr");
    const qsizetype digits = name.size() - prefix.size() - suffix.size();
    if (digits < 6 || std::memcmp(name.data(), prefix.data(), std::size_t(prefix.size())) != 0 ||
        std::memcmp(name.data() + name.size() - suffix.size(), suffix.data(),
                    std::size_t(suffix.size())) != 0)
        return std::nullopt;
    const char *d = name.data() + prefix.size();
    qint64 row = 0;
    for (qsizetype i = 0; i < digits - 3; ++i) {
        if (d[i] < '0' || d[i] > '9')
            return std::nullopt;
        row = row * 10 + (d[i] - '0');
        if (row > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    int col = 0;
    for (qsizetype i = digits - 3; i < digits; ++i) {
        if (d[i] < '0' || d[i] > '9')
            return std::nullopt;
        col = col * 10 + (d[i] - '0');
    }
    return Slot{int(row), col};
}

#ifdef Q_OS_UNIX
bool isRegularIn(int dirFd, const char *name) {
    struct stat st {};
    return fstatat(dirFd, name, &st, 0) == 0 && S_ISREG(st.st_mode);
}
#endif

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

SlotResult packScratchWave() {
    const QFileInfo wav(scratchWavePath());
    if (!wav.isFile() || wav.size() < 1)
        return failed(QStringLiteral("%1 holds no recording").arg(wav.filePath()));
    ZipClass zip;
    if (!zip.AddFile(QFile::encodeName(wav.filePath()).toStdString()) ||
        !zip.WriteZip(QFile::encodeName(scratchArchivePath()).toStdString(), true))
        return failed(QStringLiteral("%1 cannot be written").arg(scratchArchivePath()));
    return {true, {}};
}

SlotResult storeSlotArchive(const QString &archive, int year, int row, int col) {
    const FileBytes in = readFileBounded(archive, MaxArchiveBytes);
    if (!in.bytes && (in.failure == ReadFailure::Missing || in.failure == ReadFailure::NotRegular))
        return failed(QStringLiteral("%1 does not exist").arg(archive));
    if (!in.bytes && in.failure == ReadFailure::Unreadable)
        return failed(QStringLiteral("%1 cannot be read").arg(archive));
    if (!in.bytes || in.bytes->isEmpty())
        return failed(QStringLiteral("%1 is not a message archive").arg(archive));
    const QByteArray &bytes = *in.bytes;

    const QString folder = appFile(slotFolderName(year));
    if (!makeFolders(folder))
        return failed(QStringLiteral("the folder %1 cannot be made").arg(folder));
    const QString target = slotArchivePath(year, row, col);
    if (!writeFileSafely(target, bytes))
        return failed(QStringLiteral("%1 cannot be written").arg(target));
    return {true, {}};
}

SlotResult extractSlotArchive(int year, int row, int col) {
    // An interrupted recording in temp.wav is packed before a slot's wave
    // takes its place; one that cannot be packed keeps temp.wav.
    if (const SlotResult settled = settleInterruptedRecording(); !settled.ok)
        return settled;
    return unpackArchive(slotArchivePath(year, row, col));
}

SlotResult unpackScratchArchive() {
    return unpackArchive(scratchArchivePath());
}

SlotResult settleInterruptedRecording() {
    const QString wave = scratchWavePath();
    const auto interrupted = WaveJournal::read(wave);
    if (!interrupted)
        return {true, {}};
    if (interrupted->sound.isEmpty()) {
        QFile::remove(wave);
        return {true, {}};
    }
    if (!writeWaveFile(wave, interrupted->sound))
        return failed(
            QStringLiteral("the interrupted recording in %1 cannot be written").arg(wave));
    if (const SlotResult packed = packScratchWave(); !packed.ok)
        return packed;
    // The archive tells when the recording was interrupted, not when it was packed.
    QFile archive(scratchArchivePath());
    if (archive.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        archive.setFileTime(interrupted->lastWritten, QFileDevice::FileModificationTime);
    return {true, {}};
}

std::optional<QDateTime> interruptedRecording() {
    if (!settleInterruptedRecording().ok)
        return QFileInfo(scratchWavePath()).lastModified();
    const QFileInfo archive(scratchArchivePath());
    if (archive.isFile() && archive.size() > 0)
        return archive.lastModified();
    return std::nullopt;
}

QList<Slot> archivedSlots(int year) {
    return archivedSlots(appFile(slotFolderName(year)), year);
}

QList<Slot> archivedSlots(const QString &folder, int year) {
    // Names only: a full year holds tens of thousands of archives, and
    // neither a sort nor a stat per file tells anything more. The names are
    // read as bytes, without a string made for each.
    QList<Slot> found;
    const QByteArray prefix = 'W' + QByteArray::number(year);
#ifdef Q_OS_UNIX
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return found;
    while (const dirent *entry = readdir(dir)) {
        const std::optional<Slot> slot = slotOfArchiveName(entry->d_name, prefix);
        // Files as QDir::Files takes them: regular ones, or links to one.
        if (slot &&
            (entry->d_type == DT_REG || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                         isRegularIn(dirfd(dir), entry->d_name))))
            found.append(*slot);
    }
    closedir(dir);
#else
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        if (const std::optional<Slot> slot = slotOfArchiveName(it.fileName().toUtf8(), prefix))
            found.append(*slot);
    }
#endif
    return found;
}

bool slotArchiveHoldsBytes(int year, const Slot &slot) {
    return QFileInfo(slotArchivePath(year, slot.row, slot.col)).size() > 0;
}

SlotRemoval takeSlotArchive(int year, const Slot &slot) {
    SlotRemoval out;
    const QString path = slotArchivePath(year, slot.row, slot.col);
    if (!QFileInfo::exists(path)) {
        out.ok = true;
        return out;
    }
    out.trashed = moveToHomeTrash(path);
    if (!out.trashed.isEmpty()) {
        out.ok = true;
        return out;
    }
    // No trash: kept aside under a name no listing takes for a message.
    const QString aside = path + QStringLiteral(".deleted");
    QFile::remove(aside);
    QFile file(path);
    out.ok = file.rename(aside);
    if (out.ok)
        out.keptAside = aside;
    else
        out.error = QStringLiteral("%1 cannot be removed: %2").arg(path, file.errorString());
    return out;
}

SlotResult putBackSlotArchive(const SlotRemoval &removal, int year, const Slot &slot) {
    const QString from = removal.trashed.isEmpty() ? removal.keptAside : removal.trashed;
    const QString target = slotArchivePath(year, slot.row, slot.col);
    if (from.isEmpty())
        return failed(QStringLiteral("nothing was kept of %1").arg(target));
    // A slot that holds a message again keeps it.
    if (QFileInfo::exists(target) || !QFile::rename(from, target))
        return failed(QStringLiteral("%1 cannot be put back").arg(target));
    // The trash's note of where the file came from goes with it.
    if (!removal.trashed.isEmpty()) {
        const QFileInfo inTrash(removal.trashed);
        QFile::remove(inTrash.dir().absoluteFilePath(QStringLiteral("../info/")) +
                      inTrash.fileName() + QStringLiteral(".trashinfo"));
    }
    return {true, {}};
}

} // namespace tembrel
