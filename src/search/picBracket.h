#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

// The borderless marker drawn over the partner of the bracket beside the caret. Any mouse contact
// hides it, so it never stays in the way of the text under it.
class picBracket : public QWidget {
    Q_OBJECT
public:
    explicit picBracket(QWidget *parent);

    void setCharacter(QChar character)
    {
        if (character != m_character) {
            m_character = character;
            update();
        }
    }
    QChar character() const { return m_character; }
    void setColors(const QColor &foreground, const QColor &background);
    void setTextFont(const QFont &font, bool bold);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;

private:
    QChar m_character;
    QColor m_foreground;
    QColor m_background;
};
