// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/RtfReader.h"

#include "Files.h"

#include <QAbstractTextDocumentLayout>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

using namespace tembrel;
using tembrel::test::fileBytes;

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

// Each word with its format: "word(b,i,u,<points>,<colour>)", parts present when set.
QString describeWords(const QTextDocument &doc) {
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString parts = QLatin1String(f.fontWeight() >= QFont::Bold ? "b," : "") +
                            QLatin1String(f.fontItalic() ? "i," : "") +
                            QLatin1String(f.fontUnderline() ? "u," : "") +
                            QString::number(f.fontPointSize());
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                parts += u',' + f.foreground().color().name();
            for (const QString &w : it.fragment().text().split(u' ', Qt::SkipEmptyParts))
                out << w + u'(' + parts + u')';
        }
    return out.join(u' ');
}

// A heading: a paragraph of bold text larger than the body text.
QStringList boldHeadings(const QTextDocument &doc, qreal bodyPoints) {
    QStringList headings;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        bool heading = !b.text().trimmed().isEmpty();
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!it.fragment().text().trimmed().isEmpty())
                heading =
                    heading && f.fontWeight() >= QFont::Bold && f.fontPointSize() > bodyPoints;
        }
        if (heading)
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
        row("underline", "\\ul lined\\ulnone  bare \\ul again\\ul0  off",
            "lined(u,12) bare(12) again(u,12) off(12)");
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

    void text_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QByteArray &body, const QString &expected) {
            QTest::newRow(name) << body << expected;
        };
        row("par and line", "one\\par two\\line three\\par", u"one\ntwo\u2028three"_qs);
        row("source line ends ignored", "sp\r\nlit\nword", u"splitword"_qs);
        row("delimiter space eaten", "\\b  x", u" x"_qs);
        row("hex cp1252", "caf\\'e9 \\'80 \\'93q\\'94", u"café € “q”"_qs);
        row("unicode with fallback", "\\u8364?5", u"€5"_qs);
        row("uc scoped to group", "{\\uc2\\u8364??}\\u8364?x", u"€€x"_qs);
        row("surrogate pair", "\\u-10179?\\u-8704?", u"😀"_qs);
        row("unknown destination", "a{\\*\\unknowndest secret {nested secret}}b", u"ab"_qs);
        row("table cell paragraphs",
            "\\trowd{\\pard\\intbl A\\par}\\cell{\\pard\\intbl B1\\par B2\\par}\\cell\\row",
            u"A\tB1\nB2"_qs);
    }
    void text() {
        QFETCH(QByteArray, body);
        QTEST(plain(rtf(body)), "expected");
    }

    void paragraphFormats() {
        QTextDocument doc;
        readRtf(rtf("\\qc\\li720\\fi-360\\sb120 centred\\par\\pard plain\\page next"), doc);
        QCOMPARE(doc.blockCount(), 3);
        const QTextBlockFormat c = doc.findBlockByNumber(0).blockFormat();
        QCOMPARE(c.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE((QList<qreal>{c.leftMargin(), c.textIndent(), c.topMargin()}),
                 (QList<qreal>{48, -24, 8}));
        // \\pard resets; \\page starts the next paragraph on a new page.
        const QTextBlockFormat p = doc.findBlockByNumber(1).blockFormat();
        QCOMPARE((QList<qreal>{p.leftMargin(), p.textIndent(), p.topMargin()}),
                 (QList<qreal>{0, 0, 0}));
        QCOMPARE(p.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QVERIFY(doc.findBlockByNumber(2).blockFormat().pageBreakPolicy() &
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

    // Hostile input: deep nesting loads without a crash. Random bytes are the
    // fuzz target's (tests/help/fuzz), whose seeds CTest replays.
    void deepNesting() {
        const int depth = 100000;
        QTextDocument doc;
        QVERIFY(readRtf("{\\rtf1 " + QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}') +
                            " after}",
                        doc)
                    .complete);
        QCOMPARE(describeWords(doc), QStringLiteral("deep(b,12) after(12)"));
    }

    // The whole read is one change of the document: each change redoes its whole
    // paragraph, which made a many-format paragraph quadratic to read.
    void aLongMixedParagraphIsOneChange() {
        QByteArray body;
        for (int i = 0; i < 500; ++i)
            body += "\\b x\\b0 y";
        QTextDocument doc;
        readRtf(rtf("earlier\\par text"), doc);
        int changes = 0;
        connect(&doc, &QTextDocument::contentsChanged, this, [&changes] { ++changes; });
        QVERIFY(readRtf(rtf(body + "\\par after"), doc).complete);
        QVERIFY2(changes <= 2, qPrintable(QString::number(changes)));
        QCOMPARE(doc.blockCount(), 2);
        QCOMPARE(doc.begin().text(), QString(QStringLiteral("xy").repeated(500)));
        QList<int> weights; // one fragment per run: bold and plain alternate
        for (auto it = doc.begin().begin(); !it.atEnd(); ++it)
            weights << it.fragment().charFormat().fontWeight();
        QCOMPARE(weights.size(), 1000);
        QCOMPARE(weights.count(QFont::Bold), 500);
    }

    void foreignDocuments_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("pandoc") << "garden-pandoc.rtf";
        QTest::newRow("libreoffice") << "garden-libreoffice.rtf";
    }
    void foreignDocuments() {
        QFETCH(QString, file);
        const QByteArray whole = fileBytes(QStringLiteral(TEMBREL_TEST_DATA "/help/") + file);
        QTextDocument doc;
        const RtfReadResult r = readRtf(whole, doc);
        QVERIFY(r.isRtf && r.complete);
        const QString text = doc.toPlainText();
        QCOMPARE(boldHeadings(doc, 12.0),
                 (QStringList{"Planting Notes", "Tools you need", "Steps"}));
        QVERIFY(text.contains(u"Café owners in Besançon"_qs) ||
                text.contains(u"Café owners\nin Besançon"_qs));
        QVERIFY(text.contains(u"•\tA steel rake"_qs) && text.contains(u"Tomato\tMay"_qs));
        // Field instructions, picture data, font table and style sheet stay out.
        for (const char *hidden : {"HYPERLINK", "89504e47", "Helvetica", "Normal;"})
            QVERIFY2(!text.contains(QLatin1String(hidden)), hidden);
        // A truncated document: every cut gives a prefix of the whole text (up to
        // the run being decoded at the cut) and is reported as incomplete.
        for (qsizetype cut = 0; cut < whole.size(); cut += 37) {
            QTextDocument part;
            QVERIFY(!readRtf(whole.left(cut), part).complete || cut > whole.lastIndexOf('}'));
            const QString t = part.toPlainText();
            QVERIFY2(text.startsWith(t.left(std::max<qsizetype>(0, t.size() - 1))),
                     qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(t.right(40))));
        }
    }

    void shippedGuide() {
        QTextDocument doc;
        const RtfReadResult r =
            readRtf(fileBytes(QStringLiteral(TEMBREL_SOURCE_DIR "/resources/Tembrel.rtf")), doc);
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
