#include "FlatButton.h"

#include "FlatButtonMetrics.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <utility>
#include <vector>

using namespace FlatButtonMetrics;

namespace {

const QColor kLight(255, 255, 255);
const QColor kDark(50, 50, 50);
const QColor kBlack(0, 0, 0);

// One line pair of a border: top and left edge in one colour, bottom and right in the other.
struct BorderLine {
    int inset;
    QColor topLeft;
    QColor bottomRight;
    bool openCorners = false;
};

std::vector<BorderLine> borderLines(int style)
{
    switch (style) {
    case 1: return {{0, kLight, kDark}};
    case 2: return {{0, kLight, kBlack}, {1, QColor(), kDark}};
    case 3: return {{0, kLight, kDark}, {1, kLight, kDark}};
    case 4: return {{0, kLight, kDark}, {1, kDark, kLight}};
    case 5: return {{0, kLight, kDark, true}};
    default: return {};
    }
}

void drawBorder(QPainter &painter, const QRect &face, int style, bool sunken)
{
    for (BorderLine line : borderLines(style)) {
        if (sunken)
            std::swap(line.topLeft, line.bottomRight);
        const QRect r = face.adjusted(line.inset, line.inset, -line.inset, -line.inset);
        if (r.width() < 2 || r.height() < 2)
            continue;
        const int cut = line.openCorners ? 1 : 0;
        if (line.topLeft.isValid()) {
            painter.setPen(line.topLeft);
            painter.drawLine(r.left() + cut, r.top(), r.right() - cut, r.top());
            painter.drawLine(r.left(), r.top() + cut, r.left(), r.bottom() - cut);
        }
        if (line.bottomRight.isValid()) {
            painter.setPen(line.bottomRight);
            painter.drawLine(r.left() + cut, r.bottom(), r.right() - cut, r.bottom());
            painter.drawLine(r.right(), r.top() + cut, r.right(), r.bottom() - cut);
        }
    }
}


} // namespace

QRect FlatButton::pictureRect() const
{
    if (isSeparator() || m_picture.isNull())
        return {};
    const int shift = m_look == Look::Pressed ? std::max(1, twipsToPixels(kShiftTwips)) : 0;
    return QRect(m_picturePos + QPoint(shift, shift), pictureSize());
}

QRect FlatButton::captionRect() const
{
    if (isSeparator() || m_caption.isEmpty())
        return {};
    const int shift = m_look == Look::Pressed ? std::max(1, twipsToPixels(kShiftTwips)) : 0;
    return QRect(m_captionPos + QPoint(shift, shift), captionSize());
}

void FlatButton::ButtonRePaint()
{
    // Only a changed hint asks the layout again; asking on every resize would loop with it.
    if (const QSize hint = sizeHint(); hint != m_lastHint) {
        m_lastHint = hint;
        updateGeometry();
    }
    if (isSeparator()) {
        if (width() != m_lastHint.width())
            resize(m_lastHint.width(), height());
        update();
        return;
    }
    const int edge = twipsToPixels(kEdgeTwips);
    const QSize pic = pictureSize();
    const QSize cap = captionSize();
    const int gap = !pic.isEmpty() && !cap.isEmpty() ? twipsToPixels(kGapTwips) : 0;
    const int w = width();
    const int h = height();
    const int row = m_picAlign / 3;    // 0 picture above, 1 beside, 2 below the caption
    const int column = m_picAlign % 3; // 0 centred, 1 left, 2 right

    if (row == 1) {
        const int together = pic.width() + gap + cap.width();
        int left = edge;
        if (column == 0)
            left = (w - together) / 2;
        else if (column == 2)
            left = w - edge - together;
        if (column == 2) {
            m_captionPos.setX(left);
            m_picturePos.setX(left + cap.width() + gap);
        } else {
            m_picturePos.setX(left);
            m_captionPos.setX(left + pic.width() + gap);
        }
        m_picturePos.setY((h - pic.height()) / 2);
        m_captionPos.setY((h - cap.height()) / 2);
    } else {
        auto place = [&](int itemWidth) {
            if (column == 1)
                return edge;
            if (column == 2)
                return w - edge - itemWidth;
            return (w - itemWidth) / 2;
        };
        m_picturePos.setX(place(pic.width()));
        m_captionPos.setX(place(cap.width()));
        if (row == 0) {
            m_picturePos.setY(edge);
            m_captionPos.setY(edge + pic.height() + gap);
        } else {
            m_picturePos.setY(h - edge - pic.height());
            m_captionPos.setY(m_picturePos.y() - gap - cap.height());
        }
    }
    update();
}

void FlatButton::GreyPic()
{
    if (m_picture.isNull()) {
        m_greyPicture = QImage();
        return;
    }
    QImage image = m_picture.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb back = backColor().rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if ((pixel | 0xFF000000u) == back)
                continue;
            const int g = qGreen(pixel);
            line[x] = qRgba(g, g, g, qAlpha(pixel));
        }
    }
    image.setDevicePixelRatio(m_picture.devicePixelRatio());
    m_greyPicture = image;
    update();
}

QSize FlatButton::sizeHint() const
{
    if (isSeparator())
        return {twipsToPixels(kSeparatorTwips), kToolButtonPx};
    const int edge = twipsToPixels(kEdgeTwips);
    const QSize pic = pictureSize();
    const QSize cap = captionSize();
    const int gap = !pic.isEmpty() && !cap.isEmpty() ? twipsToPixels(kGapTwips) : 0;
    QSize content;
    if (m_picAlign / 3 == 1)
        content = {pic.width() + gap + cap.width(), std::max(pic.height(), cap.height())};
    else
        content = {std::max(pic.width(), cap.width()), pic.height() + gap + cap.height()};
    return content.grownBy({edge, edge, edge, edge}).expandedTo({kToolButtonPx, kToolButtonPx});
}

QSize FlatButton::minimumSizeHint() const
{
    return sizeHint();
}

void FlatButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect face = rect();
    painter.fillRect(face, backColor());
    if (!m_background.isNull())
        painter.drawPixmap(0, 0, m_background);

    if (isSeparator()) {
        const int x = face.width() / 2 - 1;
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(x, 2, x, face.height() - 3);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(x + 1, 2, x + 1, face.height() - 3);
        return;
    }

    if (m_look != Look::Flat)
        drawBorder(painter, face, m_style, m_look == Look::Pressed);

    const bool hovered = m_hover == Hover::On;
    if (const QRect pic = pictureRect(); !pic.isNull()) {
        if ((m_greyIcon && !hovered) || !isEnabled())
            painter.drawImage(pic, m_greyPicture);
        else
            painter.drawPixmap(pic, m_picture);
    }
    if (const QRect cap = captionRect(); !cap.isNull()) {
        QFont f = captionFont();
        if (m_hit && hovered)
            f.setUnderline(true);
        painter.setFont(f);
        painter.setPen(isEnabled() ? foreColor() : palette().color(QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(cap, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
    }
    if (hasFocus()) {
        painter.setPen(QPen(foreColor(), 1, Qt::DotLine));
        painter.drawRect(face.adjusted(2, 2, -3, -3));
    }
}

int FlatButton::twipsToPixels(int twips) const
{
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    return qRound(twips * dpi / 1440.0);
}

QSize FlatButton::pictureSize() const
{
    return m_picture.isNull() ? QSize() : m_picture.deviceIndependentSize().toSize();
}

QSize FlatButton::captionSize() const
{
    if (m_caption.isEmpty())
        return {};
    const QFontMetrics metrics(captionFont());
    return {metrics.horizontalAdvance(m_caption), metrics.height()};
}
