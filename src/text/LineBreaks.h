#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Line starts of a text whose lines end in CR LF, a lone LF or a lone CR (the editing widget's rule).
std::vector<int> lineStartsOf(const QString &text);

// Zero-based line holding offset, given the line starts.
int lineOfOffset(const std::vector<int> &lineStarts, int offset);

// The first line break at or after from, by the same rule: its offset and length (2 for CR LF, else 1);
// offset -1 when there is none.
struct LineBreak {
    qsizetype at = -1;
    int length = 0;
};
LineBreak nextLineBreak(const QString &text, qsizetype from);

// The lines of a text without their breaks, by the same rule; a text ending in a break has an empty
// last line, as the widget shows it.
QStringList splitLines(const QString &text);

// Every LF without its CR becomes CR LF, the line break of a text document; a lone CR stays, as
// loading keeps it. A text without a lone LF is returned as it is, without a copy.
QString withCrLfBreaks(const QString &text);
