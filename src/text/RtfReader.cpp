#include "RtfCodec.h"

#include "HexDigit.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <utility>

namespace {

enum class Destination { Text, FontTable, ColorTable };

enum class Word {
    Par, Tab, Emdash, Endash, Lquote, Rquote, Ldblquote, Rdblquote, Bullet, Emspace, Enspace, Qmspace,
    Zwj, Zwnj, Ltrmark, Rtlmark, Bold, Italic, Font, FontSize, ExactSize, Color, Plain, Unicode, UcSkip,
    DefaultFont, AnsiCodePage, Ansi, Mac, Pc, Pca, FontCharset, Red, Green, Blue, ColorHigh, Bin, FontTable,
    ColorTable, SkippedDestination,
};

const QHash<QStringView, Word> &wordTable()
{
    static const QHash<QStringView, Word> table = {
        {u"par", Word::Par}, {u"line", Word::Par}, {u"sect", Word::Par}, {u"page", Word::Par},
        {u"row", Word::Par}, {u"tab", Word::Tab}, {u"cell", Word::Tab}, {u"nestcell", Word::Tab},
        {u"emdash", Word::Emdash}, {u"endash", Word::Endash}, {u"lquote", Word::Lquote},
        {u"rquote", Word::Rquote}, {u"ldblquote", Word::Ldblquote}, {u"rdblquote", Word::Rdblquote},
        {u"bullet", Word::Bullet}, {u"emspace", Word::Emspace}, {u"enspace", Word::Enspace},
        {u"qmspace", Word::Qmspace}, {u"zwj", Word::Zwj}, {u"zwnj", Word::Zwnj}, {u"ltrmark", Word::Ltrmark},
        {u"rtlmark", Word::Rtlmark}, {u"b", Word::Bold}, {u"i", Word::Italic}, {u"f", Word::Font},
        {u"fs", Word::FontSize}, {u"orvfs", Word::ExactSize}, {u"cf", Word::Color}, {u"plain", Word::Plain},
        {u"u", Word::Unicode}, {u"uc", Word::UcSkip}, {u"deff", Word::DefaultFont},
        {u"ansicpg", Word::AnsiCodePage}, {u"ansi", Word::Ansi}, {u"mac", Word::Mac}, {u"pc", Word::Pc},
        {u"pca", Word::Pca}, {u"fcharset", Word::FontCharset}, {u"red", Word::Red}, {u"green", Word::Green},
        {u"blue", Word::Blue}, {u"orvhigh", Word::ColorHigh}, {u"bin", Word::Bin}, {u"fonttbl", Word::FontTable},
        {u"colortbl", Word::ColorTable},
        // Groups whose content is not document text.
        {u"stylesheet", Word::SkippedDestination}, {u"info", Word::SkippedDestination},
        {u"pict", Word::SkippedDestination}, {u"header", Word::SkippedDestination},
        {u"headerl", Word::SkippedDestination}, {u"headerr", Word::SkippedDestination},
        {u"headerf", Word::SkippedDestination}, {u"footer", Word::SkippedDestination},
        {u"footerl", Word::SkippedDestination}, {u"footerr", Word::SkippedDestination},
        {u"footerf", Word::SkippedDestination}, {u"footnote", Word::SkippedDestination},
        {u"annotation", Word::SkippedDestination}, {u"atnid", Word::SkippedDestination},
        {u"atnauthor", Word::SkippedDestination}, {u"objdata", Word::SkippedDestination},
        {u"objclass", Word::SkippedDestination}, {u"objname", Word::SkippedDestination}, {u"fldinst", Word::SkippedDestination},
        {u"nonshppict", Word::SkippedDestination}, {u"listtable", Word::SkippedDestination},
        {u"listoverridetable", Word::SkippedDestination}, {u"revtbl", Word::SkippedDestination},
        {u"rsidtbl", Word::SkippedDestination}, {u"filetbl", Word::SkippedDestination},
        {u"pgdsctbl", Word::SkippedDestination}, {u"themedata", Word::SkippedDestination},
        {u"colorschememapping", Word::SkippedDestination}, {u"latentstyles", Word::SkippedDestination},
        {u"datastore", Word::SkippedDestination}, {u"xmlnstbl", Word::SkippedDestination},
        {u"mmathPr", Word::SkippedDestination}, {u"generator", Word::SkippedDestination},
        {u"author", Word::SkippedDestination}, {u"title", Word::SkippedDestination},
        {u"subject", Word::SkippedDestination}, {u"operator", Word::SkippedDestination},
        {u"keywords", Word::SkippedDestination}, {u"comment", Word::SkippedDestination},
        {u"doccomm", Word::SkippedDestination}, {u"creatim", Word::SkippedDestination},
        {u"revtim", Word::SkippedDestination}, {u"printim", Word::SkippedDestination},
        {u"buptim", Word::SkippedDestination}, {u"bkmkstart", Word::SkippedDestination},
        {u"bkmkend", Word::SkippedDestination}, {u"txe", Word::SkippedDestination},
        {u"xe", Word::SkippedDestination}, {u"tc", Word::SkippedDestination},
        {u"template", Word::SkippedDestination}, {u"docvar", Word::SkippedDestination},
        {u"pn", Word::SkippedDestination}, {u"fchars", Word::SkippedDestination},
        {u"lchars", Word::SkippedDestination},
    };
    return table;
}

struct GroupState {
    Destination destination = Destination::Text;
    int font = -1; // -1: no \f seen, the caller's default font
    int color = 0;
    double size = 0;
    bool bold = false;
    bool italic = false;
    int unicodeSkip = 1;
};

struct FontEntry {
    QString name;
    int charset = -1;
};

struct ColorEntry {
    bool isAuto = true;
    OleColor color = 0;
};

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0; // the document's code page
    }
}

bool isLeadByte(int codePage, unsigned char byte)
{
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
    case 936:
    case 949:
    case 950:
    case 1361:
        return byte >= 0x81 && byte <= 0xfe;
    default:
        return false;
    }
}

QByteArray codecName(int codePage)
{
    switch (codePage) {
    case 437: case 850: case 852: case 866: return "IBM" + QByteArray::number(codePage);
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1361: return "johab";
    case 10000: return "macintosh";
    case 65001: return "UTF-8";
    default: return "windows-" + QByteArray::number(codePage);
    }
}

// Built in so that the common case never depends on the platform's converters.
char16_t fromWindows1252(unsigned char byte)
{
    static constexpr char16_t high[32] = {
        0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
        0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178,
    };
    if (byte >= 0x80 && byte < 0xa0)
        return high[byte - 0x80];
    return byte;
}

class Reader {
public:
    Reader(QStringView rtf, const CharFormat &defaultFormat)
        : m_p(reinterpret_cast<const char16_t *>(rtf.utf16())), m_end(m_p + rtf.size()), m_default(defaultFormat)
    {
        m_state.size = defaultFormat.fontSize;
        m_state.bold = defaultFormat.bold;
        m_state.italic = defaultFormat.italic;
        m_doc.text.reserve(rtf.size() / 2);
    }

    RtfCodec::RtfDocument read()
    {
        while (!m_done && m_p < m_end) {
            const char16_t c = *m_p++;
            switch (c) {
            case u'{':
                flushBytes();
                m_skip = 0;
                m_stack.push_back(m_state);
                break;
            case u'}':
                closeGroup();
                break;
            case u'\\':
                escape();
                break;
            case u'\r':
            case u'\n':
                break;
            default:
                literal(c);
                break;
            }
        }
        flushBytes();
        return std::move(m_doc);
    }

private:
    void closeGroup()
    {
        flushBytes();
        m_skip = 0;
        if (m_state.destination == Destination::FontTable && m_fontOpen && !m_fontName.isEmpty())
            commitFont();
        if (m_state.destination == Destination::ColorTable && m_colorSet)
            commitColor();
        if (m_stack.empty()) {
            m_done = true;
            return;
        }
        m_state = m_stack.back();
        m_stack.pop_back();
        m_dirty = true;
        if (m_stack.empty())
            m_done = true;
    }

    // Consumes the rest of the current group, its closing brace included.
    void skipGroup()
    {
        flushBytes();
        m_skip = 0;
        int depth = 0;
        while (m_p < m_end) {
            const char16_t c = *m_p++;
            if (c == u'{') {
                ++depth;
            } else if (c == u'}') {
                if (depth == 0) {
                    closeGroup();
                    return;
                }
                --depth;
            } else if (c == u'\\' && m_p < m_end) {
                if (!isAsciiLetter(*m_p)) {
                    ++m_p;
                    continue;
                }
                const char16_t *start = m_p;
                while (m_p < m_end && isAsciiLetter(*m_p))
                    ++m_p;
                if (QStringView(start, m_p) == u"bin")
                    skipBinary(parameter().value_or(0));
            }
        }
    }

    // Reads an optional numeric parameter and the space that may delimit a control word.
    std::optional<long long> parameter()
    {
        std::optional<long long> value;
        bool negative = false;
        if (m_p + 1 < m_end && *m_p == u'-' && isDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        while (m_p < m_end && isDigit(*m_p)) {
            const long long v = value.value_or(0);
            value = v > 100000000000LL ? v : v * 10 + (*m_p - u'0');
            ++m_p;
        }
        if (m_p < m_end && *m_p == u' ')
            ++m_p;
        if (value && negative)
            value = -*value;
        return value;
    }

    void skipBinary(long long count)
    {
        m_p += std::clamp<long long>(count, 0, m_end - m_p);
    }

    void escape()
    {
        if (m_p >= m_end)
            return;
        const char16_t c = *m_p;
        if (isAsciiLetter(c)) {
            const char16_t *start = m_p;
            while (m_p < m_end && isAsciiLetter(*m_p))
                ++m_p;
            const QStringView word(start, m_p);
            const std::optional<long long> param = parameter();
            if (word == u"bin") {
                skipBinary(param.value_or(0));
                return;
            }
            if (m_skip > 0) {
                --m_skip;
                return;
            }
            controlWord(word, param);
            return;
        }
        ++m_p;
        if (c == u'\'') {
            int value = -1;
            const int hi = m_p < m_end ? hexDigitValue(m_p[0]) : -1;
            const int lo = m_p + 1 < m_end ? hexDigitValue(m_p[1]) : -1;
            if (hi >= 0 && lo >= 0) {
                value = hi * 16 + lo;
                m_p += 2;
            } else if (hi >= 0) {
                // Half a byte cannot be decoded; it is not text either.
                ++m_p;
            }
            if (m_skip > 0) {
                --m_skip;
                return;
            }
            if (value >= 0)
                byte(static_cast<unsigned char>(value));
            return;
        }
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        switch (c) {
        case u'\\':
        case u'{':
        case u'}':
            literal(c);
            break;
        case u'~':
            put(u'\u00a0');
            break;
        case u'-':
            put(u'\u00ad');
            break;
        case u'_':
            put(u'\u2011');
            break;
        case u'*':
            if (m_stack.size() > 1)
                skipGroup();
            break;
        case u'\r':
        case u'\n':
            paragraph();
            break;
        default:
            break;
        }
    }

    void controlWord(QStringView word, std::optional<long long> param)
    {
        flushBytes();
        const auto found = wordTable().constFind(word);
        if (found == wordTable().cend())
            return;
        const int value = static_cast<int>(std::clamp<long long>(param.value_or(0), std::numeric_limits<int>::min(),
                                                                 std::numeric_limits<int>::max()));
        const bool on = !param || *param != 0;
        switch (*found) {
        case Word::Par: paragraph(); break;
        case Word::Tab: put(u'\t'); break;
        case Word::Emdash: put(u'\u2014'); break;
        case Word::Endash: put(u'\u2013'); break;
        case Word::Lquote: put(u'\u2018'); break;
        case Word::Rquote: put(u'\u2019'); break;
        case Word::Ldblquote: put(u'\u201c'); break;
        case Word::Rdblquote: put(u'\u201d'); break;
        case Word::Bullet: put(u'\u2022'); break;
        case Word::Emspace: put(u'\u2003'); break;
        case Word::Enspace: put(u'\u2002'); break;
        case Word::Qmspace: put(u'\u2005'); break;
        case Word::Zwj: put(u'\u200d'); break;
        case Word::Zwnj: put(u'\u200c'); break;
        case Word::Ltrmark: put(u'\u200e'); break;
        case Word::Rtlmark: put(u'\u200f'); break;
        case Word::Bold: m_state.bold = on; m_dirty = true; break;
        case Word::Italic: m_state.italic = on; m_dirty = true; break;
        case Word::Font:
            if (m_state.destination == Destination::FontTable) {
                m_fontOpen = true;
                m_fontNumber = value;
                m_fontCharset = -1;
                m_fontName.clear();
            } else {
                m_state.font = value;
                m_dirty = true;
            }
            break;
        case Word::FontSize: m_state.size = param ? value / 2.0 : 12.0; m_dirty = true; break;
        case Word::ExactSize: m_state.size = value / 100.0; m_dirty = true; break;
        case Word::Color: m_state.color = value; m_dirty = true; break;
        case Word::Plain:
            m_state.font = -1;
            m_state.color = 0;
            m_state.size = m_default.fontSize;
            m_state.bold = m_default.bold;
            m_state.italic = m_default.italic;
            m_dirty = true;
            break;
        case Word::Unicode: unicode(param.value_or(0)); break;
        case Word::UcSkip: m_state.unicodeSkip = std::max(0, value); break;
        case Word::DefaultFont: m_defaultFont = value; break;
        case Word::AnsiCodePage: m_codePage = value; break;
        case Word::Ansi: m_codePage = 1252; break;
        case Word::Mac: m_codePage = 10000; break;
        case Word::Pc: m_codePage = 437; break;
        case Word::Pca: m_codePage = 850; break;
        case Word::FontCharset:
            if (m_state.destination == Destination::FontTable)
                m_fontCharset = value;
            break;
        case Word::Red: colorComponent(0, value); break;
        case Word::Green: colorComponent(8, value); break;
        case Word::Blue: colorComponent(16, value); break;
        case Word::ColorHigh: colorComponent(24, value); break;
        case Word::Bin: break;
        // A destination word at the document's own level is malformed; ignoring it keeps the text.
        case Word::FontTable:
            if (m_stack.size() > 1)
                m_state.destination = Destination::FontTable;
            break;
        case Word::ColorTable:
            if (m_stack.size() > 1)
                m_state.destination = Destination::ColorTable;
            break;
        case Word::SkippedDestination:
            if (m_stack.size() > 1)
                skipGroup();
            break;
        }
    }

    void unicode(long long code)
    {
        if (code < 0)
            code += 65536;
        if (code >= 0 && code <= 0xffff) {
            put(static_cast<char16_t>(code));
        } else if (code >= 0x10000 && code <= 0x10ffff) {
            put(QChar::highSurrogate(static_cast<char32_t>(code)));
            put(QChar::lowSurrogate(static_cast<char32_t>(code)));
        }
        m_skip = m_state.unicodeSkip;
    }

    void colorComponent(int shift, int value)
    {
        if (m_state.destination != Destination::ColorTable)
            return;
        m_color &= ~(0xffu << shift);
        m_color |= static_cast<OleColor>(std::clamp(value, 0, 255)) << shift;
        m_colorSet = true;
    }

    void commitColor()
    {
        m_colors.push_back({!m_colorSet, m_color});
        m_color = 0;
        m_colorSet = false;
    }

    void commitFont()
    {
        if (m_fontNumber >= 0)
            m_fonts[m_fontNumber] = {m_fontName, m_fontCharset};
        m_fontOpen = false;
        m_fontName.clear();
    }

    void literal(char16_t c)
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (c < 0x80 && m_expectTrailByte) {
            byte(static_cast<unsigned char>(c));
            return;
        }
        flushBytes();
        if (c == u';') {
            if (m_state.destination == Destination::FontTable) {
                commitFont();
                return;
            }
            if (m_state.destination == Destination::ColorTable) {
                commitColor();
                return;
            }
        }
        put(c);
    }

    void paragraph()
    {
        put(u'\r');
        put(u'\n');
    }

    int currentCodePage() const
    {
        int charset = -1;
        if (m_state.destination == Destination::FontTable) {
            charset = m_fontCharset;
        } else {
            const auto font = m_fonts.find(m_state.font >= 0 ? m_state.font : m_defaultFont);
            if (font != m_fonts.end())
                charset = font->second.charset;
        }
        const int codePage = codePageOfCharset(charset);
        return codePage != 0 ? codePage : m_codePage;
    }

    void byte(unsigned char value)
    {
        const int codePage = currentCodePage();
        if (!m_bytes.isEmpty() && codePage != m_bytesCodePage)
            flushBytes();
        m_bytesCodePage = codePage;
        m_bytes.append(static_cast<char>(value));
        m_expectTrailByte = !m_expectTrailByte && isLeadByte(codePage, value);
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        QString decoded;
        if (m_bytesCodePage != 1252) {
            auto decoder = m_decoders.find(m_bytesCodePage);
            if (decoder == m_decoders.end())
                decoder = m_decoders.emplace(m_bytesCodePage, QStringDecoder(codecName(m_bytesCodePage).constData()))
                              .first;
            if (decoder->second.isValid()) {
                decoder->second.resetState();
                decoded = decoder->second.decode(m_bytes);
            }
        }
        if (decoded.isEmpty()) {
            decoded.reserve(m_bytes.size());
            for (const char b : std::as_const(m_bytes))
                decoded.append(QChar(fromWindows1252(static_cast<unsigned char>(b))));
        }
        m_bytes.clear();
        m_expectTrailByte = false;
        for (const QChar ch : std::as_const(decoded))
            put(ch.unicode());
    }

    void put(char16_t c)
    {
        switch (m_state.destination) {
        case Destination::FontTable:
            m_fontName.append(QChar(c));
            return;
        case Destination::ColorTable:
            return;
        case Destination::Text:
            break;
        }
        if (m_dirty)
            resolveFormat();
        if (!m_runMatches) {
            m_doc.runs.push_back({0, m_format});
            m_runMatches = true;
        }
        ++m_doc.runs.back().length;
        m_doc.text.append(QChar(c));
    }

    void resolveFormat()
    {
        CharFormat format = m_default;
        if (m_state.color >= 0 && m_state.color < static_cast<int>(m_colors.size()) &&
            !m_colors[m_state.color].isAuto)
            format.color = m_colors[m_state.color].color;
        if (m_state.font >= 0) {
            const auto font = m_fonts.find(m_state.font);
            if (font != m_fonts.end())
                format.fontName = font->second.name;
        }
        format.bold = m_state.bold;
        format.italic = m_state.italic;
        format.fontSize = m_state.size;
        m_dirty = false;
        m_runMatches = !m_doc.runs.empty() && m_doc.runs.back().format == format;
        m_format = std::move(format);
    }

    const char16_t *m_p;
    const char16_t *m_end;
    const CharFormat m_default;
    bool m_done = false;

    GroupState m_state;
    std::vector<GroupState> m_stack;
    int m_skip = 0;

    std::unordered_map<int, FontEntry> m_fonts;
    int m_defaultFont = 0;
    bool m_fontOpen = false;
    int m_fontNumber = -1;
    int m_fontCharset = -1;
    QString m_fontName;

    std::vector<ColorEntry> m_colors;
    OleColor m_color = 0;
    bool m_colorSet = false;

    int m_codePage = 1252;
    QByteArray m_bytes;
    int m_bytesCodePage = 1252;
    bool m_expectTrailByte = false;
    std::unordered_map<int, QStringDecoder> m_decoders;

    bool m_dirty = true;
    bool m_runMatches = false;
    CharFormat m_format;
    RtfCodec::RtfDocument m_doc;
};

} // namespace

std::optional<RtfCodec::RtfDocument> RtfCodec::read(const QString &rtf, const CharFormat &defaultFormat)
{
    QStringView view(rtf);
    qsizetype start = 0;
    while (start < view.size() && (view[start].isSpace() || view[start] == QChar(0xfeff)))
        ++start;
    view = view.mid(start);
    if (!view.startsWith(u"{\\rtf"))
        return std::nullopt;
    return Reader(view, defaultFormat).read();
}
