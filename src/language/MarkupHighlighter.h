#pragma once

#include "HighlightFormats.h"
#include "HighlightPasses.h"

#include <QChar>
#include <QString>

#include <optional>

class RenderClock;

// The passes of the markup highlighter over one subject: tags, attribute names, numbers, hex
// colours, quoted values, comments. Fixed patterns, always ignoring letter case; only the string
// character comes from the language. Touches no surface.
class MarkupHighlighter {
public:
    MarkupHighlighter(QChar stringChar, bool highlightNumbers,
                      HighlightPasses::Engine engine = HighlightPasses::Engine::Fast);

    std::optional<StyleBuffer> styles(const QString &subject, RenderClock &clock) const;
    // Every pass but the comments, the one pass that reaches across lines (the attribute pass looks
    // back over one CR LF only).
    std::optional<StyleBuffer> lineStyles(const QString &subject, RenderClock &clock) const;

    static const QString TagPattern;
    static const QString AttributePattern;
    static const QString CommentPattern;

private:
    HighlightPasses::PassResult tags(QStringView subject, StyleBuffer &styles, RenderClock &clock) const;
    HighlightPasses::PassResult attributes(QStringView subject, StyleBuffer &styles, RenderClock &clock) const;
    HighlightPasses::PassResult strings(const QString &subject, StyleBuffer &styles, RenderClock &clock) const;
    HighlightPasses::PassResult comments(QStringView subject, StyleBuffer &styles, RenderClock &clock) const;

    QChar m_stringChar;
    bool m_highlightNumbers;
    HighlightPasses::Engine m_engine;
};
