// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The threads of the Qt Multimedia sound device. Qt 6.4 waits without a time
// limit for the PulseAudio server in its device list and stream calls, so
// none of them runs on the user interface thread:
// - one device thread reads the device lists a few times a second and keeps
//   the last reading, which the user interface thread reads without waiting;
//   Qt's connection to the server lives on it, so its reconnection timer runs
//   even while a stream call hangs;
// - the streams live on a stream thread. One whose start does not answer in
//   time is given up: later streams go to a fresh thread, and the old one
//   ends once its last stream is gone (after the server answers or dies).
// Both end with the application; a thread still waiting for a hung server
// then is left to the end of the process rather than waited for.

#include <QAudioDevice>
#include <QList>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tembrel::qtsound {

struct DeviceList {
    QList<QAudioDevice> inputs; // monitors of outputs left out
    QList<QAudioDevice> outputs;
};

// Lives on the device thread and says when a reading has ended.
class DeviceReader final : public QObject {
    Q_OBJECT

Q_SIGNALS:
    void readingDone();
};

class StreamThread final : public QThread {
public:
    StreamThread();
    // Each stream object on this thread counts itself in and out.
    void addStream() { ++m_streams; }
    void removeStream();
    // No new streams come; the thread ends with its last stream.
    void giveUp();

private:
    std::atomic<int> m_streams = 0;
    std::atomic<bool> m_givenUp = false;
};

class SoundThreads final {
public:
    // Starts the threads at the first call.
    static SoundThreads &instance();

    // The last reading; before the first one, waits for it a little.
    DeviceList devices();
    bool listsInput(const QByteArray &id);
    bool listsOutput(const QByteArray &id);
    // The lists of a reading that starts after this call, handed to onRead
    // on the thread of `context`; never while the server hangs the reading.
    void readAgain(QObject *context, std::function<void(const DeviceList &)> onRead);

    StreamThread *streamThread();
    // The thread stopped answering: later streams go to a fresh one.
    void giveUp(StreamThread *thread);

private:
    SoundThreads();
    void read();
    void shutDown();

    std::mutex m_mutex;
    std::condition_variable m_readOnce;
    bool m_read = false;
    quint64 m_readingsBegun = 0;
    quint64 m_devicesFrom = 0; // the reading that m_devices comes from
    DeviceList m_devices;
    std::chrono::steady_clock::time_point m_startedAt;
    QThread m_deviceThread;
    DeviceReader *m_reader = nullptr;
    StreamThread *m_streamThread = nullptr;
};

} // namespace tembrel::qtsound
