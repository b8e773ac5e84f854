// SPDX-License-Identifier: GPL-3.0-or-later
// MMControl on Qt Multimedia with no audio server at all: "Open" fails, every
// later command is harmless. CTest points PULSE_SERVER at a socket that does
// not exist; the time each command took is printed.
#include "TestApp.h"
#include "shell/MMControl.h"
#include "shell/QtSoundBackend.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace tembrel;
using Mode = MMControl::ModeValue;

class TestMMControlNoServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariable("PULSE_SERVER").contains("tembrel-no-server"),
                 "run through CTest, which points PULSE_SERVER nowhere");
    }

    void everyCommandIsHarmless_data() {
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("new recording") << false;
        QTest::newRow("existing wave") << true;
    }
    void everyCommandIsHarmless() {
        QFETCH(bool, fileExists);
        test::TempAppFolder folder;
        const QString wav = appFile("temp.wav");
        PcmSound tone{16000, 1, QByteArray(16000 * 2, '\x10')};
        if (fileExists)
            QVERIFY(writeWaveFile(wav, tone));
        const QByteArray before = folder.read("temp.wav");

        MMControl mm(std::make_shared<QtSoundBackend>());
        QSignalSpy updates(&mm, &MMControl::StatusUpdate);
        mm.setNotify(false);
        mm.setWait(true);
        mm.setShareable(false);
        mm.setDeviceType("WaveAudio");
        mm.setFileName(wav);

        const QList<QPair<QString, MciError>> steps = {
            {"Open", MciError::NoDevice}, {"Record", MciError::NotOpen},
            {"Pause", MciError::NotOpen}, {"Record", MciError::NotOpen},
            {"Stop", MciError::NotOpen},  {"Save", MciError::NotOpen},
            {"Play", MciError::NotOpen},  {"Close", MciError::None},
            {"Close", MciError::None},    {"Open", MciError::NoDevice},
        };
        QElapsedTimer clock;
        qint64 slowest = 0;
        QString slowestName;
        for (const auto &[command, expected] : steps) {
            clock.start();
            const MciError result = mm.setCommand(command);
            const qint64 took = clock.elapsed();
            if (took >= slowest) {
                slowest = took;
                slowestName = command;
            }
            QCOMPARE(result, expected);
            QCOMPARE(mm.Mode(), Mode::NotOpen);
            QCOMPARE(mm.Position(), 0);
            QCOMPARE(mm.Length(), 0);
        }
        qInfo("slowest command without a server: %s, %lld ms", qPrintable(slowestName), slowest);
        QCOMPARE(updates.size(), 0);
        QCOMPARE(folder.read("temp.wav"), before); // untouched, or still absent
    }
};

QTEST_GUILESS_MAIN(TestMMControlNoServer)
#include "tst_mmcontrol_noserver.moc"
