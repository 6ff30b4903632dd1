#include "HighlightFormats.h"

#include "Settings.h"

#include <algorithm>

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
    // Bold marks the words of the language; prose in strings and comments keeps the plain weight,
    // so a keyword inside one does not stand out.
    CharFormat string = token(settings.fcolorString);
    string.bold = plain.bold;
    m_formats[std::size_t(TokenStyle::String)] = string;
    CharFormat comment = token(settings.fcolorComment);
    comment.bold = plain.bold;
    comment.italic = settings.ItalicComments;
    m_formats[std::size_t(TokenStyle::Comment)] = comment;
}

std::vector<quint8> HighlightFormats::paletteIndices(const StyleBuffer &styles)
{
    std::vector<quint8> indices(styles.size());
    std::transform(styles.begin(), styles.end(), indices.begin(), [](TokenStyle s) { return quint8(s); });
    return indices;
}
