#include "StatusLabelAccessible.h"

#include <QLabel>
#include <QStatusBar>

namespace {

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("QLabel"))
        return nullptr;
    auto *label = qobject_cast<QLabel *>(object);
    if (!label || !qobject_cast<QStatusBar *>(label->parentWidget()) || label->accessibleName().isEmpty())
        return nullptr;
    return new StatusLabelAccessible(label);
}

} // namespace

StatusLabelAccessible::StatusLabelAccessible(QLabel *label)
    : QAccessibleWidget(label, QAccessible::StaticText)
{
}

QString StatusLabelAccessible::text(QAccessible::Text t) const
{
    const auto *label = static_cast<const QLabel *>(widget());
    switch (t) {
    case QAccessible::Name:
        return label->accessibleName();
    case QAccessible::Value:
    case QAccessible::Description:
        return label->text();
    default:
        return QAccessibleWidget::text(t);
    }
}

void StatusLabelAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
