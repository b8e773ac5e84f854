// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Help and information: the help viewer (FrmHlp) shows Tembrel.rtf, read by
// the small rich text reader below into a QTextDocument, and prints it; the
// about window (FrmAbout) shows the program's name, version and addresses.
//
// The reader is one pass over the bytes: a tokenizer, a stack of group states
// (character, paragraph and destination properties, copied at "{" and dropped
// at "}") and a QTextCursor that receives runs of text with their format.
// What it does not know it passes over: unknown control words are ignored,
// unknown "\*" destinations, pictures, field instructions, headers and the
// document's tables of styles, lists and information are skipped, and tables
// degrade to their cell texts. Any input, truncated or random, is read to its
// end in linear time without failing.

#include <QByteArray>

class QTextDocument;

namespace tembrel {

struct RtfReadResult {
    // The input began with "{\rtf"; anything else was read as plain text.
    bool isRtf = false;
    // Every group was closed before the end of the input.
    bool complete = false;
};

// Replaces the content of document with the rich text in rtf.
RtfReadResult readRtf(const QByteArray &rtf, QTextDocument &document);

} // namespace tembrel
