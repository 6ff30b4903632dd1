#include "FlatButtonAccessible.h"

#include "FlatButton.h"

#include <QPointer>

namespace {

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("FlatButton"))
        return nullptr;
    auto *button = qobject_cast<FlatButton *>(object);
    return button ? new FlatButtonAccessible(button) : nullptr;
}

} // namespace

FlatButtonAccessible::FlatButtonAccessible(FlatButton *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

QAccessible::Role FlatButtonAccessible::role() const
{
    // Asked each time: the button type may change after the interface was cached.
    return button()->buttonType() == FlatButton::Separator ? QAccessible::Separator : QAccessible::Button;
}

FlatButton *FlatButtonAccessible::button() const
{
    return static_cast<FlatButton *>(widget());
}

QString FlatButtonAccessible::text(QAccessible::Text t) const
{
    const FlatButton *b = button();
    switch (t) {
    case QAccessible::Name: {
        // A separator says nothing; its class name would be noise.
        if (b->buttonType() == FlatButton::Separator)
            return QString();
        if (!b->accessibleName().isEmpty())
            return b->accessibleName();
        // Tool-bar buttons carry only a picture: the tip is what a sighted user reads.
        if (!b->toolTip().isEmpty())
            return b->toolTip();
        return b->caption();
    }
    case QAccessible::Description:
        if (!b->accessibleDescription().isEmpty())
            return b->accessibleDescription();
        return b->toolTip() != text(QAccessible::Name) ? b->toolTip() : QString();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State FlatButtonAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = button()->look() == FlatButton::Look::Pressed;
    s.hotTracked = button()->hoverState() == QLatin1String("ON");
    if (button()->isDefault())
        s.defaultButton = true;
    return s;
}

QStringList FlatButtonAccessible::actionNames() const
{
    if (button()->buttonType() == FlatButton::Separator || !button()->isEnabled())
        return {};
    return {pressAction()};
}

void FlatButtonAccessible::doAction(const QString &actionName)
{
    FlatButton *b = button();
    // A screen reader may keep an action list across a state change: check again.
    if (actionName != pressAction() || b->buttonType() == FlatButton::Separator || !b->isEnabled())
        return;
    emit b->Click();
}

void FlatButtonAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
