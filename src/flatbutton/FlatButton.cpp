#include "FlatButton.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

#include <utility>
#include <vector>

namespace {

const QString kDefaultCaption = QStringLiteral("FlatButton");
const QString kVersion = QStringLiteral(PALISADE_VERSION);

constexpr int kEdgeTwips = 25;
constexpr int kGapTwips = 50;
constexpr int kShiftTwips = 15;
constexpr int kSeparatorTwips = 105;
constexpr int kPollMs = 50;
constexpr int kToolButtonPx = 24;

const QColor kLight(255, 255, 255);
const QColor kDark(50, 50, 50);
const QColor kBlack(0, 0, 0);

std::function<void()> &soundPlayer()
{
    static std::function<void()> player;
    return player;
}

void playDesktopSound()
{
    // Looked up once: a desktop without a sound theme player gets the plain bell.
    static const QString player = QStandardPaths::findExecutable(QStringLiteral("canberra-gtk-play"));
    if (player.isEmpty() || !QProcess::startDetached(player, {QStringLiteral("--id=menu-click"),
                                                              QStringLiteral("--description=FlatButton")}))
        QApplication::beep();
}

std::optional<Qt::CursorShape> cursorShape(int type)
{
    switch (type) {
    case 0: return Qt::ArrowCursor;
    case 1: return Qt::ArrowCursor;
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 4: return Qt::ArrowCursor;
    case 5: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case 11: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::WhatsThisCursor;
    case 15: return Qt::SizeAllCursor;
    case 99: return Qt::PointingHandCursor;
    default: return std::nullopt;
    }
}

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

// Colours in bags written elsewhere come as 0x00BBGGRR numbers, 0x80000000 + n naming a system colour.
std::optional<QColor> colorFromNumber(qint64 value, const QPalette &palette)
{
    if (value >= 0 && value <= 0xFFFFFF)
        return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
    const qint64 system = value & 0xFFFFFFFFLL;
    switch (system) {
    case 0x80000005: return palette.color(QPalette::Base);
    case 0x80000008: return palette.color(QPalette::Text);
    case 0x8000000F: return palette.color(QPalette::Button);
    case 0x80000010: return palette.color(QPalette::Dark);
    case 0x80000012: return palette.color(QPalette::ButtonText);
    case 0x80000014: return palette.color(QPalette::Light);
    default: return std::nullopt;
    }
}

std::optional<QColor> colorFromVariant(const QVariant &value, const QPalette &palette)
{
    if (value.metaType().id() == QMetaType::QColor) {
        const QColor color = value.value<QColor>();
        return color.isValid() ? std::optional(color) : std::nullopt;
    }
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    if (ok)
        return colorFromNumber(number, palette);
    const QColor named(value.toString());
    return named.isValid() ? std::optional(named) : std::nullopt;
}

QPixmap pixmapFromVariant(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QPixmap: return value.value<QPixmap>();
    case QMetaType::QImage: return QPixmap::fromImage(value.value<QImage>());
    case QMetaType::QByteArray: {
        QPixmap pixmap;
        pixmap.loadFromData(value.toByteArray());
        return pixmap;
    }
    default: return {};
    }
}

std::optional<int> intFromVariant(const QVariant &value)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

FlatButton::FlatButton(QWidget *parent)
    : QWidget(parent)
    , m_caption(kDefaultCaption)
{
    setMouseTracking(true);
    // A tool-bar button must not take the focus from the editor; the form route still sees Enter and Escape.
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const QPoint pos = QCursor::pos();
        if (pos != m_lastCursorPos)
            changeStyleAt(pos);
        m_lastCursorPos = pos;
    });
    ButtonRePaint();
}

FlatButton::~FlatButton()
{
    m_timer.stop();
    if (m_form)
        m_form->removeEventFilter(this);
}

void FlatButton::setCaption(const QString &caption)
{
    m_caption = caption;
    ButtonRePaint();
}

QColor FlatButton::backColor() const
{
    return m_backColor.value_or(palette().color(QPalette::Button));
}

void FlatButton::setBackColor(const QColor &color)
{
    m_backColor = color;
    GreyPic();
    update();
}

QColor FlatButton::foreColor() const
{
    return m_foreColor.value_or(palette().color(QPalette::ButtonText));
}

void FlatButton::setForeColor(const QColor &color)
{
    m_foreColor = color;
    update();
}

QFont FlatButton::captionFont() const
{
    QFont f = font();
    if (!m_fontName.isEmpty())
        f.setFamily(m_fontName);
    if (m_fontSize > 0)
        f.setPointSizeF(m_fontSize);
    f.setBold(m_fontBold);
    f.setItalic(m_fontItalic);
    f.setUnderline(m_fontUnderline);
    f.setStrikeOut(m_fontStrikethru);
    return f;
}

void FlatButton::setCaptionFont(const QFont &f)
{
    m_fontName = f.family();
    m_fontSize = f.pointSizeF() > 0 ? f.pointSizeF() : 0;
    m_fontBold = f.bold();
    m_fontItalic = f.italic();
    m_fontUnderline = f.underline();
    m_fontStrikethru = f.strikeOut();
    ButtonRePaint();
}

void FlatButton::setFontName(const QString &name)
{
    m_fontName = name;
    ButtonRePaint();
}

void FlatButton::setFontSize(double size)
{
    m_fontSize = size > 0 ? size : 0;
    ButtonRePaint();
}

void FlatButton::setFontBold(bool on)
{
    m_fontBold = on;
    ButtonRePaint();
}

void FlatButton::setFontItalic(bool on)
{
    m_fontItalic = on;
    ButtonRePaint();
}

void FlatButton::setFontUnderline(bool on)
{
    m_fontUnderline = on;
    update();
}

void FlatButton::setFontStrikethru(bool on)
{
    m_fontStrikethru = on;
    update();
}

void FlatButton::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    GreyPic();
    ButtonRePaint();
}

void FlatButton::setBackground(const QPixmap &background)
{
    m_background = background;
    update();
}

void FlatButton::setPicAlign(int align)
{
    if (align < 0 || align > 8)
        return;
    m_picAlign = align;
    ButtonRePaint();
}

void FlatButton::setButtonStyle(int style)
{
    if (style < 0 || style > 5)
        return;
    m_style = style;
    update();
}

void FlatButton::setButtonType(int type)
{
    if (type != NormalButton && type != Separator)
        return;
    m_buttonType = type;
    if (isSeparator()) {
        m_timer.stop();
        m_hover = Hover::Off;
        m_look = Look::Flat;
        m_leftPressed = false;
    }
    ButtonRePaint();
}

void FlatButton::setHit(bool on)
{
    m_hit = on;
    update();
}

void FlatButton::setGreyIcon(bool on)
{
    m_greyIcon = on;
    update();
}

void FlatButton::setCursorType(int type)
{
    const std::optional<Qt::CursorShape> shape = cursorShape(type);
    if (!shape)
        return;
    m_cursorType = type;
    if (type == 0)
        unsetCursor();
    else
        setCursor(*shape);
}

void FlatButton::writeProperties(QVariantMap &bag) const
{
    const QPalette pal = palette();
    auto put = [&bag](const char *name, const QVariant &value, bool isDefault) {
        if (!isDefault)
            bag.insert(QString::fromLatin1(name), value);
    };
    put("Caption", m_caption, m_caption == kDefaultCaption);
    put("BackColor", backColor(), backColor() == pal.color(QPalette::Button));
    put("ForeColor", foreColor(), foreColor() == pal.color(QPalette::ButtonText));
    put("FontName", m_fontName, m_fontName.isEmpty());
    put("FontSize", m_fontSize, m_fontSize == 0);
    put("FontBold", m_fontBold, !m_fontBold);
    put("FontItalic", m_fontItalic, !m_fontItalic);
    put("FontUnderline", m_fontUnderline, !m_fontUnderline);
    put("FontStrikethru", m_fontStrikethru, !m_fontStrikethru);
    put("Picture", m_picture, m_picture.isNull());
    put("Background", m_background, m_background.isNull());
    put("PicAlign", m_picAlign, m_picAlign == 0);
    put("Style", m_style, m_style == 0);
    put("ButtonType", m_buttonType, m_buttonType == NormalButton);
    put("Hit", m_hit, !m_hit);
    put("Sound", m_sound, !m_sound);
    put("GreyIcon", m_greyIcon, !m_greyIcon);
    put("Default", m_default, !m_default);
    put("Cancel", m_cancel, !m_cancel);
    put("Cursor", m_cursorType, m_cursorType == 0);
}

void FlatButton::readProperties(const QVariantMap &bag)
{
    // Names are matched without regard to case, as older bags spell "Backcolor".
    QVariantMap byName;
    for (auto it = bag.cbegin(); it != bag.cend(); ++it)
        byName.insert(it.key().toLower(), it.value());
    auto get = [&byName](const char *name) { return byName.value(QString::fromLatin1(name).toLower()); };
    auto getBool = [&get](const char *name) {
        const QVariant v = get(name);
        return v.isValid() && v.toBool();
    };
    auto getInt = [&get](const char *name, int fallback) {
        return intFromVariant(get(name)).value_or(fallback);
    };

    m_timer.setInterval(kPollMs);
    const QPalette pal = palette();
    const QVariant caption = get("Caption");
    m_caption = caption.isValid() ? caption.toString() : kDefaultCaption;
    m_backColor = colorFromVariant(get("BackColor"), pal);
    m_foreColor = colorFromVariant(get("ForeColor"), pal);

    m_fontName.clear();
    m_fontSize = 0;
    const QVariant fontValue = get("Font");
    if (fontValue.isValid()) {
        QFont f;
        bool usable = true;
        if (fontValue.metaType().id() == QMetaType::QFont)
            f = fontValue.value<QFont>();
        else
            usable = f.fromString(fontValue.toString());
        if (usable && !f.family().isEmpty()) {
            m_fontName = f.family();
            m_fontSize = f.pointSizeF() > 0 ? f.pointSizeF() : 0;
        }
    }
    if (const QVariant name = get("FontName"); name.isValid())
        m_fontName = name.toString();
    if (const QVariant size = get("FontSize"); size.isValid()) {
        bool ok = false;
        const double points = size.toDouble(&ok);
        m_fontSize = ok && points > 0 && points < 1000 ? points : 0;
    }
    m_fontBold = getBool("FontBold");
    m_fontItalic = getBool("FontItalic");
    m_fontUnderline = getBool("FontUnderline");
    m_fontStrikethru = getBool("FontStrikethru");

    m_picture = pixmapFromVariant(get("Picture"));
    m_background = pixmapFromVariant(get("Background"));
    m_picAlign = 0;
    setPicAlign(getInt("PicAlign", 0));
    m_style = 0;
    setButtonStyle(getInt("Style", 0));
    m_buttonType = NormalButton;
    setButtonType(getInt("ButtonType", NormalButton));
    m_hit = getBool("Hit");
    m_sound = getBool("Sound");
    m_greyIcon = getBool("GreyIcon");
    m_default = getBool("Default");
    m_cancel = getBool("Cancel");
    m_cursorType = 0;
    unsetCursor();
    setCursorType(getInt("Cursor", 0));

    GreyPic();
    ButtonRePaint();
}

QString FlatButton::hoverState() const
{
    switch (m_hover) {
    case Hover::Released: return QString();
    case Hover::Off: return QStringLiteral("OFF");
    case Hover::On: return QStringLiteral("ON");
    }
    return QString();
}

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

void FlatButton::ChangeStyle()
{
    changeStyleAt(QCursor::pos());
}

void FlatButton::FlatButtonOver()
{
    m_look = Look::Raised;
    update();
}

void FlatButton::FlatButtonOn()
{
    m_look = Look::Pressed;
    update();
}

void FlatButton::FlatButtonOff()
{
    // Released outside the button: back to flat, not raised.
    m_look = m_hover == Hover::On ? Look::Raised : Look::Flat;
    update();
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

void FlatButton::About()
{
    auto *box = new QMessageBox(QMessageBox::Information, tr("About FlatButton"),
                                QStringLiteral("FlatButton\nVersion %1").arg(kVersion), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void FlatButton::setSoundPlayer(std::function<void()> player)
{
    soundPlayer() = std::move(player);
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

bool FlatButton::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        attachToForm();
    return QWidget::event(event);
}

bool FlatButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form && event->type() == QEvent::KeyPress && isEnabled() && isVisible()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (handlesKey(key)) {
            activateByKey(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
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

void FlatButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ButtonRePaint();
}

void FlatButton::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    attachToForm();
    ButtonRePaint();
}

void FlatButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::ScreenChangeInternal:
        ButtonRePaint();
        break;
    case QEvent::PaletteChange:
        GreyPic();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            m_leftPressed = false;
            applyHover(false);
        }
        update();
        break;
    default:
        break;
    }
}

void FlatButton::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    trackHover(event->globalPosition().toPoint());
}

void FlatButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    // While the button is held the poll timer decides: the mouse may come back before release.
    if (!m_leftPressed && !isSeparator())
        applyHover(false);
}

void FlatButton::mouseMoveEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    // While held, the button grabs the mouse and learns of leaving from the moves themselves.
    if (m_leftPressed)
        changeStyleAt(event->globalPosition().toPoint());
    else
        trackHover(event->globalPosition().toPoint());
    emit MouseMove();
}

void FlatButton::mousePressEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
    if (event->button() == Qt::LeftButton) {
        m_leftPressed = true;
        m_hover = Hover::On;
        m_lastCursorPos = event->globalPosition().toPoint();
        m_timer.start();
        FlatButtonOn();
    }
}

void FlatButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    const bool leftRelease = event->button() == Qt::LeftButton;
    const bool clickable = leftRelease && m_leftPressed;
    if (leftRelease)
        m_leftPressed = false;
    // Already known to be outside: going through "" again would announce MouseOut twice.
    if (m_hover == Hover::On)
        m_hover = Hover::Released;
    changeStyleAt(event->globalPosition().toPoint());
    FlatButtonOff();
    const QPoint pos = event->position().toPoint();
    QPointer<FlatButton> self(this);
    if (m_hover == Hover::On && clickable)
        emit Click();
    if (self)
        emit MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

void FlatButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    emit DblClick();
}

void FlatButton::keyPressEvent(QKeyEvent *event)
{
    // Taken here so the form's own route does not activate the button a second time.
    if (handlesKey(event->key()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void FlatButton::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat() && handlesKey(event->key()))
        activateByKey(event->key());
    else
        QWidget::keyReleaseEvent(event);
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

bool FlatButton::isOver(const QPoint &globalPos) const
{
    if (!isVisible() || !rect().contains(mapFromGlobal(globalPos)))
        return false;
    // Another window in front of the button hides it from the mouse.
    QWidget *under = QApplication::widgetAt(globalPos);
    return under == this || isAncestorOf(under);
}

void FlatButton::changeStyleAt(const QPoint &globalPos)
{
    if (isSeparator())
        return;
    applyHover(isOver(globalPos));
}

void FlatButton::applyHover(bool over)
{
    if (isSeparator())
        return;
    // MouseOver and MouseOut alternate strictly: a release inside does not announce a new hover.
    if (!over && m_hover != Hover::Off) {
        m_hover = Hover::Off;
        m_timer.stop();
        m_look = Look::Flat;
        update();
        if (std::exchange(m_hoverAnnounced, false))
            emit MouseOut();
    } else if (over && m_hover != Hover::On) {
        m_hover = Hover::On;
        // Coming back while still held shows the button pressed again.
        if (m_leftPressed)
            FlatButtonOn();
        else
            FlatButtonOver();
        if (!std::exchange(m_hoverAnnounced, true)) {
            if (m_sound)
                playSound();
            emit MouseOver();
        }
    }
}

void FlatButton::trackHover(const QPoint &globalPos)
{
    if (isSeparator() || !isEnabled() || m_hover == Hover::On)
        return;
    m_hover = Hover::Off;
    changeStyleAt(globalPos);
    m_lastCursorPos = globalPos;
    if (m_hover == Hover::On)
        m_timer.start();
}

bool FlatButton::handlesKey(int key) const
{
    if (isSeparator())
        return false;
    return (isEnterKey(key) && m_default) || (key == Qt::Key_Escape && m_cancel);
}

void FlatButton::activateByKey(int key)
{
    QPointer<FlatButton> self(this);
    FlatButtonOn();
    repaint();
    if (isEnterKey(key)) {
        emit Click();
        if (self)
            FlatButtonOff();
        return;
    }
    QCoreApplication::processEvents();
    if (!self)
        return;
    FlatButtonOff();
    window()->close();
}

void FlatButton::attachToForm()
{
    QWidget *form = window() == this ? nullptr : window();
    if (form == m_form)
        return;
    if (m_form)
        m_form->removeEventFilter(this);
    m_form = form;
    if (m_form)
        m_form->installEventFilter(this);
}

void FlatButton::playSound()
{
    if (soundPlayer())
        soundPlayer()();
    else
        playDesktopSound();
}
