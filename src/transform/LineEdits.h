#pragma once

#include "CommandContext.h"

#include <QString>

#include <optional>

// The line commands as pure functions of a text and its selection: each gives the one range to
// replace and the selection afterwards, so that a command is a single replacement and one undo step.
// Lines end at CR LF, LF or CR; each line keeps the break it had.
namespace LineEdits {

struct Edit {
    int start = 0;
    int length = 0;
    QString replacement;
    int selStart = 0;
    int selLength = 0;
};


// A selection inside one line is copied after itself; otherwise the lines it touches are.
std::optional<Edit> duplicate(const QString &text, int selStart, int selLength);
// Swaps the selected lines with the line above or below; nothing at the edge of the text.
std::optional<Edit> moveLines(const QString &text, int selStart, int selLength, bool up);
// Joins the selected lines, or the caret's line with the next, with one blank where both sides have text.
std::optional<Edit> joinLines(const QString &text, int selStart, int selLength);
// Comments the selected lines at their common indent (a block pair wraps each line), or uncomments them when every non-blank one is.
std::optional<Edit> toggleComment(const QString &text, int selStart, int selLength, const CommentMarkers &markers);

} // namespace LineEdits
