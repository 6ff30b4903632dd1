#include "LineNumberGutter.h"

#include "PaletteColors.h"
#include "ScintillaSurface.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {

// A label to a screen reader, whose value is the rows it shows, not an anonymous pane.
class GutterAccessible : public QAccessibleWidget {
public:
    explicit GutterAccessible(QWidget *gutter)
        : QAccessibleWidget(gutter, QAccessible::StaticText)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? widget()->accessibleDescription() : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *gutterInterface(const QString &className, QObject *object)
{
    return className == QLatin1String("LineNumberGutter") ? new GutterAccessible(static_cast<QWidget *>(object)) : nullptr;
}

} // namespace

LineNumberGutter::LineNumberGutter(ScintillaSurface &surface, QWidget *parent)
    : QWidget(parent)
    , m_surface(surface)
{
    static const bool accessible = (QAccessible::installFactory(gutterInterface), true);
    Q_UNUSED(accessible);
    setObjectName(QStringLiteral("PicLines"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setColors(OleColors::toQColor(PaletteColors::GutterBack), OleColors::toQColor(PaletteColors::GutterNumbers),
              OleColors::toQColor(PaletteColors::MarkerBack), OleColors::toQColor(PaletteColors::MarkerText));
}

void LineNumberGutter::setColors(const QColor &background, const QColor &numbers, const QColor &markerBackground,
                                 const QColor &markerText)
{
    m_background = background;
    m_numbers = numbers;
    m_markerBackground = markerBackground;
    m_markerText = markerText;
    update();
}

void LineNumberGutter::setBookmarkQuery(std::function<bool(int)> isBookmarked)
{
    m_isBookmarked = std::move(isBookmarked);
    update();
}

QFont LineNumberGutter::surfaceFont() const
{
    const CharFormat format = m_surface.defaultFormat();
    QFont font(format.fontName);
    // Scintilla keeps a zoomed size at 2 points at least.
    font.setPointSizeF(std::max(2.0, format.fontSize + m_surface.zoom()));
    font.setBold(format.bold);
    font.setItalic(format.italic);
    return font;
}

int LineNumberGutter::preferredWidth() const
{
    // Asked after every change: the text is measured again only when the line count or the font changed.
    const int lines = m_surface.lineCount();
    const QFont font = surfaceFont();
    if (lines != m_widthLines || font != m_widthFont) {
        m_widthLines = lines;
        m_widthFont = font;
        m_width = QFontMetrics(font).horizontalAdvance(QStringLiteral("  *") + QString::number(lines)) + 4;
    }
    return m_width;
}

QString LineNumberGutter::rowText(int line) const
{
    const bool marked = m_isBookmarked && m_isBookmarked(line);
    return (marked ? QStringLiteral("*") : QStringLiteral(" ")) + QString::number(line + 1);
}

void LineNumberGutter::DrawLineNumbers()
{
    update();
}

void LineNumberGutter::describeRows()
{
    const int first = m_surface.firstVisibleLine();
    const int last = std::min(m_surface.lineCount(), first + std::max(1, m_surface.visibleLineCount()));
    const QString rows = m_surface.wordWrap() ? QStringLiteral("Word wrap is on")
                                              : QStringLiteral("Lines %1 to %2").arg(first + 1).arg(last);
    if (accessibleDescription() != rows) {
        setAccessibleDescription(rows);
        QAccessibleValueChangeEvent event(this, rows);
        QAccessible::updateAccessibility(&event);
    }
}

void LineNumberGutter::caretMoved()
{
    describeRows();
    if (m_surface.firstVisibleLine() != m_paintedFirst || m_surface.wordWrap() != m_paintedWrap
        || m_surface.getLineFromChar(m_surface.selStart()) != m_paintedCurrent
        || m_surface.lineCount() != m_lastLineCount)
        update();
}

void LineNumberGutter::paintEvent(QPaintEvent *)
{
    describeRows();
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    // Nothing is drawn during a bulk change of the surface.
    if (!m_surface.isVisible())
        return;
    m_paintedFirst = -1;
    m_paintedWrap = m_surface.wordWrap();
    const QFont font = surfaceFont();
    painter.setFont(font);
    const int lineHeight = std::max(1, m_surface.lineHeight());
    // The rows follow the widget's text area, which starts below the view's frame.
    const int offset = m_surface.view()->viewport()->geometry().top();
    m_lastLineCount = m_surface.lineCount();

    if (m_surface.wordWrap()) {
        painter.setPen(m_numbers);
        const QString banner = QStringLiteral("WORD WRAP IS ON");
        for (int i = 0; i < banner.size(); ++i) {
            const QRect row(0, offset + i * lineHeight, width(), lineHeight);
            painter.drawText(row, Qt::AlignHCenter | Qt::AlignVCenter, QString(banner[i]));
        }
        return;
    }

    const int first = m_surface.firstVisibleLine();
    // Folded lines take no row: the rows run on until the gutter is full.
    const int last = m_lastLineCount - 1;
    const int current = m_surface.getLineFromChar(m_surface.selStart());
    m_paintedFirst = first;
    m_paintedCurrent = current;
    for (int line = first; line <= last; line = m_surface.nextShownLine(line)) {
        const int y = offset + m_surface.lineTop(line);
        if (y > height())
            break;
        const QRect row(0, y, width(), lineHeight);
        if (line == current) {
            painter.fillRect(row, m_markerBackground);
            painter.setPen(m_markerText);
        } else {
            painter.setPen(m_numbers);
        }
        painter.drawText(row.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, rowText(line));
    }
}

CurrentLineBox::CurrentLineBox(ScintillaSurface &surface, QWidget *viewport)
    : QWidget(viewport)
    , m_surface(surface)
{
    setObjectName(QStringLiteral("boxLine"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setColor(OleColors::toQColor(PaletteColors::Keyword));
    // Maximising or resizing the window widens the frame at once, not at the next caret move.
    viewport->installEventFilter(this);
}

bool CurrentLineBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        PlaceLineBox();
    return QWidget::eventFilter(watched, event);
}

void CurrentLineBox::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void CurrentLineBox::PlaceLineBox()
{
    if (parentWidget() && geometry() != parentWidget()->rect()) {
        setGeometry(parentWidget()->rect());
        update();
    }
    const QPoint caret = m_surface.caretPos();
    const int top = caret.y();
    const int bottom = caret.y() + m_surface.lineHeight() - 1;
    if (top == m_top && bottom == m_bottom)
        return;
    // Only the rows of the old and the new lines: the box lies over the whole text, and a repaint of
    // all of it would make the widget lay out and draw every visible line again on each caret move.
    for (const int row : {m_top, m_bottom, top, bottom})
        update(0, row, width(), 1);
    m_top = top;
    m_bottom = bottom;
}

void CurrentLineBox::paintEvent(QPaintEvent *)
{
    if (!m_surface.isVisible())
        return;
    QPainter painter(this);
    painter.setPen(m_color);
    painter.drawLine(0, m_top, width(), m_top);
    painter.drawLine(0, m_bottom, width(), m_bottom);
}
