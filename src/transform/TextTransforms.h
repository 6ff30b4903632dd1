#pragma once

#include <QString>
#include <QStringView>

// The Format menu's rewrites of a selection or a whole text. Line breaks are CR LF.
namespace TextTransforms {

QString ToUpperCase(QStringView s);
QString ToLowerCase(QStringView s);
// Proper case: the first character of each word upper, all others lower; only NUL, tab, LF, VT, FF,
// CR and space separate words, so "o'neil-smith" stays one word.
QString Capitalize(QStringView s);
QString InvertCase(QStringView s);

// One indent in front of every line; a final CR LF stays final (no indent after it).
QString AddIndentToLines(QStringView s, QStringView indent);
// One level less on every line: a leading tab, or up to blanks leading spaces.
QString RemoveIndentFromLines(QStringView s, int blanks = 1);
// Removes every run of spaces and tabs at the end of a line (CR or LF ends a line).
QString TrimTrailingBlanks(QStringView s);

// Neither looks at columns: every tab becomes tabWidth spaces, every run of exactly tabWidth spaces
// (left to right, no overlap) one tab. A width below 1 leaves the text unchanged.
QString TabsToSpaces(QStringView s, int tabWidth);
QString SpacesToTabs(QStringView s, int tabWidth);

} // namespace TextTransforms
