#include "CodeHighlighter.h"

#include "RenderClock.h"
#include "WordMatcher.h"

#include <algorithm>
#include <array>
#include <vector>

using namespace HighlightPasses;

CodeHighlighter::CodeHighlighter(const LanguageDefinition &language, bool highlightNumbers, Engine engine)
    : m_language(language), m_highlightNumbers(highlightNumbers), m_engine(engine)
{
}

std::optional<StyleBuffer> CodeHighlighter::styles(QString subject, RenderClock &clock) const
{
    if (m_language.lexicalStrings()) {
        std::optional<StyleBuffer> styles = lineStyles(subject, clock, true);
        return styles;
    }
    std::optional<StyleBuffer> styles = lineStyles(subject, clock);
    // The block comments run on the subject as the word passes left it (hyphens as underscores).
    if (styles && !m_language.blockCommentStart.isEmpty()
        && blockCommentPass(subject, *styles, clock) == PassResult::Stopped)
        return std::nullopt;
    return styles;
}

bool CodeHighlighter::linesStandAlone(const LanguageDefinition &language)
{
    const auto plainWords = [&language](const QString &listText, const QString &builtPattern, bool hyphen) {
        if (listText.isEmpty())
            return true;
        QString list = listText;
        QString pattern = builtPattern.isEmpty() ? LanguageDefinition::wordPattern(listText) : builtPattern;
        if (hyphen) {
            list.replace(QLatin1Char('-'), QLatin1Char('_'));
            pattern.replace(QLatin1Char('-'), QLatin1Char('_'));
        }
        return pattern == LanguageDefinition::wordPattern(list)
            && WordMatcher::fromListText(list, language.caseSensitive).has_value();
    };
    // A long string reaches across lines: it is read with the whole text.
    if (language.lexicalStrings() && !language.longStrings.isEmpty())
        return false;
    return plainWords(language.keywordListText, language.keywordPattern, language.keywordHyphen)
        && plainWords(language.functionListText, language.functionPattern, language.functionHyphen)
        && (language.lineComment.isEmpty() || !literalOf(language.lineComment).isEmpty());
}

std::optional<StyleBuffer> CodeHighlighter::lineStyles(QString &subject, RenderClock &clock) const
{
    return lineStyles(subject, clock, false);
}

std::optional<StyleBuffer> CodeHighlighter::lineStyles(QString &subject, RenderClock &clock, bool acrossLines) const
{
    StyleBuffer styles(std::size_t(subject.size()), TokenStyle::Plain);
    // The engine's IgnoreCase as each pass leaves it for the next.
    bool ignoreCase = !m_language.caseSensitive;
    // Computed once; hyphen replacement does not change it.
    const bool nonAsciiFold = hasNonAsciiFold(subject);

    auto stopped = [](PassResult r) { return r == PassResult::Stopped; };

    // Both lists in one reading of the words where both are plain words and neither turns hyphens
    // into underscores (which would change the words the second list sees).
    std::shared_ptr<const WordMatcher> keywords;
    std::shared_ptr<const WordMatcher> functions;
    if (!m_language.keywordHyphen && !m_language.functionHyphen && !m_language.keywordListText.isEmpty()
        && !m_language.functionListText.isEmpty()) {
        keywords = plainMatcher(m_language.keywordListText, m_language.keywordPattern, ignoreCase, nonAsciiFold);
        if (keywords)
            functions = plainMatcher(m_language.functionListText, m_language.functionPattern, ignoreCase, nonAsciiFold);
    }
    if (keywords && functions) {
        if (!WordMatcher::markEither(subject, styles, *keywords, TokenStyle::Keyword, *functions, TokenStyle::Function,
                                     clock))
            return std::nullopt;
    } else {
        if (!m_language.keywordListText.isEmpty()
            && stopped(wordPass(subject, m_language.keywordListText, m_language.keywordPattern,
                                m_language.keywordHyphen, ignoreCase, nonAsciiFold, styles, TokenStyle::Keyword, clock)))
            return std::nullopt;
        if (!m_language.functionListText.isEmpty()
            && stopped(wordPass(subject, m_language.functionListText, m_language.functionPattern,
                                m_language.functionHyphen, ignoreCase, nonAsciiFold, styles, TokenStyle::Function,
                                clock)))
            return std::nullopt;
    }
    if (m_highlightNumbers) {
        ignoreCase = true;
        if (stopped(numberPasses(subject, m_engine, styles, clock)))
            return std::nullopt;
    }
    if (m_language.lexicalStrings()) {
        if (stopped(lexicalPass(subject, acrossLines, styles, clock)))
            return std::nullopt;
        // A comment marker that is a pattern has no place in the reading: it runs after, as before.
        if (m_language.lineComment.isEmpty() || !literalOf(m_language.lineComment).isEmpty())
            return styles;
        ignoreCase = true;
    } else if (!m_language.stringChar.isNull()) {
        ignoreCase = true;
        if (stopped(stringPass(subject, styles, clock)))
            return std::nullopt;
    }
    if (!m_language.lineComment.isEmpty()
        && stopped(lineCommentPass(subject, ignoreCase, nonAsciiFold, styles, clock)))
        return std::nullopt;
    return styles;
}

PassResult CodeHighlighter::wordPass(QString &subject, const QString &listText, const QString &builtPattern,
                                     bool hyphen, bool ignoreCase, bool nonAsciiFold, StyleBuffer &styles,
                                     TokenStyle style, RenderClock &clock) const
{
    QString list = listText;
    QString pattern = builtPattern.isEmpty() ? LanguageDefinition::wordPattern(listText) : builtPattern;
    if (hyphen) {
        // Hyphenated keywords become single words; the subject keeps the change for later passes.
        subject.replace(QLatin1Char('-'), QLatin1Char('_'));
        pattern.replace(QLatin1Char('-'), QLatin1Char('_'));
        list.replace(QLatin1Char('-'), QLatin1Char('_'));
    }
    if (const std::shared_ptr<const WordMatcher> matcher = plainMatcher(list, pattern, ignoreCase, nonAsciiFold))
        return matcher->mark(subject, styles, style, clock) ? PassResult::Done : PassResult::Stopped;
    return patternPass(subject, pattern, ignoreCase, styles, style, clock);
}

std::shared_ptr<const WordMatcher> CodeHighlighter::plainMatcher(const QString &listText, const QString &builtPattern,
                                                                bool ignoreCase, bool nonAsciiFold) const
{
    if (m_engine != Engine::Fast || (ignoreCase && nonAsciiFold))
        return nullptr;
    // Lines are coloured one at a time as they are typed: the lists' matchers are built once per
    // thread, not for every line.
    struct Built {
        QString list;
        QString pattern;
        bool caseSensitive;
        std::shared_ptr<const WordMatcher> matcher;
    };
    thread_local std::vector<Built> built;
    for (const Built &b : built) {
        if (b.caseSensitive == !ignoreCase && b.list == listText && b.pattern == builtPattern)
            return b.matcher;
    }
    std::shared_ptr<const WordMatcher> matcher;
    const QString pattern = builtPattern.isEmpty() ? LanguageDefinition::wordPattern(listText) : builtPattern;
    if (pattern == LanguageDefinition::wordPattern(listText)) {
        if (std::optional<WordMatcher> made = WordMatcher::fromListText(listText, !ignoreCase))
            matcher = std::make_shared<const WordMatcher>(std::move(*made));
    }
    constexpr std::size_t Kept = 8;
    if (built.size() == Kept)
        built.erase(built.begin());
    built.push_back({listText, builtPattern, !ignoreCase, matcher});
    return matcher;
}

PassResult CodeHighlighter::stringPass(const QString &subject, StyleBuffer &styles, RenderClock &clock) const
{
    const QChar quote = m_language.stringChar;
    const QString pattern = QString(quote) + QLatin1String("[^") + quote + QLatin1String("\\r\\n]*") + quote;
    // A string runs from the quote to the next one on the same line; an unclosed one colours nothing.
    return quotedStrings(subject, quote, pattern, m_engine, styles, clock,
                         [](const char16_t *text, qsizetype n, qsizetype i, char16_t q) {
                             qsizetype j = i + 1;
                             while (j < n && text[j] != q && text[j] != u'\r' && text[j] != u'\n')
                                 ++j;
                             return j < n && text[j] == q ? StringEnd{j + 1, true} : StringEnd{j, false};
                         });
}

PassResult CodeHighlighter::lineCommentPass(const QString &subject, bool ignoreCase, bool nonAsciiFold,
                                            StyleBuffer &styles, RenderClock &clock) const
{
    const QString &marker = m_language.lineComment;
    const QString literal = m_engine == Engine::Fast ? literalOf(marker) : QString();
    if (literal.isEmpty() || (ignoreCase && nonAsciiFold))
        return patternPass(subject, QLatin1Char('(') + marker + QLatin1String(").*$"), ignoreCase, styles,
                           TokenStyle::Comment, clock);
    // "." stops at CR and LF, so a comment runs from its marker to the end of its line.
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    const qsizetype n = subject.size();
    qsizetype from = 0;
    while (from < n) {
        if (!clock.tick())
            return PassResult::Stopped;
        const qsizetype p = indexOfAscii(subject, literal, from, ignoreCase);
        if (p < 0)
            break;
        qsizetype e = p + literal.size();
        while (e < n && text[e] != u'\r' && text[e] != u'\n')
            ++e;
        std::fill(styles.begin() + p, styles.begin() + e, TokenStyle::Comment);
        from = e;
    }
    return PassResult::Done;
}

PassResult CodeHighlighter::blockCommentPass(const QString &subject, StyleBuffer &styles, RenderClock &clock) const
{
    const QString &open = m_language.blockCommentStart;
    const QString &close = m_language.blockCommentEnd;
    // The closing marker is looked for after the whole opening one, and the next comment after the
    // whole closing one: "{}" is an empty comment, and with equal markers a closing marker never
    // opens the next comment.
    qsizetype p = subject.indexOf(open, 0, Qt::CaseSensitive);
    while (p >= 0) {
        if (!clock.tick())
            return PassResult::Stopped;
        const qsizetype q = close.isEmpty() ? -1 : subject.indexOf(close, p + open.size(), Qt::CaseSensitive);
        if (q < 0) {
            // An opening marker without a closing one stays plain, and so does everything after it.
            break;
        }
        fill(styles, p, q - p + close.size(), TokenStyle::Comment);
        p = subject.indexOf(open, q + close.size(), Qt::CaseSensitive);
    }
    return PassResult::Done;
}

PassResult CodeHighlighter::lexicalPass(const QString &subject, bool acrossLines, StyleBuffer &styles,
                                        RenderClock &clock) const
{
    const LanguageDefinition &l = m_language;
    QString quotes = l.stringChars;
    if (!l.stringChar.isNull())
        quotes.prepend(l.stringChar);
    const QString lineComment = literalOf(l.lineComment);
    const QString &open = l.blockCommentStart;
    const QString &close = l.blockCommentEnd;
    const QChar escape = l.stringEscape;
    const qsizetype n = subject.size();
    const QChar *text = subject.constData();
    const auto at = [text, n](qsizetype i, const QString &marker) {
        const qsizetype m = marker.size();
        return m > 0 && m <= n - i && text[i] == marker[0]
            && std::equal(marker.constData() + 1, marker.constData() + m, text + i + 1);
    };
    // Most characters start nothing: they are turned away on one table lookup.
    std::array<bool, 128> starts{};
    bool nonAsciiStarts = false;
    const auto canStart = [&](const QString &marker) {
        if (marker.isEmpty())
            return;
        if (marker[0].unicode() < 128)
            starts[marker[0].unicode()] = true;
        else
            nonAsciiStarts = true;
    };
    if (acrossLines) {
        for (const QString &delimiter : l.longStrings)
            canStart(delimiter);
        canStart(open);
    }
    canStart(lineComment);
    for (const QChar quote : quotes)
        canStart(QString(quote));
    // Past the closing delimiter, or -1 when there is none (before a line break unless multiLine).
    const auto closing = [&](qsizetype from, const QString &delimiter, bool multiLine) -> qsizetype {
        for (qsizetype j = from; j < n; ++j) {
            const QChar c = subject.at(j);
            if (!escape.isNull() && c == escape) {
                ++j;
                continue;
            }
            if (!multiLine && (c == QLatin1Char('\r') || c == QLatin1Char('\n')))
                return -1;
            if (at(j, delimiter))
                return j + delimiter.size();
        }
        return -1;
    };
    return scanTicking(n, clock, [&](qsizetype i) -> qsizetype {
        const char16_t c = text[i].unicode();
        if (c < 128 ? !starts[c] : !nonAsciiStarts)
            return i + 1;
        if (acrossLines) {
            for (const QString &delimiter : l.longStrings) {
                if (!at(i, delimiter))
                    continue;
                const qsizetype end = closing(i + delimiter.size(), delimiter, true);
                if (end < 0)
                    return i + delimiter.size();
                fill(styles, i, end - i, TokenStyle::String);
                return end;
            }
            if (at(i, open)) {
                const qsizetype q = close.isEmpty() ? -1 : subject.indexOf(close, i + open.size());
                if (q < 0)
                    return i + open.size();
                fill(styles, i, q + close.size() - i, TokenStyle::Comment);
                return q + close.size();
            }
        }
        if (at(i, lineComment)) {
            qsizetype e = i + lineComment.size();
            while (e < n && subject.at(e) != QLatin1Char('\r') && subject.at(e) != QLatin1Char('\n'))
                ++e;
            fill(styles, i, e - i, TokenStyle::Comment);
            return e;
        }
        if (quotes.contains(subject.at(i))) {
            const qsizetype end = closing(i + 1, QString(subject.at(i)), false);
            if (end < 0)
                return i + 1;
            fill(styles, i, end - i, TokenStyle::String);
            return end;
        }
        return i + 1;
    });
}
