#include "ShellWords.h"

#include <algorithm>

namespace ShellWords {

std::optional<QStringList> split(const QString &commandLine)
{
    QStringList words;
    QString word;
    bool inWord = false;
    const qsizetype n = commandLine.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = commandLine.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\\')) {
            if (++i >= n)
                return std::nullopt;
            if (commandLine.at(i) != QLatin1Char('\n'))
                word += commandLine.at(i);
        } else if (c == QLatin1Char('\'')) {
            const qsizetype close = commandLine.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0)
                return std::nullopt;
            word += commandLine.mid(i + 1, close - i - 1);
            i = close;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= n)
                    return std::nullopt;
                const QChar d = commandLine.at(i);
                if (d == QLatin1Char('"'))
                    break;
                if (d == QLatin1Char('\\') && i + 1 < n
                    && QStringLiteral("\"\\$`\n").contains(commandLine.at(i + 1))) {
                    ++i;
                    if (commandLine.at(i) != QLatin1Char('\n'))
                        word += commandLine.at(i);
                } else {
                    word += d;
                }
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

QString quote(const QString &word)
{
    static const QString safe = QStringLiteral("_-+=.,/:@%^");
    bool plain = !word.isEmpty();
    for (const QChar c : word) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && !safe.contains(c)) {
            plain = false;
            break;
        }
    }
    if (plain)
        return word;
    // Double quotes read best ("a b.c") where nothing inside them is special.
    static const QString specialInDouble = QStringLiteral("\"\\$`");
    if (std::none_of(word.begin(), word.end(), [](QChar c) { return specialInDouble.contains(c); }))
        return QLatin1Char('"') + word + QLatin1Char('"');
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace ShellWords
