#include "WordMatcher.h"

#include "HighlightPasses.h"

#include <algorithm>

namespace {

char16_t lowerAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

} // namespace

std::size_t WordMatcher::Hash::operator()(std::u16string_view s) const noexcept
{
    std::size_t h = 1469598103934665603ull;
    for (char16_t c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::optional<WordMatcher> WordMatcher::fromListText(const QString &listText, bool caseSensitive)
{
    WordMatcher matcher;
    matcher.m_caseSensitive = caseSensitive;
    bool sawEmpty = false;
    const QStringList entries = listText.split(QLatin1Char(' '));
    for (const QString &entry : entries) {
        if (entry.isEmpty()) {
            sawEmpty = true;
            continue;
        }
        if (sawEmpty)
            return std::nullopt;
        std::u16string word;
        word.reserve(std::size_t(entry.size()));
        for (QChar qc : entry) {
            const char16_t c = qc.unicode();
            if (!isWordChar(c))
                return std::nullopt;
            word.push_back(caseSensitive ? c : lowerAscii(c));
        }
        matcher.m_words.push_back(std::move(word));
    }
    if (matcher.m_words.empty())
        return matcher;
    matcher.m_minLength = matcher.m_words.front().size();
    for (const std::u16string &w : matcher.m_words) {
        matcher.m_minLength = std::min(matcher.m_minLength, w.size());
        matcher.m_maxLength = std::max(matcher.m_maxLength, w.size());
    }
    matcher.m_set.reserve(matcher.m_words.size() * 2);
    for (const std::u16string &w : matcher.m_words) {
        matcher.m_set.insert(std::u16string_view(w));
        const std::size_t shape = std::min(w.size(), Shapes - 1);
        matcher.m_firsts[shape] |= std::uint64_t(1) << (w.front() & 63);
        matcher.m_lasts[shape] |= std::uint64_t(1) << (w.back() & 63);
    }
    return matcher;
}

bool WordMatcher::contains(std::u16string_view word) const
{
    if (word.size() < m_minLength || word.size() > m_maxLength)
        return false;
    const std::size_t shape = std::min(word.size(), Shapes - 1);
    const char16_t first = m_caseSensitive ? word.front() : lowerAscii(word.front());
    const char16_t last = m_caseSensitive ? word.back() : lowerAscii(word.back());
    if (!((m_firsts[shape] >> (first & 63)) & 1) || !((m_lasts[shape] >> (last & 63)) & 1))
        return false;
    if (m_caseSensitive)
        return m_set.count(word) != 0;
    char16_t buffer[64];
    std::u16string longWord;
    char16_t *lowered = buffer;
    if (word.size() > std::size(buffer)) {
        longWord.resize(word.size());
        lowered = longWord.data();
    }
    for (std::size_t i = 0; i < word.size(); ++i)
        lowered[i] = lowerAscii(word[i]);
    return m_set.count(std::u16string_view(lowered, word.size())) != 0;
}

template <typename StyleOf>
bool WordMatcher::markWords(QStringView subject, StyleBuffer &styles, RenderClock &clock, StyleOf styleOf)
{
    const auto *text = reinterpret_cast<const char16_t *>(subject.utf16());
    const qsizetype n = subject.size();
    const auto result = HighlightPasses::scanTicking(n, clock, [&](qsizetype i) {
        if (!isWordChar(text[i]))
            return i + 1;
        qsizetype j = i + 1;
        while (j < n && isWordChar(text[j]))
            ++j;
        if (const std::optional<TokenStyle> style = styleOf(std::u16string_view(text + i, std::size_t(j - i))))
            std::fill(styles.begin() + i, styles.begin() + j, *style);
        return j;
    });
    return result == HighlightPasses::PassResult::Done;
}

bool WordMatcher::mark(QStringView subject, StyleBuffer &styles, TokenStyle style, RenderClock &clock) const
{
    if (m_words.empty())
        return true;
    return markWords(subject, styles, clock, [this, style](std::u16string_view word) -> std::optional<TokenStyle> {
        if (contains(word))
            return style;
        return std::nullopt;
    });
}

bool WordMatcher::markEither(QStringView subject, StyleBuffer &styles, const WordMatcher &first, TokenStyle firstStyle,
                             const WordMatcher &second, TokenStyle secondStyle, RenderClock &clock)
{
    return markWords(subject, styles, clock, [&](std::u16string_view word) -> std::optional<TokenStyle> {
        if (second.contains(word))
            return secondStyle;
        if (first.contains(word))
            return firstStyle;
        return std::nullopt;
    });
}
