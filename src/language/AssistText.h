#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The text rules of the keyword list and the argument tips: words around the caret, the call the
// caret stands in, the argument it is in, and what the tip shows. No widget, no surface.
namespace AssistText {

// Tab, line breaks, the double quote and "!¤%&/()=?.,:;'*^¨~ {[]}+\´"; hyphens, underscores,
// digits and "<>#@$" belong to words.
bool isWordDelimiter(QChar c);

struct Span {
    int start = 0;
    int end = 0;    // one past the last character
    bool operator==(const Span &) const = default;
};
// The word at pos: from just after the last delimiter before pos to just before the next
// delimiter after that start, so the part after the caret belongs to it too.
Span wordAt(const QString &text, int pos);
// The word that ends just before pos (the name before a parenthesis).
QString wordEndingAt(const QString &text, int pos);

// The first entry ("@ " or "# " and a word) whose word starts with word, letter case ignored; -1.
int preselection(const QStringList &entries, const QString &word);

// Index in lineBefore (the caret's line up to the caret) of the innermost "(" still open at its
// end, or -1. Parentheses inside strings of stringChar do not count.
int openParenthesis(const QString &lineBefore, QChar stringChar);
// Zero-based number of the argument at the caret in the call whose "(" is at one-based position p
// of text: the commas between them that are neither inside a nested call nor inside a string.
int getArgNo(const QString &text, int p, int caret, QChar stringChar);

// One piece of an argument tip: the current argument is drawn bold italic.
struct TipRun {
    QString text;
    bool current = false;
    bool operator==(const TipRun &) const = default;
};
using TipLine = QList<TipRun>;
// The function name and "(", then the arguments of help split at ",", each on its own line
// indented by the name's length unless singleLine; the closing ")" and what follows it are plain.
QList<TipLine> tipLayout(const QString &name, const QString &help, int argNo, bool singleLine);

// Where a pop-up of size box goes: one text line below the caret's line (caret is the top of that
// line), inside area; above the caret's line when there is no room below.
QPoint popupPosition(QPoint caret, int lineHeight, QSize box, const QRect &area);

} // namespace AssistText
