#include "MarkupHighlighter.h"

#include "RenderClock.h"

using namespace HighlightPasses;

const QString MarkupHighlighter::TagPattern = QStringLiteral("<[/?!%]?[a-z0-9_\\-]+|>");
const QString MarkupHighlighter::AttributePattern = QStringLiteral("( |\\r\\n)[a-z0-9\\-_]+=(\"|[0-9])");
const QString MarkupHighlighter::CommentPattern = QStringLiteral("<!(?:--[\\s\\S]*?--\\s*)?>\\s*");

namespace {

bool isNameChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'
        || c == u'-';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// "\s" of the engine: ASCII white space only.
bool isSpace(char16_t c)
{
    return c == u' ' || (c >= 0x09 && c <= 0x0D);
}

} // namespace

MarkupHighlighter::MarkupHighlighter(QChar stringChar, bool highlightNumbers, Engine engine)
    : m_stringChar(stringChar), m_highlightNumbers(highlightNumbers), m_engine(engine)
{
}

std::optional<StyleBuffer> MarkupHighlighter::styles(const QString &subject, RenderClock &clock) const
{
    std::optional<StyleBuffer> styles = lineStyles(subject, clock);
    if (!styles)
        return std::nullopt;
    const PassResult comment = m_engine == Engine::Fast
        ? comments(subject, *styles, clock)
        : patternPass(subject, CommentPattern, true, *styles, TokenStyle::Comment, clock);
    if (comment == PassResult::Stopped)
        return std::nullopt;
    return styles;
}

std::optional<StyleBuffer> MarkupHighlighter::lineStyles(const QString &subject, RenderClock &clock) const
{
    StyleBuffer styles(std::size_t(subject.size()), TokenStyle::Plain);
    const bool fast = m_engine == Engine::Fast;
    // Letter classes under IgnoreCase take in two non-ASCII letters the scanners do not know.
    const bool namesFast = fast && !hasNonAsciiFold(subject);
    auto stopped = [](PassResult r) { return r == PassResult::Stopped; };

    if (stopped(namesFast ? tags(subject, styles, clock)
                          : patternPass(subject, TagPattern, true, styles, TokenStyle::Keyword, clock)))
        return std::nullopt;
    if (stopped(namesFast ? attributes(subject, styles, clock)
                          : patternPass(subject, AttributePattern, true, styles, TokenStyle::Function, clock, 1, 1)))
        return std::nullopt;
    if (m_highlightNumbers && stopped(numberPasses(subject, m_engine, styles, clock)))
        return std::nullopt;
    if (!m_stringChar.isNull() && stopped(strings(subject, styles, clock)))
        return std::nullopt;
    return styles;
}

PassResult MarkupHighlighter::tags(QStringView subject, StyleBuffer &styles, RenderClock &clock) const
{
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    const qsizetype n = subject.size();
    return scanTicking(n, clock, [&](qsizetype i) {
        if (text[i] == u'>') {
            styles[std::size_t(i)] = TokenStyle::Keyword;
            return i + 1;
        }
        if (text[i] != u'<')
            return i + 1;
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'/' || text[j] == u'?' || text[j] == u'!' || text[j] == u'%'))
            ++j;
        qsizetype e = j;
        while (e < n && isNameChar(text[e]))
            ++e;
        if (e == j)
            return i + 1;
        std::fill(styles.begin() + i, styles.begin() + e, TokenStyle::Keyword);
        return e;
    });
}

PassResult MarkupHighlighter::attributes(QStringView subject, StyleBuffer &styles, RenderClock &clock) const
{
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    const qsizetype n = subject.size();
    return scanTicking(n, clock, [&](qsizetype i) {
        qsizetype name;
        if (text[i] == u' ')
            name = i + 1;
        else if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            name = i + 2;
        else
            return i + 1;
        qsizetype k = name;
        while (k < n && isNameChar(text[k]))
            ++k;
        if (k == name || k + 1 >= n || text[k] != u'=' || (text[k + 1] != u'"' && !isDigit(text[k + 1])))
            return i + 1;
        // The blank (or the CR) and the value's first character stay out of the colour.
        std::fill(styles.begin() + i + 1, styles.begin() + k + 1, TokenStyle::Function);
        return k + 2;
    });
}

PassResult MarkupHighlighter::strings(const QString &subject, StyleBuffer &styles, RenderClock &clock) const
{
    const QChar quote = m_stringChar;
    // The excluded class names the double quote whatever the string character is.
    const QString pattern = QString(quote) + QLatin1String("[^\"\\r\\n]*") + quote;
    return quotedStrings(subject, quote, pattern, m_engine, styles, clock,
                         [](const char16_t *text, qsizetype n, qsizetype i, char16_t q) {
                             qsizetype e = i + 1;
                             while (e < n && text[e] != u'"' && text[e] != u'\r' && text[e] != u'\n')
                                 ++e;
                             // Greedy: the value ends at the last string character before a double
                             // quote or line end.
                             qsizetype r = std::min(e, n - 1);
                             while (r > i && text[r] != q)
                                 --r;
                             return r > i ? StringEnd{r + 1, true} : StringEnd{i + 1, false};
                         });
}

PassResult MarkupHighlighter::comments(QStringView subject, StyleBuffer &styles, RenderClock &clock) const
{
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    const qsizetype n = subject.size();
    auto skipSpace = [&](qsizetype k) {
        while (k < n && isSpace(text[k]))
            ++k;
        return k;
    };
    // Once no "--" followed by ">" is left, no later comment can close either.
    bool closersLeft = true;
    qsizetype from = 0;
    while (from < n) {
        if (!clock.tick())
            return PassResult::Stopped;
        const qsizetype i = subject.indexOf(u"<!", from);
        if (i < 0)
            break;
        qsizetype end = -1;
        if (i + 3 < n && text[i + 2] == u'-' && text[i + 3] == u'-') {
            for (qsizetype j = i + 4; closersLeft && j + 1 < n; ++j) {
                if (text[j] != u'-' || text[j + 1] != u'-')
                    continue;
                const qsizetype g = skipSpace(j + 2);
                if (g < n && text[g] == u'>') {
                    end = skipSpace(g + 1);
                    break;
                }
            }
            if (end < 0)
                closersLeft = false;
        } else if (i + 2 < n && text[i + 2] == u'>') {
            end = skipSpace(i + 3);
        }
        if (end < 0) {
            from = i + 1;
            continue;
        }
        std::fill(styles.begin() + i, styles.begin() + end, TokenStyle::Comment);
        from = end;
    }
    return PassResult::Done;
}
