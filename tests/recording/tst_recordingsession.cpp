// SPDX-License-Identifier: GPL-3.0-or-later
// One recording without a window, on the virtual sound device: the steps its
// state allows, the limit it is given, the finishing step, and storing.
#include "recording/RecordingSession.h"

#include "AppFixture.h"
#include "MessageSupport.h"

#include "sound/MMControl.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tembrel;
using namespace tembrel::test;

Q_DECLARE_METATYPE(tembrel::RecordingState)

class TestRecordingSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Steps run in order (wait:<ms> moves the device's clock); a step whose
    // button the state disables does nothing. The state reached, and the
    // length of the packed recording (-1: none).
    void steps_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<RecordingState>("state");
        QTest::addColumn<int>("packedMs");
        QTest::newRow("play before a recording") << "play" << RecordingState::Empty << -1;
        QTest::newRow("record twice") << "record wait:1000 record wait:1000 stop wait:1000 tick"
                                      << RecordingState::Recorded << 3000;
        QTest::newRow("remove while recording")
            << "record wait:1000 remove" << RecordingState::Recording << -1;
        QTest::newRow("the finishing tick before Stop")
            << "record wait:1000 tick" << RecordingState::Recording << -1;
        QTest::newRow("pause, resume, stop") << "record wait:1000 pauserec wait:2000 resumerec "
                                                "wait:1000 stop wait:1000 tick"
                                             << RecordingState::Recorded << 3000;
        QTest::newRow("the limit stops by itself")
            << "record wait:5500" << RecordingState::AutoFinishing << -1;
        QTest::newRow("and finishes at the tick")
            << "record wait:5500 tick" << RecordingState::Recorded << 5500;
        QTest::newRow("listening to the end") << "record wait:1000 stop wait:1000 tick play "
                                                 "wait:2500"
                                              << RecordingState::Recorded << 2000;
        QTest::newRow("remove after listening")
            << "record wait:1000 stop wait:1000 tick play wait:500 pause remove"
            << RecordingState::Empty << -1;
    }
    void steps() {
        QFETCH(QString, steps);
        QFETCH(RecordingState, state);
        QFETCH(int, packedMs);
        AppFixture app;
        app.sound->feed(flatSound(10000).samples);
        RecordingSession session(5000); // a limit of five seconds
        QSignalSpy failed(&session, &RecordingSession::failed);
        const std::map<QString, void (RecordingSession::*)()> handlers{
            {"record", &RecordingSession::record},
            {"pauserec", &RecordingSession::pauseRecording},
            {"resumerec", &RecordingSession::resumeRecording},
            {"stop", &RecordingSession::stop},
            {"tick", &RecordingSession::finishTick},
            {"play", &RecordingSession::play},
            {"pause", &RecordingSession::pausePlayback},
            {"remove", &RecordingSession::remove}};
        for (const QString &step : steps.split(u' ')) {
            if (step.startsWith(u"wait:"))
                app.sound->advance(std::chrono::milliseconds(step.mid(5).toInt()));
            else
                (session.*handlers.at(step))();
        }
        QCOMPARE(session.state(), state);
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

    // A recording that hears only silence (below about -60 dBFS) for its
    // first second and a half says so while it goes on, and stops saying so
    // as soon as sound comes. The level of each second heard, and whether
    // silence is said after 1, 2, 3 and 4 seconds.
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
        QFETCH(QString, said);
        AppFixture app;
        for (int level : levels) {
            QByteArray second(16000 * 2, Qt::Uninitialized);
            auto *samples = reinterpret_cast<qint16 *>(second.data());
            std::fill(samples, samples + 16000, qint16(level));
            app.sound->feed(second);
        }
        RecordingSession session;
        bool silent = false;
        connect(&session, &RecordingSession::silenceChanged, [&](bool s) { silent = s; });
        session.record();
        QString seen;
        for (int s = 0; s < levels.size(); ++s) {
            app.sound->advance(std::chrono::milliseconds(1000));
            seen += silent ? u'S' : u'-';
        }
        QCOMPARE(seen, said);
        session.pauseRecording(); // still silent while paused, not after the stop
        session.stop();
        QVERIFY(!silent);
    }

    // Storing puts the archive in the slot before the slot is marked; a slot
    // that cannot take it is left unmarked, with the recording kept.
    void storing() {
        AppFixture app(QDate(2005, 3, 10));
        YearModel model;
        model.open(2005, {"08:00", "09:00"});
        QSignalSpy changed(&model, &YearModel::changed);
        RecordingSession session;
        QVERIFY(packMessage(flatSound(1000)));
        QVERIFY(app.write("D2005", "a file where the folder should be"));
        QVERIFY(!session.store(model, {3, 10}, Marker::Rouge));
        QVERIFY(changed.isEmpty() && model.marker({3, 10}) == Marker::None);
        QVERIFY(app.exists("temp.wav") && session.hasRecording());

        QVERIFY(QFile::remove(app.path("D2005")));
        const QByteArray archive = app.read("temp.tbr");
        QVERIFY(session.store(model, {3, 10}, Marker::Rouge));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.marker({3, 10}), Marker::Rouge);
        QCOMPARE(app.read("D2005/W2005003010.tbr"), archive);
        QVERIFY(!app.exists("temp.wav") && !session.hasRecording());
    }
};

QTEST_GUILESS_MAIN(TestRecordingSession)
#include "tst_recordingsession.moc"
