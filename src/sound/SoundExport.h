// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A stored message as a plain audio file: the wave itself, or its sound in
// whichever compressed formats the installed libsndfile writes. Also the
// length of a wave from its header alone, for lists of many messages.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tembrel {

struct ExportType {
    int sfFormat = 0;  // libsndfile's major and sub format
    QString extension; // without the dot, lower case
    QString name;      // for a file dialog's filter
    // "Name (*.ext)"
    QString filter() const { return name + QStringLiteral(" (*.") + extension + QLatin1Char(')'); }
};

// WAV first, then FLAC, Ogg Vorbis, Ogg Opus and MP3 where this libsndfile
// writes them (16 kHz mono, as messages are recorded).
QList<ExportType> exportTypes();
// The type a file name's extension asks for, among exportTypes().
std::optional<ExportType> exportTypeForFile(const QString &path);

// The length in milliseconds of a wave of `totalSize` bytes whose first bytes
// are `head`; nullopt when the head holds no readable wave header.
std::optional<qint64> waveLengthMs(const QByteArray &head, qint64 totalSize);

// Writes the wave's sound to `path` in `type` (a WAV is the wave itself,
// byte for byte) through the safe writer. Empty on success, else what failed.
QString exportWave(const QByteArray &wave, const QString &path, const ExportType &type);

} // namespace tembrel
