#include "BracketMatcher.h"

#include "EditorSurface.h"
#include "Responsive.h"

#include <array>
#include <utility>

namespace BracketMatcher {

namespace {

// The fixed order in which bracket kinds are tried.
constexpr std::array<std::pair<char16_t, char16_t>, 4> kPairs{{{u'{', u'}'}, {u'[', u']'}, {u'(', u')'}, {u'<', u'>'}}};

qsizetype forward(const QString &text, QChar c, qsizetype from)
{
    return from >= text.size() ? -1 : text.indexOf(c, from);
}

// The last c at or before index last; -1 when last is negative (Qt would count from the end).
qsizetype backward(const QString &text, QChar c, qsizetype last)
{
    return last < 0 ? -1 : text.lastIndexOf(c, last);
}

QString missing(QChar c)
{
    return QStringLiteral("Cannot find any matching ") + c;
}

} // namespace

std::optional<QChar> CloseBracketFor(QChar c)
{
    for (const auto &[open, close] : kPairs)
        if (c == QChar(open))
            return QChar(close);
    return std::nullopt;
}

std::optional<QChar> OpenBracketFor(QChar c)
{
    for (const auto &[open, close] : kPairs)
        if (c == QChar(close))
            return QChar(open);
    return std::nullopt;
}

BracketMatch findMatch(const QString &text, int caret)
{
    BracketMatch result;
    const qsizetype s = qBound(qsizetype(0), qsizetype(caret), text.size());
    const QChar c = s < text.size() ? text.at(s) : QChar();
    Responsive yield;
    if (const auto close = CloseBracketFor(c)) {
        // Each opening bracket before the candidate pushes it on to the next closing one.
        qsizetype o = forward(text, c, s + 1);
        qsizetype k = forward(text, *close, s + 1);
        while (o >= 0 && o < k) {
            o = forward(text, c, o + 1);
            k = forward(text, *close, k + 1);
            yield.yieldIfDue();
        }
        if (k < 0)
            result.message = missing(*close);
        else
            result.target = int(k);
        return result;
    }
    if (const auto open = OpenBracketFor(c); open && s >= 1) {
        qsizetype o = backward(text, *open, s - 1);
        qsizetype k = backward(text, c, s - 1);
        while (k > o) {
            yield.yieldIfDue();
            if (o <= 0)
                break;
            o = backward(text, *open, o - 1);
            k = backward(text, c, k - 1);
            if (k < 0)
                break;
        }
        if (o < 0)
            result.message = missing(*open);
        else
            result.target = int(o);
        return result;
    }
    for (const bool opening : {true, false}) {
        qsizetype nearest = -1;
        for (const auto &[open, close] : kPairs) {
            const qsizetype at = forward(text, QChar(opening ? open : close), s);
            if (at >= 0 && (nearest < 0 || at < nearest))
                nearest = at;
        }
        if (nearest >= 0) {
            result.target = int(nearest);
            return result;
        }
    }
    result.message = QStringLiteral("Cannot find any brackets");
    return result;
}

BracketMatch MatchBracket(EditorSurface &surface, bool selectTarget)
{
    BracketMatch result = findMatch(surface.text(), surface.selStart());
    if (result.target) {
        surface.setSelStart(*result.target);
        surface.setSelLength(selectTarget ? 1 : 0);
    }
    return result;
}

std::optional<QChar> markerCharacter(QChar caretCharacter, bool markupLanguage)
{
    const bool angle = caretCharacter == QLatin1Char('<') || caretCharacter == QLatin1Char('>');
    if (angle && !markupLanguage)
        return std::nullopt;
    if (const auto close = CloseBracketFor(caretCharacter))
        return close;
    return OpenBracketFor(caretCharacter);
}

} // namespace BracketMatcher
