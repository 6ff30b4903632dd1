#pragma once

#include "AssistText.h"

#include <QWidget>

// The argument tip picArgs: a function's help drawn under the caret, the current argument in bold
// italic, in the editor's font and the tool-tip colours. A mouse press on it hides it.
class ArgumentTip : public QWidget {
    Q_OBJECT
public:
    explicit ArgumentTip(QWidget *parent);

    void setLines(const QList<AssistText::TipLine> &lines, const QFont &font);
    const QList<AssistText::TipLine> &lines() const { return m_lines; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    static constexpr int Margin = 3;
    QFont runFont(bool current) const;

    QList<AssistText::TipLine> m_lines;
};
