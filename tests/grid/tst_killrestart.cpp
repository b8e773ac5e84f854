// SPDX-License-Identifier: GPL-3.0-or-later
// Kill -9 at random moments while tembrel_killdriver stores and unpacks, then
// the real grid window: every slot is marked with a playable archive or empty,
// the year file loads whole, and the next write leaves no temporary file.

#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/MessageStore.h"
#include "grid/YearFile.h"
#include "grid/YearGrid.h"
#include "sound/WaveFile.h"

#include "AppFixture.h"
#include "MessageSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <chrono>
#include <numeric>
#include <thread>

using namespace tembrel;
using tembrel::test::AppFixture;

namespace {

const QString Driver = QStringLiteral(TEMBREL_BINARY_DIR "/test-bin/tembrel_killdriver");
constexpr int Kills = 100;

// Everything in the application folder and D2005 that is none of the
// program's own files: what a killed write left behind.
QStringList strayFiles(const AppFixture &app) {
    static const QSet<QString> own{"hours.dat", "_2005.dte", "temp.wav", "temp.tbr", "message.tbr"};
    static const QRegularExpression archive(QStringLiteral("^W2005\\d{6}\\.tbr$"));
    QStringList stray;
    for (const QString &name : QDir(app.path({})).entryList(QDir::Files | QDir::Hidden))
        if (!own.contains(name))
            stray << name;
    for (const QString &name : QDir(app.path("D2005")).entryList(QDir::Files | QDir::Hidden))
        if (!archive.match(name).hasMatch())
            stray << QStringLiteral("D2005/") + name;
    return stray;
}

} // namespace

class TestKillRestart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedAtRandomMoments() {
        AppFixture app(QDate(2005, 3, 10));
        QVERIFY(app.writeHours({"08:00", "09:00", "10:00", "11:00", "12:00"}));
        // The test's own message: a tenth of a second, as the driver's.
        const QString message = app.path("message.tbr");
        QVERIFY(test::packMessage(test::flatSound(100)) &&
                QFile::rename(scratchArchivePath(), message));
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        QMap<QString, int> killedDuring;
        QHash<QByteArray, QList<qint64>> took; // microseconds each step was seen to take
        int restored = 0;
        QElapsedTimer clock;
        clock.start();
        for (int kill = 0; kill < Kills; ++kill) {
            QProcess driver;
            driver.start(Driver, {QDir::toNativeSeparators(app.path({})), QString::number(kill)});
            // Every other kill aims at storing, the others at unpacking, and
            // lands within the time that step has been seen to take here (a
            // sanitizer build is much slower).
            const QByteArray aim = kill % 2 ? "extract" : "store";
            const int skip = int(random.bounded(3));
            int started = 0;
            QByteArray lastLine;
            QElapsedTimer since;
            since.start();
            bool aimed = false;
            while (!aimed && driver.waitForReadyRead(10000)) {
                while (driver.canReadLine() && !aimed) {
                    lastLine = driver.readLine().trimmed();
                    const QByteArray word = lastLine.split(' ').first();
                    if (word == "stored" || word == "extracted")
                        took[word.startsWith("store") ? "store" : "extract"].append(
                            since.nsecsElapsed() / 1000);
                    since.restart();
                    aimed = word == aim && started++ == skip;
                }
            }
            QVERIFY2(aimed, qPrintable(driver.errorString()));
            const QList<qint64> &seen = took[aim];
            const qint64 span = seen.isEmpty()
                                    ? 2000
                                    : std::accumulate(seen.begin(), seen.end(), 0ll) / seen.size();
            std::this_thread::sleep_for(
                std::chrono::microseconds(random.bounded(std::max<qint64>(1, span))));
            driver.kill();
            QVERIFY(driver.waitForFinished(10000));
            QCOMPARE(driver.exitStatus(), QProcess::CrashExit); // killed, not failed
            const QByteArray rest = driver.readAllStandardOutput().trimmed();
            if (!rest.isEmpty())
                lastLine = rest.split('\n').last();
            const QByteArray last = lastLine.split(' ').first();
            killedDuring[QString::fromLatin1(last == "store" || last == "extract" ? last
                                                                                  : "between")]++;

            const QList<Slot> archived = archivedSlots(2005);
            const YearContent before = loadYearContent(app.path(yearFileName(2005)), 2005);
            for (const Slot &slot : archived)
                if (before.text(slot.row, slot.col) != u",") {
                    ++restored; // stored, but killed before the year file said so
                    break;
                }
            FrmConsultGrille grid; // the restart
            grid.model().settleArchives();
            FlexGrid *g = grid.GridLegendes;
            const YearContent saved = loadYearContent(app.path(yearFileName(2005)), 2005);
            QVERIFY2(saved.state != YearContent::State::Damaged, qPrintable(saved.damage));
            QVERIFY(QDir(app.path({})).entryList({"*.damaged-*"}).isEmpty());
            for (int c = 1; c < g->Cols(); ++c) {
                for (int r = GridFixedRows; r < g->Rows(); ++r) {
                    const QString text = g->TextMatrix(r, c);
                    const bool hasArchive = archived.contains(Slot{r, c});
                    QVERIFY2(text.isEmpty() || text == u",", qPrintable(text));
                    QCOMPARE(!text.isEmpty(), hasArchive);
                    if (!hasArchive)
                        continue;
                    QVERIFY2(saved.text(r, c) == u",", "a restored marker was not saved");
                    const SlotResult played = extractSlotArchive(2005, r, c);
                    QVERIFY2(played.ok, qPrintable(played.error));
                    const WaveRead wave = readWaveFile(scratchWavePath());
                    QVERIFY2(wave.sound && wave.sound->frames() == 1600, qPrintable(wave.error));
                }
            }
            // The next writes into both folders: the extractions above, and a
            // message stored as the user stores one, in a slot of its own.
            QVERIFY(storeSlotArchive(message, 2005, 3, 365).ok);
            g->setTextMatrix(3, 365, QStringLiteral(","));
            QVERIFY(grid.EnregistrerGrille());
            const QStringList stray = strayFiles(app);
            QVERIFY2(stray.isEmpty(), qPrintable(stray.join(u' ')));
        }
        const QStringList marked = QDir(app.path("D2005")).entryList(QDir::Files);
        qInfo("%d kills in %lld ms: %d while storing, %d while unpacking, %d between; "
              "%d restarts gave a lost marker back; %lld messages stored",
              Kills, qint64(clock.elapsed()), killedDuring.value("store"),
              killedDuring.value("extract"), killedDuring.value("between"), restored,
              qint64(marked.size()));
        QVERIFY(killedDuring.value("store") > 0 && killedDuring.value("extract") > 0);
    }
};

QTEST_MAIN(TestKillRestart)
#include "tst_killrestart.moc"
