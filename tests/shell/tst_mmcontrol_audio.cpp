// SPDX-License-Identifier: GPL-3.0-or-later
// MMControl on a real PulseAudio server (scripts/with-audio.sh): espeak-ng
// speaks into the microphone FIFO, sox and soxi inspect what was recorded.
#include "TestApp.h"
#include "shell/MMControl.h"
#include "shell/QtSoundBackend.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <thread>

using namespace tembrel;
using Mode = MMControl::ModeValue;

namespace {

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(30000)) {
        r.err = program.toUtf8() + " did not run: " + p.errorString().toUtf8();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString soxi(const QString &option, const QString &file) {
    return QString::fromUtf8(run("soxi", {option, file}).out).trimmed();
}

// "RMS     amplitude:     0.089922" from sox's stat effect.
double rmsOf(const QString &file) {
    const Run r = run("sox", {file, "-n", "stat"});
    const QRegularExpression re(R"(RMS\s+amplitude:\s+([0-9.eE+-]+))");
    const auto m = re.match(QString::fromUtf8(r.err));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

// The file as 16-bit mono samples at its own rate, decoded by sox.
QList<qint16> samplesOf(const QString &file) {
    const Run r = run("sox", {file, "-t", "raw", "-e", "signed", "-b", "16", "-c", "1", "-L", "-"});
    QList<qint16> s(r.out.size() / 2);
    for (qsizetype i = 0; i < s.size(); ++i)
        s[i] = qint16(quint8(r.out[2 * i]) | (quint8(r.out[2 * i + 1]) << 8));
    return s;
}

double rms(const QList<qint16> &s, qsizetype from, qsizetype count) {
    double sum = 0;
    for (qsizetype i = from; i < from + count; ++i)
        sum += double(s[i]) * s[i];
    return count > 0 ? std::sqrt(sum / double(count)) / 32768.0 : 0;
}

// Writes raw samples into the microphone FIFO at the pace of a real
// microphone: whatever is due by the elapsed time, silence after the script.
// It runs on its own thread, so it goes on hearing while the test's thread
// waits inside a device call, as a real microphone would.
class Microphone final {
public:
    Microphone(const QString &fifo, int rate)
        : m_rate(rate) {
        m_fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    }
    ~Microphone() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Q_DISABLE_COPY_MOVE(Microphone)

    bool isOpen() const { return m_fd >= 0; }
    void say(const QByteArray &samples) { m_script = samples; }
    void start() {
        m_clock.start();
        m_thread = std::thread([this] {
            while (!m_stop) {
                pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    // Milliseconds of the script written so far.
    qint64 writtenMs() const { return m_written / 2 * 1000 / m_rate; }

private:
    void pump() {
        const qint64 due = m_clock.elapsed() * m_rate / 1000 * 2;
        while (m_written < due) {
            const qint64 n = std::min<qint64>(due - m_written, 4096);
            QByteArray block = m_script.mid(m_written, n);
            block.append(QByteArray(n - block.size(), '\0'));
            const ssize_t w = ::write(m_fd, block.constData(), size_t(block.size()));
            if (w <= 0)
                return; // the pipe is full (EAGAIN): the rest goes next time
            m_written += w;
        }
    }

    int m_fd = -1;
    int m_rate;
    QByteArray m_script;
    std::atomic<qint64> m_written = 0;
    std::atomic<bool> m_stop = false;
    QElapsedTimer m_clock;
    std::thread m_thread;
};

} // namespace

class TestMMControlAudio : public QObject {
    Q_OBJECT

    QString m_fifo;
    int m_micRate = 16000;
    std::unique_ptr<test::TempAppFolder> folder;

    std::unique_ptr<MMControl> openOn(const QString &path, MciError *result) {
        auto mm = std::make_unique<MMControl>(std::make_shared<QtSoundBackend>());
        mm->setNotify(false);
        mm->setWait(true);
        mm->setShareable(false);
        mm->setDeviceType("WaveAudio");
        mm->setFileName(path);
        *result = mm->setCommand("Open");
        return mm;
    }

    // Plays to the end; returns the positions reported and the wall time taken.
    struct Playback {
        QList<qint32> positions;
        qint64 elapsedMs = 0;
        qint32 length = 0;
        qint32 pausedAt = -1;
        QList<qint32> duringPause;
    };
    Playback playToEnd(const QString &file, int pauseAtMs, int pauseForMs) {
        Playback pb;
        MciError opened = MciError::None;
        auto mm = openOn(file, &opened);
        if (opened != MciError::None)
            return pb;
        pb.length = mm->Length();
        connect(mm.get(), &MMControl::StatusUpdate, this,
                [&] { pb.positions.append(mm->Position()); });
        QElapsedTimer clock;
        clock.start();
        if (mm->setCommand("Play") != MciError::None)
            return pb;
        if (pauseForMs > 0) {
            if (!QTest::qWaitFor([&] { return mm->Position() >= pauseAtMs; }, 10000))
                return pb;
            mm->setCommand("Pause");
            pb.pausedAt = mm->Position();
            QElapsedTimer paused;
            paused.start();
            const qsizetype before = pb.positions.size();
            (void)QTest::qWaitFor([&] { return paused.elapsed() >= pauseForMs; },
                                  pauseForMs + 2000);
            pb.duringPause = pb.positions.mid(before);
            mm->setCommand("Play");
        }
        (void)QTest::qWaitFor([&] { return mm->Mode() == Mode::Stopped; }, pb.length + 10000);
        pb.elapsedMs = clock.elapsed();
        mm->setCommand("Close");
        return pb;
    }

    void checkRisesToLength(const Playback &pb) {
        QVERIFY(pb.length > 0);
        QVERIFY2(!pb.positions.isEmpty(), "no status update while playing");
        QCOMPARE(pb.positions.last(), pb.length); // the final report shows the end
        int between = 0;
        for (qsizetype i = 1; i < pb.positions.size(); ++i) {
            QVERIFY(pb.positions[i] >= pb.positions[i - 1]);
            between += pb.positions[i] > 0 && pb.positions[i] < pb.length &&
                       pb.positions[i] > pb.positions[i - 1];
        }
        QVERIFY2(between >= 2, "the position did not rise while playing");
    }

private Q_SLOTS:
    void initTestCase() {
        m_fifo = qEnvironmentVariable("TEMBREL_MIC_FIFO");
        if (m_fifo.isEmpty() || qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QFAIL("no audio server: run these tests through scripts/with-audio.sh");
        m_micRate = qEnvironmentVariableIntValue("TEMBREL_MIC_RATE");
        QVERIFY(m_micRate > 0);
        QtSoundBackend backend;
        QVERIFY2(backend.hasInput() && backend.hasOutput(), "the audio server shows no devices");
    }
    void init() { folder = std::make_unique<test::TempAppFolder>(); }
    void cleanup() { folder.reset(); }

    // Speech into the microphone, three seconds recorded to temp.wav.
    void recordsSpeech() {
        const QString spoken = folder->path("spoken.wav");
        const QString raw = folder->path("spoken.raw");
        Run r = run("espeak-ng", {"-w", spoken, "Meeting with the bank at nine"});
        QVERIFY2(r.code == 0, r.err.constData());
        r = run("sox", {spoken, "-t", "raw", "-r", QString::number(m_micRate), "-c", "1", "-e",
                        "signed", "-b", "16", "-L", raw});
        QVERIFY2(r.code == 0, r.err.constData());
        QFile rawFile(raw);
        QVERIFY(rawFile.open(QIODevice::ReadOnly));
        const QByteArray speech = rawFile.readAll();
        const qint64 speechMs = speech.size() / 2 * 1000 / m_micRate;
        QVERIFY(speechMs > 800 && speechMs < 2000);

        // One second of silence, the sentence, then silence.
        const qint64 leadMs = 1000;
        Microphone mic(m_fifo, m_micRate);
        QVERIFY(mic.isOpen());
        mic.say(QByteArray(leadMs * m_micRate / 1000 * 2, '\0') + speech);

        const QString wav = appFile("temp.wav");
        MciError opened = MciError::None;
        auto mm = openOn(wav, &opened);
        QCOMPARE(opened, MciError::None);
        QCOMPARE(mm->Length(), 0);
        int reports = 0;
        connect(mm.get(), &MMControl::StatusUpdate, this, [&] { ++reports; });
        // The microphone hears before the recording starts, as a real one does.
        mic.start();
        QVERIFY(QTest::qWaitFor([&] { return mic.writtenMs() >= 200; }, 5000));
        const qint64 fedAtStart = mic.writtenMs();
        QCOMPARE(mm->setCommand("Record"), MciError::None);
        QVERIFY2(QTest::qWaitFor([&] { return mm->Position() >= 3000; }, 15000),
                 qPrintable(QString("recorded only %1 ms").arg(mm->Position())));
        QCOMPARE(mm->setCommand("Stop"), MciError::None);
        const qint32 length = mm->Length();
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        QCOMPARE(mm->setCommand("Close"), MciError::None);
        QVERIFY(reports >= 8);

        // What sox finds in the file.
        QCOMPARE(soxi("-t", wav), QString("wav"));
        QCOMPARE(soxi("-b", wav), QString("16"));
        QCOMPARE(soxi("-c", wav), QString("1"));
        QCOMPARE(soxi("-e", wav), QString("Signed Integer PCM"));
        const int rate = soxi("-r", wav).toInt();
        QCOMPARE(rate, 16000);
        const double seconds = soxi("-D", wav).toDouble();
        qInfo("recorded %.3f s (Length %d ms)", seconds, length);
        QVERIFY(seconds >= 3.0 && seconds < 3.5);
        QCOMPARE(qint64(soxi("-s", wav).toLongLong() * 1000 / rate), qint64(length));
        const double level = rmsOf(wav);
        qInfo("RMS %.4f", level);
        QVERIFY2(level > 0.01, "the recording is silent");

        // The loudest second lies over the sentence, not over the silence before it.
        const QList<qint16> s = samplesOf(wav);
        QCOMPARE(s.size(), soxi("-s", wav).toLongLong());
        qsizetype loudest = 0;
        double loudestRms = 0;
        for (qsizetype from = 0; from + rate <= s.size(); from += rate / 10) {
            const double v = rms(s, from, rate);
            if (v > loudestRms) {
                loudestRms = v;
                loudest = from;
            }
        }
        const double startMs = double(loudest) * 1000 / rate;
        const double speechStart = double(leadMs - fedAtStart);
        qInfo("loudest second from %.0f ms, speech from about %.0f to %.0f ms", startMs,
              speechStart, speechStart + speechMs);
        QVERIFY(startMs + 1000 > speechStart && startMs < speechStart + speechMs);
        const double before = rms(s, 0, qsizetype(rate * 0.5));
        QVERIFY2(before < loudestRms / 10, "the silence before the sentence is not quiet");
    }

    // Pause stops the microphone: a second of pause adds nothing to the length,
    // and what is heard during it never reaches the recording.
    void pauseWhileRecording() {
        Microphone mic(m_fifo, m_micRate);
        QVERIFY(mic.isOpen());
        // Loud from 1.0 s to 2.0 s of the feed, when the device is paused.
        const int second = m_micRate * 2;
        QByteArray loud(second, Qt::Uninitialized);
        auto *v = reinterpret_cast<qint16 *>(loud.data());
        for (int i = 0; i < second / 2; ++i)
            v[i] = qint16((i / 8) % 2 ? 12000 : -12000);
        mic.say(QByteArray(second, '\0') + loud);

        MciError opened = MciError::None;
        auto mm = openOn(appFile("temp.wav"), &opened);
        QCOMPARE(opened, MciError::None);
        mic.start();
        QVERIFY(QTest::qWaitFor([&] { return mic.writtenMs() >= 200; }, 5000));
        QCOMPARE(mm->setCommand("Record"), MciError::None);
        QVERIFY(QTest::qWaitFor([&] { return mic.writtenMs() >= 900; }, 10000));
        QCOMPARE(mm->setCommand("Pause"), MciError::None);
        const qint32 atPause = mm->Position();
        QVERIFY(QTest::qWaitFor([&] { return mic.writtenMs() >= 2100; }, 10000));
        const qint32 afterPause = mm->Position();
        QCOMPARE(mm->setCommand("Record"), MciError::None);
        QVERIFY(QTest::qWaitFor([&] { return mm->Position() >= atPause + 1000; }, 10000));
        QCOMPARE(mm->setCommand("Stop"), MciError::None);
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        const qint32 length = mm->Length();
        mm->setCommand("Close");
        qInfo("paused at %d ms (%d ms after the pause), length %d ms", atPause, afterPause, length);
        QVERIFY(afterPause - atPause <= 150); // nothing recorded while paused
        QVERIFY(length >= atPause + 1000 && length < atPause + 1500);
        const double level = rmsOf(appFile("temp.wav"));
        qInfo("RMS %.4f", level);
        QVERIFY2(level < 0.05, "the sound heard during the pause was recorded");
    }

    // A recorded-looking wave plays with positions rising to Length.
    void playsToTheEnd() {
        const QString wav = appFile("temp.wav");
        const Run r = run("sox", {"-n", "-r", "16000", "-c", "1", "-b", "16", wav, "synth", "2.5",
                                  "sine", "440", "vol", "0.5"});
        QVERIFY2(r.code == 0, r.err.constData());
        const Playback pb = playToEnd(wav, 0, 0);
        QCOMPARE(pb.length, 2500);
        checkRisesToLength(pb);
        qInfo("2.5 s played in %lld ms, %lld reports", pb.elapsedMs, qint64(pb.positions.size()));
        QVERIFY(pb.elapsedMs >= pb.length - 300); // played, not skipped
    }

    // Half a second of pause delays the end by about that much.
    void pauseDelaysTheEnd() {
        const QString wav = appFile("temp.wav");
        const Run r = run("sox", {"-n", "-r", "16000", "-c", "1", "-b", "16", wav, "synth", "2",
                                  "sine", "300", "vol", "0.5"});
        QVERIFY2(r.code == 0, r.err.constData());
        const Playback plain = playToEnd(wav, 0, 0);
        const Playback paused = playToEnd(wav, 800, 500);
        checkRisesToLength(plain);
        checkRisesToLength(paused);
        QVERIFY(paused.pausedAt >= 800 && paused.pausedAt < 1600);
        // No report moves on during the pause.
        for (qint32 p : paused.duringPause)
            QVERIFY(std::abs(p - paused.pausedAt) <= 40);
        const qint64 delay = paused.elapsedMs - plain.elapsedMs;
        qInfo("without pause %lld ms, with a 500 ms pause %lld ms: delayed by %lld ms",
              plain.elapsedMs, paused.elapsedMs, delay);
        QVERIFY2(delay > 250 && delay < 1000, qPrintable(QString("delay %1 ms").arg(delay)));
    }

    // An 8-bit unsigned 11025 Hz wave from sox has the right Length and plays out.
    void playsEightBitUnsigned() {
        const QString wav = appFile("temp.wav");
        const Run r = run("sox", {"-n", "-r", "11025", "-c", "1", "-b", "8", "-e", "unsigned", wav,
                                  "synth", "1.7", "sine", "500", "vol", "0.5"});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(soxi("-b", wav), QString("8"));
        QCOMPARE(soxi("-e", wav), QString("Unsigned Integer PCM"));
        const qint64 samples = soxi("-s", wav).toLongLong();
        const Playback pb = playToEnd(wav, 0, 0);
        QCOMPARE(qint64(pb.length), samples * 1000 / 11025);
        checkRisesToLength(pb);
    }
};

QTEST_GUILESS_MAIN(TestMMControlAudio)
#include "tst_mmcontrol_audio.moc"
