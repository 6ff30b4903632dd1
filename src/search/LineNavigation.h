#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Line arithmetic, the go-to-line rule and the lines holding a string. Lines end where the editor
// surface ends them, at CR LF, a lone LF or a lone CR, so every line number is one the window shows.
namespace LineNavigation {

// Zero-based offset of one-based line n; past the last line, the text's length + 1.
int LineStart(int line, const QString &text);

// The number a line or column box holds, or nothing when it is not a number.
std::optional<double> parseNumber(const QString &box);
// The caret offset for a line and column; a column past the end of the line gives its end.
int GotoTarget(double line, double column, const QString &text);

// The listed lines of frmLines or frmBookmarks.
struct LineList {
    QList<int> lineNumbers;     // one-based, in list order
    QStringList entries;        // number, tab, trimmed line
    QStringList texts;          // the lines untrimmed
    std::optional<QString> error;   // the engine's description
};

QString listEntry(int line, const QString &text);
LineList LinesContaining(const QString &text, const QString &searchText, bool matchCase, bool regExp);
LineList BookmarkedLines(const QString &text, const QList<int> &bookmarks);
// Every listed line followed by CR LF, for the clipboard.
QString clipboardText(const LineList &list);

} // namespace LineNavigation
