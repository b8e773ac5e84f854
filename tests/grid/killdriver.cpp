// SPDX-License-Identifier: GPL-3.0-or-later
// The kill test's victim: stores and unpacks messages in 2005 for ever, the way
// the program does, saying on standard output what it starts and ends so the
// test knows what a SIGKILL cut short. Usage: tembrel_killdriver <folder> <seed>

#include "../support/MessageSupport.h"
#include "core/Shared.h"
#include "grid/MessageStore.h"
#include "grid/YearGrid.h"
#include "grid/YearModel.h"
#include "timerows/HoursFile.h"

#include <QCoreApplication>

#include <cstdio>
#include <random>

using namespace tembrel;

namespace {

constexpr int Year = 2005;

void say(const char *format, int a = 0, int b = 0) {
    std::printf(format, a, b);
    std::fflush(stdout);
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
        // Each round opens the year as the grid window does after a restart.
        YearModel model;
        if (model.open(Year, readHours(hoursFilePath())).file == YearContent::State::Damaged)
            return 3; // a damaged year file: the test sees it on restart
        QList<Slot> empty;
        for (int c = 1; c < model.cols(); ++c)
            for (int r = GridFixedRows; r < model.rows(); ++r)
                if (model.text(r, c).isEmpty())
                    empty.append(Slot{r, c});
        QList<Slot> marked = model.markedSlots();
        if (!empty.isEmpty()) {
            const Slot slot =
                empty[std::uniform_int_distribution<qsizetype>(0, empty.size() - 1)(gen)];
            say("store %d %d\n", slot.row, slot.col);
            // A message of its own, a tenth of a second, packed and stored as
            // the recording window does.
            if (!test::packMessage(test::flatSound(100, char(n))) ||
                !storeSlotArchive(scratchArchivePath(), Year, slot.row, slot.col).ok)
                return 4;
            model.setMarker(slot, Marker::Noir);
            if (!model.save())
                return 5;
            say("stored\n");
            marked.append(slot);
        }
        const Slot slot =
            marked[std::uniform_int_distribution<qsizetype>(0, marked.size() - 1)(gen)];
        say("extract %d %d\n", slot.row, slot.col);
        if (!extractSlotArchive(Year, slot.row, slot.col).ok)
            return 6;
        say("extracted\n");
    }
}
