#include "KeywordList.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

KeywordList::KeywordList(QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("lstVariables"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFrameShape(QFrame::Box);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hide();
}

void KeywordList::setEntries(const QStringList &entries)
{
    if (entries == m_entries)
        return;
    m_entries = entries;
    clear();
    addItems(entries);
    if (count() > 0)
        setCurrentRow(0);
}

QSize KeywordList::preferredSize(int rows) const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString &entry : m_entries)
        widest = std::max(widest, metrics.horizontalAdvance(entry));
    const int shown = std::clamp(int(m_entries.size()), 1, rows);
    const int rowHeight = count() > 0 ? std::max(sizeHintForRow(0), metrics.height()) : metrics.height();
    const int frame = 2 * frameWidth();
    return {widest + 3 * metrics.averageCharWidth() + verticalScrollBar()->sizeHint().width() + frame,
            shown * rowHeight + frame};
}

bool KeywordList::event(QEvent *event)
{
    // Tab would move the focus on before the box sees it; here it chooses the entry.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            emit chosen();
            return true;
        }
    }
    return QListWidget::event(event);
}

void KeywordList::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit chosen();
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        emit closeRequested();
        return;
    default:
        break;
    }
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
        // What was typed, Shift and Caps Lock included: the document's letters are the user's.
        const QString text = event->text();
        const bool letter = text.size() == 1 && text.at(0).isLetter();
        emit letterTyped(letter ? text : QString(QChar(event->key())).toLower());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void KeywordList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (QListWidgetItem *item = itemAt(event->position().toPoint())) {
        setCurrentItem(item);
        emit chosen();
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
}

void KeywordList::focusOutEvent(QFocusEvent *event)
{
    QListWidget::focusOutEvent(event);
    // A click elsewhere in the window closes the box; switching to another window does not.
    if (isVisible() && event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit closeRequested();
}
