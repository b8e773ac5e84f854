// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The input of the recording window's scope: a capture stream of its own,
// beside the recording device's, whose samples are turned into the scope's
// format (PCM, mono, 8000 Hz, 8-bit unsigned: 128 is silence, 0 and 255 the
// extremes) whatever the device really delivers, and gathered into two blocks
// of ScopeBufferSize bytes filled in turn. The window takes the newest full
// block at each tick; nobody ever waits for one.
//
// The blocks arrive on the thread that owns the backend, the user interface
// thread (SoundBackend's promise), so a block handed out by TakeSamples stays
// whole until the window's handler has copied it.

#include "sound/SoundBackend.h"

#include <QString>

#include <array>
#include <memory>

namespace tembrel {

// One block: about 0.4 s at 8000 bytes a second, and one dot per byte across
// the whole width of the scope.
inline constexpr int ScopeBufferSize = 3195;
inline constexpr int ScopeRate = 8000;
inline constexpr quint8 ScopeSilence = 128;

class SoundMeter final {
public:
    explicit SoundMeter(std::shared_ptr<SoundBackend> backend);
    ~SoundMeter();
    Q_DISABLE_COPY_MOVE(SoundMeter)

    // Opens and starts the input, with two fresh zero-filled blocks. When the
    // input cannot start, shows why in one message box and returns false.
    bool StartInput();
    // Stops and closes the input and frees the blocks; nothing when not running.
    void StopInput();
    // The newest block the input has filled since the last call: true, with
    // its address. False, and the address untouched, when none has come.
    bool TakeSamples(const quint8 *&address);
    bool InputRunning() const { return m_running; }

private:
    void onData(QByteArrayView pcm);
    void push(qint16 sample);

    std::shared_ptr<SoundBackend> m_backend;
    std::unique_ptr<CaptureStream> m_capture;
    std::array<std::unique_ptr<quint8[]>, 2> m_blocks;
    PcmFormat m_format;
    bool m_running = false;
    int m_filling = 0;      // the block being filled
    int m_filled = 0;       // bytes in it so far
    int m_newest = -1;      // the last block filled
    bool m_untaken = false; // and not handed out yet
    // From the device's rate to the scope's: each scope sample is the mean of
    // the device samples that fell in its period (the last one when none did).
    qint64 m_phase = 0;
    qint64 m_sum = 0;
    int m_count = 0;
    qint16 m_last = 0;
};

} // namespace tembrel
