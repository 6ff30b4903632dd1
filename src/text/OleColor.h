#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

// A colour as the settings and scheme files hold it: 0x00BBGGRR, or 0x80000000 + n for the
// platform's system colour n.
using OleColor = quint32;

namespace OleColors {

inline constexpr OleColor WindowBackground = 0x80000005;
inline constexpr OleColor ButtonFace = 0x8000000F;
inline constexpr OleColor ButtonShadow = 0x80000010;

// System colours resolve through the palette (Base, Button, Dark); an unknown system colour
// falls back to the palette's Base.
QColor toQColor(OleColor color, const QPalette &palette);
// Uses the application palette.
QColor toQColor(OleColor color);
OleColor fromQColor(const QColor &color);

// The colour text is drawn in. Black on a system background is the default pair: it follows the
// palette, so a dark desktop gets light text. Any other colour is the user's choice, used as it is.
QColor textColor(OleColor text, OleColor background, const QPalette &palette);
QColor textColor(OleColor text, OleColor background);

} // namespace OleColors
