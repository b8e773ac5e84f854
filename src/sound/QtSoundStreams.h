// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The stream thread's side of the Qt Multimedia sound device: the Qt streams
// themselves, which may wait as long as the server does. The user interface
// thread's side (QtSoundBackend.cpp) sends them commands through queued
// calls; they answer with queued signals and, for a recording, with the
// samples they leave in a CaptureLink.

#include "sound/SoundBackend.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

class QAudioSink;
class QAudioSource;
class QIODevice;
class QTimer;

namespace tembrel::qtsound {

class StreamThread;

QAudioFormat int16Format(int rate, int channels);

// What the two sides of a recording share: the samples on their way to the
// user interface thread, and the last command the stream thread has done.
struct CaptureLink {
    std::mutex mutex;
    std::condition_variable done;
    QByteArray samples;
    quint64 doneUpTo = 0;
};

// A recording: QAudioSource in push mode, its samples made 16-bit. It ends
// by itself (lost) when the server dies, when its source leaves the device
// list (PulseAudio then moves its recordings to another source) or when it
// hears nothing for two seconds (a microphone delivers silence too).
class CaptureWorker final : public QObject {
    Q_OBJECT

public:
    // Made on the user interface thread, it moves itself to `thread`; it is
    // deleted there (deleteLater).
    CaptureWorker(StreamThread *thread, std::shared_ptr<CaptureLink> link,
                  const QAudioDevice &device, const QAudioFormat &format, int outChannels);
    ~CaptureWorker() override;

    void start();
    // The samples heard before a command are in the link when it is done.
    void suspend(quint64 command);
    void resume();
    void stop(quint64 command);

Q_SIGNALS:
    void started(bool ok);
    void captured(); // new samples wait in the link
    void lost();

private:
    void watch();
    void drain();
    void done(quint64 command);
    void close();

    StreamThread *const m_thread;
    const std::shared_ptr<CaptureLink> m_link;
    const QAudioDevice m_device;
    const QAudioFormat m_format;
    const int m_outChannels;
    QTimer *const m_watch;
    std::unique_ptr<QAudioSource> m_source;
    QIODevice *m_io = nullptr;
    QByteArray m_pending; // a part of a frame
    QElapsedTimer m_heard;
    bool m_suspended = false;
};

// A playback: QAudioSink in push mode, its buffer kept full from the sound in
// memory (Qt 6.4's pull mode hands PulseAudio one period per tick, which
// underruns and then waits for a whole prebuffer). Silence follows the sound
// so that even a sound shorter than the prebuffer starts, and the last real
// sample gets out. The microseconds played go to `played`. It ends by itself
// (lost) when the server dies, when its output leaves the device list or
// when the played count stops short of the end.
class PlaybackWorker final : public QObject {
    Q_OBJECT

public:
    PlaybackWorker(StreamThread *thread, std::shared_ptr<std::atomic<qint64>> played,
                   const QAudioDevice &device, PcmFormat format, QByteArray pcm);
    ~PlaybackWorker() override;

    void start();
    void suspend();
    void resume();
    void stop();

Q_SIGNALS:
    void started(bool ok);
    void finished();
    void lost();

private:
    void pump();
    void end(void (PlaybackWorker::*signal)());
    void close();

    StreamThread *const m_thread;
    const std::shared_ptr<std::atomic<qint64>> m_played;
    const QAudioDevice m_device;
    const QAudioFormat m_format;
    QByteArray m_pcm; // the sound, then silence
    QTimer *const m_poll;
    qsizetype m_soundBytes = 0;
    qsizetype m_bufferBytes = 0;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_io = nullptr;
    qint64 m_written = 0;
    QElapsedTimer m_stall;
    QElapsedTimer m_listed;
    qint64 m_lastPlayed = -1;
    qint64 m_durationUs = 0;
};

} // namespace tembrel::qtsound
