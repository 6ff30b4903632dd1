#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

namespace LineSort {

enum class SortOrder { Ascending, Descending };

// Sorts the CR LF separated lines of text case-insensitively in the locale's order (lines equal in
// that order keep their order; descending is the exact reverse of ascending) and joins them with
// CR LF. Empty lines take part, so a text ending in CR LF gets an empty first line when ascending.
QString SortLines(QStringView text, SortOrder order, const QLocale &locale = QLocale());

} // namespace LineSort
