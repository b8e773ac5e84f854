// SPDX-License-Identifier: GPL-3.0-or-later
// The recording window's input scope on the virtual sound device.
#include "RecordingBench.h"

#include "AudioBench.h"

#include "recording/ScopeView.h"
#include "recording/SoundMeter.h"

using namespace tembrel;
using namespace tembrel::test;

constexpr int Row = 4;
constexpr int Col = 52;

class TestScope : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One dot per sample across the whole width: silence is a flat line at half
    // height, 0 and 255 the bottom and top edges. No size: the window's scope.
    void drawing_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QSize>("size");
        QTest::newRow("silence") << "silence" << QSize(400, 81);
        QTest::newRow("extremes in turn") << "extremes" << QSize(400, 80);
        QTest::newRow("extremes, one column per sample") << "extremes" << QSize(3195, 40);
        QTest::newRow("extremes in the window") << "extremes" << QSize();
    }
    void drawing() {
        QFETCH(QString, pattern);
        QFETCH(QSize, size);
        std::array<quint8, ScopeBufferSize> samples;
        for (int i = 0; i < ScopeBufferSize; ++i)
            samples[i] = pattern == u"silence" ? 128 : i % 2 ? 255 : 0;

        RecordingBench bench;
        ScopeView alone;
        ScopeView *view = &alone;
        if (size.isValid()) {
            alone.resize(size);
            alone.drawSamples(samples);
        } else {
            QVERIFY(exposed(bench.click(Row, Col)));
            bench.window->DrawScope(samples.data());
            QCOMPARE(bench.window->scopeSamples(), samples);
            view = bench.window->scopeBox;
            QCOMPARE(view->grab().toImage().convertToFormat(QImage::Format_RGB32),
                     view->picture()); // what is drawn is what shows
        }
        const QImage &picture = view->picture();
        const int w = picture.width(), h = picture.height();
        QVERIFY(w > 100 && h > 20);
        const auto rows = litRows(picture);
        QVERIFY(rows);
        if (pattern == u"silence") {
            QCOMPARE(rows->size(), 1);
            QVERIFY2(std::abs(2 * rows->firstKey() - (h - 1)) <= 1,
                     qPrintable(QString::number(rows->firstKey())));
            QCOMPARE(rows->first(), w);
        } else if (w == ScopeBufferSize) {
            QCOMPARE(rows->keys(), QList<int>({0, h - 1}));
            for (int x = 0; x < w; ++x) {
                QCOMPARE(picture.pixel(x, 0) | ScopeBlack,
                         samples[x] == 255 ? ScopeDot : ScopeBlack);
                QCOMPARE(picture.pixel(x, h - 1) | ScopeBlack,
                         samples[x] == 0 ? ScopeDot : ScopeBlack);
            }
        } else { // the last column holds the last sample alone: a 0
            QCOMPARE(*rows, (LitRows{{0, w - 1}, {h - 1, w}}));
        }
        view->Cls();
        QVERIFY(litRows(view->picture()) == LitRows());
    }

    // Whatever rate the device delivers, 8000 one-byte samples come out a
    // second: the second block is full after 799 ms and not after 798. Each is
    // the 16-bit sample's high byte plus 128.
    void conversion_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("amplitude"); // a tone is allowed 2 steps of rounding
        QTest::newRow("8 kHz as asked, silence") << 8000 << 0 << 0;
        QTest::newRow("16 kHz, the lowest sample") << 16000 << -32768 << 0;
        QTest::newRow("44.1 kHz, the highest sample") << 44100 << 32767 << 0;
        QTest::newRow("6 kHz, one step below silence") << 6000 << -256 << 0;
        QTest::newRow("16 kHz, a tone") << 16000 << 0 << 8000;
    }
    void conversion() {
        QFETCH(int, rate);
        QFETCH(int, level);
        QFETCH(int, amplitude);
        const int tolerance = amplitude ? 2 : 0;
        AppFixture app;
        app.sound->setInputRate(rate);
        app.sound->feed(tone(rate, 1000, level, amplitude));
        SoundMeter meter(app.sound);
        QVERIFY(meter.StartInput() && meter.InputRunning());
        const quint8 *block = nullptr;
        app.sound->advance(std::chrono::milliseconds(798));
        QVERIFY(meter.TakeSamples(block));
        QVERIFY(!meter.TakeSamples(block)); // the first block, once
        app.sound->advance(std::chrono::milliseconds(1));
        block = nullptr;
        QVERIFY(meter.TakeSamples(block) && block);
        for (int j = 0; j < ScopeBufferSize; ++j) {
            // The middle of the device's samples that fell in this one's period.
            const double t = (ScopeBufferSize + j + 0.5) / ScopeRate - 0.5 / rate;
            const double v = level + amplitude * std::sin(2 * M_PI * 440 * t);
            const int expected = int(std::floor(std::clamp(v, -32768.0, 32767.0) / 256)) + 128;
            QVERIFY2(std::abs(block[j] - expected) <= tolerance, qPrintable(QString::number(j)));
        }
        meter.StopInput();
        QVERIFY(!meter.InputRunning() && !meter.TakeSamples(block));
        QCOMPARE(app.sound->openCaptures(), 0);
        QVERIFY(app.messageBox->shown.isEmpty());
    }

    // The scope runs from Record and Resume to Pause and the finishing step,
    // only with "Scope" ticked, and never disturbs the recording. The trace
    // has R (scope running) or - after each handler.
    void startAndStop_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<int>("captures");   // the recording's and the scope's
        QTest::addColumn<int>("recordedMs"); // -1: nothing saved
        QTest::addColumn<QList<int>>("messages");
        QTest::addColumn<int>("streams"); // the most the input runs at once
        const auto row = [](const char *name, const char *steps, const char *trace, int captures,
                            int recordedMs, QList<int> messages = {}, int streams = 9) {
            QTest::newRow(name) << QString(steps) << QString(trace) << captures << recordedMs
                                << messages << streams;
        };
        row("Record, Pause, Resume, Stop",
            "scope record wait:1000 pauserec wait:500 resumerec wait:1000 stop wait:1000 tick",
            "R-RR-", 3, 3000);
        row("Record, Pause, Stop", "scope record wait:1000 pauserec wait:500 stop wait:1000 tick",
            "R---", 2, 1000);
        row("Record, Stop", "scope record wait:2000 stop wait:1000 tick", "RR-", 2, 3000);
        row("not ticked", "record wait:1000 pauserec resumerec wait:1000 stop wait:1000 tick",
            "-----", 1, 3000);
        row("ticked while paused",
            "record wait:1000 pauserec scope resumerec wait:1000 stop wait:1000 tick", "--RR-", 2,
            3000);
        row("closed while the scope runs: asked first", "scope record wait:500 close", "R-", 2, -1,
            {233});
        row("no input: the recording's message alone", "scope no-input record wait:2000", "-", 0,
            -1, {185});
        row("the input gone during a pause",
            "scope record wait:500 pauserec no-input resumerec wait:500 stop wait:1000 tick",
            "R----", 2, 2000, {205});
        row("an input that takes one stream: the recording has it",
            "scope record wait:1000 stop wait:1000 tick", "---", 1, 2000, {206}, 1);
    }
    void startAndStop() {
        QFETCH(QString, steps);
        QFETCH(int, recordedMs);
        QFETCH(QList<int>, messages);
        QFETCH(int, streams);
        RecordingBench bench;
        bench.app.sound->setCaptureLimit(streams);
        FrmEnregMessage *w = bench.click(Row, Col);
        QVERIFY(w);
        const QByteArray heard = tone(16000, 5000, 0, 8000);
        bench.app.sound->feed(heard);
        QString seen;
        bench.runSteps(steps, [&] {
            const bool running = w->meter().InputRunning();
            seen += running ? u'R' : u'-';
            QCOMPARE(w->Timer1->isActive(), running);
            if (!running)
                QVERIFY(litRows(w->scopeBox->picture()) == LitRows());
        });
        QTEST(seen, "trace");
        QTEST(bench.app.sound->capturesMade(), "captures");
        QCOMPARE(bench.app.sound->openCaptures(), 0);
        QStringList expected;
        for (int id : messages)
            expected << LoadResString(id);
        QCOMPARE(bench.app.messageBox->texts(), expected);
        if (recordedMs >= 0) {
            const WaveRead wave = readWaveFile(bench.app.path("temp.wav"));
            QVERIFY(wave.sound);
            QCOMPARE(wave.sound->samples, heard.left(recordedMs * 16 * 2));
        }
    }

    // A tick takes the newest full block, or draws the old samples again when
    // none has come; either way it returns at once.
    void ticks() {
        RecordingBench bench;
        FrmEnregMessage *w = bench.click(Row, Col);
        QVERIFY(exposed(w));
        w->CheckDiagramme->setChecked(true);
        bench.speak(3000);
        w->CmdRecord_Click();
        w->Timer1_Timer(); // nothing heard yet: silence, not the last run
        QVERIFY(std::all_of(w->scopeSamples().begin(), w->scopeSamples().end(),
                            [](quint8 s) { return s == ScopeSilence; }));
        bench.advance(1000); // two blocks
        w->Timer1_Timer();
        const auto first = w->scopeSamples();
        const auto [low, high] = std::minmax_element(first.begin(), first.end());
        QVERIFY2(*high - *low > 50, qPrintable(QStringLiteral("%1..%2").arg(*low).arg(*high)));
        const QImage drawn = w->scopeBox->picture().copy();
        const auto rows = litRows(drawn);
        QVERIFY(rows); // a tone passes every level between its extremes: a dot in each row
        QVERIFY(rows->size() >= (*high - *low) * (drawn.height() - 1) / 255 - 1);

        w->Timer1_Timer(); // no new block
        QCOMPARE(w->scopeSamples(), first);
        QCOMPARE(w->scopeBox->picture(), drawn);

        bench.advance(300); // the third block
        w->Timer1_Timer();
        QVERIFY(w->scopeSamples() != first);
        QVERIFY(w->scopeBox->picture() != drawn);
    }
};

QTEST_MAIN(TestScope)
#include "tst_scope.moc"
