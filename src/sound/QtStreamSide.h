// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user interface thread's side of a sound stream whose worker lives on
// the stream thread (QtSoundThreads.h). A start the worker does not confirm
// in time means the server hangs: the stream is lost, and the thread, stuck
// in that call, is given up so that later streams go to a fresh one.

#include "sound/QtSoundThreads.h"

#include <QObject>
#include <QTimer>

namespace tembrel::qtsound {

// A start the server has not confirmed by then has failed (the window says so
// and the user may try again).
inline constexpr int StartTimeoutMs = 1500;

// The user interface thread's side of a stream: commands go to the worker
// on the stream thread and return at once; its reports come back queued.
template <typename Worker> class StreamSide {
protected:
    enum class Phase { Created, Starting, Running, Ended };

    explicit StreamSide(Worker *worker, StreamThread *thread)
        : m_worker(worker)
        , m_thread(thread) {
        m_deadline.setSingleShot(true);
        m_deadline.setInterval(StartTimeoutMs);
        QObject::connect(m_worker, &Worker::started, &m_receiver, [this](bool ok) {
            if (m_phase != Phase::Starting)
                return;
            m_deadline.stop();
            if (ok)
                m_phase = Phase::Running;
            else
                lose();
        });
        QObject::connect(m_worker, &Worker::lost, &m_receiver, [this] { lose(); });
        QObject::connect(&m_deadline, &QTimer::timeout, &m_receiver, [this] {
            // The thread waits for a server that does not answer.
            SoundThreads::instance().giveUp(m_thread);
            lose();
        });
    }
    virtual ~StreamSide() {
        QObject::disconnect(m_worker, nullptr, &m_receiver, nullptr);
        m_worker->deleteLater();
    }

    template <typename F> void post(F command) {
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker, command] { command(w); }, Qt::QueuedConnection);
    }
    bool beginStart() {
        if (m_phase != Phase::Created)
            return false;
        m_phase = Phase::Starting;
        post([](Worker *w) { w->start(); });
        m_deadline.start();
        return true;
    }
    bool live() const { return m_phase == Phase::Starting || m_phase == Phase::Running; }
    void end() {
        m_deadline.stop();
        m_phase = Phase::Ended;
    }
    virtual void lose() = 0;

    Worker *const m_worker;
    StreamThread *const m_thread;
    QObject m_receiver; // what the worker's reports are queued to
    QTimer m_deadline;
    Phase m_phase = Phase::Created;
};

} // namespace tembrel::qtsound
