#include "NumberField.h"

#include <QKeyEvent>
#include <QTimer>

NumberField::NumberField(const QString &objectName, FieldRule rule, QWidget *parent)
    : QLineEdit(parent)
    , m_rule(std::move(rule))
{
    setObjectName(objectName);
    connect(this, &QLineEdit::textChanged, this, &NumberField::correct);
    connect(this, &QLineEdit::editingFinished, this, [this] {
        const QString fixed = m_rule.corrected(text(), false);
        if (fixed != text())
            setText(fixed);
    });
}

void NumberField::correct()
{
    const QString fixed = m_rule.corrected(text(), m_typing);
    if (fixed != text()) {
        const bool typing = m_typing;
        m_typing = false;
        setText(fixed);
        m_typing = typing;
    }
}

void NumberField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        setText(m_rule.stepped(text(), event->key() == Qt::Key_Up ? 1 : -1));
        event->accept();
        return;
    }
    m_typing = true;
    QLineEdit::keyPressEvent(event);
    m_typing = false;
}

void NumberField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // After the click that gave the focus has placed the cursor.
    QTimer::singleShot(0, this, &QLineEdit::selectAll);
}
