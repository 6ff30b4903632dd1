#include "FlatButton.h"

#include "FlatButtonMetrics.h"

#include <QImage>

using namespace FlatButtonMetrics;

namespace {

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

} // namespace

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
