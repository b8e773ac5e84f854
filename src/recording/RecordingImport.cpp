// SPDX-License-Identifier: GPL-3.0-or-later
// An audio file taken as the recording, in place of one made with the device.
#include "recording/RecordingSession.h"

#include "grid/MessageStore.h"
#include "sound/MMControl.h"
#include "sound/SoundImport.h"
#include "sound/SoundPlayer.h"

#include <QFile>

namespace tembrel {

RecordingSession::Imported RecordingSession::importFile(const QString &path) {
    if (!allows(m_state, RecordingEvent::Import))
        return {};
    m_player->stop();
    m_device->setCommand(QStringLiteral("Close"));
    const ImportResult converted = importSound(path, scratchWavePath(), m_limit);
    if (!converted.ok()) {
        qWarning("%s was not imported: %s", qUtf8Printable(path), qUtf8Printable(converted.error));
        switch (converted.failure) {
        case ImportFailure::Empty:
            return {false, 251};
        case ImportFailure::Silent:
            return {false, 252};
        case ImportFailure::NotWritten:
            return {false, 253};
        default:
            return {false, 250};
        }
    }
    const SlotResult packed = packScratchWave();
    if (!packed.ok) {
        qWarning("The imported sound was not packed: %s", qUtf8Printable(packed.error));
        deleteScratchFiles();
        return {false, 253};
    }
    // Listening shows its positions again, as after a Record.
    UpdatesSuspended = false;
    m_recordedSinceFinish = false;
    go(RecordingEvent::Import);
    return {true, converted.cut ? 254 : 0};
}

} // namespace tembrel
