#include "StatusLabelAccessible.h"

#include "ItemListAccessible.h"

#include <QFontMetrics>
#include <QStatusBar>

#include <algorithm>

namespace {

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("QLabel") && className != QLatin1String("StatusField"))
        return nullptr;
    auto *label = qobject_cast<QLabel *>(object);
    // A field is asked for before it is named (its first text sends an event): it always qualifies.
    if (!label || (!qobject_cast<StatusField *>(label)
                   && (label->accessibleName().isEmpty() || !qobject_cast<QStatusBar *>(label->parentWidget()))))
        return nullptr;
    return new StatusLabelAccessible(label);
}

// A tool window built on a plain widget (the compile output) is a window to a screen reader, not
// an anonymous pane.
QAccessibleInterface *createWindowInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("QWidget"))
        return nullptr;
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || !widget->isWindow() || widget->windowType() == Qt::Popup || widget->windowType() == Qt::ToolTip)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

StatusField::StatusField(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
}

void StatusField::setSizedToText(bool sized)
{
    m_sizedToText = sized;
    m_fitted = false;
    if (sized) {
        fitToText();
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void StatusField::fitToText()
{
    if (!m_sizedToText)
        return;
    // Measuring shapes the text: with even digits "12:5" and "98:7" need the same room, so the
    // caret's field and the byte count are measured again only when their shape changes.
    if (!m_fitted) {
        const QFontMetrics metrics(font());
        const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
        m_evenDigits = true;
        for (char digit = '1'; digit <= '9'; ++digit)
            m_evenDigits = m_evenDigits && metrics.horizontalAdvance(QLatin1Char(digit)) == zero;
    }
    QString shape = text();
    if (m_evenDigits)
        std::replace_if(shape.begin(), shape.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }, u'0');
    if (m_fitted && shape == m_fittedShape)
        return;
    m_fittedShape = shape;
    m_fitted = true;
    const QSize hint = sizeHint();
    if (minimumSize() != hint || maximumSize() != hint)
        setFixedSize(hint);
}

void StatusField::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_fitted = false;
        fitToText();
    }
}

void StatusField::setText(const QString &text)
{
    if (text == QLabel::text())
        return;
    QLabel::setText(text);
    fitToText();
    QAccessibleValueChangeEvent value(this, text);
    QAccessible::updateAccessibility(&value);
    QAccessibleEvent description(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
    if (m_announced && !text.isEmpty()) {
        // No live regions in this toolkit version: a name change is what readers speak at once.
        QAccessibleEvent name(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&name);
    }
}

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
        QAccessible::installFactory(createWindowInterface);
        ItemListAccessible::install();
        return true;
    }();
    Q_UNUSED(installed);
}
