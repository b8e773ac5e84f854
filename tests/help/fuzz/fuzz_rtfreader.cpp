// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the rich text reader. Beyond memory errors it stops
// when an input that is not rich text is taken for it.

#include "help/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tembrel;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // Text layout needs the fonts of a GUI application; none is shown.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument document;
    const RtfReadResult result = readRtf(bytes, document);
    if (result.isRtf && !bytes.startsWith("{\\rtf")) {
        std::fprintf(stderr, "fuzz_rtfreader: plain bytes taken for rich text\n");
        std::abort();
    }
    document.toPlainText();
    return 0;
}
