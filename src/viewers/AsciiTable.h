#pragma once

#include <QString>
#include <QStringList>

// The rows of the ASCII table: character, decimal, hex and control-character name, tab-separated.
namespace AsciiTable {

inline constexpr int FirstCode = 1;
inline constexpr int LastCode = 255;

// Name of a control character (and of the space and DEL); empty for every other code.
QString Name(int code);
// The row of code: the character, a tab, three decimal digits, a tab, two hex digits, a tab, the name.
QString Row(int code);
// Rows for codes 1 to 255, in order.
QStringList Rows();
// The character a row inserts: its first one (a tab for the row of code 9).
QString InsertedText(const QString &row);

} // namespace AsciiTable
