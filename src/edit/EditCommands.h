#pragma once

#include "EditorSurface.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <vector>

class QMimeData;

// The Edit menu's logic over the editor surface. Clipboard access, snapshots and messages stay with
// the window; these functions compute and change text only.
namespace EditCommands {

struct TextRange {
    int start = 0;
    int length = 0;

    bool operator==(const TextRange &) const = default;
};

struct ColumnCopy {
    QString text;
    // "Text copied from L1:C1 - L2:C2", for the hint label.
    QString message;
};

// The columns between the selection's start and end, from every line they span; a column is one
// whole character, a surrogate pair included.
ColumnCopy copyColumn(const EditorSurface &surface, bool unixEndings);

bool isWordDelimiter(QChar c);
TextRange wordRange(const QString &text, int caret);
void selectWord(EditorSurface &surface);

// The caret's line without its line break.
TextRange lineRange(const QString &text, int caret);
void selectLine(EditorSurface &surface);
void selectAll(EditorSurface &surface);

// What Delete Line removes: the caret's line with its line break; an empty or one-character last
// line goes together with the line break before it.
TextRange deleteLineRange(const EditorSurface &surface);
// Returns whether anything was removed (the document is then modified).
bool deleteLine(EditorSurface &surface);

// Keeps only the selection, with its formatting, and selects it all. False without a selection.
bool crop(EditorSurface &surface);

// The first five characters of the time, a space and the short date, in the locale's forms.
QString dateTimeText(const QDateTime &when = QDateTime::currentDateTime(), const QLocale &locale = QLocale());

// What Copy and Cut take: the selection, or with several selections (a rectangle) each one's
// text on a line of its own; empty when every selection is.
QString selectionsText(const EditorSurface &surface);

// Clipboard texts: what Copy puts, what Copy Append makes of the clipboard, what Paste inserts.
QString copiedText(const QString &selected, bool unixEndings);
QString appendedText(const QString &clipboard, const QString &selected, bool unixEndings);
QString pastedText(const QString &clipboard);

// Plain text, RTF and HTML together, so rich text also pastes into browsers and office programs.
// The caller owns the result (QClipboard::setMimeData takes it over).
QMimeData *richClipboardData(const QString &plainText, const QString &rtf, const QString &html);
// Simple HTML of formatted text: one span per run, <br> for line breaks, everything escaped.
QString htmlOfRuns(const QString &text, const std::vector<FormatRun> &runs);

// The selection holds a CR LF after its first character (what block indenting needs). Reads only the
// start of a long selection.
bool selectionHasInnerLineBreak(const EditorSurface &surface);

QString clearHistoryQuestion();
QString clearHistoryTitle();

} // namespace EditCommands
