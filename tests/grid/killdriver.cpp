// SPDX-License-Identifier: GPL-3.0-or-later
// The kill test's victim: stores messages into fresh slots of 2005 and unpacks
// stored ones, for ever, the way the program does (wave, scratch archive, slot
// archive, marker, year file rewritten whole; unpacking into temp.wav). It
// says what it starts and ends on standard output, so that the test knows
// what a SIGKILL cut short. Usage: tembrel_killdriver <application folder> <seed>

#include "archive/ZipClass.h"
#include "core/Shared.h"
#include "grid/SlotArchives.h"
#include "grid/YearFile.h"
#include "grid/YearGrid.h"
#include "sound/WaveFile.h"
#include "timerows/HoursFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <cstdio>
#include <random>

using namespace tembrel;

namespace {

constexpr int Year = 2005;

void say(const char *format, int a = 0, int b = 0) {
    std::printf(format, a, b);
    std::fflush(stdout);
}

// The grid's texts: the year file's when there is one, else the headings and
// labels the grid window builds.
QList<QStringList> gridTexts() {
    const int cols = yearColumns(Year);
    const YearContent content = loadYearContent(appFile(yearFileName(Year)), Year);
    if (content.isDamaged())
        return {};
    const QStringList labels = readHours(hoursFilePath());
    const int rows = gridRows(content.rows, int(labels.size()));
    QList<QStringList> grid(cols, QStringList(rows));
    const QLocale locale;
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r)
            grid[c][r] = content.text(r, c);
        if (c == 0)
            for (int r = GridFixedRows; r < rows; ++r)
                if (content.state == YearContent::State::Missing)
                    grid[c][r] = labels.value(r - GridFixedRows);
        if (c >= 1) {
            const QDate d = dateOfColumn(Year, c);
            grid[c][0] = locale.standaloneMonthName(d.month()).toUpper();
            grid[c][1] = locale.standaloneDayName(d.dayOfWeek());
            grid[c][2] = QString::number(d.day());
        }
    }
    return grid;
}

bool saveGrid(const QList<QStringList> &grid) {
    YearFileWriter writer(qint64(grid.size()) * grid.first().size());
    for (const QStringList &column : grid)
        for (const QString &text : column)
            writer.append(text);
    return writer.commit(appFile(yearFileName(Year)));
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    setAppFolder(QString::fromLocal8Bit(argv[1]));
    std::mt19937 gen(unsigned(std::atoi(argv[2])));
    say("ready\n");
    for (int n = 0;; ++n) {
        QList<QStringList> grid = gridTexts();
        if (grid.isEmpty())
            return 3; // a damaged year file: the test sees it on restart
        const int rows = int(grid.first().size());
        QList<QPoint> empty, marked;
        for (int c = 1; c < grid.size(); ++c)
            for (int r = GridFixedRows; r < rows; ++r)
                (grid[c][r].isEmpty() ? empty : marked).append(QPoint(c, r));

        if (!empty.isEmpty()) {
            const QPoint slot =
                empty[std::uniform_int_distribution<qsizetype>(0, empty.size() - 1)(gen)];
            say("store %d %d\n", slot.y(), slot.x());
            // A message of its own: a tenth of a second of a tone.
            PcmSound sound;
            sound.samples.resize(1600 * 2);
            auto *samples = reinterpret_cast<qint16 *>(sound.samples.data());
            for (int i = 0; i < 1600; ++i)
                samples[i] = qint16((i * (n % 50 + 10)) % 20000 - 10000);
            ZipClass zip;
            if (!writeWaveFile(scratchWavePath(), sound) ||
                !zip.AddFile(QFile::encodeName(scratchWavePath()).toStdString()) ||
                !zip.WriteZip(QFile::encodeName(scratchArchivePath()).toStdString(), true) ||
                !storeSlotArchive(scratchArchivePath(), Year, slot.y(), slot.x()).ok)
                return 4;
            grid[slot.x()][slot.y()] = codeForMarker(Marker::Noir);
            if (!saveGrid(grid))
                return 5;
            say("stored\n");
            marked.append(slot);
        }
        const QPoint slot =
            marked[std::uniform_int_distribution<qsizetype>(0, marked.size() - 1)(gen)];
        say("extract %d %d\n", slot.y(), slot.x());
        if (!extractSlotArchive(Year, slot.y(), slot.x()).ok)
            return 6;
        say("extracted\n");
    }
}
