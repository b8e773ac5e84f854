// SPDX-License-Identifier: GPL-3.0-or-later
// Times the year grid window with the largest realistic year, 2005 with 97
// time rows (100 x 366 cells): opening it (build, load, show and first
// paint) empty and fully recorded (a marker and an archive in every one of its
// 35 405 slots) and until its archives are reconciled, rebuilding it for a
// year change, and saving it.

#include "core/Platform.h"
#include "core/Shared.h"
#include "core/TextRecords.h"
#include "grid/FlexGrid.h"
#include "grid/FrmConsultGrille.h"
#include "grid/MessageStore.h"
#include "grid/YearFile.h"
#include "grid/YearModel.h"
#include "timerows/HoursFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace tembrel;

namespace {

constexpr int Year = 2005;

struct FixedClock final : ClockService {
    QDateTime now() const override { return QDateTime(QDate(Year, 3, 10), QTime(9, 0)); }
};

constexpr int TimeRows = 97;
constexpr int Rows = TimeRows + 3;
constexpr int Cols = 366;
constexpr int Runs = 15;

// The time rows, and nothing recorded yet.
void prepareEmpty(const QString &folder) {
    QList<Record> hours;
    for (int i = 0; i < TimeRows; ++i)
        hours.append({QStringLiteral("%1:%2")
                          .arg(i / 4, 2, 10, QLatin1Char('0'))
                          .arg((i % 4) * 15, 2, 10, QLatin1Char('0'))});
    writeRecords(folder + QStringLiteral("hours.dat"), hours);
    writeFileSafely(folder + QStringLiteral("JFValid.ini"), "1,1,1,1,1,1,1,1,1,1,1,1,1\r\n");
}

// A fully recorded year: labels, headings, a marker in every slot and its
// archive in D2005.
void prepareFull(const QString &folder) {
    const char *codes[] = {",", "-", ":", "..", "."};
    YearFileWriter writer(qint64(Rows) * Cols);
    const QDate first(Year, 1, 1);
    const QStringList hours = readHours(folder + QStringLiteral("hours.dat"));
    for (int c = 0; c < Cols; ++c) {
        const QDate d = first.addDays(c - 1);
        for (int r = 0; r < Rows; ++r) {
            QString text;
            if (c == 0 && r >= 3)
                text = hours.value(r - 3);
            else if (c > 0 && r == 0)
                text = QLocale().standaloneMonthName(d.month()).toUpper();
            else if (c > 0 && r == 1)
                text = QLocale().standaloneDayName(d.dayOfWeek());
            else if (c > 0 && r == 2)
                text = QString::number(d.day());
            else if (c > 0 && r >= 3)
                text = QString::fromLatin1(codes[(r * 7 + c) % 5]);
            writer.append(text);
        }
    }
    writer.commit(folder + yearFileName(Year));
    // Every archive holds the same small message: what is timed is the
    // listing of the folder, not the bytes.
    QDir().mkpath(folder + slotFolderName(Year));
    for (int c = 1; c < Cols; ++c)
        for (int r = 3; r < Rows; ++r) {
            QFile f(slotArchivePath(Year, r, c));
            if (f.open(QIODevice::WriteOnly))
                f.write("PK\5\6 not read when opening the grid");
        }
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
    prepareEmpty(AppFolder);

    // Opening: build, load, show, first paint, with the file read; then the
    // archives listed on the worker thread reconciled.
    auto timeOpenings = [](std::vector<double> &out, std::vector<double> &settled,
                           const QString &marker) {
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer t;
            t.start();
            auto w = std::make_unique<FrmConsultGrille>();
            w->show();
            w->repaint(); // the first paint, grid included
            out.push_back(ms(t));
            w->model().settleArchives();
            settled.push_back(ms(t));
            FlexGrid *g = w->GridLegendes;
            g->setRow(5);
            g->setCol(5);
            if (g->Rows() != Rows || g->Cols() != Cols || g->Text() != marker ||
                g->CellPicture().isNull() == !marker.isEmpty()) {
                std::fprintf(stderr, "unexpected grid of %d x %d\n", g->Rows(), g->Cols());
                return false;
            }
            w->close();
            QCoreApplication::processEvents();
        }
        return true;
    };
    std::vector<double> openEmpty, open, settledEmpty, settled, rebuild, save;
    if (!timeOpenings(openEmpty, settledEmpty, QString()))
        return 1;
    prepareFull(AppFolder);
    if (!timeOpenings(open, settled, QStringLiteral(",")))
        return 1;
    std::vector<double> listing, model;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer t;
        t.start();
        const qsizetype listed = archivedSlots(Year).size();
        listing.push_back(ms(t));
        t.restart();
        YearModel m;
        m.open(Year, readHours(hoursFilePath()));
        model.push_back(ms(t));
        if (listed != (Rows - 3) * (Cols - 1) || m.markedSlots().size() != listed) {
            std::fprintf(stderr, "the archives or markers were misread\n");
            return 1;
        }
    }
    for (int run = 0; run < Runs; ++run) {
        auto w = std::make_unique<FrmConsultGrille>();
        w->show();
        QElapsedTimer t;
        t.start();
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
    std::printf("Year grid of %d: %d rows x %d columns (%d cells), %d runs\n", Year, Rows, Cols,
                Rows * Cols, Runs);
    print("open an empty year", stats(openEmpty));
    print("open a fully recorded year", stats(open));
    std::printf("fully recorded / empty (medians): %.2fx\n",
                stats(open).median / stats(openEmpty).median);
    print("open an empty year, archives reconciled", stats(settledEmpty));
    print("open a full one, archives reconciled", stats(settled));
    print("  of which: list D2005", stats(listing));
    print("  of which: open the model (file and archives)", stats(model));
    print("rebuild and reload (year change)", stats(rebuild));
    print("save (write the whole year file)", stats(save));

    // The largest year file there can be (1440 time rows, a leap year), whole
    // and then cut short by one byte: checking it, and recovering from it by
    // trying every row count.
    const int bigRows = 3 + 1440;
    const int bigCols = 367; // 2004, a leap year
    QByteArray big;
    big.reserve(qint64(bigRows) * bigCols * YearRecordSize);
    for (int c = 0; c < bigCols; ++c)
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
    std::printf("Largest year file: %d rows x %d columns, %.1f MB\n", bigRows, bigCols,
                double(big.size()) / 1e6);
    print("check a whole one", stats(whole));
    print("recover one cut short by a byte", stats(damaged));
    return 0;
}
