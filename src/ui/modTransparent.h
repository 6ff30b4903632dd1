#pragma once

#include <QtGlobal>

class QWidget;

// Window translucency from the FormTransparent and Lucidity settings.
namespace modTransparent {

// The constant opacity, 0 … 255, for a lucidity in per cent; values outside 1 … 30 count as 10.
int alphaFor(qint16 lucidity);

// On: the window gets the alpha of the lucidity; off: fully opaque.
void applyTranslucency(QWidget *window, bool on, qint16 lucidity);

} // namespace modTransparent
