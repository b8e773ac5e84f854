// SPDX-License-Identifier: GPL-3.0-or-later
// Time to read rich text documents of growing size into a QTextDocument: the
// shipped guide, its body repeated, and the same size of deeply nested
// groups, and one paragraph whose format changes 40 000 times. The figures per
// megabyte should stay flat as the size grows.

#include "help/RtfReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>

using namespace tembrel;

namespace {

double readMs(const QByteArray &rtf, int &blocks) {
    QTextDocument doc;
    QElapsedTimer timer;
    timer.start();
    readRtf(rtf, doc);
    const double ms = timer.nsecsElapsed() / 1e6;
    blocks = doc.blockCount();
    return ms;
}

} // namespace

int main(int argc, char *argv[]) {
    // Fonts need a GUI application; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile f(QStringLiteral(TEMBREL_SOURCE_DIR "/resources/Tembrel.rtf"));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "resources/Tembrel.rtf not found\n");
        return 1;
    }
    const QByteArray guide = f.readAll();
    // The body of the guide: everything after the colour table.
    const qsizetype bodyStart = guide.indexOf("\\paperw");
    const QByteArray head = guide.left(bodyStart);
    const QByteArray body = guide.mid(bodyStart, guide.lastIndexOf('}') - bodyStart);

    int blocks = 0;
    std::printf("%-28s %10s %10s %10s %8s\n", "document", "bytes", "ms", "ms/MB", "blocks");
    const double shipped = readMs(guide, blocks);
    std::printf("%-28s %10lld %10.2f %10.2f %8d\n", "Tembrel.rtf", qlonglong(guide.size()), shipped,
                shipped / (guide.size() / 1e6), blocks);
    for (int copies : {10, 100, 400}) {
        QByteArray big = head;
        for (int i = 0; i < copies; ++i)
            big += body;
        big += '}';
        const double ms = readMs(big, blocks);
        std::printf("%-28s %10lld %10.2f %10.2f %8d\n",
                    qPrintable(QStringLiteral("guide body x%1").arg(copies)), qlonglong(big.size()),
                    ms, ms / (big.size() / 1e6), blocks);
    }
    for (int depth : {100000, 1000000}) {
        const QByteArray nested =
            "{\\rtf1 " + QByteArray(depth, '{') + "\\b x" + QByteArray(depth, '}') + "}";
        const double ms = readMs(nested, blocks);
        std::printf("%-28s %10lld %10.2f %10.2f %8d\n",
                    qPrintable(QStringLiteral("nested groups %1").arg(depth)),
                    qlonglong(nested.size()), ms, ms / (nested.size() / 1e6), blocks);
    }
    // Every run ends where the next format starts, all in one paragraph.
    QByteArray alternating = "{\\rtf1 ";
    for (int i = 0; i < 20000; ++i)
        alternating += "\\b x\\b0 y";
    alternating += "\\par}";
    const double ms = readMs(alternating, blocks);
    std::printf("%-28s %10lld %10.2f %10.2f %8d\n", "one paragraph, 40000 runs",
                qlonglong(alternating.size()), ms, ms / (alternating.size() / 1e6), blocks);
    return 0;
}
