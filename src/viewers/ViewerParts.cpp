#include "ViewerParts.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace ViewerParts {

QFont fixedFont(const QString &family, double pointSize)
{
    QFont font(family);
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (pointSize > 0)
        fallback.setPointSizeF(pointSize);
    return fallback;
}

void setTopmost(QWidget *window, bool onTop)
{
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing the flags hides a shown window.
    if (visible)
        window->show();
}

} // namespace ViewerParts
