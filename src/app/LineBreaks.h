#pragma once

#include <QString>

#include <vector>

// Line starts of a text whose lines end in CR LF, a lone LF or a lone CR (the editing widget's rule).
std::vector<int> lineStartsOf(const QString &text);

// Zero-based line holding offset, given the line starts.
int lineOfOffset(const std::vector<int> &lineStarts, int offset);
