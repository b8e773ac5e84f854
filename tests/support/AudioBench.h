// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The audio bench of the tests that run inside scripts/with-audio.sh: outside
// tools (espeak-ng, sox, soxi) and a microphone that feeds the server's FIFO
// at the pace of a real one.

#include "sound/MMControl.h"
#include "sound/QtSoundBackend.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <optional>
#include <thread>

namespace tembrel::test {

using namespace std::chrono_literals;

// Runs a tool to its end; what it said on error goes to the log when it fails.
inline bool run(const QString &program, const QStringList &args, QByteArray *out = nullptr) {
    QProcess p;
    p.start(program, args);
    const bool ok =
        p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (out)
        *out = p.readAllStandardOutput();
    if (!ok)
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return ok;
}

inline QString soxi(const QString &options, const QString &file) {
    QByteArray out;
    for (const QString &option : options.split(u' ')) {
        QByteArray one;
        run("soxi", {option, file}, &one);
        out += one.trimmed() + ' ';
    }
    return QString::fromUtf8(out).trimmed();
}

// Raw 16-bit samples in host order.
inline QList<qint16> samplesOfRaw(const QByteArray &raw) {
    QList<qint16> s(raw.size() / 2);
    std::memcpy(s.data(), raw.constData(), size_t(s.size()) * 2);
    return s;
}

// The file as 16-bit mono samples at its own rate, decoded by sox.
inline QList<qint16> samplesOf(const QString &file) {
    QByteArray raw;
    run("sox", {file, "-t", "raw", "-e", "signed", "-b", "16", "-c", "1", "-"}, &raw); // host order
    return samplesOfRaw(raw);
}

inline double rms(const QList<qint16> &s, qsizetype from, qsizetype count) {
    double sum = 0;
    for (qsizetype i = from; i < from + count; ++i)
        sum += double(s[i]) * s[i];
    return count > 0 ? std::sqrt(sum / double(count)) / 32768.0 : 0;
}

// The level of samples at `rate` between two times.
inline double rmsBetween(const QList<qint16> &s, int rate, qint64 fromMs, qint64 toMs) {
    const qsizetype from = std::clamp<qsizetype>(fromMs * rate / 1000, 0, s.size());
    const qsizetype to = std::clamp<qsizetype>(toMs * rate / 1000, from, s.size());
    return rms(s, from, to - from);
}

// The level of a wave file between two times, decoded by sox.
inline double rmsOfFile(const QString &wav, qint64 fromMs, qint64 toMs) {
    return rmsBetween(samplesOf(wav), soxi("-r", wav).toInt(), fromMs, toMs);
}

// The microphone FIFO and its rate, as scripts/with-audio.sh exports them.
struct MicrophoneSetting {
    QString fifo = qEnvironmentVariable("TEMBREL_MIC_FIFO");
    int rate = qEnvironmentVariableIntValue("TEMBREL_MIC_RATE");
    // Inside scripts/with-audio.sh, with a server to talk to.
    bool present() const {
        return !fifo.isEmpty() && rate > 0 && !qEnvironmentVariableIsEmpty("PULSE_SERVER");
    }
};

// Writes raw samples into the microphone FIFO at the pace of a real
// microphone, silence after the script. Its own thread goes on hearing while
// the test's thread waits inside a device call, as a real microphone would.
// Unplugged (its module unloaded), its writes fail instead of ending the test
// with SIGPIPE.
class Microphone final {
public:
    Microphone(const QString &fifo, int rate, const QByteArray &script)
        : m_fd((::signal(SIGPIPE, SIG_IGN),
                ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK)))
        , m_rate(rate)
        , m_thread([this, script](std::stop_token stop) {
            QElapsedTimer clock;
            clock.start();
            for (; !stop.stop_requested(); std::this_thread::sleep_for(10ms)) {
                const qint64 due = clock.elapsed() * m_rate / 1000 * 2;
                while (m_fd >= 0 && m_written < due) {
                    const qint64 n = std::min<qint64>(due - m_written, 4096);
                    QByteArray block = script.mid(m_written, n);
                    block.append(QByteArray(n - block.size(), '\0'));
                    const ssize_t w = ::write(m_fd, block.constData(), size_t(block.size()));
                    if (w <= 0)
                        break; // the pipe is full: the rest goes next time
                    m_written += w;
                }
            }
        }) {}
    ~Microphone() {
        m_thread.request_stop(), m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Q_DISABLE_COPY_MOVE(Microphone)

    bool isOpen() const { return m_fd >= 0; }
    qint64 writtenMs() const { return m_written / 2 * 1000 / m_rate; }

private:
    const int m_fd;
    const int m_rate;
    std::atomic<qint64> m_written = 0;
    std::jthread m_thread;
};

// The largest gap between the ticks of a 10 ms timer on the user interface
// thread, since it was made: how long the windows could not answer.
class Heartbeat final {
public:
    Heartbeat() {
        m_clock.start();
        m_timer.callOnTimeout([this] {
            const qint64 now = m_clock.elapsed();
            m_largest = std::max(m_largest, now - std::exchange(m_last, now));
        });
        m_timer.start(10);
    }
    qint64 largestGap() const { return std::max(m_largest, m_clock.elapsed() - m_last); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0, m_largest = 0;
};

// Runs scripts/audio-control.sh with one command (mic-off, stop, ...).
inline bool audioControl(const QString &command) {
    return run(qEnvironmentVariable("TEMBREL_AUDIO_CONTROL"), {command});
}

// Records with the window's own handlers for `ms` of what `mic` says (its
// clock): Record, Stop, and the finishing step its timer runs. True when the
// window got to the recorded state. (A template: the window is not the
// sound layer's.)
template <typename Window> bool recordWhileHeard(Window *w, const Microphone &mic, qint64 ms) {
    w->CmdRecord_Click();
    if (w->state() != decltype(w->state())::Recording)
        return false;
    const qint64 from = mic.writtenMs();
    if (!QTest::qWaitFor([&] { return mic.writtenMs() >= from + ms; }, 10000))
        return false;
    w->cmdStopRecord_Click();
    return QTest::qWaitFor([&] { return w->state() == decltype(w->state())::Recorded; }, 5000);
}

// The input scope draws its dots in this colour on black.
inline constexpr QRgb ScopeDot = 0xFFC0FFC0, ScopeBlack = 0xFF000000;

// Lit dots per row of a picture of the scope; nothing when a pixel is neither
// black nor the dot colour.
using LitRows = QMap<int, int>;
inline std::optional<LitRows> litRows(const QImage &picture) {
    LitRows rows;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y) | ScopeBlack;
            if (p == ScopeDot)
                ++rows[y];
            else if (p != ScopeBlack)
                return std::nullopt;
        }
    return rows;
}

// Waits until the real sound device has read the server's device lists and
// lists an input, as it has long before a user's first Record (the grid
// window starts the reading when it opens).
inline bool soundDevicesRead() {
    return QTest::qWaitFor([] { return QtSoundBackend().hasInput(); }, 5000);
}

// The bench (a RecordingBench) on the real sound device from here on, its
// grid opened again to read it, once the device lists an input; false off the
// audio bench.
template <typename Bench> bool onRealDevice(Bench &bench) {
    if (!MicrophoneSetting().present() || !soundDevicesRead())
        return false;
    MMControl::setBackendFactory({});
    bench.reopenGrid();
    return true;
}

// What a sink plays, heard on its monitor from when this is made.
class SinkMonitor final {
public:
    SinkMonitor(const QString &sink, int rate)
        : m_rate(rate) {
        m_parec.start("parec",
                      {"--device=" + sink + ".monitor", "--format=s16le",
                       "--rate=" + QString::number(rate), "--channels=1", "--latency-msec=20"});
    }
    // How long it has heard so far; it hears (silence too) once connected.
    qint64 heardMs() {
        m_heard += m_parec.readAllStandardOutput();
        return m_heard.size() / 2 * 1000 / m_rate;
    }
    bool connected() {
        return QTest::qWaitFor([this] { return heardMs() > 100; }, 5000);
    }
    // The level heard between two times; it hears no more from then on.
    double level(qint64 fromMs = 0, qint64 toMs = 1 << 30) {
        m_parec.terminate();
        m_parec.waitForFinished(3000);
        heardMs();
        return rmsBetween(samplesOfRaw(m_heard), m_rate, fromMs, toMs);
    }

private:
    const int m_rate;
    QProcess m_parec;
    QByteArray m_heard;
};

// A sentence spoken by espeak-ng as raw 16-bit little-endian mono samples at
// `rate`; empty when the tools fail.
inline QByteArray spokenSentence(const QString &text, int rate, const QString &scratchWav) {
    QByteArray raw;
    if (!run("espeak-ng", {"-w", scratchWav, text}) ||
        !run("sox",
             {scratchWav, "-t", "raw", "-r", QString::number(rate), "-c", "1", "-e", "signed", "-b",
              "16", "-L", "-"},
             &raw))
        return {};
    return raw;
}

} // namespace tembrel::test
