// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whole files read, written and dated as the tests prepare and inspect them.

#include <QByteArray>
#include <QDateTime>
#include <QFile>

namespace tembrel::test {

// Empty when the file cannot be read.
inline QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool putFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline bool setModified(const QString &path, const QDateTime &when) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime);
}

} // namespace tembrel::test
