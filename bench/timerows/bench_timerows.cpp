// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the time rows: reading and writing hours.dat, and opening and
// closing the window, for the largest realistic list (97 rows) and for a
// hand-made 10 000-row file.

#include "core/Shared.h"
#include "timerows/FrmEmp.h"
#include "timerows/Generators.h"
#include "timerows/HoursFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace tembrel;

namespace {

// Median of several runs, in milliseconds.
double measure(int runs, const std::function<void()> &work) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setAppFolder(dir.path());

    QStringList day = *timeSteps(quarterHourTimes(), "08", "00", "08", "00", 1, QString());
    QStringList big;
    for (int i = 0; i < 10000; ++i)
        big.append(QStringLiteral("Row %1").arg(i));

    for (const auto &[name, labels] : {std::pair{"97 rows", day}, std::pair{"10 000 rows", big}}) {
        const double write = measure(21, [&] { writeHours(hoursFilePath(), labels); });
        const double read = measure(21, [&] { readHours(hoursFilePath()); });
        const double window = measure(5, [&] {
            FrmEmp w;
            w.show();
            w.close();
        });
        std::printf("%-12s write hours.dat %8.3f ms   read %8.3f ms   open+close window %8.3f ms\n",
                    name, write, read, window);
    }
    return 0;
}
