#include "FileFilters.h"

#include <QRegularExpression>
#include <QStringList>

namespace FileFilters {

QString dialogFilter(const QString &displayTexts)
{
    QStringList entries;
    for (const QString &text : displayTexts.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        const qsizetype close = text.lastIndexOf(QLatin1Char(')'));
        QStringList patterns;
        if (open >= 0 && close > open) {
            static const QRegularExpression separators(QStringLiteral("[,; ]+"));
            for (const QString &pattern : text.mid(open + 1, close - open - 1).split(separators, Qt::SkipEmptyParts))
                patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        entries << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

QString displayText(const QString &dialogEntry)
{
    const qsizetype open = dialogEntry.lastIndexOf(QStringLiteral(" ("));
    return open < 0 ? dialogEntry : dialogEntry.left(open);
}

QString documentFiles()
{
    return QStringLiteral("All Files (*.*);;"
                          "Text Files (*.txt);;"
                          "Batch files (*.bat, *.cmd);;"
                          "Init files (*.ini);;"
                          "C files (*.c, *.cpp, *.h, *.hpp);;"
                          "Java files (*.java, *.jav);;"
                          "HTML files (*.html, *.htm, *.css)");
}

} // namespace FileFilters
