#include "HighlightPasses.h"

#include "RegExp.h"

namespace HighlightPasses {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(char16_t c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isWordChar(char16_t c)
{
    return isDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

char16_t lowerAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

} // namespace

void fill(StyleBuffer &styles, qsizetype start, qsizetype length, TokenStyle style)
{
    const qsizetype n = qsizetype(styles.size());
    const qsizetype from = std::clamp<qsizetype>(start, 0, n);
    const qsizetype to = std::clamp<qsizetype>(start + length, from, n);
    std::fill(styles.begin() + from, styles.begin() + to, style);
}

PassResult patternPass(const QString &subject, const QString &pattern, bool ignoreCase, StyleBuffer &styles,
                       TokenStyle style, RenderClock &clock, qsizetype trimFront, qsizetype trimBack)
{
    RegExp re(pattern);
    re.setIgnoreCase(ignoreCase);
    re.setGlobal(true);
    re.setMultiLine(true);
    if (!re.isValid())
        return PassResult::Done;
    const QList<RegExp::Span> matches = re.Locate(subject);
    for (const RegExp::Span &m : matches) {
        if (!clock.tick())
            return PassResult::Stopped;
        fill(styles, m.FirstIndex + trimFront, m.Length - trimFront - trimBack, style);
    }
    return PassResult::Done;
}

bool hasNonAsciiFold(QStringView subject)
{
    const auto *p = subject.utf16();
    const auto *end = p + subject.size();
    return std::find_if(p, end, [](char16_t c) { return c == 0x017F || c == 0x212A; }) != end;
}

PassResult numbers(QStringView subject, StyleBuffer &styles, RenderClock &clock)
{
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    const qsizetype n = subject.size();
    return scanTicking(n, clock, [&](qsizetype i) {
        if (!isWordChar(text[i]))
            return i + 1;
        qsizetype j = i;
        bool digitsOnly = true;
        while (j < n && isWordChar(text[j])) {
            digitsOnly = digitsOnly && isDigit(text[j]);
            ++j;
        }
        if (digitsOnly)
            std::fill(styles.begin() + i, styles.begin() + j, TokenStyle::Number);
        return j;
    });
}

PassResult hexColours(QStringView subject, StyleBuffer &styles, RenderClock &clock)
{
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    // A colour takes seven characters, so none starts in the last six.
    return scanTicking(subject.size() - 6, clock, [&](qsizetype i) {
        if (text[i] != u'#' || !std::all_of(text + i + 1, text + i + 7, isHexDigit))
            return i + 1;
        std::fill(styles.begin() + i, styles.begin() + i + 7, TokenStyle::Number);
        return i + 7;
    });
}

PassResult numberPasses(const QString &subject, Engine engine, StyleBuffer &styles, RenderClock &clock)
{
    const bool fast = engine == Engine::Fast;
    const PassResult decimal = fast ? numbers(subject, styles, clock)
                                    : patternPass(subject, QStringLiteral("\\b[0-9]+\\b"), true, styles,
                                                  TokenStyle::Number, clock);
    if (decimal == PassResult::Stopped)
        return decimal;
    return fast ? hexColours(subject, styles, clock)
                : patternPass(subject, QStringLiteral("#[0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f]"), true,
                              styles, TokenStyle::Number, clock);
}

bool isPlainPunctuation(QChar c)
{
    const char16_t u = c.unicode();
    if (u <= 0x20 || u >= 0x7F || isWordChar(u))
        return false;
    return !QStringView(u"\\^$.|?*+()[]{}-").contains(c);
}

QString literalOf(const QString &pattern)
{
    QString literal;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\\')) {
            // An escaped punctuation character stands for itself; letters after "\" are classes.
            if (i + 1 >= pattern.size())
                return {};
            const QChar next = pattern.at(++i);
            const char16_t u = next.unicode();
            if (u <= 0x20 || u >= 0x7F || isWordChar(u))
                return {};
            literal += next;
        } else if (c.unicode() == u' ' || isWordChar(c.unicode()) || isPlainPunctuation(c)
                   || c == QLatin1Char('-')) {
            literal += c;
        } else {
            return {};
        }
    }
    return literal;
}

qsizetype indexOfAscii(QStringView haystack, QStringView needle, qsizetype from, bool ignoreCase)
{
    const qsizetype n = haystack.size();
    const qsizetype m = needle.size();
    if (m == 0 || from < 0)
        return -1;
    if (!ignoreCase)
        return haystack.indexOf(needle, from, Qt::CaseSensitive);
    const auto *text = reinterpret_cast<const char16_t *>(haystack.utf16());
    const auto *pat = reinterpret_cast<const char16_t *>(needle.utf16());
    const char16_t first = lowerAscii(pat[0]);
    for (qsizetype i = from; i + m <= n; ++i) {
        if (lowerAscii(text[i]) != first)
            continue;
        qsizetype k = 1;
        while (k < m && lowerAscii(text[i + k]) == lowerAscii(pat[k]))
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

} // namespace HighlightPasses
