#include "ArgumentTip.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

ArgumentTip::ArgumentTip(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picArgs"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void ArgumentTip::setLines(const QList<AssistText::TipLine> &lines, const QFont &font)
{
    m_lines = lines;
    setFont(font);
    resize(sizeHint());
    update();
}

QFont ArgumentTip::runFont(bool current) const
{
    QFont f = font();
    f.setBold(current);
    f.setItalic(current);
    return f;
}

QSize ArgumentTip::sizeHint() const
{
    const QFontMetrics plain(runFont(false));
    const QFontMetrics emphasis(runFont(true));
    int widest = 0;
    for (const AssistText::TipLine &line : m_lines) {
        int width = 0;
        for (const AssistText::TipRun &run : line)
            width += (run.current ? emphasis : plain).horizontalAdvance(run.text);
        widest = std::max(widest, width);
    }
    const int lineHeight = std::max(plain.height(), emphasis.height());
    return {widest + 2 * Margin, int(m_lines.size()) * lineHeight + 2 * Margin};
}

void ArgumentTip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::ToolTipBase));
    painter.setPen(colours.color(QPalette::ToolTipText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QFontMetrics plain(runFont(false));
    const int lineHeight = std::max(plain.height(), QFontMetrics(runFont(true)).height());
    int y = Margin;
    for (const AssistText::TipLine &line : m_lines) {
        int x = Margin;
        for (const AssistText::TipRun &run : line) {
            const QFont f = runFont(run.current);
            painter.setFont(f);
            painter.drawText(x, y + plain.ascent(), run.text);
            x += QFontMetrics(f).horizontalAdvance(run.text);
        }
        y += lineHeight;
    }
}

void ArgumentTip::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    hide();
}
