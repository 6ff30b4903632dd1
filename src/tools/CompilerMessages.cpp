#include "CompilerMessages.h"

#include <QRegularExpression>

#include <cstring>

namespace CompilerMessages {

std::optional<SourceLocation> locate(QStringView line)
{
    // The file may hold blanks ("a b.c:3:5: error"), but does not start with one; the include
    // chain's "In file included from x.h:3:" names a place too.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:In file included from |\s+from )?(\S[^:]*?):(\d{1,9})(?::(\d{1,9}))?:(?:\s|$))"));
    const QRegularExpressionMatch match = pattern.match(line.toString());
    if (!match.hasMatch())
        return std::nullopt;
    SourceLocation where{match.captured(1), match.capturedView(2).toInt(), 0};
    if (match.hasCaptured(3))
        where.column = match.capturedView(3).toInt();
    if (where.line < 1)
        return std::nullopt;
    return where;
}

int columnOffset(QStringView lineText, int column)
{
    constexpr int TabStop = 8;
    int display = 1;
    int offset = 0;
    while (offset < lineText.size() && display < column) {
        display = lineText[offset] == QLatin1Char('\t') ? ((display - 1) / TabStop + 1) * TabStop + 1 : display + 1;
        ++offset;
    }
    return offset;
}

QString finishedLine(int exitCode, int signal, qint64 milliseconds)
{
    const QString after = QStringLiteral(" after %1 s").arg(double(milliseconds) / 1000.0, 0, 'f', 2);
    if (signal > 0) {
        const char *name = ::strsignal(signal);
        return QStringLiteral("Finished: killed by signal %1").arg(signal)
               + (name ? QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(name)) : QString()) + after;
    }
    return QStringLiteral("Finished: exit code %1").arg(exitCode) + after;
}

} // namespace CompilerMessages
