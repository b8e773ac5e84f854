// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's text files (param.ini, pos.ini, hours.dat, F<year>.ini,
// JFValid.ini) are records of comma-separated fields: texts in double quotes,
// numbers plain, one record per line ended by CR LF, in Windows-1252. They are
// read back field by field, whatever the line structure, as the files have
// always been read.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <variant>

namespace tembrel {

// Windows-1252 <-> Unicode. Characters that the code page lacks become '?'.
QByteArray toCp1252(const QString &text);
QString fromCp1252(QByteArrayView bytes);
// True when the code page has a byte for every character of the text.
bool fitsCp1252(const QString &text);
// The text without the characters the code page has no byte for, for the
// fields whose text goes to a file: what the user sees is what is stored.
QString keepCp1252(const QString &text);

// One field to write: a text is quoted, a number written plain.
using Field = std::variant<QString, qint64, double>;
using Record = QList<Field>;

// Splits raw file content into its fields, in order. Quoted fields keep every
// character between the quotes (commas included); unquoted fields end at a
// comma or a line end and lose surrounding blanks. LF-only and CR LF line ends
// are both taken; blank lines yield no field.
QStringList parseFields(const QByteArray &content);

// Every file is untrusted: it may have been cut short, grown, copied from
// elsewhere or edited by hand. Each reader states the largest file of its kind
// it takes (the largest real one with a wide margin); a larger file is damaged
// and never read whole. Only a regular file is read: a FIFO (whose opening
// would wait for a writer for ever), a device or a folder of that name is
// NotRegular, which counts as missing for a text file.
enum class ReadFailure { Missing, Unreadable, TooLarge, NotRegular };
struct FileBytes {
    std::optional<QByteArray> bytes;
    ReadFailure failure = ReadFailure::Missing; // when bytes is empty
};
FileBytes readFileBounded(const QString &path, qint64 maxBytes);

// Reads every field of a file of at most maxBytes. nullopt when the file is
// missing, unreadable or too large (the caller keeps its defaults, as for a
// file that has never been written).
std::optional<QStringList> readFields(const QString &path, qint64 maxBytes);

// Encodes records: fields joined by commas, texts in double quotes (a text
// must not hold a double quote; any that slipped through are dropped), every
// line ended by CR LF.
QByteArray formatRecords(const QList<Record> &records);

// Writes the records over the file through the program's one safe writer
// (archive/DurableFiles.h: a marked temporary file, flushed and renamed), so a
// crash or a failed write leaves the previous file whole. False on failure.
bool writeRecords(const QString &path, const QList<Record> &records);

// Writes raw bytes the same safe way.
bool writeFileSafely(const QString &path, const QByteArray &bytes);

// Makes a folder and its missing parents, each new one flushed into its
// parent, so the files written into it survive a power cut.
bool makeFolders(const QString &folder);

// A file name as the system takes it (the bytes QFile would open).
std::filesystem::path nativePath(const QString &path);

// Sets a damaged file aside under a name of its own in the same folder,
// "<name>.damaged-<yyyyMMdd-hhmmss>" (a number added when that is taken), so
// that nothing overwrites it. The new name, or empty when it cannot be moved.
QString setDamagedFileAside(const QString &path);

// Reads a field as a number the way the old files were read: leading and
// trailing blanks ignored, nullopt when it is not a number.
std::optional<qint64> fieldToInt(const QString &field);
std::optional<double> fieldToDouble(const QString &field);

} // namespace tembrel
