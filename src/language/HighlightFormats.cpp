#include "HighlightFormats.h"

#include "Settings.h"

HighlightFormats::HighlightFormats(const Settings &settings, const CharFormat &defaultFont)
{
    CharFormat plain = defaultFont;
    plain.color = settings.fcolor;
    plain.bold = settings.TextBold;
    plain.italic = settings.TextItalic;

    // Token passes keep the italic of plain text; only comments set their own.
    auto token = [&](OleColor color) {
        CharFormat f = plain;
        f.color = color;
        f.bold = settings.BoldKeyWords;
        return f;
    };
    m_formats[std::size_t(TokenStyle::Plain)] = plain;
    m_formats[std::size_t(TokenStyle::Keyword)] = token(settings.fcolor1);
    m_formats[std::size_t(TokenStyle::Function)] = token(settings.fcolor2);
    m_formats[std::size_t(TokenStyle::Number)] = token(settings.fcolorNumber);
    m_formats[std::size_t(TokenStyle::String)] = token(settings.fcolorString);
    CharFormat comment = token(settings.fcolorComment);
    comment.italic = settings.ItalicComments;
    m_formats[std::size_t(TokenStyle::Comment)] = comment;
}

std::vector<FormatRun> HighlightFormats::runs(const StyleBuffer &styles) const
{
    const std::size_t n = styles.size();
    // Counted first: growing a vector of a million runs costs more than the passes.
    std::size_t count = n == 0 ? 0 : 1;
    for (std::size_t k = 1; k < n; ++k)
        count += styles[k] != styles[k - 1];
    std::vector<FormatRun> out;
    out.reserve(count);
    std::size_t i = 0;
    while (i < n) {
        const TokenStyle style = styles[i];
        std::size_t j = i + 1;
        while (j < n && styles[j] == style)
            ++j;
        out.push_back({int(j - i), format(style)});
        i = j;
    }
    return out;
}
