#pragma once

#include "HighlightFormats.h"
#include "HighlightPasses.h"
#include "LanguageDefinition.h"
#include "WordMatcher.h"

#include <QString>

#include <memory>
#include <optional>

class RenderClock;

// The passes of the code highlighter over one subject: keywords, functions, numbers, hex colours,
// strings, line comments, block comments, each overwriting the ones before. Touches no surface.
class CodeHighlighter {
public:
    CodeHighlighter(const LanguageDefinition &language, bool highlightNumbers,
                    HighlightPasses::Engine engine = HighlightPasses::Engine::Fast);

    // The style of every character of the subject; nothing when the clock stopped the render.
    std::optional<StyleBuffer> styles(QString subject, RenderClock &clock) const;
    // Every pass but the block comments, the one pass that reaches across lines.
    std::optional<StyleBuffer> lineStyles(QString &subject, RenderClock &clock) const;
    // Whether the passes of lineStyles see no further than the line they work on, so a document
    // can be coloured piece by piece of whole lines (words and comment markers that are plain text).
    static bool linesStandAlone(const LanguageDefinition &language);

private:
    std::optional<StyleBuffer> lineStyles(QString &subject, RenderClock &clock, bool acrossLines) const;
    HighlightPasses::PassResult wordPass(QString &subject, const QString &listText, const QString &builtPattern,
                                         bool hyphen, bool ignoreCase, bool nonAsciiFold, StyleBuffer &styles,
                                         TokenStyle style, RenderClock &clock) const;
    // The list as a word matcher, when the fast engine may stand in for its pattern.
    std::shared_ptr<const WordMatcher> plainMatcher(const QString &listText, const QString &builtPattern,
                                                    bool ignoreCase, bool nonAsciiFold) const;
    HighlightPasses::PassResult stringPass(const QString &subject, StyleBuffer &styles, RenderClock &clock) const;
    HighlightPasses::PassResult lineCommentPass(const QString &subject, bool ignoreCase, bool nonAsciiFold,
                                                StyleBuffer &styles, RenderClock &clock) const;
    HighlightPasses::PassResult blockCommentPass(const QString &subject, StyleBuffer &styles,
                                                 RenderClock &clock) const;
    // Strings of every form and comments in one left-to-right reading, where the language says
    // how (LanguageDefinition::lexicalStrings): a comment marker in a string, or a quote in a
    // comment, is text. acrossLines also reads long strings and block comments.
    HighlightPasses::PassResult lexicalPass(const QString &subject, bool acrossLines, StyleBuffer &styles,
                                            RenderClock &clock) const;

    const LanguageDefinition &m_language;
    bool m_highlightNumbers;
    HighlightPasses::Engine m_engine;
};
