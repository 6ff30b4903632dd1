#pragma once

#include "FieldRule.h"

#include <QLineEdit>

// A numeric field of the options dialog: corrects its text on every change, steps with the arrow
// keys, selects its text when entered.
class NumberField : public QLineEdit {
    Q_OBJECT
public:
    NumberField(const QString &objectName, FieldRule rule, QWidget *parent);

    void setRule(const FieldRule &rule) { m_rule = rule; }
    const FieldRule &rule() const { return m_rule; }
    qint64 value() const { return m_rule.value(text()); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void correct();

    FieldRule m_rule;
    bool m_typing = false;
};
