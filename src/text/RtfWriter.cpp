#include "RtfCodec.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

void appendInt(std::string &out, long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Everything outside printable ASCII goes out as \uN with a '?' fallback, so the file is pure ASCII
// whatever its reader's code page. The fallback is written \'3f: some readers skip the whole word
// after \uN instead of one character, and would drop the "me" of "cr\u232?me".
// NUL, lone CR and lone LF of binary documents take the same road: \uN is standard RTF (other
// readers show the character or the fallback, never swallow text silently), while \par and \line
// both mean a CR LF pair and could not tell the three apart.
void appendChar(std::string &out, char16_t c)
{
    switch (c) {
    case u'\\':
        out += "\\\\";
        return;
    case u'{':
        out += "\\{";
        return;
    case u'}':
        out += "\\}";
        return;
    case u'\t':
        out += "\\tab ";
        return;
    default:
        break;
    }
    if (c >= 0x20 && c < 0x7f) {
        out += static_cast<char>(c);
        return;
    }
    out += "\\u";
    appendInt(out, static_cast<std::int16_t>(c));
    out += "\\'3f";
}

void appendFontName(std::string &out, const QString &name)
{
    for (const QChar ch : name) {
        // A semicolon would end the name inside the font table.
        if (ch == u';')
            out += "\\'3b";
        else if (ch == u'\t')
            out += "\\u9\\'3f";
        else
            appendChar(out, ch.unicode());
    }
}

double writableSize(double size)
{
    if (!std::isfinite(size))
        return 0;
    return std::clamp(size, 0.0, 100000.0);
}

struct Segment {
    qsizetype start = 0;
    qsizetype end = 0;
    const CharFormat *format = nullptr;
    int font = 0;
    int color = 0;
};

} // namespace

QString RtfCodec::write(const QString &text, const std::vector<FormatRun> &runs, const CharFormat &defaultFormat)
{
    const qsizetype length = text.size();
    std::vector<Segment> segments;
    qsizetype position = 0;
    for (const FormatRun &run : runs) {
        if (position >= length)
            break;
        if (run.length <= 0)
            continue;
        const qsizetype end = std::min<qsizetype>(length, position + run.length);
        segments.push_back({position, end, &run.format});
        position = end;
    }
    if (position < length)
        segments.push_back({position, length, &defaultFormat});

    QStringList fonts{defaultFormat.fontName};
    QHash<QString, int> fontIndex{{defaultFormat.fontName, 0}};
    std::vector<OleColor> colors;
    QHash<OleColor, int> colorIndex;
    for (Segment &segment : segments) {
        const QString &name = segment.format->fontName;
        auto font = fontIndex.constFind(name);
        if (font == fontIndex.cend()) {
            font = fontIndex.insert(name, static_cast<int>(fonts.size()));
            fonts.append(name);
        }
        segment.font = *font;
        auto color = colorIndex.constFind(segment.format->color);
        if (color == colorIndex.cend()) {
            colors.push_back(segment.format->color);
            color = colorIndex.insert(segment.format->color, static_cast<int>(colors.size()));
        }
        segment.color = *color;
    }

    std::string out;
    out.reserve(static_cast<size_t>(length + length / 4) + segments.size() * 24 + fonts.size() * 48 + 256);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        out += "{\\f";
        appendInt(out, i);
        out += "\\fnil\\fcharset0 ";
        appendFontName(out, fonts[i]);
        out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (const OleColor color : colors) {
        out += "\\red";
        appendInt(out, color & 0xff);
        out += "\\green";
        appendInt(out, (color >> 8) & 0xff);
        out += "\\blue";
        appendInt(out, (color >> 16) & 0xff);
        // System colours (0x80000000 + n) have no RGB here; a word of our own keeps the flag byte.
        if (color >> 24) {
            out += "\\orvhigh";
            appendInt(out, color >> 24);
        }
        out += ';';
    }
    out += "}\r\n\\pard";

    const auto *chars = reinterpret_cast<const char16_t *>(text.utf16());
    const Segment *previous = nullptr;
    for (const Segment &segment : segments) {
        const CharFormat &format = *segment.format;
        const size_t before = out.size();
        if (!previous || previous->font != segment.font) {
            out += "\\f";
            appendInt(out, segment.font);
        }
        const double size = writableSize(format.fontSize);
        if (!previous || writableSize(previous->format->fontSize) != size) {
            // Half points hold 7.5; finer sizes add a word of our own that other readers ignore.
            const long long halfPoints = std::llround(size * 2);
            out += "\\fs";
            appendInt(out, halfPoints);
            if (static_cast<double>(halfPoints) != size * 2) {
                out += "\\orvfs";
                appendInt(out, std::llround(size * 100));
            }
        }
        if (!previous || previous->color != segment.color) {
            out += "\\cf";
            appendInt(out, segment.color);
        }
        if (!previous || previous->format->bold != format.bold)
            out += format.bold ? "\\b" : "\\b0";
        if (!previous || previous->format->italic != format.italic)
            out += format.italic ? "\\i" : "\\i0";
        if (out.size() != before)
            out += ' ';
        for (qsizetype i = segment.start; i < segment.end; ++i) {
            const char16_t c = chars[i];
            if (c == u'\r' && i + 1 < segment.end && chars[i + 1] == u'\n') {
                out += "\\par\r\n";
                ++i;
            } else {
                appendChar(out, c);
            }
        }
        previous = &segment;
    }
    if (segments.empty())
        out += ' ';
    out += '}';
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}
