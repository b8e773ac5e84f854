// SPDX-License-Identifier: GPL-3.0-or-later
// MMControl on the virtual device: the command sequences of the recording and
// grid windows, driven by the virtual clock.
#include "TestApp.h"
#include "shell/MMControl.h"
#include "shell/VirtualSoundBackend.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace tembrel;
using namespace std::chrono_literals;
using Mode = MMControl::ModeValue;

namespace {

// A recognisable mono signal: sample i holds (i * 7) % 20000 - 10000.
QByteArray ramp(qint64 frames, qint64 first = 0) {
    QByteArray bytes(frames * 2, Qt::Uninitialized);
    auto *s = reinterpret_cast<qint16 *>(bytes.data());
    for (qint64 i = 0; i < frames; ++i)
        s[i] = qint16(((first + i) * 7) % 20000 - 10000);
    return bytes;
}

PcmSound sound(int rate, int channels, qint64 frames) {
    PcmSound s{rate, channels, {}};
    s.samples = ramp(frames * channels);
    return s;
}

// Position seen by each status update, with the virtual time it came at.
struct Reports {
    QList<qint32> positions;
    QList<qint64> times;
};

} // namespace

class TestMMControl : public QObject {
    Q_OBJECT

    std::shared_ptr<VirtualSoundBackend> device;
    std::unique_ptr<MMControl> mm;
    std::unique_ptr<test::TempAppFolder> folder;
    Reports reports;

    QString wav() const { return folder->path("temp.wav"); }

    MciError openOn(const QString &path) {
        mm->setNotify(false);
        mm->setWait(true);
        mm->setShareable(false);
        mm->setDeviceType("WaveAudio");
        mm->setFileName(path);
        return mm->setCommand("Open");
    }

private Q_SLOTS:
    void init() {
        device = std::make_shared<VirtualSoundBackend>();
        mm = std::make_unique<MMControl>(device);
        folder = std::make_unique<test::TempAppFolder>();
        reports = {};
        connect(mm.get(), &MMControl::StatusUpdate, this, [this] {
            reports.positions.append(mm->Position());
            reports.times.append(qint64(device->now().count()));
        });
    }
    void cleanup() {
        mm.reset();
        QCoreApplication::processEvents(); // retired streams go now
        device.reset();
        folder.reset();
    }

    // The recording window: Open, Record, Pause, Record, Stop, Save, Close.
    void recordPauseResumeStopSave() {
        QCOMPARE(openOn(wav()), MciError::None);
        QCOMPARE(mm->Mode(), Mode::Stopped);
        QCOMPARE(mm->Length(), 0);
        QCOMPARE(mm->Position(), 0);

        device->feed(ramp(16000 * 3)); // three seconds of "speech"
        QCOMPARE(mm->setCommand("Record"), MciError::None);
        QCOMPARE(mm->Mode(), Mode::Recording);
        device->advance(1000ms);
        QCOMPARE(mm->Position(), 1000);
        QCOMPARE(mm->Length(), 1000);

        QCOMPARE(mm->setCommand("Pause"), MciError::None);
        QCOMPARE(mm->Mode(), Mode::Paused);
        const qsizetype pending = device->pendingInput();
        device->advance(500ms);
        QCOMPARE(mm->Position(), 1000); // nothing heard while paused
        QCOMPARE(device->pendingInput(), pending);

        QCOMPARE(mm->setCommand("Record"), MciError::None);
        device->advance(750ms);
        QCOMPARE(mm->Position(), 1750);
        QCOMPARE(mm->setCommand("Stop"), MciError::None);
        QCOMPARE(device->runningCaptures(), 0);
        device->advance(400ms);
        QCOMPARE(mm->Position(), 1750);
        QCOMPARE(mm->Length(), 1750);

        // Reports came every 250 ms while open, each with the position of its moment.
        QCOMPARE(reports.positions.size(), int((1000 + 500 + 750 + 400) / 250));
        for (int i = 0; i < reports.times.size(); ++i) {
            const qint64 t = reports.times[i];
            QCOMPARE(t, 250 * (i + 1));
            const qint64 expected = t <= 1000   ? t
                                    : t <= 1500 ? 1000
                                                : std::min<qint64>(t - 500, 1750);
            QCOMPARE(reports.positions[i], expected);
        }

        QVERIFY(!QFile::exists(wav()));
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        const WaveRead read = readWaveFile(wav());
        QVERIFY2(read.sound, qPrintable(read.error));
        QCOMPARE(read.sound->sampleRate, 16000);
        QCOMPARE(read.sound->channels, 1);
        QCOMPARE(read.sound->frames(), 1750 * 16);
        // The pause neither lost nor inserted samples.
        QCOMPARE(read.sound->samples, ramp(1750 * 16));

        QCOMPARE(mm->setCommand("Close"), MciError::None);
        QCOMPARE(mm->Mode(), Mode::NotOpen);
        QCOMPARE(mm->Position(), 0);
        QCOMPARE(device->runningTickers(), 0);
        const int seen = reports.positions.size();
        device->advance(1000ms);
        QCOMPARE(reports.positions.size(), seen); // no reports once closed
    }

    // Record after Stop goes on from the position; the input runs silent when
    // the fed samples are used up.
    void recordAgainAppends() {
        QCOMPARE(openOn(wav()), MciError::None);
        device->feed(ramp(8000));
        mm->setCommand("Record");
        device->advance(1000ms);
        mm->setCommand("Stop");
        mm->setCommand("Record");
        device->advance(300ms);
        mm->setCommand("Stop");
        QCOMPARE(mm->Length(), 1300);
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        const WaveRead read = readWaveFile(wav());
        QVERIFY(read.sound);
        QByteArray expected = ramp(8000);
        expected.append(QByteArray((16000 + 4800 - 8000) * 2, '\0'));
        QCOMPARE(read.sound->samples, expected);
    }

    // Record on an opened wave goes on from the position, in the wave's format
    // only: a device that cannot record in it is refused and the sound kept.
    void recordIntoAnOpenedWave_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<MciError>("expected");
        QTest::addColumn<qint32>("length");
        QTest::newRow("same format") << 16000 << MciError::None << 900;
        QTest::newRow("another rate") << 44100 << MciError::DeviceRefused << 1000;
    }
    void recordIntoAnOpenedWave() {
        QFETCH(int, rate);
        QFETCH(MciError, expected);
        QFETCH(qint32, length);
        const PcmSound held = sound(rate, 1, rate);
        QVERIFY(writeWaveFile(wav(), held));
        QCOMPARE(openOn(wav()), MciError::None);
        mm->setCommand("Play");
        device->advance(400ms);
        mm->setCommand("Stop");
        QCOMPARE(mm->setCommand("Record"), expected);
        device->advance(500ms);
        mm->setCommand("Stop");
        QCOMPARE(mm->Length(), length);
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        const WaveRead read = readWaveFile(wav());
        QVERIFY(read.sound);
        QCOMPARE(read.sound->samples.left(rate * 2 * 400 / 1000),
                 held.samples.left(rate * 2 * 400 / 1000));
    }

    // A device that records at another rate: the wave keeps that rate, the
    // times stay right.
    void recordAtTheDeviceRate() {
        device->setInputRate(11025);
        QCOMPARE(openOn(wav()), MciError::None);
        mm->setCommand("Record");
        device->advance(2000ms);
        mm->setCommand("Stop");
        QCOMPARE(mm->Length(), 2000);
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        const WaveRead read = readWaveFile(wav());
        QVERIFY(read.sound);
        QCOMPARE(read.sound->sampleRate, 11025);
        QCOMPARE(read.sound->frames(), 22050);
    }

    // The grid and the recording window: Open, Play, Pause, Play, up to the end.
    void playPauseResume_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("lengthMs");
        QTest::addColumn<int>("pauseAt");
        QTest::addColumn<int>("pauseFor");
        QTest::newRow("16 kHz mono, paused early") << 16000 << 1 << 2000 << 300 << 1000;
        QTest::newRow("44.1 kHz stereo, paused late") << 44100 << 2 << 3000 << 2900 << 250;
        QTest::newRow("11025 Hz, odd length, no pause") << 11025 << 1 << 1234 << 600 << 0;
    }
    void playPauseResume() {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, lengthMs);
        QFETCH(int, pauseAt);
        QFETCH(int, pauseFor);
        const qint64 frames = qint64(lengthMs) * rate / 1000;
        QVERIFY(writeWaveFile(wav(), sound(rate, channels, frames)));
        const qint32 length = qint32(frames * 1000 / rate); // whole milliseconds
        const qint64 endUs = (frames * 1000000 + rate - 1) / rate + qint64(pauseFor) * 1000;

        QCOMPARE(openOn(wav()), MciError::None);
        QCOMPARE(mm->Length(), length); // valid right after Open
        QCOMPARE(mm->Position(), 0);
        QCOMPARE(mm->setCommand("Play"), MciError::None);
        QCOMPARE(mm->Mode(), Mode::Playing);
        device->advance(std::chrono::milliseconds(pauseAt));
        QCOMPARE(mm->Position(), pauseAt);
        if (pauseFor > 0) {
            QCOMPARE(mm->setCommand("Pause"), MciError::None);
            device->advance(std::chrono::milliseconds(pauseFor));
            QCOMPARE(mm->Position(), pauseAt);
            QCOMPARE(mm->setCommand("Play"), MciError::None);
        }
        device->advance(std::chrono::milliseconds(lengthMs - pauseAt - 1));
        QCOMPARE(mm->Mode(), Mode::Playing);
        QVERIFY(mm->Position() < length);
        device->advance(5000ms);

        // The end: a last report with Position == Length, at length + pause.
        QCOMPARE(mm->Mode(), Mode::Stopped);
        QCOMPARE(device->runningPlaybacks(), 0);
        QCOMPARE(mm->Position(), length);
        const int end = int(reports.positions.indexOf(length));
        QVERIFY(end >= 0);
        QCOMPARE(reports.times[end], endUs / 1000);
        for (int i = 1; i <= end; ++i)
            QVERIFY(reports.positions[i] >= reports.positions[i - 1]);
        QCOMPARE(mm->setCommand("Close"), MciError::None);
    }

    // The grid's handler sends "Close" from inside the report that shows the end.
    void closeFromTheFinalReport() {
        QVERIFY(writeWaveFile(wav(), sound(16000, 1, 16000)));
        QCOMPARE(openOn(wav()), MciError::None);
        int closes = 0;
        connect(mm.get(), &MMControl::StatusUpdate, this, [&] {
            if (mm->Position() == mm->Length()) {
                ++closes;
                mm->setCommand("Close");
            }
        });
        mm->setCommand("Play");
        device->advance(3000ms);
        QCOMPARE(closes, 1);
        QCOMPARE(mm->Mode(), Mode::NotOpen);
        QCOMPARE(device->runningPlaybacks() + device->runningTickers(), 0);
    }

    // Stop ends a playback where it is; Play then goes on from there.
    void stopKeepsThePosition() {
        QVERIFY(writeWaveFile(wav(), sound(8000, 1, 16000)));
        QCOMPARE(openOn(wav()), MciError::None);
        QCOMPARE(mm->Length(), 2000);
        mm->setCommand("Play");
        device->advance(700ms);
        QCOMPARE(mm->setCommand("Stop"), MciError::None);
        QCOMPARE(mm->Position(), 700);
        QCOMPARE(device->runningPlaybacks(), 0);
        mm->setCommand("Play");
        device->advance(1300ms);
        QCOMPARE(mm->Position(), 2000);
        QCOMPARE(mm->Mode(), Mode::Stopped);
        // At the end, Play has nothing left to play.
        QCOMPARE(mm->setCommand("Play"), MciError::None);
        QCOMPARE(device->runningPlaybacks(), 0);
    }

    // What a window may send when nothing is open or nothing was recorded.
    void harmlessCommands_data() {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QList<MciError>>("results");
        using E = MciError;
        QTest::newRow("close twice") << QStringList{"Close", "Close"} << QList<E>{E::None, E::None};
        QTest::newRow("everything while closed")
            << QStringList{"Record", "Play", "Pause", "Stop", "Save", "Close"}
            << QList<E>{E::NotOpen, E::NotOpen, E::NotOpen, E::NotOpen, E::NotOpen, E::None};
        QTest::newRow("save without a recording") << QStringList{"Open", "Save", "Close"}
                                                  << QList<E>{E::None, E::NothingRecorded, E::None};
        QTest::newRow("play on a missing file")
            << QStringList{"Open", "Play", "Pause", "Play", "Stop", "Close"}
            << QList<E>{E::None, E::NothingRecorded, E::None, E::NothingRecorded, E::None, E::None};
        QTest::newRow("stop and pause before anything")
            << QStringList{"Open", "Stop", "Pause", "Close", "Close"}
            << QList<E>{E::None, E::None, E::None, E::None, E::None};
        QTest::newRow("unknown command, any case")
            << QStringList{"Rewind", "open", "RECORD", " stop ", "Close"}
            << QList<E>{E::UnknownCommand, E::None, E::None, E::None, E::None};
    }
    void harmlessCommands() {
        QFETCH(QStringList, commands);
        QFETCH(QList<MciError>, results);
        mm->setDeviceType("WaveAudio");
        mm->setFileName(wav());
        for (int i = 0; i < commands.size(); ++i) {
            QCOMPARE(mm->setCommand(commands[i]), results[i]);
            QCOMPARE(mm->Error(), results[i]);
            QCOMPARE(mm->Command(), commands[i]);
            device->advance(300ms);
            QVERIFY(mm->Position() >= 0);
            QVERIFY(mm->Position() <= mm->Length());
        }
        QCOMPARE(mm->Mode(), Mode::NotOpen);
        QVERIFY(!QFile::exists(wav())); // nothing written from nothing
        QCOMPARE(device->runningCaptures() + device->runningPlaybacks() + device->runningTickers(),
                 0);
    }

    // Open refuses what it cannot work on, and stays closed.
    void openFailures_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<QString>("deviceType");
        QTest::addColumn<bool>("input");
        QTest::addColumn<bool>("output");
        QTest::addColumn<MciError>("expected");
        const QByteArray wave = *encodeWave(sound(16000, 1, 1600));
        QTest::newRow("not a wave") << QByteArray("RIFF....WAVEjunk and more junk") << "WaveAudio"
                                    << true << true << MciError::FileUnreadable;
        QTest::newRow("cut short")
            << wave.left(30) << "WaveAudio" << true << true << MciError::FileUnreadable;
        QTest::newRow("no output to play on")
            << wave << "WaveAudio" << true << false << MciError::NoDevice;
        QTest::newRow("no input to record from")
            << QByteArray() << "WaveAudio" << false << true << MciError::NoDevice;
        QTest::newRow("another device type")
            << wave << "CDAudio" << true << true << MciError::UnsupportedDevice;
    }
    void openFailures() {
        QFETCH(QByteArray, content);
        QFETCH(QString, deviceType);
        QFETCH(bool, input);
        QFETCH(bool, output);
        QFETCH(MciError, expected);
        if (!content.isEmpty())
            QVERIFY(folder->write("temp.wav", content));
        device->setInputPresent(input);
        device->setOutputPresent(output);
        mm->setDeviceType(deviceType);
        mm->setFileName(wav());
        QCOMPARE(mm->setCommand("Open"), expected);
        QCOMPARE(mm->Mode(), Mode::NotOpen);
        QCOMPARE(mm->Length(), 0);
        for (const char *c : {"Play", "Record", "Save"})
            QCOMPARE(mm->setCommand(c), MciError::NotOpen);
        device->advance(1000ms);
        QVERIFY(reports.positions.isEmpty());
        QCOMPARE(mm->setCommand("Close"), MciError::None);
        if (!content.isEmpty())
            QCOMPARE(folder->read("temp.wav"), content); // a failed open never touches the file
    }

    // Playing a recording saved by this control, and saving again what was played.
    void saveAgainAfterPlay() {
        QCOMPARE(openOn(wav()), MciError::None);
        device->feed(ramp(16000));
        mm->setCommand("Record");
        device->advance(1000ms);
        mm->setCommand("Stop");
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        mm->setCommand("Close");
        const QByteArray first = folder->read("temp.wav");

        QCOMPARE(openOn(wav()), MciError::None);
        QCOMPARE(mm->Length(), 1000);
        mm->setCommand("Play");
        device->advance(1500ms);
        QCOMPARE(mm->Position(), 1000);
        mm->setCommand("Stop");
        QCOMPARE(mm->setCommand("Save"), MciError::None);
        QCOMPARE(folder->read("temp.wav"), first);
    }

    // With Notify on, Done tells the end of each command and of a playback.
    void notifyReportsDone() {
        QVERIFY(writeWaveFile(wav(), sound(16000, 1, 8000)));
        QSignalSpy done(mm.get(), &MMControl::Done);
        mm->setNotify(true);
        mm->setDeviceType("WaveAudio");
        mm->setFileName(wav());
        mm->setCommand("Open");
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.takeFirst().at(0).toBool(), true);
        mm->setCommand("Play");
        QCOMPARE(done.size(), 0); // still playing
        device->advance(600ms);
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.takeFirst().at(0).toBool(), true);
        mm->setCommand("Jump");
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.takeFirst().at(0).toBool(), false);
    }

    void updateIntervalSetsTheCadence() {
        mm->setUpdateInterval(100);
        QCOMPARE(openOn(wav()), MciError::None);
        device->advance(1000ms);
        QCOMPARE(reports.positions.size(), 10);
        mm->setUpdateInterval(500);
        device->advance(1000ms);
        QCOMPARE(reports.positions.size(), 12);
    }
};

QTEST_GUILESS_MAIN(TestMMControl)
#include "tst_mmcontrol.moc"
