#include "FieldRule.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

std::optional<double> number(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString FieldRule::corrected(const QString &text, bool typing) const
{
    // An emptied field is the start of typing a new value; it is filled when the field is left.
    if (typing && text.trimmed().isEmpty())
        return text;
    const std::optional<double> n = number(text);
    if (!n)
        return fallback;
    if (*n > double(maximum))
        return QString::number(maximum);
    if (*n < double(minimum) && !(typing && floorWhenDone))
        return QString::number(minimum);
    return text;
}

QString FieldRule::stepped(const QString &text, int direction) const
{
    const std::optional<double> n = number(text);
    const double base = n ? std::round(*n) : double(value(fallback));
    const double next = std::clamp(base + double(direction) * step, double(minimum), double(maximum));
    return QString::number(qint64(next));
}

qint64 FieldRule::value(const QString &text) const
{
    const std::optional<double> n = number(corrected(text, false));
    if (!n)
        return minimum;
    return qint64(std::clamp(std::round(*n), double(minimum), double(maximum)));
}

FieldRule FieldRule::tabWidth()
{
    return FieldRule{1, 12, 1, QStringLiteral("1"), false};
}

FieldRule FieldRule::lucidity()
{
    return FieldRule{1, 30, 1, QStringLiteral("10"), false};
}

FieldRule FieldRule::fileSizeLimit(qint32 current)
{
    return FieldRule{1000, std::numeric_limits<qint32>::max(), 1000, QString::number(std::max<qint32>(current, 1000)),
                     true};
}
