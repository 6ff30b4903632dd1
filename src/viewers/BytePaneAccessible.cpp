#include "BytePaneAccessible.h"

#include "BytePane.h"

namespace {

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("BytePane"))
        return nullptr;
    auto *pane = qobject_cast<BytePane *>(object);
    return pane ? new BytePaneAccessible(pane) : nullptr;
}

} // namespace

BytePaneAccessible::BytePaneAccessible(BytePane *pane)
    : QAccessibleWidget(pane, QAccessible::EditableText)
{
}

BytePane *BytePaneAccessible::pane() const
{
    return static_cast<BytePane *>(widget());
}

QAccessible::State BytePaneAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

QString BytePaneAccessible::text(QAccessible::Text t) const
{
    // The value of a huge pane is read through the text interface, piece by piece.
    if (t == QAccessible::Value)
        return pane()->length() <= 4096 ? pane()->text() : QString();
    return QAccessibleWidget::text(t);
}

void *BytePaneAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

void BytePaneAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || pane()->selLength() == 0)
        return;
    *startOffset = int(pane()->selStart());
    *endOffset = int(pane()->selStart() + pane()->selLength());
}

int BytePaneAccessible::selectionCount() const
{
    return pane()->selLength() > 0 ? 1 : 0;
}

void BytePaneAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void BytePaneAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        pane()->setSelLength(0);
}

void BytePaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    pane()->setSelStart(std::min(startOffset, endOffset));
    pane()->setSelLength(std::abs(endOffset - startOffset));
}

int BytePaneAccessible::cursorPosition() const
{
    return int(pane()->selStart() + pane()->selLength());
}

void BytePaneAccessible::setCursorPosition(int position)
{
    pane()->setSelStart(position);
}

QString BytePaneAccessible::text(int startOffset, int endOffset) const
{
    const qsizetype start = std::clamp<qsizetype>(startOffset, 0, pane()->length());
    const qsizetype end = std::clamp<qsizetype>(endOffset, start, pane()->length());
    return pane()->text(start, end - start);
}

int BytePaneAccessible::characterCount() const
{
    return int(std::min<qsizetype>(pane()->length(), std::numeric_limits<int>::max()));
}

QRect BytePaneAccessible::characterRect(int) const
{
    return {};
}

int BytePaneAccessible::offsetAtPoint(const QPoint &) const
{
    return -1;
}

void BytePaneAccessible::scrollToSubstring(int startIndex, int)
{
    pane()->setSelStart(startIndex);
}

QString BytePaneAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}

void BytePaneAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
