// The character formats of ScintillaSurface: styles allocated on demand, colouring in batches, the rich-text form.
#include "ScintillaSurface.h"

#include "PaletteColors.h"
#include "Utf8Units.h"

#include <algorithm>

namespace {

const std::array<char, 256> &identityStyles()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = char(i);
        return t;
    }();
    return table;
}

} // namespace

CharFormat ScintillaSurface::selFormat() const
{
    const long start = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (end <= start)
        return m_typing;
    return m_styles[std::size_t(send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(start)) & 0xFF)];
}

template <typename Change> void ScintillaSurface::changeSelFormat(Change change)
{
    const int length = selLength();
    if (length == 0) {
        change(m_typing);
        return;
    }
    std::vector<FormatRun> runs = formatRuns(selStart(), length);
    for (FormatRun &run : runs)
        change(run.format);
    applyFormatRuns(selStart(), runs);
}

void ScintillaSurface::setSelColor(OleColor color)
{
    changeSelFormat([color](CharFormat &f) { f.color = color; });
}

void ScintillaSurface::setSelBold(bool bold)
{
    changeSelFormat([bold](CharFormat &f) { f.bold = bold; });
}

void ScintillaSurface::setSelItalic(bool italic)
{
    changeSelFormat([italic](CharFormat &f) { f.italic = italic; });
}

void ScintillaSurface::setSelFontName(const QString &name)
{
    changeSelFormat([&name](CharFormat &f) { f.fontName = name; });
}

void ScintillaSurface::setSelFontSize(double size)
{
    changeSelFormat([size](CharFormat &f) { f.fontSize = size; });
}

void ScintillaSurface::applyStyle(int style, const CharFormat &format)
{
    const auto s = static_cast<unsigned long>(style);
    // Default colours on the system background follow the palette, so a dark desktop gives light text.
    send(QsciScintillaBase::SCI_STYLESETFORE, s, long(OleColors::fromQColor(PaletteColors::textColor(format.color, m_backColor))));
    send(QsciScintillaBase::SCI_STYLESETBACK, s, long(OleColors::fromQColor(OleColors::toQColor(m_backColor))));
    send(QsciScintillaBase::SCI_STYLESETBOLD, s, format.bold);
    send(QsciScintillaBase::SCI_STYLESETITALIC, s, format.italic);
    const QByteArray font = format.fontName.toUtf8();
    m_view->SendScintilla(QsciScintillaBase::SCI_STYLESETFONT, s, font.constData());
    send(QsciScintillaBase::SCI_STYLESETSIZEFRACTIONAL, s, long(format.fontSize * 100 + 0.5));
}

int ScintillaSurface::styleFor(const CharFormat &format)
{
    if (format == m_styles[0])
        return 0;
    if (const auto it = m_styleOf.constFind(format); it != m_styleOf.cend())
        return *it;
    for (int s = 1; s < 256; ++s) {
        if (!m_styleUsed[std::size_t(s)]) {
            m_styleUsed[std::size_t(s)] = true;
            m_styles[std::size_t(s)] = format;
            m_styleOf.insert(format, s);
            applyStyle(s, format);
            return s;
        }
    }
    // Every style is taken: fall back to one that at least shows the same colour.
    for (int s = 1; s < 256; ++s) {
        if ((s < QsciScintillaBase::STYLE_DEFAULT || s > QsciScintillaBase::STYLE_LASTPREDEFINED)
            && m_styles[std::size_t(s)].color == format.color)
            return s;
    }
    return 0;
}

void ScintillaSurface::styleBytes(int byteStart, int length, int style)
{
    if (length <= 0)
        return;
    send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(byteStart), 0);
    send(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(length), style);
}

void ScintillaSurface::styleUnits(int start, const quint8 *units, int count, const std::array<char, 256> &table)
{
    if (count <= 0)
        return;
    const CharSpot spot = spotOf(start);
    int byte = spot.byte;
    int k = spot.offset - start;
    if (k < 0) {
        // Starting on the second unit of a pair: the pair belongs to the unit before the range.
        byte += 4;
        k = 1;
    }
    const int span = m_utf16Index ? std::min(byteLength() - byte, (count - k) * 3 + 1) : count;
    if (span <= 0 || k >= count)
        return;
    const auto *data = m_utf16Index ? reinterpret_cast<const unsigned char *>(send(
                                          QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(byte), span))
                                    : nullptr;
    // Handed over in pieces: a buffer as large as the document would cost more to allocate than to fill.
    constexpr int Piece = 1 << 16;
    std::array<char, Piece + 4> styles;
    send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(byte), 0);
    int b = 0;
    while (k < count && b < span) {
        int filled = 0;
        if (!data) {
            filled = std::min(Piece, count - k);
            for (int i = 0; i < filled; ++i)
                styles[std::size_t(i)] = table[units[k + i]];
            k += filled;
        } else {
            while (filled < Piece && k < count && b < span) {
                const Utf8Char c = utf8CharOf(data[b]);
                const int bytes = std::min(c.bytes, span - b);
                std::fill_n(styles.begin() + filled, bytes, table[units[k]]);
                filled += bytes;
                b += bytes;
                k += c.units;
            }
        }
        m_view->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<unsigned long>(filled),
                              styles.data());
    }
}

void ScintillaSurface::applyFormatRuns(int start, const std::vector<FormatRun> &runs)
{
    start = std::clamp(start, 0, textLength());
    const std::size_t room = std::size_t(textLength() - start);
    std::vector<quint8> units;
    for (const FormatRun &run : runs) {
        const std::size_t length = std::min(std::size_t(std::max(0, run.length)), room - units.size());
        if (length > 0)
            units.insert(units.end(), length, quint8(styleFor(run.format)));
    }
    styleUnits(start, units.data(), int(units.size()), identityStyles());
}

void ScintillaSurface::applyStyleBuffer(int start, const std::vector<quint8> &styles,
                                        const std::vector<CharFormat> &palette)
{
    // Indices outside the palette stay 0, the default style.
    std::array<char, 256> table{};
    for (std::size_t i = 0; i < std::min<std::size_t>(palette.size(), table.size()); ++i)
        table[i] = char(styleFor(palette[i]));
    start = std::clamp(start, 0, textLength());
    const int count = int(std::min<qsizetype>(qsizetype(styles.size()), textLength() - start));
    styleUnits(start, styles.data(), count, table);
}

std::vector<FormatRun> ScintillaSurface::formatRuns(int start, int length) const
{
    needStyles(start, length);
    std::vector<FormatRun> runs;
    const int from = toByte(start);
    const int to = toByte(start + std::max(0, length));
    if (to <= from)
        return runs;
    const auto *data = reinterpret_cast<const unsigned char *>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    const QByteArray bytes(reinterpret_cast<const char *>(data), to - from);
    int i = 0;
    const int n = to - from;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int seq = 1;
        int units = 1;
        if (m_utf16Index) {
            if (lead >= 0xF0) {
                seq = 4;
                units = 2;
            } else if (lead >= 0xE0) {
                seq = 3;
            } else if (lead >= 0xC0) {
                seq = 2;
            }
        }
        const auto style = std::size_t(send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(from + i)) & 0xFF);
        const CharFormat &format = m_styles[style];
        if (!runs.empty() && runs.back().format == format)
            runs.back().length += units;
        else
            runs.push_back({units, format});
        i += seq;
    }
    return runs;
}

CharFormat ScintillaSurface::formatAt(int offset) const
{
    if (offset < 0 || offset >= textLength())
        return m_styles[0];
    const int byte = spotOf(offset).byte;
    return m_styles[std::size_t(send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(byte)) & 0xFF)];
}

QString ScintillaSurface::textRTF() const
{
    return rtfOfRange(0, textLength());
}

void ScintillaSurface::setTextRTF(const QString &rtf)
{
    replaceWithRtf(rtf, true);
}

QString ScintillaSurface::selRTF() const
{
    return rtfOfRange(selStart(), selLength());
}

void ScintillaSurface::setSelRTF(const QString &rtf)
{
    replaceWithRtf(rtf, false);
}

void ScintillaSurface::setDefaultFormat(const CharFormat &format)
{
    const bool typingWasDefault = m_typing == m_styles[0];
    m_styles[0] = format;
    applyStyle(QsciScintillaBase::STYLE_DEFAULT, format);
    applyStyle(0, format);
    send(QsciScintillaBase::SCI_SETCARETFORE, OleColors::fromQColor(OleColors::textColor(format.color, m_backColor)));
    updateFoldColours();
    if (typingWasDefault)
        m_typing = format;
}

void ScintillaSurface::setBackColor(OleColor color)
{
    m_backColor = color;
    const PaletteColors::Selection selection = PaletteColors::selection(OleColors::toQColor(color));
    send(QsciScintillaBase::SCI_SETSELFORE, 1, long(OleColors::fromQColor(selection.text)));
    send(QsciScintillaBase::SCI_SETSELBACK, 1, long(OleColors::fromQColor(selection.back)));
    applyStyle(QsciScintillaBase::STYLE_DEFAULT, m_styles[0]);
    send(QsciScintillaBase::SCI_SETCARETFORE, OleColors::fromQColor(OleColors::textColor(m_styles[0].color, m_backColor)));
    for (int s = 0; s < 256; ++s) {
        if (m_styleUsed[std::size_t(s)] && (s < QsciScintillaBase::STYLE_DEFAULT || s > QsciScintillaBase::STYLE_LASTPREDEFINED))
            applyStyle(s, m_styles[std::size_t(s)]);
    }
    updateFoldColours();
}

void ScintillaSurface::typedRange(int byteStart, int byteEnd)
{
    if (byteEnd > byteStart && !(m_typing == m_styles[0]))
        styleBytes(byteStart, byteEnd - byteStart, styleFor(m_typing));
}

void ScintillaSurface::resetTypingFormat()
{
    m_typing = m_styles[0];
}
