// SPDX-License-Identifier: GPL-3.0-or-later
// MMControl on Qt Multimedia with no audio server at all: "Open" fails, every
// later command is harmless. CTest points PULSE_SERVER at a socket that does
// not exist; the time the slowest command took is printed.
#include "TestApp.h"
#include "shell/MMControl.h"
#include "shell/QtSoundBackend.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace tembrel;

class TestMMControlNoServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCommandIsHarmless_data() {
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("new recording") << false;
        QTest::newRow("existing wave") << true;
    }
    void everyCommandIsHarmless() {
        QFETCH(bool, fileExists);
        test::TempAppFolder folder;
        const QString wav = appFile("temp.wav");
        if (fileExists)
            QVERIFY(writeWaveFile(wav, PcmSound{16000, 1, QByteArray(16000 * 2, '\x10')}));
        const QByteArray before = folder.read("temp.wav");

        MMControl mm(std::make_shared<QtSoundBackend>());
        QSignalSpy updates(&mm, &MMControl::StatusUpdate);
        mm.setDeviceType("WaveAudio");
        mm.setFileName(wav);
        QElapsedTimer clock;
        qint64 slowest = 0;
        for (const QString &command : {"Open", "Record", "Pause", "Record", "Stop", "Save", "Play",
                                       "Close", "Close", "Open"}) {
            clock.start();
            const MciError result = mm.setCommand(command);
            slowest = std::max(slowest, clock.elapsed());
            QCOMPARE(result, command == "Open"    ? MciError::NoDevice
                             : command == "Close" ? MciError::None
                                                  : MciError::NotOpen);
            QCOMPARE(mm.Mode(), MMControl::ModeValue::NotOpen);
            QCOMPARE(mm.Length(), 0);
        }
        qInfo("slowest command without a server: %lld ms", slowest);
        QCOMPARE(updates.size(), 0);
        QCOMPARE(folder.read("temp.wav"), before); // untouched, or still absent
    }
};

QTEST_GUILESS_MAIN(TestMMControlNoServer)
#include "tst_mmcontrol_noserver.moc"
