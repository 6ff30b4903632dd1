#pragma once

#include "HighlightFormats.h"
#include "RenderClock.h"

#include <QString>
#include <QStringView>

#include <algorithm>

// Building blocks shared by the code and markup highlighters. Each hand-written scanner finds
// exactly what its pattern finds with the program's regular-expression engine; the tests hold
// both side by side on random text.
namespace HighlightPasses {

// Which matcher runs a pass: the hand-written scanners where they apply, or always the pattern.
enum class Engine { Fast, PatternOnly };

// Outcome of one pass: done, or the render was stopped by its clock.
enum class PassResult { Done, Stopped };

// Characters between clock ticks while scanning.
inline constexpr qsizetype TickSpan = 1 << 16;

// Calls step(i) for i from 0 on while i < end, step giving the next position (past i). The clock
// ticks every TickSpan characters; Stopped when it says the render has to stop.
template <typename Step>
PassResult scanTicking(qsizetype end, RenderClock &clock, Step step)
{
    qsizetype i = 0;
    qsizetype nextTick = TickSpan;
    for (;;) {
        // One bound per character on the hot path; the tick check runs once a span.
        const qsizetype stop = std::min(end, nextTick);
        while (i < stop)
            i = step(i);
        if (i >= end)
            return PassResult::Done;
        if (!clock.tick())
            return PassResult::Stopped;
        nextTick = i + TickSpan;
    }
}

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
// Numbers, then hex colours, by the scanners or by their patterns as the engine says.
PassResult numberPasses(const QString &subject, Engine engine, StyleBuffer &styles, RenderClock &clock);

// A character the engine reads literally, outside and inside a character class.
bool isPlainPunctuation(QChar c);

// What an end rule finds for the string opened at a quote: next is just past its closing quote, or
// for an unclosed string where the look for the next quote goes on.
struct StringEnd {
    qsizetype next;
    bool closed;
};

// Colours the strings opened by quote, each ending where endOf(text, length, openingIndex, quote)
// says. The pattern, which has to find the same strings, runs instead when the scanner cannot stand
// in for it.
template <typename EndRule>
PassResult quotedStrings(const QString &subject, QChar quote, const QString &pattern, Engine engine,
                         StyleBuffer &styles, RenderClock &clock, EndRule endOf)
{
    if (engine == Engine::PatternOnly || !isPlainPunctuation(quote))
        return patternPass(subject, pattern, true, styles, TokenStyle::String, clock);
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    const char16_t q = quote.unicode();
    const qsizetype n = subject.size();
    // By value and with the quote handed to the rule, so all fits in registers on the hot path.
    return scanTicking(n, clock, [text, q, n, &styles, endOf](qsizetype i) {
        if (text[i] != q)
            return i + 1;
        const StringEnd end = endOf(text, n, i, q);
        if (end.closed)
            std::fill(styles.begin() + i, styles.begin() + end.next, TokenStyle::String);
        return end.next;
    });
}

// The literal text of a pattern made of plain characters and "\*"-style escapes of punctuation;
// empty when the pattern holds anything else.
QString literalOf(const QString &pattern);
// First occurrence of an ASCII needle at or after from, letter case ignored or not; -1 when none.
qsizetype indexOfAscii(QStringView haystack, QStringView needle, qsizetype from, bool ignoreCase);

} // namespace HighlightPasses
