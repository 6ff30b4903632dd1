#include "picBracket.h"

#include <QPainter>

picBracket::picBracket(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picBracket"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void picBracket::setColors(const QColor &foreground, const QColor &background)
{
    if (foreground == m_foreground && background == m_background)
        return;
    m_foreground = foreground;
    m_background = background;
    update();
}

void picBracket::setTextFont(const QFont &font, bool bold)
{
    QFont f = font;
    f.setBold(bold);
    if (f != this->font())
        setFont(f);
}

void picBracket::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setPen(m_foreground);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, QString(m_character));
}

void picBracket::mousePressEvent(QMouseEvent *)
{
    hide();
}

void picBracket::enterEvent(QEnterEvent *)
{
    hide();
}
