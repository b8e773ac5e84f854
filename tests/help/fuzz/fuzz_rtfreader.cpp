// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the rich text reader. Beyond memory errors it stops
// when an input is taken for rich text, or plain text, wrongly.

#include "../../support/FuzzFail.h"
#include "help/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
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
    // A byte order mark and blank lines may stand before the document, as
    // editors write them.
    QByteArrayView head(bytes);
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    while (!head.isEmpty() && QByteArrayView(" \r\n\t").contains(head.front()))
        head = head.sliced(1);
    if (result.isRtf != head.startsWith("{\\rtf"))
        fail("rich text told wrongly");
    // Every character shown comes from at least one byte (a paragraph of its
    // own at most adds one).
    if (document.blockCount() < 1 || document.toPlainText().size() > bytes.size() + 1)
        fail("more text than bytes");
    return 0;
}
