#pragma once

#include "EditorSurface.h"

#include <QtGlobal>

#include <array>
#include <vector>

struct Settings;

// What a highlighter pass gives a character; later passes overwrite earlier ones.
enum class TokenStyle : quint8 { Plain, Keyword, Function, Number, String, Comment };

using StyleBuffer = std::vector<TokenStyle>;

// The character format of every token style, taken from the settings once per render.
class HighlightFormats {
public:
    // Font name and size come from the surface's default font, so plain text keeps it.
    HighlightFormats(const Settings &settings, const CharFormat &defaultFont);

    const CharFormat &format(TokenStyle style) const { return m_formats[std::size_t(style)]; }

    // The formats in token-style order: a style buffer's values index it directly.
    std::vector<CharFormat> palette() const { return {m_formats.begin(), m_formats.end()}; }

    // The buffer as the surface takes it.
    static std::vector<quint8> paletteIndices(const StyleBuffer &styles);

private:
    std::array<CharFormat, 6> m_formats;
};
