#include "ColorScheme.h"

#include "ListFile.h"
#include "Settings.h"

#include <QDir>
#include <QLocale>

#include <limits>

namespace {

struct Key {
    const char *name;
    OleColor ColorScheme::*field;
};

// The order written.
constexpr Key kKeys[] = {
    {"backcolor", &ColorScheme::backcolor},
    {"forecolor", &ColorScheme::forecolor},
    {"linebackground", &ColorScheme::linebackground},
    {"lineforeground", &ColorScheme::lineforeground},
    {"linecurrentforeground", &ColorScheme::linecurrentforeground},
    {"keywords", &ColorScheme::keywords},
    {"functions", &ColorScheme::functions},
    {"strings", &ColorScheme::strings},
    {"comments", &ColorScheme::comments},
    {"numbers", &ColorScheme::numbers},
};

std::optional<OleColor> colorValue(const QString &text)
{
    bool ok = false;
    const qint64 n = QLocale::c().toLongLong(text.trimmed(), &ok);
    if (!ok || n < std::numeric_limits<qint32>::min() || n > qint64(std::numeric_limits<quint32>::max()))
        return std::nullopt;
    return OleColor(quint32(n));
}

QString schemeName(const QString &fileName)
{
    return fileName.section(QLatin1Char('.'), 0, 0);
}

} // namespace

ColorScheme ColorScheme::fromSettings(const Settings &s)
{
    return ColorScheme{s.BackColor,        s.fcolor, s.linenobackground, s.linenoforeground, s.currlineforeground,
                       s.fcolor1,          s.fcolor2, s.fcolorString,    s.fcolorComment,    s.fcolorNumber};
}

void ColorScheme::applyTo(Settings &s) const
{
    s.BackColor = backcolor;
    s.fcolor = forecolor;
    s.linenobackground = linebackground;
    s.linenoforeground = lineforeground;
    s.currlinebackground = lineforeground;
    s.currlineforeground = linecurrentforeground;
    s.fcolor1 = keywords;
    s.fcolor2 = functions;
    s.fcolorString = strings;
    s.fcolorComment = comments;
    s.fcolorNumber = numbers;
}

ColorScheme ColorScheme::parse(const QString &text, ColorScheme start)
{
    for (const QString &line : ListFile::splitLines(text)) {
        const QStringList pieces = line.split(QLatin1Char('='));
        if (pieces.size() < 2)
            continue;
        const QString key = pieces.at(0).trimmed().toLower();
        const std::optional<OleColor> value = colorValue(pieces.at(1));
        if (!value)
            continue;
        for (const Key &k : kKeys) {
            if (key == QLatin1String(k.name))
                start.*k.field = *value;
        }
    }
    return start;
}

QStringList ColorScheme::lines() const
{
    QStringList out;
    for (const Key &k : kKeys)
        out << QLatin1String(k.name) + QLatin1Char('=') + QString::number(qint32(this->*k.field));
    return out;
}

QString ColorScheme::pathFor(const QStringList &folders, const QString &name)
{
    // The user's folder comes first, so a scheme saved under a shipped name wins over the shipped one.
    for (const QString &folder : folders) {
        const QString exact = folder + QLatin1Char('/') + name + QStringLiteral(".scheme");
        if (QFileInfo(exact).isFile())
            return exact;
        // An entry listed from "dark.blue.scheme" has no "dark.scheme" of its own: the file that
        // gave the entry is the one the user chose.
        for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
            if (entry.fileName().endsWith(QLatin1String(".scheme")) && schemeName(entry.fileName()) == name)
                return entry.filePath();
        }
    }
    return folders.isEmpty() ? QString() : folders.first() + QLatin1Char('/') + name + QStringLiteral(".scheme");
}

QStringList ColorScheme::list(const QStringList &folders)
{
    QStringList names;
    for (const QString &folder : folders) {
        for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
            const QString name = schemeName(entry.fileName());
            if (entry.fileName().endsWith(QLatin1String(".scheme")) && !name.isEmpty() && !names.contains(name))
                names << name;
        }
    }
    names.sort();
    return names;
}

std::optional<ColorScheme> ColorScheme::load(const QString &path, const ColorScheme &start)
{
    const std::optional<QStringList> lines = ListFile::read(path);
    if (!lines)
        return std::nullopt;
    return parse(lines->join(QLatin1Char('\n')), start);
}

std::optional<QString> ColorScheme::save(const QString &path) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return ListFile::write(path, lines());
}
