#include "PrintFields.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

namespace PrintFields {

std::optional<double> parseNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString marginText(const QString &text)
{
    return parseNumber(text) ? text : QStringLiteral("1");
}

qint32 marginValue(const QString &text)
{
    const double value = parseNumber(text).value_or(1);
    // nearbyint rounds in the current mode, which is to nearest with halves to even.
    const double rounded = std::nearbyint(value);
    constexpr double low = std::numeric_limits<qint32>::min();
    constexpr double high = std::numeric_limits<qint32>::max();
    return qint32(std::clamp(rounded, low, high));
}

QString copiesText(const QString &text)
{
    const auto value = parseNumber(text);
    if (!value || *value < 1)
        return QStringLiteral("1");
    if (*value > MaxCopies)
        return QString::number(MaxCopies);
    return text;
}

int copies(const QString &text)
{
    const double value = parseNumber(text).value_or(1);
    return int(std::clamp(std::floor(value), 1.0, double(MaxCopies)));
}

int copiesForSpinner(int position)
{
    return MaxCopies - position + 1;
}

QString pdfEntry()
{
    return QStringLiteral("Print to PDF file...");
}

QStringList printerEntries(const QStringList &installed)
{
    QStringList entries = installed;
    entries << pdfEntry();
    return entries;
}

int selectedEntry(const QStringList &installed, const QString &current, bool toPdf)
{
    if (toPdf || current.isEmpty())
        return int(installed.size());
    return int(installed.indexOf(current));
}

QString proposedPdfName(const QString &documentPath, const QString &fallbackFolder)
{
    const QFileInfo info(documentPath);
    if (documentPath.isEmpty() || !info.isAbsolute())
        return QDir(fallbackFolder).filePath((documentPath.isEmpty() ? QStringLiteral("Untitled") : info.completeBaseName())
                                             + QStringLiteral(".pdf"));
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
}

} // namespace PrintFields
