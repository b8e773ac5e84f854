// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/RtfReader.h"

#include "core/TextRecords.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <vector>

namespace tembrel {
namespace {

// Groups nested deeper than this share their parent's state, so hostile input
// cannot make the stack grow without bound.
constexpr int kMaxDepth = 512;
// Tab stops kept per paragraph, for the same reason.
constexpr int kMaxTabs = 64;
// Document units are pixels at 96 DPI: 15 twips each.
constexpr double kTwipsPerPixel = 15.0;
constexpr int kDefaultHalfPoints = 24;

enum class Dest : quint8 { Text, Skip, FontTable, ColorTable };

struct CharProps {
    int font = -1; // -1: the document's default font
    int halfPoints = kDefaultHalfPoints;
    int foreground = 0; // colour table index, 0: automatic
    int background = 0;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;
    bool operator==(const CharProps &) const = default;
};

struct ParaProps {
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0; // twips
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    int lineSpacing = 0; // \sl, twips or 240ths of a line with \slmult1
    bool lineMultiple = false;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    bool inTable = false;
};

struct GroupState {
    Dest dest = Dest::Text;
    CharProps ch;
    ParaProps para;
    int uc = 1; // fallback characters that follow each \u
};

struct FontInfo {
    QString name;
    int charset = -1;
};

// Destinations whose content is never text to show.
bool isSkippedDestination(QByteArrayView word) {
    static const QSet<QByteArray> words = [] {
        QSet<QByteArray> set;
        const QByteArray list =
            "aftncn aftnsep aftnsepc annotation atnauthor atndate atnid author buptim "
            "colorschememapping comment company creatim datastore do doccomm docvar falt filetbl "
            "fldinst footer footerf footerl footerr footnote ftncn ftnsep ftnsepc generator header "
            "headerf headerl headerr info keywords latentstyles listoverridetable listtable "
            "mmathPr "
            "nonshppict objdata object operator panose pgdsctbl pict pn pntxta pntxtb printim "
            "private revtbl revtim rsidtbl shp shpinst shprslt stylesheet subject tc template "
            "themedata title txe userprops wgrffmtfilter xe xmlnstbl";
        for (const QByteArray &w : list.split(' '))
            set.insert(w);
        return set;
    }();
    return words.contains(word.toByteArray());
}

// Control words that stand for one character.
char16_t specialCharacter(QByteArrayView word) {
    static const QHash<QByteArray, char16_t> chars{
        {"line", 0x2028},      {"tab", u'\t'},      {"bullet", 0x2022},  {"emdash", 0x2014},
        {"endash", 0x2013},    {"lquote", 0x2018},  {"rquote", 0x2019},  {"ldblquote", 0x201C},
        {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005},
    };
    return chars.value(word.toByteArray(), 0);
}

int codepageForCharset(int charset, int ansiCodepage) {
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 437;
    default:
        return ansiCodepage;
    }
}

QByteArray codecName(int codepage) {
    switch (codepage) {
    case 65001:
        return "UTF-8";
    case 10000:
        return "macintosh";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "EUC-KR";
    case 950:
        return "Big5";
    case 437:
    case 850:
        return "IBM" + QByteArray::number(codepage);
    default:
        return "windows-" + QByteArray::number(codepage);
    }
}

// Symbol fonts place their glyphs on Latin code points; the few that serve as
// bullets are mapped to their Unicode forms, the rest kept as they are.
enum class SymbolFont : quint8 { None, Symbol, Wingdings };

QChar symbolChar(SymbolFont kind, uchar byte) {
    if (kind == SymbolFont::Symbol) {
        switch (byte) {
        case 0xB7:
            return QChar(0x2022);
        case 0xA8:
            return QChar(0x2666);
        case 0xDE:
            return QChar(0x21D2);
        case 0xAE:
            return QChar(0x2192);
        case 0x2D:
            return QChar(0x2212);
        }
    } else if (kind == SymbolFont::Wingdings) {
        switch (byte) {
        case 0x6C:
            return QChar(0x25CF);
        case 0x6E:
            return QChar(0x25A0);
        case 0x71:
            return QChar(0x2751);
        case 0x76:
            return QChar(0x2756);
        case 0xA7:
            return QChar(0x25AA);
        case 0xD8:
            return QChar(0x27A2);
        case 0xFC:
            return QChar(0x2713);
        }
    }
    return QChar(QLatin1Char(char(byte)));
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Unpaired surrogates (a \u split by a group end) would corrupt the document.
void fixSurrogates(QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
            else
                text[i] = QChar::ReplacementCharacter;
        } else if (c.isLowSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
}

class Reader final {
public:
    Reader(const QByteArray &input, QTextDocument &document)
        : m_in(input)
        , m_doc(document)
        , m_cursor(&document) {
        m_stack.emplace_back();
    }

    RtfReadResult run();

private:
    GroupState &state() { return m_stack.back(); }

    // Tokens.
    void controlWord(QByteArrayView word, bool hasParam, int param);
    void controlSymbol(char symbol);
    void hexByte(uchar byte);
    void textBytes(QByteArrayView bytes);
    void openGroup();
    void closeGroup();

    // Output.
    void addBytes(QByteArrayView bytes);
    void addChar(char32_t c);
    void beginContent();
    void decodePending();
    void flush();
    void endParagraph();
    void finish();
    QTextCharFormat charFormat(const CharProps &p) const;
    QTextBlockFormat blockFormat(const ParaProps &p) const;
    int codepageOf(const CharProps &p) const;
    SymbolFont symbolOf(const CharProps &p) const;
    QString decode(const QByteArray &bytes, int codepage, SymbolFont symbol);

    // Tables of the document.
    void commitFont();
    void commitColour();

    const QByteArray &m_in;
    QTextDocument &m_doc;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    int m_overflow = 0;
    int m_ucSkip = 0;
    bool m_started = false; // the outermost group has been opened
    bool m_done = false;    // ... and closed again
    bool m_isRtf = false;

    int m_ansiCodepage = 1252;
    int m_defaultFont = 0;
    QHash<int, FontInfo> m_fonts;
    QList<QColor> m_colours;
    QHash<int, bool> m_codecAvailable;

    // The font table entry and colour being read.
    int m_fontId = 0;
    int m_fontCharset = -1;
    QByteArray m_fontName;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourGiven = false;

    // Text not yet handed to the cursor, all in m_pendingProps.
    CharProps m_pendingProps;
    QByteArray m_pendingBytes;
    QString m_pendingText;
    bool m_havePending = false;

    bool m_paragraphOpen = false;     // something since the last paragraph end
    bool m_cellPending = false;       // a cell ended; the next text starts a new one
    bool m_tableParagraphEnd = false; // a paragraph in a cell ended; not yet known if the cell did
    bool m_breakBefore = false;       // the next paragraph starts a new page
    bool m_lastWasParagraphEnd = false;
    // The paragraph properties of the last text, for a paragraph that the
    // document ends without a mark.
    ParaProps m_contentPara;
};

RtfReadResult Reader::run() {
    // One edit for the whole document: as edits of their own, the inserts each
    // redo work over their whole paragraph, quadratic in a paragraph of many runs.
    m_cursor.beginEditBlock();
    RtfReadResult result;
    qsizetype i = 0;
    const qsizetype n = m_in.size();
    // A byte order mark or blanks may precede the header.
    qsizetype head = 0;
    if (m_in.startsWith("\xEF\xBB\xBF"))
        head = 3;
    while (head < n &&
           (m_in[head] == ' ' || m_in[head] == '\r' || m_in[head] == '\n' || m_in[head] == '\t'))
        ++head;
    result.isRtf = QByteArrayView(m_in).sliced(head).startsWith("{\\rtf");
    m_isRtf = result.isRtf;
    if (result.isRtf)
        i = head;

    while (i < n && !m_done) {
        const char c = m_in[i];
        if (c == '{') {
            ++i;
            openGroup();
        } else if (c == '}') {
            ++i;
            closeGroup();
        } else if (c == '\\') {
            ++i;
            if (i >= n)
                break;
            const char d = m_in[i];
            if ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z')) {
                const qsizetype start = i;
                while (i < n &&
                       ((m_in[i] >= 'a' && m_in[i] <= 'z') || (m_in[i] >= 'A' && m_in[i] <= 'Z')))
                    ++i;
                // Longer names are no control word this reader knows.
                const QByteArrayView word =
                    QByteArrayView(m_in).sliced(start, std::min<qsizetype>(i - start, 32));
                bool negative = false;
                bool hasParam = false;
                qint64 value = 0;
                if (i + 1 < n && m_in[i] == '-' && m_in[i + 1] >= '0' && m_in[i + 1] <= '9') {
                    negative = true;
                    ++i;
                }
                while (i < n && m_in[i] >= '0' && m_in[i] <= '9') {
                    hasParam = true;
                    if (value < 1'000'000'000)
                        value = value * 10 + (m_in[i] - '0');
                    ++i;
                }
                if (i < n && m_in[i] == ' ')
                    ++i;
                const int param = int(
                    std::clamp<qint64>(negative ? -value : value, -1'000'000'000, 1'000'000'000));
                if (word == "bin") {
                    // Raw bytes follow; they are never text.
                    i += std::clamp<qint64>(hasParam ? param : 0, 0, n - i);
                    if (m_ucSkip > 0)
                        --m_ucSkip;
                    continue;
                }
                controlWord(word, hasParam, param);
            } else if (d == '\'') {
                ++i;
                int v = 0;
                int digits = 0;
                while (digits < 2 && i < n) {
                    const int h = hexValue(m_in[i]);
                    if (h < 0)
                        break;
                    v = v * 16 + h;
                    ++digits;
                    ++i;
                }
                if (digits > 0)
                    hexByte(uchar(v));
            } else if (d == '\r' || d == '\n') {
                ++i;
                controlWord("par", false, 0);
            } else {
                ++i;
                controlSymbol(d);
            }
        } else {
            const qsizetype start = i;
            while (i < n && m_in[i] != '{' && m_in[i] != '}' && m_in[i] != '\\')
                ++i;
            textBytes(QByteArrayView(m_in).sliced(start, i - start));
        }
    }
    result.complete = m_started && m_stack.size() == 1 && m_overflow == 0;
    finish();
    m_cursor.endEditBlock();
    return result;
}

void Reader::openGroup() {
    m_ucSkip = 0;
    m_started = true;
    if (int(m_stack.size()) < kMaxDepth)
        m_stack.push_back(m_stack.back());
    else
        ++m_overflow;
}

void Reader::closeGroup() {
    m_ucSkip = 0;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.size() <= 1)
        return; // a stray brace
    const Dest dest = state().dest;
    if (dest == Dest::FontTable)
        commitFont();
    else if (dest == Dest::ColorTable && m_colourGiven)
        commitColour();
    m_stack.pop_back();
    if (m_stack.size() == 1 && m_isRtf)
        m_done = true;
}

void Reader::commitFont() {
    const QByteArray name = m_fontName.trimmed();
    if (!name.isEmpty()) {
        const int cp = codepageForCharset(m_fontCharset, m_ansiCodepage);
        FontInfo info;
        info.name = decode(name, cp, SymbolFont::None);
        info.charset = m_fontCharset;
        m_fonts.insert(m_fontId, info);
    }
    m_fontName.clear();
    m_fontCharset = -1;
}

void Reader::commitColour() {
    m_colours.append(m_colourGiven ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colourGiven = false;
}

void Reader::textBytes(QByteArrayView bytes) {
    if (m_ucSkip > 0) {
        const qsizetype drop = std::min<qsizetype>(m_ucSkip, bytes.size());
        m_ucSkip -= int(drop);
        bytes = bytes.sliced(drop);
    }
    if (bytes.isEmpty())
        return;
    switch (state().dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        for (const char c : bytes) {
            if (c == ';')
                commitFont();
            else if (c != '\r' && c != '\n')
                m_fontName.append(c);
        }
        return;
    case Dest::ColorTable:
        for (const char c : bytes)
            if (c == ';')
                commitColour();
        return;
    case Dest::Text:
        addBytes(bytes);
        return;
    }
}

void Reader::hexByte(uchar byte) {
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    if (state().dest == Dest::FontTable)
        m_fontName.append(char(byte));
    else if (state().dest == Dest::Text)
        addBytes(QByteArrayView(reinterpret_cast<const char *>(&byte), 1));
}

void Reader::controlSymbol(char symbol) {
    if (symbol == '*') {
        // An optional destination: whatever it is, this reader has no use for it.
        state().dest = Dest::Skip;
        return;
    }
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        textBytes(QByteArrayView(&symbol, 1));
        break;
    case '~':
        addChar(0x00A0);
        break;
    case '-':
        addChar(0x00AD);
        break;
    case '_':
        addChar(0x2011);
        break;
    case '\t':
        addChar('\t');
        break;
    default:
        break;
    }
}

void Reader::controlWord(QByteArrayView w, bool hasParam, int param) {
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return;
    }
    GroupState &s = state();
    const bool on = !hasParam || param != 0;

    // Destinations.
    if (w == "fonttbl") {
        s.dest = Dest::FontTable;
        m_fontName.clear();
        return;
    }
    if (w == "colortbl") {
        s.dest = Dest::ColorTable;
        return;
    }
    if (isSkippedDestination(w)) {
        s.dest = Dest::Skip;
        return;
    }

    if (s.dest == Dest::FontTable) {
        if (w == "f") {
            if (!m_fontName.trimmed().isEmpty())
                commitFont();
            m_fontId = param;
            m_fontCharset = -1;
        } else if (w == "fcharset") {
            m_fontCharset = param;
        }
        return;
    }
    if (s.dest == Dest::ColorTable) {
        const int v = std::clamp(param, 0, 255);
        if (w == "red")
            m_red = v, m_colourGiven = true;
        else if (w == "green")
            m_green = v, m_colourGiven = true;
        else if (w == "blue")
            m_blue = v, m_colourGiven = true;
        return;
    }

    if (s.dest == Dest::Skip)
        return;

    // Document properties.
    if (w == "ansi")
        m_ansiCodepage = 1252;
    else if (w == "mac")
        m_ansiCodepage = 10000;
    else if (w == "pc")
        m_ansiCodepage = 437;
    else if (w == "pca")
        m_ansiCodepage = 850;
    else if (w == "ansicpg" && param > 0)
        m_ansiCodepage = param;
    else if (w == "deff")
        m_defaultFont = param;
    else if (w == "uc")
        s.uc = std::clamp(param, 0, 16);
    else if (w == "u") {
        addChar(char16_t(param & 0xFFFF));
        m_ucSkip = s.uc;
    }

    // Special characters.
    else if (w == "par" && s.para.inTable) {
        if (m_tableParagraphEnd)
            endParagraph();
        m_tableParagraphEnd = true; // unless the cell ends right after it
    } else if (w == "par" || w == "sect")
        endParagraph();
    else if (w == "page") {
        endParagraph();
        m_breakBefore = true;
    } else if (w == "cell" || w == "nestcell") {
        flush();
        m_tableParagraphEnd = false;
        m_cellPending = true;
    } else if (w == "row" || w == "nestrow") {
        m_cellPending = false;
        m_tableParagraphEnd = false;
        endParagraph();
    } else if (const char16_t c = specialCharacter(w))
        addChar(c);

    // Character properties.
    else if (w == "plain")
        s.ch = CharProps{};
    else if (w == "b")
        s.ch.bold = on;
    else if (w == "i")
        s.ch.italic = on;
    else if (w == "strike" || w == "striked")
        s.ch.strike = on;
    else if (w == "v")
        s.ch.hidden = on;
    else if (w == "ul" || w == "ulw" || w == "ulth" || w == "uldb")
        s.ch.underline = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline;
    else if (w == "uld")
        s.ch.underline = on ? QTextCharFormat::DotLine : QTextCharFormat::NoUnderline;
    else if (w == "uldash")
        s.ch.underline = on ? QTextCharFormat::DashUnderline : QTextCharFormat::NoUnderline;
    else if (w == "ulwave")
        s.ch.underline = on ? QTextCharFormat::WaveUnderline : QTextCharFormat::NoUnderline;
    else if (w == "ulnone")
        s.ch.underline = QTextCharFormat::NoUnderline;
    else if (w == "super")
        s.ch.vertical = QTextCharFormat::AlignSuperScript;
    else if (w == "sub")
        s.ch.vertical = QTextCharFormat::AlignSubScript;
    else if (w == "nosupersub")
        s.ch.vertical = QTextCharFormat::AlignNormal;
    else if (w == "up")
        s.ch.vertical = on ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal;
    else if (w == "dn")
        s.ch.vertical = on ? QTextCharFormat::AlignSubScript : QTextCharFormat::AlignNormal;
    else if (w == "fs")
        s.ch.halfPoints = param > 0 ? std::min(param, 3276) : kDefaultHalfPoints;
    else if (w == "f")
        s.ch.font = std::max(param, 0);
    else if (w == "cf")
        s.ch.foreground = std::max(param, 0);
    else if (w == "cb" || w == "highlight" || w == "chcbpat")
        s.ch.background = std::max(param, 0);

    // Paragraph properties.
    else if (w == "pard")
        s.para = ParaProps{};
    else if (w == "intbl")
        s.para.inTable = true;
    else if (w == "ql")
        s.para.align = Qt::AlignLeft;
    else if (w == "qr")
        s.para.align = Qt::AlignRight;
    else if (w == "qc")
        s.para.align = Qt::AlignHCenter;
    else if (w == "qj" || w == "qd")
        s.para.align = Qt::AlignJustify;
    else if (w == "li" || w == "lin")
        s.para.left = std::clamp(param, -31680, 31680);
    else if (w == "ri" || w == "rin")
        s.para.right = std::clamp(param, -31680, 31680);
    else if (w == "fi")
        s.para.first = std::clamp(param, -31680, 31680);
    else if (w == "sb")
        s.para.before = std::clamp(param, 0, 31680);
    else if (w == "sa")
        s.para.after = std::clamp(param, 0, 31680);
    else if (w == "sl")
        s.para.lineSpacing = std::clamp(param, -31680, 31680);
    else if (w == "slmult")
        s.para.lineMultiple = on;
    else if (w == "tqr")
        s.para.nextTabType = QTextOption::RightTab;
    else if (w == "tqc")
        s.para.nextTabType = QTextOption::CenterTab;
    else if (w == "tqdec")
        s.para.nextTabType = QTextOption::DelimiterTab;
    else if (w == "tx" || w == "tb") {
        if (s.para.tabs.size() < kMaxTabs && param > 0) {
            QTextOption::Tab tab(param / kTwipsPerPixel, s.para.nextTabType,
                                 s.para.nextTabType == QTextOption::DelimiterTab ? QChar('.')
                                                                                 : QChar());
            s.para.tabs.append(tab);
        }
        s.para.nextTabType = QTextOption::LeftTab;
    }
}

int Reader::codepageOf(const CharProps &p) const {
    const auto it = m_fonts.constFind(p.font < 0 ? m_defaultFont : p.font);
    if (it == m_fonts.constEnd())
        return m_ansiCodepage;
    return codepageForCharset(it->charset, m_ansiCodepage);
}

SymbolFont Reader::symbolOf(const CharProps &p) const {
    const auto it = m_fonts.constFind(p.font < 0 ? m_defaultFont : p.font);
    if (it == m_fonts.constEnd())
        return SymbolFont::None;
    if (it->name.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive))
        return SymbolFont::Wingdings;
    if (it->charset == 2 || it->name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0)
        return SymbolFont::Symbol;
    return SymbolFont::None;
}

QString Reader::decode(const QByteArray &bytes, int codepage, SymbolFont symbol) {
    if (bytes.isEmpty())
        return {};
    if (symbol != SymbolFont::None) {
        QString out;
        out.reserve(bytes.size());
        for (const char c : bytes)
            out.append(symbolChar(symbol, uchar(c)));
        return out;
    }
    if (codepage != 1252) {
        const QByteArray name = codecName(codepage);
        auto known = m_codecAvailable.constFind(codepage);
        if (known == m_codecAvailable.constEnd())
            known = m_codecAvailable.insert(codepage, QStringDecoder(name.constData()).isValid());
        if (*known) {
            QStringDecoder decoder(name.constData());
            return decoder.decode(bytes);
        }
    }
    return fromCp1252(bytes);
}

QTextCharFormat Reader::charFormat(const CharProps &p) const {
    QTextCharFormat f;
    f.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(p.italic);
    f.setFontStrikeOut(p.strike);
    f.setUnderlineStyle(p.underline);
    f.setVerticalAlignment(p.vertical);
    f.setFontPointSize(p.halfPoints / 2.0);
    // Text in a symbol font has been mapped to Unicode already; drawn in
    // that font it would show the font's own glyphs, or none at all, so it
    // takes the document's default font.
    auto font = m_fonts.constFind(p.font < 0 ? m_defaultFont : p.font);
    if (font != m_fonts.constEnd() && symbolOf(p) != SymbolFont::None) {
        CharProps byDefault;
        font = symbolOf(byDefault) == SymbolFont::None ? m_fonts.constFind(m_defaultFont)
                                                       : m_fonts.constEnd();
    }
    if (font != m_fonts.constEnd())
        f.setFontFamilies(QStringList{font->name});
    if (p.foreground > 0 && p.foreground < m_colours.size() && m_colours[p.foreground].isValid())
        f.setForeground(m_colours[p.foreground]);
    if (p.background > 0 && p.background < m_colours.size() && m_colours[p.background].isValid())
        f.setBackground(m_colours[p.background]);
    return f;
}

QTextBlockFormat Reader::blockFormat(const ParaProps &p) const {
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(p.left / kTwipsPerPixel);
    f.setRightMargin(p.right / kTwipsPerPixel);
    f.setTextIndent(p.first / kTwipsPerPixel);
    f.setTopMargin(p.before / kTwipsPerPixel);
    f.setBottomMargin(p.after / kTwipsPerPixel);
    if (p.lineSpacing != 0) {
        if (p.lineMultiple && p.lineSpacing > 0)
            f.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (p.lineSpacing > 0)
            f.setLineHeight(p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
        else
            f.setLineHeight(-p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    }
    // Tab stops count from the page's margin, Qt's from where the line
    // starts; with a hanging indent the left indent is a tab stop as well.
    const double lineStart = (p.left + p.first) / kTwipsPerPixel;
    QList<QTextOption::Tab> tabs;
    for (QTextOption::Tab tab : p.tabs) {
        tab.position -= lineStart;
        if (tab.position > 0)
            tabs.append(tab);
    }
    if (p.first < 0) {
        const double hang = -p.first / kTwipsPerPixel;
        if (std::none_of(tabs.begin(), tabs.end(),
                         [&](const QTextOption::Tab &t) { return t.position <= hang + 0.5; }))
            tabs.append(QTextOption::Tab(hang, QTextOption::LeftTab));
    }
    std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab &a, const QTextOption::Tab &b) {
        return a.position < b.position;
    });
    if (!tabs.isEmpty())
        f.setTabPositions(tabs);
    return f;
}

void Reader::beginContent() {
    if (m_tableParagraphEnd) {
        m_tableParagraphEnd = false;
        endParagraph();
    }
    const CharProps &now = state().ch;
    if (!m_havePending || !(now == m_pendingProps)) {
        flush();
        m_pendingProps = now;
        m_havePending = true;
    }
    if (m_cellPending) {
        m_cellPending = false;
        decodePending();
        m_pendingText.append(QLatin1Char('\t'));
    }
    m_paragraphOpen = true;
    m_lastWasParagraphEnd = false;
    m_contentPara = state().para;
}

void Reader::addBytes(QByteArrayView bytes) {
    if (state().dest != Dest::Text || state().ch.hidden)
        return;
    // Line ends in the source are not text; other control bytes are noise.
    QByteArray clean;
    clean.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar u = uchar(c);
        if (u >= 0x20 || u == '\t')
            clean.append(c);
    }
    if (clean.isEmpty())
        return;
    beginContent();
    for (const char c : std::as_const(clean)) {
        if (c == '\t') {
            decodePending();
            m_pendingText.append(QLatin1Char('\t'));
        } else {
            m_pendingBytes.append(c);
        }
    }
}

void Reader::addChar(char32_t c) {
    if (state().dest != Dest::Text || state().ch.hidden)
        return;
    if (c < 0x20 && c != '\t')
        return;
    beginContent();
    decodePending();
    m_pendingText.append(QChar(char16_t(c)));
}

void Reader::decodePending() {
    if (m_pendingBytes.isEmpty())
        return;
    m_pendingText += decode(m_pendingBytes, codepageOf(m_pendingProps), symbolOf(m_pendingProps));
    m_pendingBytes.clear();
}

void Reader::flush() {
    decodePending();
    if (!m_pendingText.isEmpty()) {
        fixSurrogates(m_pendingText);
        m_cursor.insertText(m_pendingText, charFormat(m_pendingProps));
        m_pendingText.clear();
    }
    m_havePending = false;
}

void Reader::endParagraph() {
    if (state().dest != Dest::Text)
        return;
    m_tableParagraphEnd = false;
    flush();
    QTextBlockFormat f = blockFormat(state().para);
    if (m_breakBefore && m_paragraphOpen) {
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        m_breakBefore = false;
    }
    m_cursor.setBlockFormat(f);
    // An empty paragraph is as tall as the font it was ended in.
    if (!m_paragraphOpen)
        m_cursor.setBlockCharFormat(charFormat(state().ch));
    m_cursor.insertBlock();
    m_paragraphOpen = false;
    m_cellPending = false;
    m_lastWasParagraphEnd = true;
}

void Reader::finish() {
    if (m_tableParagraphEnd)
        endParagraph();
    flush();
    if (m_paragraphOpen) {
        QTextBlockFormat f = blockFormat(m_contentPara);
        if (m_breakBefore)
            f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        m_cursor.setBlockFormat(f);
    } else if (m_lastWasParagraphEnd && m_cursor.block().length() == 1 && m_doc.blockCount() > 1) {
        // The last paragraph mark ends the text; it opens no empty paragraph.
        m_cursor.deletePreviousChar();
    }
}

} // namespace

RtfReadResult readRtf(const QByteArray &rtf, QTextDocument &document) {
    document.clear();
    Reader reader(rtf, document);
    return reader.run();
}

} // namespace tembrel
