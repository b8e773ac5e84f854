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
    static const QByteArray head =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman\\fcharset2 Symbol;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\n";
    return head + body + "}";
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

// Each word with its format: "word(b,i,u,<points>,<colour>)", parts present when set.
QString describeWords(const QTextDocument &doc) {
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QStringList parts;
            for (auto [set, name] : {std::pair{f.fontWeight() >= QFont::Bold, "b"},
                                     {f.fontItalic(), "i"},
                                     {f.fontUnderline(), "u"}})
                if (set)
                    parts << QLatin1String(name);
            parts << QString::number(f.fontPointSize());
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                parts << f.foreground().color().name();
            for (const QString &w : it.fragment().text().split(u' ', Qt::SkipEmptyParts))
                out << w + u'(' + parts.join(u',') + u')';
        }
    return out.join(u' ');
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
    void characterFormats_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QByteArray &body, const char *expected) {
            QTest::newRow(name) << body << QString::fromUtf8(expected);
        };
        row("bold run", "a \\b strong\\b0  weak", "a(12) strong(b,12) weak(12)");
        row("italic group", "{\\i slanted} upright", "slanted(i,12) upright(12)");
        row("underline", "\\ul lined\\ulnone  bare \\ul again\\ul0  off",
            "lined(u,12) bare(12) again(u,12) off(12)");
        row("font sizes", "\\fs40 big \\fs21 small", "big(20) small(10.5)");
        row("colours", "\\cf1 red \\cf0 auto \\cf2 blue \\cf9 odd",
            "red(12,#ff0000) auto(12) blue(12,#0000ff) odd(12)");
        row("nested groups", "{\\b {\\i {\\ul\\fs32 deep} mid} outer} tail",
            "deep(b,i,u,16) mid(b,i,12) outer(b,12) tail(12)");
        row("plain resets", "\\b\\i\\fs40\\cf1 x \\plain reset", "x(b,i,20,#ff0000) reset(12)");
    }
    void characterFormats() {
        QFETCH(QByteArray, body);
        QTextDocument doc;
        const RtfReadResult r = readRtf(rtf(body), doc);
        QVERIFY(r.isRtf && r.complete);
        QTEST(describeWords(doc), "expected");
    }

    void fontNames() {
        QTextDocument doc;
        // A table without braces around its entries, as some writers make it.
        readRtf("{\\rtf1\\deff1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fmodern Courier;}"
                "x {\\f0 y} {\\f7 z}}",
                doc);
        QCOMPARE(formatOf(doc, "x").fontFamilies().toStringList(), QStringList{"Courier"});
        QCOMPARE(formatOf(doc, "y").fontFamilies().toStringList(), QStringList{"Helvetica"});
        QCOMPARE(formatOf(doc, "z").fontFamilies().toStringList(), QStringList{});
        // Symbols mapped to Unicode are drawn in the default font.
        readRtf(rtf("{\\f1\\'b7}"), doc);
        QCOMPARE(formatOf(doc, u"•"_qs).fontFamilies().toStringList(), QStringList{"Arial"});
    }

    void text_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QByteArray &body, const QString &expected) {
            QTest::newRow(name) << body << expected;
        };
        row("par and line", "one\\par two\\line three\\par", u"one\ntwo\u2028three"_qs);
        row("empty paragraph kept", "one\\par\\par two", u"one\n\ntwo"_qs);
        row("source line ends ignored", "sp\r\nlit\nword", u"splitword"_qs);
        row("backslash newline is par", "one\\\ntwo", u"one\ntwo"_qs);
        row("delimiter space eaten", "\\b  x", u" x"_qs);
        row("hex cp1252", "caf\\'e9 \\'80 \\'93q\\'94", u"café € “q”"_qs);
        row("unicode with fallback", "\\u8364?5", u"€5"_qs);
        row("unicode negative", "\\u-4064?", u"\uF020"_qs);
        row("uc scoped to group", "{\\uc2\\u8364??}\\u8364?x", u"€€x"_qs);
        row("fallback stops at group end", "{\\uc3\\u8364?}y", u"€y"_qs);
        row("surrogate pair", "\\u-10179?\\u-8704?", u"😀"_qs);
        row("lone surrogate", "{\\u-10179?}x", u"\uFFFDx"_qs);
        row("special characters",
            "a\\~b\\emdash c\\endash d\\lquote e\\rquote \\ldblquote f\\rdblquote",
            u"a\u00A0b—c–d‘e’“f”"_qs);
        row("unknown destination", "a{\\*\\unknowndest secret {nested secret}}b", u"ab"_qs);
        row("unstarred fldinst", "{\\field{\\fldinst PAGE}{\\fldrslt 7}}", u"7"_qs);
        row("hidden text", "shown{\\v hidden} \\v gone\\v0 back", u"shown back"_qs);
        row("binary data", "a\\bin4 {}\\\\b", u"ab"_qs);
        row("binary overrun", "a\\bin999999 b", u"a"_qs);
        row("table cell paragraphs",
            "\\trowd{\\pard\\intbl A\\par}\\cell{\\pard\\intbl B1\\par B2\\par}\\cell\\row",
            u"A\tB1\nB2"_qs);
        row("text after end ignored", "in}out{", u"in"_qs);
        row("control bytes dropped", "a\x01\x02z", u"az"_qs);
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
        readRtf(rtf("\\qc centred\\par\\pard\\li720\\fi-360\\sb120\\sa240 indented\\par"
                    "\\pard plain\\page next"),
                doc);
        QCOMPARE(doc.blockCount(), 4);
        QCOMPARE(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        const QTextBlockFormat f = doc.findBlockByNumber(1).blockFormat();
        QCOMPARE((QList<qreal>{f.leftMargin(), f.textIndent(), f.topMargin(), f.bottomMargin()}),
                 (QList<qreal>{48, -24, 8, 16}));
        // \\pard resets; \\page starts the next paragraph on a new page.
        const QTextBlockFormat p = doc.findBlockByNumber(2).blockFormat();
        QCOMPARE(p.leftMargin(), 0.0);
        QCOMPARE(p.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QVERIFY(!(p.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore));
        QVERIFY(doc.findBlockByNumber(3).blockFormat().pageBreakPolicy() &
                QTextFormat::PageBreak_AlwaysBefore);
    }

    void hangingIndentAlignsTextAfterTab() {
        // With an explicit stop, and with the stop after the bullet as pandoc writes it.
        for (const char *body : {"\\li720\\fi-360\\tx720 \\bullet\\tab item",
                                 "\\li720\\fi-360 \\bullet \\tx720\\tab item"}) {
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
        QCOMPARE(describeWords(doc), QStringLiteral("deep(b,12) after(12)"));
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
        const QByteArray whole = readData(file);
        QTextDocument doc;
        const RtfReadResult r = readRtf(whole, doc);
        QVERIFY(r.isRtf && r.complete);
        const QString text = doc.toPlainText();
        QCOMPARE(boldHeadings(doc, 12.0),
                 (QStringList{"Planting Notes", "Tools you need", "Steps"}));
        QVERIFY(text.contains(u"Café owners in Besançon"_qs) ||
                text.contains(u"Café owners\nin Besançon"_qs));
        for (const char *item : {"A spade", "A steel rake", "Gloves, waterproof"})
            QVERIFY2(text.contains(u"•\t"_qs + QLatin1String(item)), item);
        QVERIFY(text.contains(QStringLiteral("Tomato\tMay")));
        QVERIFY(text.contains(QStringLiteral("the almanac")));
        // Field instructions, picture data, font table and style sheet stay out.
        for (const char *hidden : {"HYPERLINK", "89504e47", "Helvetica", "Normal;"})
            QVERIFY2(!text.contains(QLatin1String(hidden)), hidden);
        QVERIFY(formatOf(doc, "spring").fontItalic());
        QVERIFY(formatOf(doc, "steel").fontWeight() >= QFont::Bold);
        // Every cut gives a prefix of the whole text (up to the run being
        // decoded at the cut) and is reported as incomplete.
        for (qsizetype cut = 0; cut < whole.size(); cut += 37) {
            QTextDocument part;
            const bool complete = readRtf(whole.left(cut), part).complete;
            QVERIFY(!complete || cut > whole.lastIndexOf('}'));
            const QString t = part.toPlainText();
            QVERIFY2(text.startsWith(t.left(std::max<qsizetype>(0, t.size() - 1))),
                     qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(t.right(40))));
        }
    }

    void shippedGuide() {
        QFile f(QStringLiteral(TEMBREL_SOURCE_DIR "/resources/Tembrel.rtf"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QTextDocument doc;
        const RtfReadResult r = readRtf(f.readAll(), doc);
        QVERIFY(r.isRtf && r.complete);
        const QString all = boldHeadings(doc, 11.0).join(u'|');
        for (const char *topic : {"Opening", "Time rows", "Recording", "Playing", "Deleting",
                                  "Holidays", "Settings", "files"})
            QVERIFY2(all.contains(QLatin1String(topic), Qt::CaseInsensitive), topic);
        const QString text = doc.toPlainText();
        QVERIFY(text.contains(u'•') && text.contains(u'é'));
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral(R"(\\[a-z]{2,}|\{)"))));
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
