// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sound device on Qt Multimedia: QAudioSource in push mode for recording,
// QAudioSink in pull mode over the sound in memory for playing, and positions
// from what the sink reports as really played.

#include "sound/SoundBackend.h"

namespace tembrel {

class QtSoundBackend final : public SoundBackend {
public:
    QtSoundBackend() = default;
    Q_DISABLE_COPY_MOVE(QtSoundBackend)

    bool hasInput() override;
    bool hasOutput() override;
    std::unique_ptr<CaptureStream> createCapture(PcmFormat preferred, DataHandler onData) override;
    std::unique_ptr<PlaybackStream> createPlayback(PcmFormat format, QByteArray pcm,
                                                   FinishedHandler onFinished) override;
    std::unique_ptr<Ticker> createTicker(std::chrono::milliseconds interval,
                                         TickHandler onTick) override;
};

} // namespace tembrel
