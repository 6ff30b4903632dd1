#include "PaletteColors.h"

#include <QGuiApplication>

#include <array>
#include <cmath>

namespace PaletteColors {

namespace {

struct Default {
    Role role;
    OleColor light;
    OleColor dark;      // the dark scheme's colour for the role
    OleColor earlier;   // an earlier default, still in many settings files
};

// Earlier defaults that are not readable stay recognised, so existing files gain the fix too.
constexpr std::array<Default, 9> kDefaults = {{
    {Role::Keyword, Keyword, 0xD69C56, Keyword},
    {Role::Function, Function, 0xAADCDC, Function},
    {Role::String, String, 0x7891CE, String},
    {Role::Comment, Comment, 0x6AB37C, Comment},
    {Role::Number, Number, 0xA8CEB5, 0x0000FF},
    {Role::GutterBack, GutterBack, 0x262525, GutterBack},
    {Role::GutterNumbers, GutterNumbers, 0xE0A34F, 0xFF8000},
    {Role::MarkerBack, MarkerBack, 0xE0A34F, MarkerBack},
    {Role::MarkerText, MarkerText, 0x1E1E1E, MarkerText},
}};

const Default *defaultFor(Role role)
{
    for (const Default &d : kDefaults)
        if (d.role == role)
            return &d;
    return nullptr;
}

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green()) + 0.0722 * channel(rgb.blue());
}

bool followsPalette(OleColor background)
{
    return (background & 0x80000000u) != 0;
}

// Moves a default colour towards white or black until it reads on the background: the dark set
// is measured against the usual dark bases, a desktop's may be a little lighter.
QColor readableOn(QColor color, const QColor &background, bool lighten)
{
    const QColor target = lighten ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 0; step < 20 && contrast(color, background) < MinimumContrast; ++step) {
        color = QColor::fromRgbF(color.redF() + (target.redF() - color.redF()) * 0.15f,
                                 color.greenF() + (target.greenF() - color.greenF()) * 0.15f,
                                 color.blueF() + (target.blueF() - color.blueF()) * 0.15f);
    }
    return color;
}

} // namespace

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor resolve(Role role, OleColor color, OleColor documentBackground, const QPalette &palette)
{
    const QColor base = OleColors::toQColor(documentBackground, palette);
    if (role == Role::Text)
        return OleColors::textColor(color, documentBackground, palette);
    const Default *d = defaultFor(role);
    if (!d || !followsPalette(documentBackground) || (color != d->light && color != d->earlier))
        return OleColors::toQColor(color, palette);
    const bool dark = isDark(palette);
    const QColor chosen = OleColors::toQColor(dark ? d->dark : d->light, palette);
    // The gutter has its own background; the rest is drawn on the text area.
    switch (role) {
    case Role::GutterBack:
    case Role::MarkerBack:
        return chosen;
    case Role::GutterNumbers:
        return readableOn(chosen, resolve(Role::GutterBack, GutterBack, documentBackground, palette), dark);
    case Role::MarkerText:
        return readableOn(chosen, resolve(Role::MarkerBack, MarkerBack, documentBackground, palette), dark);
    default:
        return readableOn(chosen, base, dark);
    }
}

QColor resolve(Role role, OleColor color, OleColor documentBackground)
{
    return resolve(role, color, documentBackground, QGuiApplication::palette());
}

QColor textColor(OleColor color, OleColor documentBackground, const QPalette &palette)
{
    for (const Default &d : kDefaults) {
        if (d.role >= Role::GutterBack)
            break;
        if (color == d.light || color == d.earlier)
            return resolve(d.role, color, documentBackground, palette);
    }
    return OleColors::textColor(color, documentBackground, palette);
}

QColor textColor(OleColor color, OleColor documentBackground)
{
    return textColor(color, documentBackground, QGuiApplication::palette());
}

Selection selection(const QColor &drawnBackground)
{
    // Black text reads on both backs and on the inactive grey; a light text would not on the grey.
    if (luminance(drawnBackground) < 0.18)
        return {QColor(0x5A, 0x8C, 0xC8), QColor(Qt::black)};
    return {QColor(0xAD, 0xD6, 0xFF), QColor(Qt::black)};
}

} // namespace PaletteColors
