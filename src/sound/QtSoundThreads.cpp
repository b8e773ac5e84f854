// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/QtSoundThreads.h"

#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace tembrel::qtsound {

namespace {

using namespace std::chrono_literals;

// How often the device lists are read: a microphone that goes away ends its
// recording within about this time.
constexpr auto ReadInterval = 200ms;
// How long the first reading may keep a caller waiting.
constexpr auto FirstReadWait = 150ms;
// How long the end of the application waits for each thread.
constexpr unsigned long ShutDownWaitMs = 500;

// A thread that is still inside a call to a hung server when the application
// ends is left running (destroying a running QThread aborts); the process
// ends it.
void finishOrLeave(QThread *thread) {
    thread->quit();
    if (thread->wait(ShutDownWaitMs))
        delete thread;
}

} // namespace

StreamThread::StreamThread() {
    setObjectName(QStringLiteral("tembrel sound streams"));
}

void StreamThread::removeStream() {
    if (--m_streams == 0 && m_givenUp)
        quit();
}

void StreamThread::giveUp() {
    m_givenUp = true;
    if (m_streams == 0)
        quit();
}

SoundThreads &SoundThreads::instance() {
    // Never destroyed: the post routine ends the threads with the application.
    static SoundThreads *threads = new SoundThreads;
    return *threads;
}

SoundThreads::SoundThreads()
    : m_startedAt(std::chrono::steady_clock::now()) {
    m_deviceThread.setObjectName(QStringLiteral("tembrel sound devices"));
    auto *timer = new QTimer;
    timer->setInterval(ReadInterval);
    timer->moveToThread(&m_deviceThread);
    m_reader = new DeviceReader;
    m_reader->moveToThread(&m_deviceThread);
    QObject::connect(timer, &QTimer::timeout, [this] { read(); });
    QObject::connect(&m_deviceThread, &QThread::started, timer, [this, timer] {
        read(); // Qt connects to the server here, on this thread
        timer->start();
    });
    QObject::connect(&m_deviceThread, &QThread::finished, timer, &QObject::deleteLater);
    QObject::connect(&m_deviceThread, &QThread::finished, m_reader, &QObject::deleteLater);
    m_deviceThread.start();
    qAddPostRoutine([] { instance().shutDown(); });
}

void SoundThreads::read() {
    quint64 reading = 0;
    {
        std::lock_guard lock(m_mutex);
        reading = ++m_readingsBegun;
    }
    DeviceList list;
    for (const QAudioDevice &d : QMediaDevices::audioInputs())
        if (!d.id().endsWith(".monitor"))
            list.inputs.append(d);
    list.outputs = QMediaDevices::audioOutputs();
    {
        std::lock_guard lock(m_mutex);
        m_devices = std::move(list);
        m_devicesFrom = reading;
        m_read = true;
    }
    m_readOnce.notify_all();
    Q_EMIT m_reader->readingDone();
}

DeviceList SoundThreads::devices() {
    std::unique_lock lock(m_mutex);
    m_readOnce.wait_until(lock, m_startedAt + FirstReadWait, [this] { return m_read; });
    return m_devices;
}

bool SoundThreads::listsInput(const QByteArray &id) {
    const DeviceList list = devices();
    return std::any_of(list.inputs.begin(), list.inputs.end(),
                       [&](const QAudioDevice &d) { return d.id() == id; });
}

bool SoundThreads::listsOutput(const QByteArray &id) {
    const DeviceList list = devices();
    return std::any_of(list.outputs.begin(), list.outputs.end(),
                       [&](const QAudioDevice &d) { return d.id() == id; });
}

void SoundThreads::readAgain(QObject *context, std::function<void(const DeviceList &)> onRead) {
    quint64 needed = 0;
    {
        std::lock_guard lock(m_mutex);
        needed = m_readingsBegun + 1;
    }
    // Connected here, on the context's thread, so that Qt drops the call
    // safely when the context goes first; a reading already under way when
    // the call came is not the one asked for.
    auto connection = std::make_shared<QMetaObject::Connection>();
    auto answered = std::make_shared<bool>(false);
    *connection = QObject::connect(
        m_reader, &DeviceReader::readingDone, context,
        [this, connection, answered, needed, onRead = std::move(onRead)] {
            DeviceList list;
            {
                std::lock_guard lock(m_mutex);
                if (*answered || m_devicesFrom < needed)
                    return;
                list = m_devices;
            }
            *answered = true;
            QObject::disconnect(*connection);
            onRead(list);
        },
        Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        m_reader, [this] { read(); }, Qt::QueuedConnection);
}

StreamThread *SoundThreads::streamThread() {
    std::lock_guard lock(m_mutex);
    if (!m_streamThread) {
        m_streamThread = new StreamThread;
        // A thread given up deletes itself once it has ended.
        QObject::connect(m_streamThread, &QThread::finished, m_streamThread, &QObject::deleteLater);
        m_streamThread->start();
    }
    return m_streamThread;
}

void SoundThreads::giveUp(StreamThread *thread) {
    {
        std::lock_guard lock(m_mutex);
        if (thread != m_streamThread)
            return;
        m_streamThread = nullptr;
    }
    thread->giveUp();
}

void SoundThreads::shutDown() {
    StreamThread *streams = nullptr;
    {
        std::lock_guard lock(m_mutex);
        std::swap(streams, m_streamThread);
    }
    if (streams) {
        QObject::disconnect(streams, &QThread::finished, streams, &QObject::deleteLater);
        finishOrLeave(streams);
    }
    m_deviceThread.quit();
    m_deviceThread.wait(ShutDownWaitMs);
}

} // namespace tembrel::qtsound
