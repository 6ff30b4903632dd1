#include "ColorSwatch.h"

#include "Prompter.h"

#include <QKeyEvent>
#include <QMouseEvent>

ColorSwatch::ColorSwatch(const QString &objectName, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(objectName);
    setFixedSize(36, 18);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setColor(0);
}

void ColorSwatch::setColor(OleColor color)
{
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, OleColors::toQColor(color));
    setPalette(p);
}

bool ColorSwatch::pick()
{
    const std::optional<QColor> chosen =
        Prompter::instance().pickColor(window(), OleColors::toQColor(m_color), QString());
    if (!chosen || !chosen->isValid())
        return false;
    setColor(OleColors::fromQColor(*chosen));
    emit picked(m_color);
    return true;
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled())
        pick();
    QLabel::mouseReleaseEvent(event);
}

void ColorSwatch::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        pick();
        return;
    }
    QLabel::keyPressEvent(event);
}
