// SPDX-License-Identifier: GPL-3.0-or-later
// One recording without a window, on the virtual sound device.
#include "recording/RecordingSession.h"

#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "MessageSupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

Q_DECLARE_METATYPE(tembrel::RecordingState)

namespace {

// Runs the session's handlers as named; wait:<ms> moves the device's clock.
void runSteps(AppFixture &app, RecordingSession &session, const QString &steps) {
    static const std::map<QString, void (RecordingSession::*)()> handlers{
        {"record", &RecordingSession::record},
        {"pauserec", &RecordingSession::pauseRecording},
        {"resumerec", &RecordingSession::resumeRecording},
        {"stop", &RecordingSession::stop},
        {"tick", &RecordingSession::finishTick},
        {"play", &RecordingSession::play},
        {"pause", &RecordingSession::pausePlayback},
        {"remove", &RecordingSession::remove}};
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        if (step.startsWith(u"wait:"))
            app.sound->advance(std::chrono::milliseconds(step.mid(5).toInt()));
        else
            (session.*handlers.at(step))();
    }
}

} // namespace

class TestRecordingSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A step whose button the state disables does nothing. The state
    // reached, and the length of the packed recording (-1: none).
    void steps_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<RecordingState>("state");
        QTest::addColumn<int>("packedMs");
        using S = RecordingState;
        const auto row = [](const char *name, const char *steps, S state, int packedMs) {
            QTest::newRow(name) << QString(steps) << state << packedMs;
        };
        row("play before a recording", "play", S::Empty, -1);
        row("record twice", "record wait:1000 record wait:1000 stop wait:1000 tick", S::Recorded,
            3000);
        row("remove while recording", "record wait:1000 remove", S::Recording, -1);
        row("the finishing tick before Stop", "record wait:1000 tick", S::Recording, -1);
        row("pause, resume, stop",
            "record wait:1000 pauserec wait:2000 resumerec wait:1000 stop wait:1000 tick",
            S::Recorded, 3000);
        row("the limit stops by itself", "record wait:5500", S::AutoFinishing, -1);
        row("and finishes at the tick", "record wait:5500 tick", S::Recorded, 5500);
        row("listening to the end", "record wait:1000 stop wait:1000 tick play wait:2500",
            S::Recorded, 2000);
        row("remove after listening",
            "record wait:1000 stop wait:1000 tick play wait:500 pause remove", S::Empty, -1);
    }
    void steps() {
        QFETCH(QString, steps);
        QFETCH(int, packedMs);
        AppFixture app;
        app.sound->feed(flatSound(10000).samples);
        RecordingSession session(5000); // a limit of five seconds
        QSignalSpy failed(&session, &RecordingSession::failed);
        runSteps(app, session, steps);
        QTEST(session.state(), "state");
        QCOMPARE(session.hasRecording(), packedMs >= 0);
        if (packedMs >= 0) {
            // The device records on after the limit, until the tick.
            const WaveRead wave = readWaveFile(app.path("temp.wav"));
            QVERIFY(wave.sound);
            QVERIFY2(std::abs(int(wave.sound->durationMs()) - packedMs) <= 300,
                     qPrintable(QString::number(wave.sound->durationMs())));
        }
        QVERIFY(failed.isEmpty());
    }

    // Silence (below about -60 dBFS) for the first second and a half is said
    // until sound comes: the level of each second, and what is said after it.
    void silence_data() {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QString>("said");
        QTest::newRow("silence") << QList<int>{0, 0, 0, 0} << "-SSS";
        QTest::newRow("hiss below -60 dBFS") << QList<int>{20, 20, 20, 20} << "-SSS";
        QTest::newRow("a whisper above it") << QList<int>{40, 40, 40, 40} << "----";
        QTest::newRow("speech from the start") << QList<int>{8000, 0, 0, 0} << "----";
        QTest::newRow("speech after the silence") << QList<int>{0, 0, 8000, 0} << "-S--";
    }
    void silence() {
        QFETCH(QList<int>, levels);
        AppFixture app;
        for (int level : levels)
            app.sound->feed(tone(16000, 1000, level, 0));
        RecordingSession session;
        bool silent = false;
        connect(&session, &RecordingSession::silenceChanged, [&](bool s) { silent = s; });
        session.record();
        QString seen;
        for (int s = 0; s < levels.size(); ++s) {
            app.sound->advance(std::chrono::milliseconds(1000));
            seen += silent ? u'S' : u'-';
        }
        QTEST(seen, "said");
        session.pauseRecording(); // still silent while paused, not after the stop
        session.stop();
        QVERIFY(!silent);
    }

    // A run killed while recording or before Save leaves a recording the next
    // session offers, even after a slot was played meanwhile; a slot's wave
    // that a playback left is none. Adopted, it stores; discarded, it goes.
    void interrupted_data() {
        QTest::addColumn<QString>("steps");   // empty: a playback wrote temp.wav
        QTest::addColumn<bool>("slotPlayed"); // after the kill
        QTest::addColumn<int>("keptMs");      // -1: nothing is offered
        QTest::addColumn<bool>("adopt");
        QTest::newRow("killed while recording") << "record wait:2500" << false << 2500 << true;
        QTest::newRow("killed while paused")
            << "record wait:1500 pauserec wait:1000" << false << 1500 << true;
        QTest::newRow("a slot played after the kill") << "record wait:2000" << true << 2000 << true;
        QTest::newRow("killed before Save")
            << "record wait:1000 stop wait:1000 tick" << false << 2000 << true;
        QTest::newRow("discarded") << "record wait:2500" << false << 2500 << false;
        QTest::newRow("a played slot's wave") << "" << false << -1 << false;
    }
    void interrupted() {
        QFETCH(QString, steps);
        QFETCH(bool, slotPlayed);
        QFETCH(int, keptMs);
        QFETCH(bool, adopt);
        AppFixture app(QDate(2005, 3, 10));
        app.sound->feed(flatSound(10000).samples);
        QByteArray wave, archive; // the scratch files as a kill leaves them
        {
            RecordingSession killed;
            runSteps(app, killed, steps);
            QVERIFY(!steps.isEmpty() || writeWaveFile(app.path("temp.wav"), flatSound(1000)));
            wave = app.read("temp.wav");
            archive = app.read("temp.tbr");
        }
        QVERIFY(!slotPlayed || storeMessage(2005, {4, 20}, flatSound(300)));
        QVERIFY(app.write("temp.wav", wave));
        if (!archive.isEmpty())
            QVERIFY(app.write("temp.tbr", archive));
        QVERIFY(!slotPlayed || slotSound(2005, {4, 20}).durationMs() == 300);
        const auto when = RecordingSession::interrupted();
        QCOMPARE(when.has_value(), keptMs >= 0);
        if (!when)
            return;
        QVERIFY(when->isValid());
        RecordingSession session;
        if (!adopt) {
            session.discardInterrupted();
            QVERIFY(!app.exists("temp.wav") && !app.exists("temp.tbr"));
            QVERIFY(!RecordingSession::interrupted());
            return;
        }
        QVERIFY(session.adoptInterrupted());
        QCOMPARE(session.state(), RecordingState::Recorded);
        YearModel model;
        model.open(2005, {"08:00"});
        QVERIFY(session.store(model, {3, 10}, Marker::Vert));
        QCOMPARE(model.marker({3, 10}), Marker::Vert);
        QCOMPARE(slotSound(2005, {3, 10}).durationMs(), keptMs);
    }

    // A recording that cannot be written at the finishing step (a full disk)
    // is said and kept: Listen plays it, and Save writes it once there is room.
    void unwritableRecording() {
        AppFixture app(QDate(2005, 3, 10));
        app.sound->feed(flatSound(10000).samples);
        YearModel model;
        model.open(2005, {"08:00"});
        RecordingSession session;
        QSignalSpy failed(&session, &RecordingSession::failed);
        runSteps(app, session, "record wait:2000 stop");
        {
            const FileSizeLimit full(1000);
            QVERIFY(full.ok());
            app.sound->advance(std::chrono::milliseconds(1000));
            session.finishTick();
            QCOMPARE(failed.size(), 1);
            QCOMPARE(failed[0][0].toInt(), 240);
            QCOMPARE(session.state(), RecordingState::Recorded);
            QVERIFY(session.hasRecording());
            QVERIFY(!session.store(model, {3, 10}, Marker::Vert));
            QCOMPARE(model.marker({3, 10}), Marker::None);
        }
        session.play();
        QCOMPARE(session.state(), RecordingState::Playing);
        app.sound->advance(std::chrono::milliseconds(3500));
        QCOMPARE(session.state(), RecordingState::Recorded);
        QVERIFY(session.store(model, {3, 10}, Marker::Vert));
        QCOMPARE(slotSound(2005, {3, 10}).durationMs(), 3000);
        QCOMPARE(failed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecordingSession)
#include "tst_recordingsession.moc"
