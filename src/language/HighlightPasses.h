#pragma once

#include "HighlightFormats.h"

#include <QString>
#include <QStringView>

class RenderClock;

// Building blocks shared by the code and markup highlighters. Each hand-written scanner finds
// exactly what its pattern finds with the program's regular-expression engine; the tests hold
// both side by side on random text.
namespace HighlightPasses {

// Which matcher runs a pass: the hand-written scanners where they apply, or always the pattern.
enum class Engine { Fast, PatternOnly };

// Outcome of one pass: done, or the render was stopped by its clock.
enum class PassResult { Done, Stopped };

void fill(StyleBuffer &styles, qsizetype start, qsizetype length, TokenStyle style);

// Runs a pattern with Global and MultiLine on and gives every match the style, leaving out trimFront
// characters at its start and trimBack at its end. A pattern the engine rejects colours nothing.
PassResult patternPass(const QString &subject, const QString &pattern, bool ignoreCase, StyleBuffer &styles,
                       TokenStyle style, RenderClock &clock, qsizetype trimFront = 0, qsizetype trimBack = 0);

// Under IgnoreCase the engine folds the long s (U+017F) into "s" and the Kelvin sign (U+212A) into
// "k"; the scanners compare ASCII only, so a subject holding either goes to the pattern.
bool hasNonAsciiFold(QStringView subject);

// "\b[0-9]+\b": runs of word characters made of digits only.
PassResult numbers(QStringView subject, StyleBuffer &styles, RenderClock &clock);
// "#[0-9a-f]{6}" in either letter case.
PassResult hexColours(QStringView subject, StyleBuffer &styles, RenderClock &clock);

// A character the engine reads literally, outside and inside a character class.
bool isPlainPunctuation(QChar c);

// The literal text of a pattern made of plain characters and "\*"-style escapes of punctuation;
// empty when the pattern holds anything else.
QString literalOf(const QString &pattern);
// First occurrence of an ASCII needle at or after from, letter case ignored or not; -1 when none.
qsizetype indexOfAscii(QStringView haystack, QStringView needle, qsizetype from, bool ignoreCase);

} // namespace HighlightPasses
