#pragma once

#include "HighlightFormats.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class RenderClock;

// Finds the words of a keyword list the way the pattern "\bw1\b|\bw2\b|..." does, by looking up
// every run of word characters in a hash set instead of trying each alternative at each position.
// Only lists the lookup reproduces exactly are accepted: every word made of [A-Za-z0-9_] and empty
// entries (double or leading blanks) only after the last word, since an empty alternative earlier
// in the pattern would win over the words after it.
class WordMatcher {
public:
    WordMatcher(WordMatcher &&) = default;
    WordMatcher &operator=(WordMatcher &&) = default;
    // The set points into m_words.
    WordMatcher(const WordMatcher &) = delete;
    WordMatcher &operator=(const WordMatcher &) = delete;

    static std::optional<WordMatcher> fromListText(const QString &listText, bool caseSensitive);

    static bool isWordChar(char16_t c)
    {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    }

    bool contains(std::u16string_view word) const;
    // Gives every listed word of the subject the style. False when the clock stopped the render.
    bool mark(QStringView subject, StyleBuffer &styles, TokenStyle style, RenderClock &clock) const;
    // Two lists in one reading of the words, as marking with first and then with second would
    // (a word on both lists takes second's style).
    static bool markEither(QStringView subject, StyleBuffer &styles, const WordMatcher &first, TokenStyle firstStyle,
                           const WordMatcher &second, TokenStyle secondStyle, RenderClock &clock);

private:
    struct Hash {
        std::size_t operator()(std::u16string_view s) const noexcept;
    };

    WordMatcher() = default;

    // Runs styleOf on every word of the subject and gives the word the style it returns, if any.
    template <typename StyleOf>
    static bool markWords(QStringView subject, StyleBuffer &styles, RenderClock &clock, StyleOf styleOf);

    std::vector<std::u16string> m_words;
    std::unordered_set<std::u16string_view, Hash> m_set;
    bool m_caseSensitive = true;
    std::size_t m_minLength = 0;
    std::size_t m_maxLength = 0;
    // For each length (the last one standing for all longer), the first and last characters of the
    // listed words as bits: most words of a text are turned away on these, unhashed.
    static constexpr std::size_t Shapes = 32;
    std::array<std::uint64_t, Shapes> m_firsts{};
    std::array<std::uint64_t, Shapes> m_lasts{};
};
