// SPDX-License-Identifier: GPL-3.0-or-later
// MMControl on the virtual device, driven by the virtual clock, on waves that sox
// makes; and on Qt Multimedia with no audio server at all.
#include "AppFixture.h"
#include "AudioBench.h"
#include "sound/QtStreamSide.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QtEndian>

#include <atomic>
#include <future>

using namespace tembrel;
using Mode = MMControl::ModeValue;
using E = MciError;

namespace {

// A recognisable mono signal: sample i holds (i * 7) % 20000 - 10000.
QByteArray ramp(qint64 samples) {
    QByteArray bytes(samples * 2, Qt::Uninitialized);
    auto *s = reinterpret_cast<qint16 *>(bytes.data());
    for (qint64 i = 0; i < samples; ++i)
        s[i] = qint16((i * 7) % 20000 - 10000);
    return bytes;
}

// A 16-bit PCM wave whose header says what it is told, whatever that is.
QByteArray pcmWave(quint32 rate, quint16 channels, const QByteArray &data) {
    QByteArray w = *encodeWave(PcmSound{16000, 1, data});
    qToLittleEndian(channels, w.data() + 22);
    qToLittleEndian(rate, w.data() + 24);
    qToLittleEndian(quint32(quint64(rate) * channels * 2), w.data() + 28);
    qToLittleEndian(quint16(channels * 2), w.data() + 32);
    return w;
}

// A stream worker whose start waits until it is let go (ten seconds at most),
// as Qt's does on a server that hangs.
class WaitingWorker final : public QObject {
    Q_OBJECT

public:
    WaitingWorker(qtsound::StreamThread *thread, std::shared_future<void> go)
        : m_thread(thread)
        , m_go(std::move(go)) {
        m_thread->addStream();
        moveToThread(thread);
    }
    ~WaitingWorker() override { m_thread->removeStream(); }
    void start() {
        ranOn = QThread::currentThread();
        m_go.wait_for(std::chrono::seconds(10));
        Q_EMIT started(true);
    }
    std::atomic<QThread *> ranOn = nullptr;

Q_SIGNALS:
    void started(bool ok);
    void lost();

private:
    qtsound::StreamThread *const m_thread;
    const std::shared_future<void> m_go;
};

class WaitingStream final : public qtsound::StreamSide<WaitingWorker> {
public:
    WaitingStream(qtsound::StreamThread *thread, std::shared_future<void> go)
        : StreamSide(new WaitingWorker(thread, std::move(go)), thread) {}
    using StreamSide::beginStart;
    bool running() const { return m_phase == Phase::Running; }
    QThread *thread() const { return m_thread; }
    QThread *ranOn() const { return m_worker->ranOn; }
    bool lost = false;

private:
    void lose() override {
        lost = true;
        end();
    }
};

} // namespace

class TestMMControl : public QObject {
    Q_OBJECT

    std::shared_ptr<VirtualSoundBackend> device;
    std::unique_ptr<MMControl> mm;
    std::unique_ptr<test::AppFixture> folder;
    QList<qint32> positions; // seen by each status update,
    QList<qint64> times;     // at this virtual time

    QString wav() const { return folder->path("temp.wav"); }
    void at(int ms) { device->advance(std::chrono::milliseconds(ms)); }
    MciError open() {
        mm->setDeviceType("WaveAudio");
        mm->setFileName(wav());
        return mm->setCommand("Open");
    }
    int running() const {
        return device->runningCaptures() + device->runningPlaybacks() + device->runningTickers();
    }

private Q_SLOTS:
    void init() {
        folder = std::make_unique<test::AppFixture>();
        device = folder->sound;
        mm = std::make_unique<MMControl>(device);
        positions.clear();
        times.clear();
        connect(mm.get(), &MMControl::StatusUpdate, this, [this] {
            positions.append(mm->Position());
            times.append(qint64(device->now().count()));
        });
    }
    void cleanup() {
        mm.reset();
        QCoreApplication::processEvents(); // retired streams go now
        device.reset();
        folder.reset();
    }

    // The recording window's commands at whatever rate the device records.
    // Reopened, Record goes on in the wave's format only, or is refused.
    void recordPauseResumeAndReopen_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("rateLater");
        QTest::addColumn<MciError>("recordOn");
        QTest::addColumn<qint32>("length");
        QTest::newRow("16 kHz") << 16000 << 16000 << E::None << 900;
        QTest::newRow("8 kHz, then 44.1 kHz") << 8000 << 44100 << E::DeviceRefused << 1750;
    }
    void recordPauseResumeAndReopen() {
        QFETCH(int, rate);
        QFETCH(int, rateLater);
        device->setInputRate(rate);
        device->feed(ramp(rate * 3 / 2));
        QCOMPARE(open(), E::None);
        QCOMPARE(mm->setCommand("Record"), E::None);
        at(1000);
        QCOMPARE(mm->setCommand("Pause"), E::None);
        at(500);
        QCOMPARE(mm->setCommand("Record"), E::None);
        at(750);
        QCOMPARE(mm->setCommand("Stop"), E::None);
        at(400);
        QCOMPARE(mm->Length(), 1750);
        // Reports came every 250 ms while open, each with the position of its moment.
        QCOMPARE(positions.size(), (1000 + 500 + 750 + 400) / 250);
        for (qint64 i = 0, t = 250; i < times.size(); ++i, t += 250) {
            QCOMPARE(times[i], t);
            QCOMPARE(positions[i], t <= 1000   ? t
                                   : t <= 1500 ? 1000
                                               : std::min<qint64>(t - 500, 1750));
        }
        mm->setFileName(folder->path("missing-folder/temp.wav"));
        QCOMPARE(mm->setCommand("Save"), E::FileUnwritable);
        mm->setFileName(wav());
        QCOMPARE(mm->setCommand("Save"), E::None);
        QCOMPARE(mm->setCommand("Close"), E::None);
        QCOMPARE(running(), 0);
        const WaveRead read = readWaveFile(wav());
        QVERIFY2(read.sound, qPrintable(read.error));
        QCOMPARE(QPair(read.sound->sampleRate, read.sound->channels), QPair(rate, 1));
        const QByteArray recorded = ramp(rate * 3 / 2) + QByteArray(rate / 4 * 2, 0);
        QCOMPARE(read.sound->samples, recorded); // the pause lost and added nothing

        QCOMPARE(open(), E::None);
        QCOMPARE(mm->Length(), 1750);
        for (int ms : {200, 400}) { // Stop keeps the position, Play goes on from there
            mm->setCommand("Play");
            at(ms);
            QCOMPARE(mm->setCommand("Stop"), E::None);
        }
        QCOMPARE(mm->Position(), 600);
        device->setInputRate(rateLater);
        QTEST(mm->setCommand("Record"), "recordOn");
        at(300);
        mm->setCommand("Stop");
        QTEST(mm->Length(), "length");
        QCOMPARE(mm->setCommand("Save"), E::None);
        const WaveRead again = readWaveFile(wav());
        QVERIFY(again.sound);
        QCOMPARE(folder->read("temp.wav").size(), 44 + again.sound->samples.size()); // no old tail
        const qsizetype kept = rate * 6 / 10 * 2;
        QCOMPARE(again.sound->samples.left(kept), recorded.left(kept));
    }

    // The grid and the recording window: Open, Play, Pause, Play, up to the end,
    // on any PCM wave: its samples come back as 16-bit at the level they had.
    void playPauseResume_data() {
        QTest::addColumn<QString>("format");   // bits, encoding
        QTest::addColumn<QList<int>>("shape"); // rate, channels, length, pause at, pause for
        QTest::newRow("16-bit mono, paused early")
            << "16 signed" << QList{16000, 1, 2000, 300, 1000};
        QTest::newRow("16-bit stereo, paused late")
            << "16 signed" << QList{44100, 2, 3000, 2900, 250};
        QTest::newRow("8-bit unsigned, odd length")
            << "8 unsigned" << QList{11025, 1, 1234, 600, 0};
    }
    void playPauseResume() {
        QFETCH(QString, format);
        QFETCH(QList<int>, shape);
        const auto [rate, channels, length, pauseAt, pauseFor] =
            std::array{shape[0], shape[1], shape[2], shape[3], shape[4]};
        // A half-scale 440 Hz sine made by sox.
        const QStringList bits = format.split(u' ');
        QVERIFY(
            test::run("sox", {"-n", "-r", QString::number(rate), "-c", QString::number(channels),
                              "-b", bits[0], "-e", bits[1], wav(), "synth",
                              QString::number(length / 1000.0), "sine", "440", "vol", "0.5"}));
        const WaveRead read = readWaveFile(wav());
        QVERIFY2(read.sound, qPrintable(read.error));
        QCOMPARE(QPair(read.sound->sampleRate, read.sound->channels), QPair(rate, channels));
        // RMS 0.5 / sqrt(2) whatever the width, and only if 8-bit silence (128) reads as 0.
        const QList<qint16> samples = test::samplesOfRaw(read.sound->samples);
        QVERIFY(std::abs(test::rms(samples, 0, samples.size()) - 0.5 / std::sqrt(2.0)) < 0.01);
        const qint64 endUs =
            (read.sound->frames() * 1000000 + rate - 1) / rate + qint64(pauseFor) * 1000;

        // The grid's handler closes the device from the report that shows the end.
        int closes = 0;
        connect(mm.get(), &MMControl::StatusUpdate, this, [&] {
            if (mm->Position() == mm->Length())
                ++closes, mm->setCommand("Close");
        });
        QSignalSpy done(mm.get(), &MMControl::Done);
        mm->setNotify(true);

        QCOMPARE(open(), E::None);
        QCOMPARE(mm->Length(), length); // valid right after Open
        QCOMPARE(mm->setCommand("Play"), E::None);
        at(pauseAt);
        QCOMPARE(mm->Position(), pauseAt);
        if (pauseFor > 0) {
            QCOMPARE(mm->setCommand("Pause"), E::None);
            at(pauseFor);
            QCOMPARE(mm->Position(), pauseAt);
            QCOMPARE(mm->setCommand("Play"), E::None);
        }
        at(length - pauseAt - 1);
        QVERIFY(mm->Mode() == Mode::Playing && mm->Position() < length);
        at(5000);

        // The end: a last report with Position == Length, at length + pause.
        QCOMPARE(closes, 1);
        QCOMPARE(positions.last(), length);
        QCOMPARE(times.last(), endUs / 1000);
        QVERIFY(std::is_sorted(positions.begin(), positions.end()));
        QCOMPARE(running(), 0);
        // Done(true) for Open, Pause, the Close and the end of the playback; not for Play.
        QCOMPARE(QList<QList<QVariant>>(done), QList<QList<QVariant>>(pauseFor ? 4 : 3, {true}));
    }

    // A device that goes away ends the recording or playback by itself, once:
    // a recording keeps what was heard and can go on later, a playback stops
    // where it was and can play on from there.
    void deviceLost_data() {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<int>("lostAt");  // ms after the start
        QTest::addColumn<bool>("paused"); // at 300 ms, until the loss
        QTest::newRow("recording") << true << 700 << false;
        QTest::newRow("recording paused") << true << 700 << true;
        QTest::newRow("recording that never heard anything") << true << 0 << false;
        QTest::newRow("playback") << false << 700 << false;
        QTest::newRow("playback paused") << false << 700 << true;
    }
    void deviceLost() {
        QFETCH(bool, recording);
        QFETCH(int, lostAt);
        QFETCH(bool, paused);
        const int heard = paused ? std::min(lostAt, 300) : lostAt;
        if (recording)
            device->feed(ramp(16000 * 2));
        else
            QVERIFY(folder->write("temp.wav", *encodeWave(PcmSound{16000, 1, ramp(16000 * 2)})));
        QSignalSpy lost(mm.get(), &MMControl::DeviceLost);
        QSignalSpy done(mm.get(), &MMControl::Done);
        QCOMPARE(open(), E::None);
        mm->setNotify(true);
        QCOMPARE(mm->setCommand(recording ? "Record" : "Play"), E::None);
        if (paused) {
            at(300);
            QCOMPARE(mm->setCommand("Pause"), E::None);
        }
        at(lostAt - (paused ? 300 : 0));
        recording ? device->loseInput() : device->loseOutput();
        QCOMPARE(lost.size(), 1);
        QCOMPARE(done.size(), paused ? 2 : 1);
        QCOMPARE(done.last(), QList<QVariant>{false});
        QCOMPARE(mm->Mode(), Mode::Stopped);
        QCOMPARE(mm->Position(), heard);
        QCOMPARE(mm->Length(), recording ? heard : 2000);
        QCOMPARE(device->runningCaptures() + device->runningPlaybacks(), 0);
        at(1000);
        QCOMPARE(mm->Position(), heard);

        if (recording && heard > 0) { // what was heard is there to save
            QCOMPARE(mm->setCommand("Save"), E::None);
            const WaveRead read = readWaveFile(wav());
            QVERIFY(read.sound);
            QCOMPARE(read.sound->samples, ramp(16000 * 2).left(heard * 16 * 2));
        }
        // The device back, the control goes on from there.
        QCOMPARE(mm->setCommand(recording ? "Record" : "Play"), E::None);
        at(500);
        QCOMPARE(mm->Position(), std::min(heard + 500, recording ? 100000 : 2000));
        QCOMPARE(lost.size(), 1);
    }

    // Commands when nothing is open, nothing was recorded or Open refused the
    // file are harmless and leave the file as it was. On Qt Multimedia with no
    // audio server (CTest points PULSE_SERVER at nothing) Open finds no device.
    void harmlessCommands_data() {
        QTest::addColumn<bool>("real");
        QTest::addColumn<QByteArray>("content"); // of temp.wav; empty: none
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QList<MciError>>("results");
        const auto row = [](const char *name, bool real, const QByteArray &content,
                            const QStringList &commands, const QList<E> &r) {
            QTest::newRow(name) << real << content << commands << r;
        };
        const QStringList closed{"Record", "Pause", "Record", "Stop", "Save", "Play", "Close"};
        const QList<E> notOpen = QList<E>(6, E::NotOpen) + QList<E>{E::None};
        const QStringList refused = QStringList{"Open"} + closed + QStringList{"Close", "Open"};
        const auto refusedBy = [&](E why) {
            return QList<E>{why} + notOpen + QList<E>{E::None, why};
        };
        row("close twice", false, {}, {"Close", "Close"}, {E::None, E::None});
        row("save without a recording", false, {}, {"Open", "Stop", "Save", "Close"},
            {E::None, E::None, E::NothingRecorded, E::None});
        row("play on a missing file", false, {}, {"Open", "Play", "Pause", "Play", "Close"},
            {E::None, E::NothingRecorded, E::None, E::NothingRecorded, E::None});
        row("unknown command, any case", false, {}, {"Rewind", "open", "RECORD", " stop ", "Close"},
            {E::UnknownCommand, E::None, E::None, E::None, E::None});
        const QByteArray wave = *encodeWave(PcmSound{16000, 1, ramp(1600)});
        row("not a wave", false, "RIFF....WAVEjunk and more junk", refused,
            refusedBy(E::FileUnreadable));
        row("cut short", false, wave.left(30), refused, refusedBy(E::FileUnreadable));
        // Headers no sound card makes count as damage, whatever the data.
        for (const auto &[name, rate, channels] : {std::tuple{"2 000 000 000 Hz", 2000000000u, 1},
                                                   {"1 024 channels", 16000u, 1024},
                                                   {"0 Hz", 0u, 1},
                                                   {"9 channels", 16000u, 9}})
            row(name, false, pcmWave(rate, channels, ramp(9216)), refused,
                refusedBy(E::FileUnreadable));
        row("no server, new recording", true, {}, refused, refusedBy(E::NoDevice));
        row("no server, existing wave", true, wave, refused, refusedBy(E::NoDevice));
    }
    void harmlessCommands() {
        QFETCH(bool, real);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, commands);
        QFETCH(QList<MciError>, results);
        if (real) {
            QVERIFY2(qEnvironmentVariable("PULSE_SERVER").contains("tembrel-no-server"),
                     "run through CTest, which points PULSE_SERVER nowhere");
            mm = std::make_unique<MMControl>(std::make_shared<QtSoundBackend>());
        }
        if (!content.isEmpty())
            QVERIFY(folder->write("temp.wav", content));
        mm->setDeviceType("WaveAudio");
        mm->setFileName(wav());
        for (int i = 0; i < commands.size(); ++i) {
            QCOMPARE(mm->setCommand(commands[i]), results[i]);
            QCOMPARE(mm->Error(), results[i]);
            at(300);
        }
        QCOMPARE(mm->Mode(), Mode::NotOpen);
        QCOMPARE(running(), 0);
        QCOMPARE(folder->exists("temp.wav"), !content.isEmpty()); // neither created
        QCOMPARE(folder->read("temp.wav"), content);              // nor changed
    }

    // A stream thread stuck in a hung server's call: the caller is not kept
    // waiting, the start fails once its time is up, the next stream goes to a
    // fresh thread, and the stuck one ends once the server answers.
    void hungStreamThreadGivenUp() {
        std::promise<void> answer;
        std::promise<void> answered;
        answered.set_value();
        auto &threads = qtsound::SoundThreads::instance();
        auto hung =
            std::make_unique<WaitingStream>(threads.streamThread(), answer.get_future().share());
        const QPointer<QThread> stuck = hung->thread();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(hung->beginStart());
        QVERIFY(clock.elapsed() < qtsound::StartTimeoutMs);
        QTRY_COMPARE(hung->ranOn(), stuck.data());
        QTRY_VERIFY_WITH_TIMEOUT(hung->lost, 4 * qtsound::StartTimeoutMs);

        WaitingStream next(threads.streamThread(), answered.get_future().share());
        QVERIFY(next.thread() != stuck);
        QVERIFY(next.beginStart());
        QTRY_VERIFY(next.running());
        QCOMPARE(next.ranOn(), next.thread());

        answer.set_value();
        hung.reset();
        QTRY_VERIFY(stuck.isNull());
    }
};

QTEST_GUILESS_MAIN(TestMMControl)
#include "tst_mmcontrol.moc"
