// SPDX-License-Identifier: GPL-3.0-or-later
// Times the year grid window with the largest realistic year, 2004 with 97
// time rows (100 x 367 cells) and a full year file: opening it (build, load,
// show and first paint), rebuilding it for a year change, and saving it.

#include "core/Platform.h"
#include "core/Shared.h"
#include "core/TextRecords.h"
#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/YearFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace tembrel;

namespace {

struct FixedClock final : ClockService {
    QDateTime now() const override { return QDateTime(QDate(2004, 3, 10), QTime(9, 0)); }
};

constexpr int TimeRows = 97;
constexpr int Rows = TimeRows + 3;
constexpr int Cols = 367;
constexpr int Runs = 15;

void prepare(const QString &folder) {
    QList<Record> hours;
    for (int i = 0; i < TimeRows; ++i)
        hours.append({QStringLiteral("%1:%2")
                          .arg(i / 4, 2, 10, QLatin1Char('0'))
                          .arg((i % 4) * 15, 2, 10, QLatin1Char('0'))});
    writeRecords(folder + QStringLiteral("hours.dat"), hours);
    writeFileSafely(folder + QStringLiteral("JFValid.ini"), "1,1,1,1,1,1,1,1,1,1,1,1,1\r\n");
    // A full year: labels, headings and one slot in five holding a marker.
    const char *codes[] = {",", "-", ":", "..", "."};
    YearFileWriter writer(qint64(Rows) * Cols);
    const QDate first(2004, 1, 1);
    for (int c = 0; c < Cols; ++c) {
        const QDate d = first.addDays(c - 1);
        for (int r = 0; r < Rows; ++r) {
            QString text;
            if (c == 0 && r >= 3)
                text = std::get<QString>(hours[r - 3][0]);
            else if (c > 0 && r == 0)
                text = QLocale().standaloneMonthName(d.month()).toUpper();
            else if (c > 0 && r == 1)
                text = QLocale().standaloneDayName(d.dayOfWeek());
            else if (c > 0 && r == 2)
                text = QString::number(d.day());
            else if (c > 0 && (r + c) % 5 == 0)
                text = QString::fromLatin1(codes[(r * 7 + c) % 5]);
            writer.append(text);
        }
    }
    writer.commit(folder + yearFileName(2004));
}

struct Stats {
    double min;
    double median;
    double max;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

void print(const char *what, const Stats &s) {
    std::printf("%-44s min %7.2f ms   median %7.2f ms   max %7.2f ms\n", what, s.min, s.median,
                s.max);
}

double ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    setAppFolder(dir.path());
    Platform::instance().setClock(std::make_unique<FixedClock>());
    prepare(AppFolder);

    std::vector<double> open, rebuild, save;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        auto w = std::make_unique<FrmConsultGrille>();
        w->show();
        w->repaint(); // the first paint, grid included
        open.push_back(ms(t));
        if (w->GridLegendes->Rows() != Rows || w->GridLegendes->Cols() != Cols) {
            std::fprintf(stderr, "unexpected grid of %d x %d\n", w->GridLegendes->Rows(),
                         w->GridLegendes->Cols());
            return 1;
        }

        // The file was really loaded: a marker slot shows its picture.
        FlexGrid *g = w->GridLegendes;
        g->setRow(5);
        g->setCol(5);
        if (g->Text() != QStringLiteral(",") || g->CellPicture().isNull()) {
            std::fprintf(stderr, "the year file was not loaded\n");
            return 1;
        }

        t.restart();
        w->CmdValidDate_Click();
        w->repaint();
        rebuild.push_back(ms(t));

        t.restart();
        const bool ok = w->EnregistrerGrille();
        save.push_back(ms(t));
        if (!ok) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        w->close();
        QCoreApplication::processEvents();
    }
    std::printf("Year grid of 2004: %d rows x %d columns (%d cells), %d runs\n", Rows, Cols,
                Rows * Cols, Runs);
    print("open (build, load, show, first paint)", stats(open));
    print("rebuild and reload (year change)", stats(rebuild));
    print("save (write the whole year file)", stats(save));

    // The largest year file there can be (1440 time rows, a leap year), whole
    // and then cut short by one byte: checking it, and recovering from it by
    // trying every row count.
    const int bigRows = 3 + 1440;
    QByteArray big;
    big.reserve(qint64(bigRows) * Cols * YearRecordSize);
    for (int c = 0; c < Cols; ++c)
        for (int r = 0; r < bigRows; ++r)
            big += encodeYearRecord(c > 0 && r == 2
                                        ? QString::number(QDate(2004, 1, 1).addDays(c - 1).day())
                                        : QString());
    std::vector<double> whole, damaged;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        const bool ok = readYearContent(big, 2004).state == YearContent::State::Whole;
        whole.push_back(ms(t));
        t.restart();
        const YearContent cut = readYearContent(big.left(big.size() - 1), 2004);
        damaged.push_back(ms(t));
        if (!ok || cut.rows != bigRows) {
            std::fprintf(stderr, "the largest year file was misread\n");
            return 1;
        }
    }
    std::printf("Largest year file: %d rows x %d columns, %.1f MB\n", bigRows, Cols,
                double(big.size()) / 1e6);
    print("check a whole one", stats(whole));
    print("recover one cut short by a byte", stats(damaged));
    return 0;
}
