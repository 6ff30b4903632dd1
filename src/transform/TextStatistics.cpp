#include "TextStatistics.h"

#include "clsWordCount.h"

namespace TextStatistics {

Statistics Measure(QStringView text)
{
    Statistics statistics;
    statistics.characters = text.size();
    statistics.words = clsWordCount().WordCount(text);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n' || (c == u'\r' && (i + 1 == n || text[i + 1] != u'\n')))
            ++statistics.lines;
    }
    return statistics;
}

QString StatisticsText(const Statistics &statistics, const QLocale &locale)
{
    // The C locale omits group separators by default; the box always groups.
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const auto number = [&grouped](qsizetype value) { return grouped.toString(qlonglong(value)); };
    const QString rule(38, u'-');
    return QStringLiteral("Statistics :\r\n") + rule + QStringLiteral("\r\nCharacters (Bytes) : \t")
        + number(statistics.characters) + QStringLiteral("\r\nWords : \t\t\t") + number(statistics.words)
        + QStringLiteral("\r\nLines : \t\t\t") + number(statistics.lines) + QStringLiteral("\r\n") + rule;
}

} // namespace TextStatistics
