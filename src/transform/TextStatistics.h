#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// The figures of the Word Count box.
namespace TextStatistics {

struct Statistics {
    qsizetype characters = 0; // CR LF counts two
    qsizetype words = 0;
    qsizetype lines = 1;      // an empty text has one line

    bool operator==(const Statistics &) const = default;
};

// Lines end at CR LF, a lone CR or a lone LF, as the editor surface counts them.
Statistics Measure(QStringView text);

// The text of the statistics box; numbers grouped by thousands with the locale's separator.
QString StatisticsText(const Statistics &statistics, const QLocale &locale = QLocale());

} // namespace TextStatistics
