#include "CodeHighlighter.h"

#include "RenderClock.h"
#include "WordMatcher.h"

using namespace HighlightPasses;

CodeHighlighter::CodeHighlighter(const LanguageDefinition &language, bool highlightNumbers, Engine engine)
    : m_language(language), m_highlightNumbers(highlightNumbers), m_engine(engine)
{
}

std::optional<StyleBuffer> CodeHighlighter::styles(QString subject, RenderClock &clock) const
{
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
    return plainWords(language.keywordListText, language.keywordPattern, language.keywordHyphen)
        && plainWords(language.functionListText, language.functionPattern, language.functionHyphen)
        && (language.lineComment.isEmpty() || !literalOf(language.lineComment).isEmpty());
}

std::optional<StyleBuffer> CodeHighlighter::lineStyles(QString &subject, RenderClock &clock) const
{
    StyleBuffer styles(std::size_t(subject.size()), TokenStyle::Plain);
    // The engine's IgnoreCase as each pass leaves it for the next.
    bool ignoreCase = !m_language.caseSensitive;
    // Computed once; hyphen replacement does not change it.
    const bool nonAsciiFold = hasNonAsciiFold(subject);

    auto stopped = [](PassResult r) { return r == PassResult::Stopped; };

    if (!m_language.keywordListText.isEmpty()
        && stopped(wordPass(subject, m_language.keywordListText, m_language.keywordPattern, m_language.keywordHyphen,
                            ignoreCase, nonAsciiFold, styles, TokenStyle::Keyword, clock)))
        return std::nullopt;
    if (!m_language.functionListText.isEmpty()
        && stopped(wordPass(subject, m_language.functionListText, m_language.functionPattern,
                            m_language.functionHyphen, ignoreCase, nonAsciiFold, styles, TokenStyle::Function,
                            clock)))
        return std::nullopt;
    if (m_highlightNumbers) {
        ignoreCase = true;
        if (stopped(numberPasses(subject, m_engine, styles, clock)))
            return std::nullopt;
    }
    if (!m_language.stringChar.isNull()) {
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
    if (m_engine == Engine::Fast && !(ignoreCase && nonAsciiFold)
        && pattern == LanguageDefinition::wordPattern(list)) {
        if (const std::optional<WordMatcher> matcher = WordMatcher::fromListText(list, !ignoreCase))
            return matcher->mark(subject, styles, style, clock) ? PassResult::Done : PassResult::Stopped;
    }
    return patternPass(subject, pattern, ignoreCase, styles, style, clock);
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
