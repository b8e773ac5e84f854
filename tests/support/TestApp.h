// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A temporary application folder for a test: AppFolder points into it for the
// object's life, so every data file the code touches is a real file there.

#include "shell/Shared.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tembrel::test {

class TempAppFolder final {
public:
    TempAppFolder() {
        m_previous = AppFolder;
        setAppFolder(m_dir.path());
    }
    ~TempAppFolder() { AppFolder = m_previous; }

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    bool exists(const QString &name) const { return QFile::exists(path(name)); }
    QByteArray read(const QString &name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool write(const QString &name, const QByteArray &bytes) const {
        QFile f(path(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace tembrel::test
