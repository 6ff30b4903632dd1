#pragma once

#include "OleColor.h"

#include <QLabel>

// A colour swatch of the options dialog: a click opens the colour picker with the swatch's colour.
class ColorSwatch : public QLabel {
    Q_OBJECT
public:
    ColorSwatch(const QString &objectName, QWidget *parent);

    OleColor color() const { return m_color; }
    void setColor(OleColor color);
    // Opens the picker; true when a colour was chosen.
    bool pick();

signals:
    // The user chose a colour (not emitted by setColor).
    void picked(OleColor color);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    OleColor m_color = 0;
};
