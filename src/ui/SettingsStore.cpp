#include "SettingsStore.h"

#include "FileIO.h"
#include "ListFile.h"
#include "SettingsKeys.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>

namespace {

using SettingsKeys::Key;
using SettingsKeys::Rule;

const Settings &defaults()
{
    static const Settings value;
    return value;
}

std::optional<double> toNumber(const QString &text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Rounds half to even: 2.5 gives 2.
std::optional<qint64> toInteger(const QString &text, qint64 min, qint64 max)
{
    const auto value = toNumber(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded < double(min) || rounded > double(max))
        return std::nullopt;
    return qint64(rounded);
}

bool toBool(const QString &text)
{
    return text == u'1' || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void apply(Settings &s, const Key &key, const QString &value)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(s.*member)>;
            if constexpr (std::is_same_v<T, QString>) {
                s.*member = value;
            } else if constexpr (std::is_same_v<T, bool>) {
                s.*member = toBool(value);
            } else if constexpr (std::is_same_v<T, double>) {
                const auto size = toNumber(value);
                if (size && *size >= Settings::SmallestFontSize && *size <= Settings::LargestFontSize)
                    s.*member = *size;
            } else if constexpr (std::is_same_v<T, OleColor>) {
                // Hand-written files may give the unsigned form of a system colour.
                const auto n = toInteger(value, std::numeric_limits<qint32>::min(),
                                         std::numeric_limits<quint32>::max());
                if (!n)
                    return;
                const auto color = OleColor(quint32(*n));
                s.*member = color;
                if (key.rule == Rule::ForeColor) {
                    s.linenobackground = color;
                    s.currlineforeground = color;
                } else if (key.rule == Rule::BackColor) {
                    s.linenoforeground = color;
                    s.currlinebackground = color;
                }
            } else {
                if (key.rule == Rule::ClampTabWidth) {
                    const auto n = toInteger(value, std::numeric_limits<qint64>::min() / 2,
                                             std::numeric_limits<qint64>::max() / 2);
                    if (n)
                        s.*member = T(std::clamp<qint64>(*n, 1, 12));
                    return;
                }
                const auto n = toInteger(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
                if (n)
                    s.*member = T(*n);
                else if (key.rule == Rule::Fallback)
                    s.*member = defaults().*member;
            }
        },
        key.field);
}

// A line break inside a value would end the line and let the rest pass for another key.
QString oneLine(const QString &text)
{
    const auto cut = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    return text.left(cut - text.cbegin());
}

QString formatDecimal(double value)
{
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString format(const Settings &s, const Key &key)
{
    QString value = std::visit(
        [&](auto member) -> QString {
            using T = std::remove_cvref_t<decltype(s.*member)>;
            if constexpr (std::is_same_v<T, QString>)
                return oneLine(s.*member);
            else if constexpr (std::is_same_v<T, bool>)
                return s.*member ? QStringLiteral("1") : QStringLiteral("0");
            else if constexpr (std::is_same_v<T, double>)
                return formatDecimal(s.*member);
            else if constexpr (std::is_same_v<T, OleColor>)
                return QString::number(qint32(s.*member));
            else
                return QString::number(s.*member);
        },
        key.field);
    return QLatin1String(key.name) + (key.blankBeforeValue ? QStringLiteral("= ") : QStringLiteral("=")) + value;
}

struct Line {
    QString key;   // lower case
    QString value;
};

std::optional<Line> splitLine(const QString &line)
{
    const QStringList pieces = line.split(u'=');
    if (pieces.size() < 2)
        return std::nullopt;
    return Line{pieces.at(0).toLower(), pieces.at(1)};
}

bool applyKnown(Settings &s, std::span<const Key> keys, const Line &line)
{
    for (const Key &key : keys) {
        if (line.key == QString::fromLatin1(key.name).toLower()) {
            apply(s, key, line.value);
            return true;
        }
    }
    return false;
}

} // namespace

SettingsStore::SettingsStore(QString appFolder)
    : m_appFolder(std::move(appFolder))
{
}

QString SettingsStore::settingsPath() const
{
    return m_appFolder + QStringLiteral("/settings.ini");
}

QString SettingsStore::settings2Path() const
{
    return m_appFolder + QStringLiteral("/settings2.ini");
}

Settings SettingsStore::SetDefaults(const Settings &current)
{
    Settings result = defaults();
    result.OnlyMonoSpace = current.OnlyMonoSpace;
    if (current.placement.maximized)
        result.placement = current.placement;
    return result;
}

Settings SettingsStore::readSettings(Settings current, const QString &text, SettingsLoad load)
{
    if (load == SettingsLoad::StartUp)
        current.OnlyMonoSpace = true;
    for (const QString &raw : ListFile::splitLines(text)) {
        if (const auto line = splitLine(raw))
            applyKnown(current, SettingsKeys::settingsFile(), *line);
    }
    return current;
}

Settings SettingsStore::readSettings2(Settings current, const QString &text)
{
    for (const QString &raw : ListFile::splitLines(text)) {
        const auto line = splitLine(raw);
        if (!line)
            continue;
        Settings::Placement &p = current.placement;
        if (line->key == QLatin1String("state")) {
            p.maximized = true;
            continue;
        }
        std::optional<double> Settings::Placement::*optionalField = nullptr;
        double Settings::Placement::*field = nullptr;
        if (line->key == QLatin1String("top"))
            optionalField = &Settings::Placement::top;
        else if (line->key == QLatin1String("left"))
            optionalField = &Settings::Placement::left;
        else if (line->key == QLatin1String("width"))
            field = &Settings::Placement::width;
        else if (line->key == QLatin1String("height"))
            field = &Settings::Placement::height;
        if (optionalField || field) {
            const auto value = toNumber(line->value);
            if (value && *value > 0 && !p.maximized) {
                if (optionalField)
                    p.*optionalField = *value;
                else
                    p.*field = *value;
            }
            continue;
        }
        applyKnown(current, SettingsKeys::settings2File(), *line);
    }
    return current;
}

QStringList SettingsStore::settingsLines(const Settings &settings)
{
    QStringList lines;
    const auto keys = SettingsKeys::settingsFile();
    lines.reserve(qsizetype(keys.size()));
    for (const Key &key : keys)
        lines << format(settings, key);
    return lines;
}

QStringList SettingsStore::settings2Lines(const Settings &settings)
{
    const auto keys = SettingsKeys::settings2File();
    QStringList lines{format(settings, keys.front())};
    const Settings::Placement &p = settings.placement;
    if (p.maximized) {
        lines << QStringLiteral("state=2");
    } else {
        // A centred window has no position to keep; the reader then centres it again.
        if (p.top)
            lines << QStringLiteral("top=") + formatDecimal(*p.top);
        if (p.left)
            lines << QStringLiteral("left=") + formatDecimal(*p.left);
        lines << QStringLiteral("width=") + formatDecimal(p.width);
        lines << QStringLiteral("height=") + formatDecimal(p.height);
    }
    for (const Key &key : keys.subspan(1))
        lines << format(settings, key);
    return lines;
}

Settings SettingsStore::LoadMySettings2(const Settings &current) const
{
    const Settings defaulted = SetDefaults(current);
    const auto bytes = FileIO::readAll(settings2Path());
    if (!bytes)
        return defaulted;
    Settings read = readSettings2(defaulted, ListFile::decode(*bytes));
    read.LastOpenedFile = ListFile::pathOf(read.LastOpenedFile);
    read.InitialFolder = ListFile::pathOf(read.InitialFolder);
    return read;
}

Settings SettingsStore::LoadMySettings(const Settings &current, SettingsLoad load) const
{
    const auto bytes = FileIO::readAll(settingsPath());
    if (!bytes) {
        Settings unchanged = current;
        if (load == SettingsLoad::StartUp)
            unchanged.OnlyMonoSpace = true;
        return unchanged;
    }
    return readSettings(current, ListFile::decode(*bytes), load);
}

std::optional<QString> SettingsStore::SaveMySettings(const Settings &settings) const
{
    return ListFile::write(settingsPath(), settingsLines(settings));
}

std::optional<QString> SettingsStore::SaveMySettings2(const Settings &settings) const
{
    return ListFile::write(settings2Path(), settings2Lines(settings));
}

QString SettingsStore::settingsFileStamp() const
{
    const QFileInfo info(settingsPath());
    if (!info.exists())
        return QString();
    return QString::number(info.lastModified().toMSecsSinceEpoch()) + u'/' + QString::number(info.size());
}
