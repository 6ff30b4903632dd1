#include "OleColor.h"

#include <QGuiApplication>

namespace OleColors {

QColor toQColor(OleColor color, const QPalette &palette)
{
    if (color & 0x80000000u) {
        switch (color) {
        case ButtonFace:
            return palette.color(QPalette::Button);
        case ButtonShadow:
            return palette.color(QPalette::Dark);
        default:
            return palette.color(QPalette::Base);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QColor toQColor(OleColor color)
{
    return toQColor(color, QGuiApplication::palette());
}

OleColor fromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return OleColor(rgb.red()) | (OleColor(rgb.green()) << 8) | (OleColor(rgb.blue()) << 16);
}

QColor textColor(OleColor text, OleColor background, const QPalette &palette)
{
    if (text == 0 && (background & 0x80000000u))
        return palette.color(QPalette::Text);
    return toQColor(text, palette);
}

QColor textColor(OleColor text, OleColor background)
{
    return textColor(text, background, QGuiApplication::palette());
}

} // namespace OleColors
