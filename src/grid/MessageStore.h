// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The message files: one one-entry zip archive per stored message, AppFolder
// + "D<year>/W<year><row><col>.tbr", row and column written with at least
// three digits, and the scratch files of recording and playback. A recording
// is packed from temp.wav into temp.tbr; storing puts temp.tbr in a slot,
// playback unpacks a slot's archive into temp.wav, and deletion takes it
// away. No widgets here: the models and windows call these and show the
// results.

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>

namespace tembrel {

// A cell of the grid that can hold a message: row >= 3 (time row row - 3),
// column >= 1 (day column of the year, 1 January being 1).
struct Slot {
    int row = 0;
    int col = 0;
    bool operator==(const Slot &) const = default;
};

// A number with at least three digits: 5 -> "005", 123 -> "123", 1234 -> "1234".
QString slotNumber(int n);
// "D" + year: the folder of a year's archives, in AppFolder.
QString slotFolderName(int year);
// "W" + year + row + col + ".tbr".
QString slotArchiveName(int year, int row, int col);
// AppFolder + "D<year>" + separator + the archive's name.
QString slotArchivePath(int year, int row, int col);

// The scratch files of recording and playback, in AppFolder.
QString scratchWavePath();
QString scratchArchivePath();

struct SlotResult {
    bool ok = false;
    QString error; // what went wrong, for a log or a message box
};

// Packs temp.wav into temp.tbr, the one-entry archive a slot stores. Refused
// when temp.wav is missing or empty; temp.tbr is then left as it was.
SlotResult packScratchWave();

// Copies `archive` into the slot, making the year's folder when needed. The
// copy is written under a temporary name in that folder and renamed over the
// slot's name only once it is whole, so the slot holds the old archive, the new
// one, or none, never part of one. An empty or missing `archive` is refused.
SlotResult storeSlotArchive(const QString &archive, int year, int row, int col);

// Unpacks the slot's archive into AppFolder: its entry temp.wav, and nothing
// else an archive may hold. Any temp.wav of before is gone first, so a
// missing, damaged, empty or oversized archive leaves no temp.wav behind and
// nothing stale is played.
SlotResult extractSlotArchive(int year, int row, int col);

// A recording a crash or a kill interrupted leaves temp.wav half written
// (WaveJournal): settling packs what it holds into temp.tbr, dated when it
// was last written, as the finishing step would have. Nothing to settle is
// fine; a failure keeps temp.wav as it is.
SlotResult settleInterruptedRecording();
// When a recording was made and never stored (a crash before the finishing
// step or before Save), the time it was last written; settled first.
std::optional<QDateTime> interruptedRecording();
// Unpacks temp.tbr's temp.wav into AppFolder, as a slot's archive is.
SlotResult unpackScratchArchive();

// The slots of a year whose archive is named in D<year>: the ground truth of
// which slots hold a message. One listing of the folder, no file opened.
QList<Slot> archivedSlots(int year);
// The same, in a folder named by the caller: a worker thread lists it while
// the application folder may be read elsewhere.
QList<Slot> archivedSlots(const QString &folder, int year);
// Whether the slot's archive holds any bytes (an empty one is no message).
bool slotArchiveHoldsBytes(int year, const Slot &slot);

// Takes the slot's archive away so that the deletion can still be undone:
// into the desktop's trash where there is one, or, with no trash, kept aside
// in its folder until eraseKeptArchive. A missing archive counts as removed.
struct SlotRemoval : SlotResult {
    QString trashed;   // its path in the trash
    QString keptAside; // its path beside the slot's name
};
SlotRemoval takeSlotArchive(int year, const Slot &slot);
// Puts the archive back into the slot, unless the slot holds one again.
SlotResult putBackSlotArchive(const SlotRemoval &removal, int year, const Slot &slot);
inline void eraseKeptArchive(const SlotRemoval &removal) {
    if (!removal.keptAside.isEmpty())
        QFile::remove(removal.keptAside);
}

} // namespace tembrel
