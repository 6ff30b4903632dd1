#pragma once

#include <QRect>
#include <QScrollBar>

#include <optional>

// A scroll bar drawn again only when what it shows changes. The editing widget sets the range on
// every new line and the value on every scroll by one: in a long document neither moves the handle
// by a pixel, and drawing the styled bar again cost more than the key that asked for it.
class SteadyScrollBar : public QScrollBar {
public:
    SteadyScrollBar(Qt::Orientation orientation, QWidget *parent);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Look {
        QRect handle;
        bool atMinimum = false;     // the arrows are drawn disabled at either end
        bool atMaximum = false;
        bool operator==(const Look &) const = default;
    };
    Look look() const;

    std::optional<Look> m_painted;
};
