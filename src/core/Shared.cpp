// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Shared.h"

#include "core/TextRecords.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace tembrel {
namespace {

const QString HelpFile = QStringLiteral("Tembrel.rtf");
const QString FrenchHelpFile = QStringLiteral("Tembrel.fr.rtf");

// The help documents are the program's own, refreshed when the shipped ones
// are newer; the other files are the user's from the first start on.
bool isHelpDocument(const QString &name) {
    return name == HelpFile || name == FrenchHelpFile;
}

// Copies through a temporary file and a rename, so an interrupted copy never
// leaves half a file, and gives the copy the source's time: the next start
// then sees whether the shipped file has changed since.
bool copyShipped(const QString &from, const QString &to) {
    // The shipped files are a few kilobytes; the help document is the largest.
    constexpr qint64 MaxShippedBytes = 16 * 1024 * 1024;
    const QDateTime modified = QFileInfo(from).lastModified();
    const FileBytes source = readFileBounded(from, MaxShippedBytes);
    if (!source.bytes || !writeFileSafely(to, *source.bytes))
        return false;
    QFile copy(to);
    return copy.open(QIODevice::ReadWrite) &&
           copy.setFileTime(modified, QFileDevice::FileModificationTime);
}

} // namespace

QString AppFolder;
bool RecordingWindowOpen = false;
qint32 SelRow = 0;
qint32 SelCol = 0;

void setAppFolder(const QString &folder) {
    QString f = QDir::toNativeSeparators(folder);
    const QChar sep = QDir::separator();
    if (!f.endsWith(sep))
        f += sep;
    AppFolder = f;
}

QString appFile(const QString &name) {
    return AppFolder + name;
}

QStringList shippedFiles() {
    return {QStringLiteral("JFValid.ini"), HelpFile, FrenchHelpFile, QStringLiteral("hours.dat")};
}

bool folderAcceptsFiles(const QString &folder) {
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tembrel-probe-XXXXXX")));
    return probe.open();
}

bool prepareUserFolder(const QString &programFolder, const QString &userFolder) {
    const bool firstStart = !QFileInfo::exists(userFolder);
    if (!makeFolders(userFolder))
        return false;
    const QDir shipped(programFolder);
    const QDir user(userFolder);
    for (const QString &name : shippedFiles()) {
        const QFileInfo source(shipped.filePath(name));
        const QFileInfo copy(user.filePath(name));
        if (!source.isFile())
            continue;
        const bool wanted =
            copy.exists() ? isHelpDocument(name) && source.lastModified() > copy.lastModified()
                          : firstStart || isHelpDocument(name);
        if (wanted)
            copyShipped(source.filePath(), copy.filePath());
    }
    return true;
}

QString usableFolder(const QByteArray &nativePath) {
    if (nativePath.isEmpty())
        return {};
    const QString folder = QFile::decodeName(nativePath);
    if (QFile::encodeName(folder) == nativePath)
        return folder;
#ifdef Q_OS_LINUX
    const int fd = ::open(nativePath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        return QStringLiteral("/proc/self/fd/%1").arg(fd);
#endif
    return {};
}

QString programFolder() {
#ifdef Q_OS_LINUX
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return usableFolder(QByteArray::fromStdString(exe.parent_path().native()));
#endif
    return QCoreApplication::applicationDirPath();
}

QString chooseAppFolder(const QString &programFolder, const QString &userFolder) {
    if (programFolder.isEmpty())
        return userFolder.isEmpty() || !makeFolders(userFolder) ? QString() : userFolder;
    if (folderAcceptsFiles(programFolder) || userFolder.isEmpty() ||
        !prepareUserFolder(programFolder, userFolder))
        return programFolder;
    return userFolder;
}

} // namespace tembrel
