// SPDX-License-Identifier: GPL-3.0-or-later
// Times the list of messages over a fully recorded year: 2005 with 97 time
// rows and a one-second message in each of its 35 405 slots. Until the list
// shows its rows (model, view, first paint), until every length is read from
// the archives, and the longest the event loop waited meanwhile.

#include "core/Shared.h"
#include "core/TextRecords.h"
#include "grid/MessageStore.h"
#include "grid/MessagesPanel.h"
#include "grid/YearFile.h"
#include "grid/YearModel.h"
#include "sound/WaveFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tembrel;

namespace {

constexpr int Year = 2005;
constexpr int TimeRows = 97;
constexpr int Rows = TimeRows + 3;
constexpr int Cols = 366;
constexpr int Runs = 5;

QStringList labels() {
    QStringList out;
    for (int i = 0; i < TimeRows; ++i)
        out << QStringLiteral("%1:%2")
                   .arg(i / 4, 2, 10, QLatin1Char('0'))
                   .arg((i % 4) * 15, 2, 10, QLatin1Char('0'));
    return out;
}

// One real archive of a second of sound, copied into every slot, every slot
// marked in the year file.
bool prepareFull() {
    PcmSound second;
    second.samples = QByteArray(16000 * 2, '\x10');
    if (!writeWaveFile(scratchWavePath(), second) || !packScratchWave().ok)
        return false;
    QFile packed(scratchArchivePath());
    if (!packed.open(QIODevice::ReadOnly))
        return false;
    const QByteArray archive = packed.readAll();
    QDir().mkpath(appFile(slotFolderName(Year)));
    YearModel model;
    model.open(Year, labels());
    const char *codes[] = {",", "-", ":", "..", "."};
    for (int c = 1; c < Cols; ++c)
        for (int r = 3; r < Rows; ++r) {
            QFile f(slotArchivePath(Year, r, c));
            if (!f.open(QIODevice::WriteOnly) || f.write(archive) != archive.size())
                return false;
            model.setMarker({r, c}, markerForCode(QString::fromLatin1(codes[(r + c) % 5])));
        }
    return model.save();
}

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

void print(const char *what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-46s min %8.2f ms   median %8.2f ms   max %8.2f ms\n", what, v.front(),
                v[v.size() / 2], v.back());
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setAppFolder(dir.path());
    if (!prepareFull()) {
        std::fprintf(stderr, "the year could not be prepared\n");
        return 1;
    }
    YearModel year;
    year.open(Year, labels());
    std::vector<double> rowsShown, lengthsKnown, longestWait, modelRows, sorted;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        {
            MessagesModel model(year);
            modelRows.push_back(ms(t.nsecsElapsed()));
            t.restart();
            MessagesFilter filter;
            filter.setSourceModel(&model);
            filter.sort(MessagesModel::DateColumn);
            sorted.push_back(ms(t.nsecsElapsed()));
        }
        t.start();
        MessagesPanel panel(year, nullptr);
        panel.resize(500, 700);
        panel.show();
        panel.repaint();
        rowsShown.push_back(ms(t.nsecsElapsed()));
        // The loop goes on while lengths arrive: a 5 ms tick measures how
        // long it was kept waiting at worst.
        QElapsedTimer tick;
        tick.start();
        qint64 worst = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            worst = std::max(worst, tick.nsecsElapsed());
            tick.restart();
        });
        ticker.start(5);
        QEventLoop loop;
        QObject::connect(&panel.messages(), &MessagesModel::lengthsDone, &loop, &QEventLoop::quit);
        if (!panel.messages().lengthsKnown())
            loop.exec();
        lengthsKnown.push_back(ms(t.nsecsElapsed()));
        longestWait.push_back(ms(worst));
        const QAbstractItemModel *shown = panel.ListMessages->model();
        if (shown->rowCount() != TimeRows * (Cols - 1) ||
            shown->index(0, MessagesModel::LengthColumn).data().toString() !=
                QStringLiteral("1.0")) {
            std::fprintf(stderr, "the list was misread: %d rows\n", shown->rowCount());
            return 1;
        }
    }
    std::printf("List of messages of %d: %d messages, %d runs\n", Year, TimeRows * (Cols - 1),
                Runs);
    print("rows shown (model, view, first paint)", rowsShown);
    print("  of which: the model's rows", modelRows);
    print("  of which: sorted by date", sorted);
    print("every length known", lengthsKnown);
    print("longest wait of the event loop meanwhile", longestWait);
    return 0;
}
