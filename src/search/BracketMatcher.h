#pragma once

#include <QChar>
#include <QString>

#include <optional>

class EditorSurface;

// Where Match Bracket goes: the target offset, or the message for the status line.
struct BracketMatch {
    std::optional<int> target;
    QString message;
};

// Textual bracket matching of (), {}, [] and <>, each kind on its own; strings and comments count.
namespace BracketMatcher {

// The partner of an opening (closing) bracket; nothing for any other character.
std::optional<QChar> CloseBracketFor(QChar c);
std::optional<QChar> OpenBracketFor(QChar c);

// From the caret character at offset caret: its partner, or the nearest bracket after the caret.
BracketMatch findMatch(const QString &text, int caret);

// Moves the caret before the target (selecting it when selectTarget); true when there was one.
BracketMatch MatchBracket(EditorSurface &surface, bool selectTarget);

// The character the automatic marker shows for the caret character, if it shows one.
std::optional<QChar> markerCharacter(QChar caretCharacter, bool markupLanguage);

} // namespace BracketMatcher
