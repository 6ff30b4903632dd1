#include "ColorSwatch.h"

#include "Prompter.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// A swatch is operated like a button: named after what it colours, its press opens the chooser.
class SwatchAccessible : public QAccessibleWidget {
public:
    explicit SwatchAccessible(ColorSwatch *swatch)
        : QAccessibleWidget(swatch, QAccessible::Button)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value || t == QAccessible::Description)
            return OleColors::toQColor(swatch()->color()).name();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return swatch()->isEnabled() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() && swatch()->isEnabled())
            swatch()->pick();
    }

private:
    ColorSwatch *swatch() const { return static_cast<ColorSwatch *>(widget()); }
};

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("ColorSwatch"))
        return nullptr;
    auto *swatch = qobject_cast<ColorSwatch *>(object);
    return swatch ? new SwatchAccessible(swatch) : nullptr;
}

} // namespace

ColorSwatch::ColorSwatch(const QString &objectName, QWidget *parent)
    : QLabel(parent)
{
    static const bool registered = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(registered);
    setObjectName(objectName);
    setFixedSize(36, 18);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setColor(0);
}

void ColorSwatch::setColor(OleColor color)
{
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, OleColors::toQColor(color));
    setPalette(p);
}

bool ColorSwatch::pick()
{
    const std::optional<QColor> chosen =
        Prompter::instance().pickColor(window(), OleColors::toQColor(m_color), QString());
    if (!chosen || !chosen->isValid())
        return false;
    setColor(OleColors::fromQColor(*chosen));
    emit picked(m_color);
    return true;
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled())
        pick();
    QLabel::mouseReleaseEvent(event);
}

void ColorSwatch::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        pick();
        return;
    }
    QLabel::keyPressEvent(event);
}
