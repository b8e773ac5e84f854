// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A recording written to its wave file while it is made, so that a crash or
// a kill loses at most the last second: the samples are appended as they
// come, and the header's sizes are brought up to date and the file flushed
// to the disk once a second of sound has come since the last time (and at
// every pause and stop). The file is a valid 16-bit PCM wave at every flush;
// a chunk of the program's own ("tmbr") between the format and the samples
// marks it as a recording that was never finished, which the finished wave,
// written anew at the finishing step, does not carry.

#include "sound/WaveFile.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>

#include <optional>

namespace tembrel {

class WaveJournal final {
public:
    WaveJournal() = default;
    ~WaveJournal();
    WaveJournal(const WaveJournal &) = delete;
    WaveJournal &operator=(const WaveJournal &) = delete;

    // Starts the file over with the samples a recording keeps (a recording
    // may go on from the middle of a sound). False when it cannot be written:
    // the recording then lives in memory only, as before.
    bool start(const QString &path, const PcmSound &kept);
    bool isOpen() const { return m_file.isOpen(); }
    // Appends what the input delivered; flushes once a second of it came.
    void append(QByteArrayView samples);
    // Brings the header up to date and flushes everything to the disk.
    bool flush();
    // Flushes and closes; the file stays for the finishing step to replace.
    void finish();

    // The sound of a file that a recording left unfinished, up to its last
    // whole frame whatever its header says; nullopt for any other file.
    struct Interrupted {
        PcmSound sound;
        QDateTime lastWritten;
    };
    static std::optional<Interrupted> read(const QString &path);

private:
    QFile m_file;
    PcmSound m_format; // rate and channels; samples unused
    qint64 m_dataBytes = 0;
    qint64 m_unflushed = 0;
};

} // namespace tembrel
