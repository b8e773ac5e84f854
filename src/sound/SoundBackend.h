// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What MMControl needs of the sound device: a recording stream that pushes the
// samples it captures, a playing stream that reports how much the device has
// really played, and a periodic tick. Two implementations: QtSoundBackend on
// Qt Multimedia, and VirtualSoundBackend for tests, whose clock the test moves.
//
// Samples are always signed 16-bit, interleaved. Callbacks run on the thread
// that owns the backend (the user interface thread) and may destroy nothing
// but what MMControl retires through a queued deletion. No call waits for the
// sound server for long: a device may answer late or never, so a start may
// succeed before the device has really started, and a device that fails
// later says so through the stream's lost handler.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

class QObject;

namespace tembrel {

struct PcmFormat {
    int sampleRate = 16000;
    int channels = 1;
    friend bool operator==(const PcmFormat &, const PcmFormat &) = default;
};

// What recording and playing streams share: the device may end them by itself.
class DeviceStream {
public:
    using LostHandler = std::function<void()>;

    virtual ~DeviceStream() = default;
    // Runs once when the device ends the stream by itself: it went away,
    // stopped answering, or did not start within the time the backend allows.
    // Nothing comes from the stream afterwards; stop() is still harmless.
    void setLostHandler(LostHandler onLost) { m_onLost = std::move(onLost); }

protected:
    void reportLost() {
        // The handler may retire the stream: it runs from a copy.
        if (LostHandler onLost = std::exchange(m_onLost, {}))
            onLost();
    }

private:
    LostHandler m_onLost;
};

class CaptureStream : public DeviceStream {
public:
    // The format the device really delivers (the nearest it supports).
    virtual PcmFormat format() const = 0;
    // False when the device refuses at once.
    virtual bool start() = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // Delivers what is still buffered, then ends the stream.
    virtual void stop() = 0;
};

class PlaybackStream : public DeviceStream {
public:
    // False when the device refuses at once.
    virtual bool start() = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    // Microseconds of sound the device has played since start(); suspension
    // does not reset it.
    virtual qint64 processedUSecs() const = 0;
};

// A microphone or speaker as the sound server lists it.
struct SoundDevice {
    QByteArray id; // stable between runs: what a choice is kept by
    QString description;
    bool isDefault = false; // as the server flags it (not always right, see QtSoundBackend)
    friend bool operator==(const SoundDevice &, const SoundDevice &) = default;
};

struct SoundDevices {
    QList<SoundDevice> inputs; // monitors of outputs left out
    QList<SoundDevice> outputs;
};

class Ticker {
public:
    virtual ~Ticker() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};

class SoundBackend {
public:
    using DataHandler = std::function<void(QByteArrayView)>;
    using FinishedHandler = std::function<void()>;
    using TickHandler = std::function<void()>;
    using DevicesHandler = std::function<void(const SoundDevices &)>;

    virtual ~SoundBackend() = default;

    virtual bool hasInput() = 0;
    virtual bool hasOutput() = 0;
    // Reads the device lists afresh, off the calling thread, and hands them
    // to onRead on the thread of `context`, once; never when the server does
    // not answer, nor once `context` is gone. Returns at once.
    virtual void readDevices(QObject *context, DevicesHandler onRead) = 0;
    // Streams open the device chosen for their use (SoundChoice.h) when it is
    // listed, the system default otherwise.
    // Null when there is no input or it refuses every format tried.
    virtual std::unique_ptr<CaptureStream> createCapture(PcmFormat preferred,
                                                         DataHandler onData) = 0;
    // onFinished runs once, when the device has played the whole of pcm.
    virtual std::unique_ptr<PlaybackStream> createPlayback(PcmFormat format, QByteArray pcm,
                                                           FinishedHandler onFinished) = 0;
    virtual std::unique_ptr<Ticker> createTicker(std::chrono::milliseconds interval,
                                                 TickHandler onTick) = 0;
};

} // namespace tembrel
