// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

using namespace tembrel;

namespace {

QByteArray rtf(const QByteArray &body) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman\\fcharset2 Symbol;}"
           "{\\f2\\fmodern Courier "
           "New;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
           "\n" +
           body + "}";
}

QString plain(const QByteArray &input) {
    QTextDocument doc;
    readRtf(input, doc);
    // Raw text keeps line separators and no-break spaces as they are.
    return doc.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// The format of the first character of the first occurrence of word.
QTextCharFormat formatOf(const QTextDocument &doc, const QString &word) {
    const QTextCursor found = doc.find(word);
    if (found.isNull())
        return {};
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QByteArray readData(const QString &name) {
    QFile f(QStringLiteral(TEMBREL_TEST_DATA "/help/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A heading: a paragraph of bold text larger than the body text.
QStringList boldHeadings(const QTextDocument &doc, qreal bodyPoints) {
    QStringList headings;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.text().trimmed().isEmpty())
            continue;
        bool bold = true;
        qreal size = 1e9;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (it.fragment().text().trimmed().isEmpty())
                continue;
            bold = bold && f.fontWeight() >= QFont::Bold;
            size = std::min(size, f.fontPointSize());
        }
        if (bold && size > bodyPoints)
            headings << b.text().trimmed();
    }
    return headings;
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Expected formats are written as "b i u <points> <colour>", each part
    // present only when set.
    void characterFormats_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("expected");
        const QByteArray nested = "{\\b {\\i {\\ul\\fs32 deep} mid} outer} tail";
        const auto row = [](const char *name, const QByteArray &body, const char *word,
                            const char *expected) {
            QTest::newRow(name) << body << QString::fromUtf8(word) << QString::fromUtf8(expected);
        };
        row("plain", "plain text", "plain", "12");
        row("bold run", "a \\b strong\\b0  weak", "strong", "b 12");
        row("after \\b0", "a \\b strong\\b0  weak", "weak", "12");
        row("italic group", "{\\i slanted} upright", "slanted", "i 12");
        row("group restores", "{\\i slanted} upright", "upright", "12");
        row("underline", "\\ul lined\\ulnone  bare", "lined", "u 12");
        row("ulnone", "\\ul lined\\ulnone  bare", "bare", "12");
        row("ul0", "\\ul lined\\ul0  bare", "bare", "12");
        row("font size", "\\fs40 big", "big", "20");
        row("odd half points", "\\fs21 small", "small", "10.5");
        row("colour", "\\cf1 red \\cf2 blue", "red", "12 #ff0000");
        row("second colour", "\\cf1 red \\cf2 blue", "blue", "12 #0000ff");
        row("auto colour", "\\cf1 red \\cf0 auto", "auto", "12");
        row("colour beyond table", "\\cf9 odd", "odd", "12");
        row("nested inner", nested, "deep", "b i u 16");
        row("nested middle", nested, "mid", "b i 12");
        row("nested outer", nested, "outer", "b 12");
        row("nested after", nested, "tail", "12");
        row("plain resets", "\\b\\i\\fs40\\cf1 x \\plain reset", "reset", "12");
    }
    void characterFormats() {
        QFETCH(QByteArray, body);
        QFETCH(QString, word);
        QTextDocument doc;
        const RtfReadResult r = readRtf(rtf(body), doc);
        QVERIFY(r.isRtf);
        QVERIFY(r.complete);
        QVERIFY2(!doc.find(word).isNull(), qPrintable(doc.toPlainText()));
        const QTextCharFormat f = formatOf(doc, word);
        QStringList parts;
        if (f.fontWeight() >= QFont::Bold)
            parts << QStringLiteral("b");
        if (f.fontItalic())
            parts << QStringLiteral("i");
        if (f.fontUnderline())
            parts << QStringLiteral("u");
        parts << QString::number(f.fontPointSize());
        if (f.hasProperty(QTextFormat::ForegroundBrush))
            parts << f.foreground().color().name();
        QTEST(parts.join(u' '), "expected");
    }

    void fontNames() {
        QTextDocument doc;
        readRtf(rtf("default {\\f2 mono} {\\f7 unknown} {\\f1\\'b7}"), doc);
        // Symbols mapped to Unicode are drawn in the default font.
        QCOMPARE(formatOf(doc, u"•"_qs).fontFamilies().toStringList(), QStringList{"Arial"});
        QCOMPARE(formatOf(doc, "default").fontFamilies().toStringList(), QStringList{"Arial"});
        QCOMPARE(formatOf(doc, "mono").fontFamilies().toStringList(), QStringList{"Courier New"});
        QCOMPARE(formatOf(doc, "unknown").fontFamilies().toStringList(), QStringList{});
        // A table without braces around its entries, as some writers make it.
        readRtf("{\\rtf1\\deff1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fmodern Courier;}"
                "x {\\f0 y}}",
                doc);
        QCOMPARE(formatOf(doc, "x").fontFamilies().toStringList(), QStringList{"Courier"});
        QCOMPARE(formatOf(doc, "y").fontFamilies().toStringList(), QStringList{"Helvetica"});
    }

    void text_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::newRow("par") << QByteArray("one\\par two\\par") << "one\ntwo";
        QTest::newRow("empty paragraph kept") << QByteArray("one\\par\\par two") << "one\n\ntwo";
        QTest::newRow("line") << QByteArray("one\\line two") << u"one\u2028two"_qs;
        QTest::newRow("tab") << QByteArray("a\\tab b") << "a\tb";
        QTest::newRow("source line ends ignored") << QByteArray("sp\r\nlit\nword") << "splitword";
        QTest::newRow("backslash newline is par") << QByteArray("one\\\ntwo") << "one\ntwo";
        QTest::newRow("delimiter space eaten") << QByteArray("\\b  x") << " x";
        QTest::newRow("hex cp1252") << QByteArray("caf\\'e9 \\'80 \\'93q\\'94") << u"café € “q”"_qs;
        QTest::newRow("hex upper case") << QByteArray("\\'C9t\\'C9") << u"ÉtÉ"_qs;
        QTest::newRow("unicode with fallback") << QByteArray("\\u8364?5") << u"€5"_qs;
        QTest::newRow("unicode negative") << QByteArray("\\u-4064?") << u"\uF020"_qs;
        QTest::newRow("unicode hex fallback") << QByteArray("\\u233\\'e9t\\'e9") << u"été"_qs;
        QTest::newRow("uc2 skips two") << QByteArray("\\uc2\\u8364??x") << u"€x"_qs;
        QTest::newRow("uc0 skips none") << QByteArray("\\uc0\\u8364 x") << u"€x"_qs;
        QTest::newRow("uc scoped to group") << QByteArray("{\\uc2\\u8364??}\\u8364?x") << u"€€x"_qs;
        QTest::newRow("fallback stops at group end") << QByteArray("{\\uc3\\u8364?}y") << u"€y"_qs;
        QTest::newRow("surrogate pair") << QByteArray("\\u-10179?\\u-8704?") << u"😀"_qs;
        QTest::newRow("lone surrogate") << QByteArray("{\\u-10179?}x") << u"\uFFFDx"_qs;
        QTest::newRow("escapes") << QByteArray("\\\\ \\{ \\}") << "\\ { }";
        QTest::newRow("special characters")
            << QByteArray("a\\~b\\emdash c\\endash d\\lquote e\\rquote \\ldblquote f\\rdblquote")
            << u"a\u00A0b—c–d‘e’“f”"_qs;
        QTest::newRow("bullet word") << QByteArray("\\bullet\\tab item") << u"•\titem"_qs;
        QTest::newRow("symbol bullet")
            << QByteArray("{\\pntext\\f1\\'b7\\tab}item") << u"•\titem"_qs;
        QTest::newRow("list text")
            << QByteArray("{\\listtext\\pard\\plain \\u8226\\'95\\tab}item") << u"•\titem"_qs;
        QTest::newRow("unknown destination")
            << QByteArray("a{\\*\\unknowndest secret {nested secret}}b") << "ab";
        QTest::newRow("unknown word kept text") << QByteArray("a\\frobnicate12 b") << "ab";
        QTest::newRow("picture") << QByteArray("a{\\pict\\pngblip 89504e47}b") << "ab";
        QTest::newRow("field result kept")
            << QByteArray("{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}") << "link";
        QTest::newRow("unstarred fldinst")
            << QByteArray("{\\field{\\fldinst PAGE}{\\fldrslt 7}}") << "7";
        QTest::newRow("info and stylesheet")
            << QByteArray("{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}body")
            << "body";
        QTest::newRow("header skipped") << QByteArray("{\\header head}body") << "body";
        QTest::newRow("hidden text")
            << QByteArray("shown{\\v hidden} \\v gone\\v0 back") << "shown back";
        QTest::newRow("binary data") << QByteArray("a\\bin4 {}\\\\b") << "ab";
        QTest::newRow("binary overrun") << QByteArray("a\\bin999999 b") << "a";
        QTest::newRow("table cells")
            << QByteArray("\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell "
                          "B\\cell\\row\\pard after\\par")
            << "A\tB\nafter";
        QTest::newRow("table cell paragraphs")
            << QByteArray("\\trowd{\\pard\\intbl A\\par}\\cell{\\pard\\intbl B1\\par B2\\par}"
                          "\\cell\\row")
            << "A\tB1\nB2";
        QTest::newRow("text after end ignored") << QByteArray("in") + "}out{"
                                                << "in";
        QTest::newRow("control bytes dropped") << QByteArray("a\x01\x02z") << "az";
    }
    void text() {
        QFETCH(QByteArray, body);
        QTEST(plain(rtf(body)), "expected");
    }

    void codePages_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QByteArray>("codec");
        QTest::newRow("ansicpg1251") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}")
                                     << u"При"_qs << QByteArray("windows-1251");
        QTest::newRow("font charset 238")
            << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset238 Arial CE;}}\\f0 \\'9a\\'e8}")
            << u"šč"_qs << QByteArray("windows-1250");
        QTest::newRow("mac roman")
            << QByteArray("{\\rtf1\\mac \\'8e}") << u"é"_qs << QByteArray("macintosh");
        QTest::newRow("double byte")
            << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Gothic;}}\\f0 \\'93\\'fa}")
            << u"日"_qs << QByteArray("Shift_JIS");
    }
    void codePages() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, codec);
        if (!QStringDecoder(codec.constData()).isValid())
            QSKIP("this Qt has no converter for the code page");
        QTEST(plain(input), "expected");
    }

    void paragraphFormats() {
        QTextDocument doc;
        readRtf(rtf("\\qc centred\\par\\pard\\qr right\\par\\pard\\li720\\fi-360\\sb120\\sa240 "
                    "indented\\par\\pard plain"),
                doc);
        QCOMPARE(doc.blockCount(), 4);
        QCOMPARE(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QCOMPARE(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        const QTextBlockFormat f = doc.findBlockByNumber(2).blockFormat();
        QCOMPARE(f.leftMargin(), 48.0);
        QCOMPARE(f.textIndent(), -24.0);
        QCOMPARE(f.topMargin(), 8.0);
        QCOMPARE(f.bottomMargin(), 16.0);
        const QTextBlockFormat p = doc.findBlockByNumber(3).blockFormat();
        QCOMPARE(p.leftMargin(), 0.0);
        QCOMPARE(p.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }

    void hangingIndentAlignsTextAfterTab_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("explicit stop") << QByteArray("\\li720\\fi-360\\tx720 \\bullet\\tab item");
        QTest::newRow("implicit stop") << QByteArray("\\li720\\fi-360 \\bullet\\tab item");
        QTest::newRow("pandoc order") << QByteArray("\\li720\\fi-360 \\bullet \\tx720\\tab item");
    }
    void hangingIndentAlignsTextAfterTab() {
        QFETCH(QByteArray, body);
        QTextDocument doc;
        doc.setDocumentMargin(0);
        doc.setTextWidth(600);
        readRtf(rtf(body), doc);
        const QTextBlock block = doc.firstBlock();
        QCOMPARE(block.text(), u"•\titem"_qs);
        doc.documentLayout()->documentSize(); // lays the document out
        const QTextLine line = block.layout()->lineAt(0);
        // The bullet hangs at 360 twips, the text starts at the indent of 720.
        QCOMPARE(line.x(), 24.0);
        QCOMPARE(line.cursorToX(2), 48.0);
    }

    void pageBreakStartsNewPage() {
        QTextDocument doc;
        readRtf(rtf("one\\page two"), doc);
        QCOMPARE(doc.blockCount(), 2);
        QVERIFY(doc.findBlockByNumber(1).blockFormat().pageBreakPolicy() &
                QTextFormat::PageBreak_AlwaysBefore);
        QVERIFY(!(doc.findBlockByNumber(0).blockFormat().pageBreakPolicy() &
                  QTextFormat::PageBreak_AlwaysBefore));
    }

    void notRtfIsPlainText() {
        QTextDocument doc;
        const RtfReadResult r = readRtf("Just words.", doc);
        QVERIFY(!r.isRtf);
        QCOMPARE(doc.toPlainText(), QStringLiteral("Just words."));
        QVERIFY(readRtf("\xEF\xBB\xBF \r\n{\\rtf1 x}", doc).isRtf);
        QCOMPARE(doc.toPlainText(), QStringLiteral("x"));
    }

    void deepNesting() {
        const int depth = 100000;
        const QByteArray input =
            "{\\rtf1 " + QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}') + " after}";
        QTextDocument doc;
        const RtfReadResult r = readRtf(input, doc);
        QVERIFY(r.complete);
        QCOMPARE(doc.toPlainText(), QStringLiteral("deep after"));
        QVERIFY(formatOf(doc, "deep").fontWeight() >= QFont::Bold);
        QVERIFY(formatOf(doc, "after").fontWeight() < QFont::Bold);
    }

    void truncatedDocuments_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("pandoc") << "garden-pandoc.rtf";
        QTest::newRow("libreoffice") << "garden-libreoffice.rtf";
    }
    void truncatedDocuments() {
        QFETCH(QString, file);
        const QByteArray whole = readData(file);
        QVERIFY(!whole.isEmpty());
        QTextDocument full;
        const RtfReadResult r = readRtf(whole, full);
        QVERIFY(r.isRtf);
        QVERIFY(r.complete);
        const QString fullText = full.toPlainText();
        // Every cut gives a prefix of the whole text (up to the run being
        // decoded at the cut) and is reported as incomplete.
        for (qsizetype cut = 0; cut < whole.size(); cut += 37) {
            QTextDocument doc;
            const RtfReadResult part = readRtf(whole.left(cut), doc);
            if (cut <= whole.lastIndexOf('}'))
                QVERIFY(!part.complete);
            const QString text = doc.toPlainText();
            QVERIFY2(fullText.startsWith(text.left(std::max<qsizetype>(0, text.size() - 1))),
                     qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(text.right(40))));
        }
    }

    void randomBytes() {
        QRandomGenerator random(20261206);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes(int(random.bounded(1, 4000)), Qt::Uninitialized);
            // Half of the inputs lean on the characters that drive the reader.
            static const char special[] = "{}\\'*;0123456789abuxfcsp -";
            for (char &c : bytes)
                c = round % 2 ? char(random.bounded(256))
                              : special[random.bounded(int(sizeof special - 1))];
            QTextDocument doc;
            readRtf(bytes, doc);
            readRtf("{\\rtf1 " + bytes, doc);
            // The document is usable afterwards.
            QVERIFY(doc.blockCount() >= 1);
            QVERIFY(doc.toPlainText().size() <= bytes.size() + 1);
        }
    }

    void foreignDocuments_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("pandoc") << "garden-pandoc.rtf";
        QTest::newRow("libreoffice") << "garden-libreoffice.rtf";
    }
    void foreignDocuments() {
        QFETCH(QString, file);
        QTextDocument doc;
        const RtfReadResult r = readRtf(readData(file), doc);
        QVERIFY(r.isRtf && r.complete);
        const QString text = doc.toPlainText();
        const QStringList headings = boldHeadings(doc, 12.0);
        QCOMPARE(headings, (QStringList{"Planting Notes", "Tools you need", "Steps"}));
        QVERIFY(text.contains(u"Café owners in Besançon"_qs) ||
                text.contains(u"Café owners\nin Besançon"_qs));
        QVERIFY(text.contains(u"señor García"_qs));
        QVERIFY(text.contains(u"12 € per bag, or ¥1500."_qs));
        QVERIFY(text.contains(u"“naturellement”"_qs));
        for (const char *item : {"A spade", "A steel rake", "Gloves, waterproof"})
            QVERIFY2(text.contains(u"•\t"_qs + QLatin1String(item)), item);
        QVERIFY(text.contains(u"2.\tDig to 30 cm."_qs));
        QVERIFY(text.contains(QStringLiteral("Tomato\tMay")));
        QVERIFY(text.contains(QStringLiteral("the almanac")));
        QVERIFY(!text.contains(QStringLiteral("HYPERLINK")));
        QVERIFY(!text.contains(QStringLiteral("89504e47")));  // the picture's data
        QVERIFY(!text.contains(QStringLiteral("Helvetica"))); // the font table
        QVERIFY(!text.contains(QStringLiteral("Normal;")));   // a style sheet
        QVERIFY(formatOf(doc, "spring").fontItalic());
        QVERIFY(formatOf(doc, "steel").fontWeight() >= QFont::Bold);
        QVERIFY(formatOf(doc, "spade").fontWeight() < QFont::Bold);
    }

    void shippedGuide() {
        QFile f(QStringLiteral(TEMBREL_SOURCE_DIR "/resources/Tembrel.rtf"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QTextDocument doc;
        const RtfReadResult r = readRtf(f.readAll(), doc);
        QVERIFY(r.isRtf && r.complete);
        const QStringList headings = boldHeadings(doc, 11.0);
        QVERIFY2(headings.size() >= 8, qPrintable(headings.join(u'|')));
        for (const char *topic : {"Opening", "Time rows", "Recording", "Playing", "Deleting",
                                  "Holidays", "Settings", "files"}) {
            QVERIFY2(std::any_of(headings.begin(), headings.end(),
                                 [&](const QString &h) {
                                     return h.contains(QLatin1String(topic), Qt::CaseInsensitive);
                                 }),
                     topic);
        }
        const QString text = doc.toPlainText();
        QVERIFY(text.contains(u'•'));
        QVERIFY(text.contains(u'é'));
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral(R"(\\[a-z]{2,})"))));
        QVERIFY(!text.contains(u'{'));
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
