// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The sound device on Qt Multimedia: QAudioSource in push mode for recording,
// QAudioSink in push mode from the sound in memory for playing, and positions
// from what the sink reports as really played. The streams live on a thread
// of their own (QtSoundThreads.h): no call waits for the sound server on the
// user interface thread for more than a tenth of a second, a start the
// server does not confirm within a second and a half fails, and a device
// that goes away ends its streams through their lost handler.

#include "sound/SoundBackend.h"

namespace tembrel {

class QtSoundBackend final : public SoundBackend {
public:
    QtSoundBackend();
    Q_DISABLE_COPY_MOVE(QtSoundBackend)

    bool hasInput() override;
    bool hasOutput() override;
    void readDevices(QObject *context, DevicesHandler onRead) override;
    std::unique_ptr<CaptureStream> createCapture(PcmFormat preferred, DataHandler onData) override;
    std::unique_ptr<PlaybackStream> createPlayback(PcmFormat format, QByteArray pcm,
                                                   FinishedHandler onFinished) override;
    std::unique_ptr<Ticker> createTicker(std::chrono::milliseconds interval,
                                         TickHandler onTick) override;
};

} // namespace tembrel
