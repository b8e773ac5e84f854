// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the microphone and the speaker, on the virtual sound device (a
// chosen device that is not there: on the real bench, tst_soundchoice_audio).
#include "settings/FrmReglages.h"
#include "settings/SoundChoiceBox.h"
#include "sound/MMControl.h"
#include "sound/SoundChoice.h"
#include "sound/WaveFile.h"

#include "AppFixture.h"
#include "SoundDevices.h"

#include <QSettings>
#include <QTest>

#include <optional>

using namespace tembrel;
using namespace tembrel::test;

namespace {

const SoundDevice BuiltIn{"builtin", QStringLiteral("Built-in microphone"), true};
const SoundDevice Headset{"usb-headset", QStringLiteral("USB Headset"), false};
const SoundDevice Speakers{"speakers", QStringLiteral("Speakers"), true};
const SoundDevice Hdmi{"hdmi", QStringLiteral("HDMI"), false};

} // namespace

class TestSoundChoice : public QObject {
    Q_OBJECT

    std::optional<AppFixture> m_app;

    // The device a Record or a Play opens now, through the sound device
    // control as the windows use it.
    QByteArray opens(const QString &command) {
        MMControl c;
        c.setDeviceType(QStringLiteral("WaveAudio"));
        c.setFileName(m_app->path(command == u"Play" ? "old.wav" : "new.wav"));
        if (c.setCommand(QStringLiteral("Open")) != MciError::None ||
            c.setCommand(command) != MciError::None)
            return {};
        return command == u"Play" ? m_app->sound->lastPlaybackDevice()
                                  : m_app->sound->lastCaptureDevice();
    }

private Q_SLOTS:
    void init() {
        m_app.emplace();
        m_app->sound->setDevices({{BuiltIn, Headset}, {Speakers, Hdmi}});
        QVERIFY(writeWaveFile(m_app->path("old.wav"), PcmSound{16000, 1, QByteArray(3200, 1)}));
    }
    void cleanup() { m_app.reset(); }

    // Which device a stream opens: the chosen one when listed, otherwise
    // the default, which Qt does not always flag (then the first).
    void deviceInUse_data() {
        QTest::addColumn<QList<SoundDevice>>("listed");
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<int>("used");
        const SoundDevice unflagged{"builtin", QStringLiteral("Built-in microphone"), false};
        QTest::newRow("no choice: the default") << QList{Headset, BuiltIn} << QByteArray() << 1;
        QTest::newRow("chosen and listed") << QList{BuiltIn, Headset} << Headset.id << 1;
        QTest::newRow("chosen, not listed") << QList{Headset, BuiltIn} << QByteArray("gone") << 1;
        QTest::newRow("none flagged: the first")
            << QList{unflagged, Headset} << QByteArray("gone") << 0;
        QTest::newRow("nothing listed") << QList<SoundDevice>{} << Headset.id << -1;
    }
    void deviceInUse() {
        QFETCH(QList<SoundDevice>, listed);
        QFETCH(QByteArray, chosen);
        QTEST(int(tembrel::deviceInUse(listed, chosen)), "used");
    }

    // The lists fill in when the server answers (the window answers meanwhile); a
    // pick is used at once by Record and playback, and kept for later windows and runs.
    void choosingDevices() {
        QCOMPARE(opens("Record"), BuiltIn.id);
        QCOMPARE(opens("Play"), Speakers.id);
        {
            FrmReglages w;
            w.show();
            QCOMPARE(m_app->sound->pendingDeviceReads(), 1);
            QCOMPARE(itemTexts(w.SoundBox->CboMicrophone), QStringList{"System default"});
            QCOMPARE(itemTexts(w.SoundBox->CboSpeaker), QStringList{"System default"});
            m_app->sound->answerDeviceReads();
            QCOMPARE(itemTexts(w.SoundBox->CboMicrophone),
                     (QStringList{"System default", "Built-in microphone", "USB Headset"}));
            QCOMPARE(itemTexts(w.SoundBox->CboSpeaker),
                     (QStringList{"System default", "Speakers", "HDMI"}));
            QCOMPARE(w.SoundBox->CboMicrophone->currentIndex(), 0);
            QVERIFY(pickEntry(w.SoundBox->CboMicrophone, "USB Headset"));
            QVERIFY(pickEntry(w.SoundBox->CboSpeaker, "HDMI"));
            QCOMPARE(opens("Record"), Headset.id); // without closing the window
            QCOMPARE(opens("Play"), Hdmi.id);
            w.close();
        }
        // On disk for the next run, in the user's settings (not param.ini).
        const QString file = QSettings().fileName();
        QVERIFY(file.startsWith(m_app->configHome()));
        const QByteArray text = fileBytes(file);
        QVERIFY(text.contains("Microphone=usb-headset") && text.contains("Speaker=hdmi"));
        QVERIFY(!m_app->exists("param.ini") || !m_app->read("param.ini").contains("hdmi"));

        FrmReglages again;
        again.show();
        QCOMPARE(again.SoundBox->CboMicrophone->currentText(), QString("USB Headset"));
        m_app->sound->answerDeviceReads();
        QCOMPARE(again.SoundBox->CboMicrophone->currentText(), QString("USB Headset"));
        QCOMPARE(again.SoundBox->CboSpeaker->currentText(), QString("HDMI"));
        QVERIFY(pickEntry(again.SoundBox->CboMicrophone, "System default"));
        QCOMPARE(chosenDevice(SoundUse::Microphone), ChosenDevice());
        QCOMPARE(opens("Record"), BuiltIn.id);
    }
};

QTEST_MAIN(TestSoundChoice)
#include "tst_soundchoice.moc"
