#include "BytePane.h"

#include "BytePaneAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Control characters and the C1 range have no glyph: shown as a dot, kept in the text.
bool printable(unsigned char c)
{
    return (c >= 0x20 && c < 0x7F) || c >= 0xA0;
}

} // namespace

BytePane::BytePane(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    BytePaneAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void BytePane::setContent(QByteArray text, int columns, int offsetStep)
{
    const QByteArray old = std::exchange(m_text, std::move(text));
    m_columns = std::max(1, columns);
    m_offsetStep = offsetStep;
    m_anchor = m_caret = 0;
    verticalScrollBar()->setValue(0);
    updateScrollRange();
    viewport()->update();
    announceText(old);
}

void BytePane::announceText(const QByteArray &old)
{
    // Only build the strings when a screen reader listens: the pane may hold megabytes.
    if (!QAccessible::isActive())
        return;
    QAccessibleTextUpdateEvent event(this, 0, QString::fromLatin1(old), text());
    QAccessible::updateAccessibility(&event);
}

void BytePane::announceCaret()
{
    QAccessibleTextCursorEvent event(this, int(m_caret));
    QAccessible::updateAccessibility(&event);
}

void BytePane::setSelStart(qsizetype start)
{
    m_anchor = m_caret = std::clamp<qsizetype>(start, 0, m_text.size());
    ensureCaretVisible();
    viewport()->update();
    announceCaret();
}

void BytePane::setSelLength(qsizetype length)
{
    const qsizetype start = selStart();
    m_anchor = start;
    m_caret = std::clamp<qsizetype>(start + std::max<qsizetype>(length, 0), start, m_text.size());
    // The start of the selection is what the user looks for.
    const qsizetype caret = m_caret;
    m_caret = start;
    ensureCaretVisible();
    m_caret = caret;
    viewport()->update();
    announceCaret();
}

QString BytePane::selText() const
{
    return QString::fromLatin1(m_text.mid(selStart(), selLength()));
}

QSize BytePane::sizeHint() const
{
    const int width = textLeft() + m_columns * charWidth() + verticalScrollBar()->sizeHint().width() + 2 * frameWidth() + 4;
    return {width, rowHeight() * 16 + 2 * frameWidth()};
}

qsizetype BytePane::rows() const
{
    return std::max<qsizetype>(1, (m_text.size() + m_columns - 1) / m_columns);
}

int BytePane::visibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int BytePane::charWidth() const
{
    return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('M')));
}

int BytePane::rowHeight() const
{
    return std::max(1, fontMetrics().height());
}

int BytePane::textLeft() const
{
    return m_offsetStep > 0 ? 10 * charWidth() : 2;
}

void BytePane::updateScrollRange()
{
    const qsizetype maxRow = std::max<qsizetype>(0, rows() - visibleRows());
    verticalScrollBar()->setRange(0, int(std::min<qsizetype>(maxRow, std::numeric_limits<int>::max())));
    verticalScrollBar()->setPageStep(visibleRows());
    const int contentWidth = textLeft() + m_columns * charWidth() + 2;
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void BytePane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void BytePane::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette &pal = palette();
    painter.fillRect(viewport()->rect(), pal.base());
    const int cw = charWidth();
    const int rh = rowHeight();
    const int ascent = fontMetrics().ascent();
    const int left = textLeft() - horizontalScrollBar()->value();
    const qsizetype firstRow = verticalScrollBar()->value();
    const qsizetype selFrom = selStart();
    const qsizetype selTo = selFrom + selLength();
    const bool active = hasFocus();
    const QColor dim = pal.color(QPalette::PlaceholderText);

    QString piece;
    for (int r = 0; r <= visibleRows(); ++r) {
        const qsizetype row = firstRow + r;
        const qsizetype begin = row * m_columns;
        if (begin > m_text.size() || (begin == m_text.size() && begin > 0))
            break;
        const int y = r * rh;
        if (m_offsetStep > 0) {
            painter.setPen(dim);
            painter.drawText(left - 10 * cw + 2, y + ascent,
                             QStringLiteral("%1").arg(row * m_offsetStep, 8, 16, QLatin1Char('0')).toUpper());
        }
        const qsizetype end = std::min<qsizetype>(begin + m_columns, m_text.size());
        // Selection background for the part of this row inside it.
        const qsizetype from = std::max(begin, selFrom);
        const qsizetype to = std::min(end, selTo);
        if (from < to)
            painter.fillRect(left + int(from - begin) * cw, y, int(to - from) * cw, rh,
                             pal.brush(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
        for (qsizetype i = begin; i < end; ++i) {
            const auto c = static_cast<unsigned char>(m_text[i]);
            const bool selected = i >= selFrom && i < selTo;
            painter.setPen(selected ? pal.color(QPalette::HighlightedText) : printable(c) ? pal.color(QPalette::Text) : dim);
            piece = printable(c) ? QString(QChar(c)) : QStringLiteral("\u00B7");
            painter.drawText(left + int(i - begin) * cw, y + ascent, piece);
        }
        if (active && m_caret >= begin && m_caret <= end && (m_caret < end || end - begin < m_columns || m_caret == m_text.size())) {
            const int x = left + int(m_caret - begin) * cw;
            painter.fillRect(x, y, 1, rh, pal.color(QPalette::Text));
        }
    }
}

qsizetype BytePane::positionAt(const QPoint &point) const
{
    const int cw = charWidth();
    const qsizetype row = verticalScrollBar()->value() + std::max(0, point.y()) / rowHeight();
    const int x = point.x() - textLeft() + horizontalScrollBar()->value();
    const qsizetype column = std::clamp<qsizetype>((x + cw / 2) / cw, 0, m_columns);
    return std::clamp<qsizetype>(row * m_columns + column, 0, m_text.size());
}

void BytePane::moveCaret(qsizetype position, bool extend)
{
    m_caret = std::clamp<qsizetype>(position, 0, m_text.size());
    if (!extend)
        m_anchor = m_caret;
    ensureCaretVisible();
    viewport()->update();
    announceCaret();
}

void BytePane::ensureCaretVisible()
{
    const qsizetype row = m_caret / m_columns;
    const qsizetype first = verticalScrollBar()->value();
    if (row < first)
        verticalScrollBar()->setValue(int(row));
    else if (row >= first + visibleRows())
        verticalScrollBar()->setValue(int(row - visibleRows() + 1));
}

void BytePane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_dragging = true;
    moveCaret(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void BytePane::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        moveCaret(positionAt(event->position().toPoint()), true);
}

void BytePane::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
    emit released();
}

void BytePane::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A word of the pane: the run of non-blank characters around the click.
    const qsizetype at = std::min(positionAt(event->position().toPoint()), std::max<qsizetype>(0, m_text.size() - 1));
    qsizetype from = at;
    qsizetype to = at;
    while (from > 0 && m_text[from - 1] != ' ')
        --from;
    while (to < m_text.size() && m_text[to] != ' ')
        ++to;
    m_anchor = from;
    moveCaret(std::max(to, from), true);
}

void BytePane::keyPressEvent(QKeyEvent *event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const qsizetype rowStart = m_caret - m_caret % m_columns;
    if (event->matches(QKeySequence::SelectAll)) {
        m_anchor = 0;
        moveCaret(m_text.size(), true);
    } else if (event->matches(QKeySequence::Copy)) {
        if (selLength() > 0)
            QGuiApplication::clipboard()->setText(selText());
    } else {
        switch (event->key()) {
        case Qt::Key_Left:
            moveCaret(m_caret - 1, extend);
            break;
        case Qt::Key_Right:
            moveCaret(m_caret + 1, extend);
            break;
        case Qt::Key_Up:
            moveCaret(m_caret - m_columns, extend);
            break;
        case Qt::Key_Down:
            moveCaret(m_caret + m_columns, extend);
            break;
        case Qt::Key_PageUp:
            moveCaret(m_caret - qsizetype(visibleRows()) * m_columns, extend);
            break;
        case Qt::Key_PageDown:
            moveCaret(m_caret + qsizetype(visibleRows()) * m_columns, extend);
            break;
        case Qt::Key_Home:
            moveCaret(ctrl ? 0 : rowStart, extend);
            break;
        case Qt::Key_End:
            moveCaret(ctrl ? m_text.size() : std::min<qsizetype>(rowStart + m_columns, m_text.size()), extend);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
    }
    event->accept();
}

void BytePane::keyReleaseEvent(QKeyEvent *event)
{
    QAbstractScrollArea::keyReleaseEvent(event);
    emit released();
}

void BytePane::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void BytePane::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
