#include "modTransparent.h"

#include <QWidget>

#include <cmath>

namespace modTransparent {

int alphaFor(qint16 lucidity)
{
    // The factor in single precision, the product wider: 255 × 0.9f is 229.49999…, which a float
    // product would round up to 229.5 and so to 230.
    const float factor = (lucidity >= 1 && lucidity <= 30) ? 1.0f - float(lucidity) / 100.0f : 0.9f;
    return int(std::nearbyint(255.0 * double(factor)));
}

void applyTranslucency(QWidget *window, bool on, qint16 lucidity)
{
    if (!window)
        return;
    window->setWindowOpacity(on ? alphaFor(lucidity) / 255.0 : 1.0);
}

} // namespace modTransparent
