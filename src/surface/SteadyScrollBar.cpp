#include "SteadyScrollBar.h"

#include <QStyle>
#include <QStyleOptionSlider>

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
}

SteadyScrollBar::Look SteadyScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
            value() <= minimum(), value() >= maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change)
{
    // A bar that shows itself for a while when scrolled must still be told.
    const bool steady = (change == SliderRangeChange || change == SliderValueChange) && m_painted
        && !style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this);
    if (steady && look() == *m_painted)
        return;
    QScrollBar::sliderChange(change);
}

void SteadyScrollBar::paintEvent(QPaintEvent *event)
{
    m_painted = look();
    QScrollBar::paintEvent(event);
}
