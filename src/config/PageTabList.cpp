#include "PageTabList.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

namespace {

class TabListAccessible : public QAccessibleWidget {
public:
    explicit TabListAccessible(QWidget *list)
        : QAccessibleWidget(list, QAccessible::PageTabList)
    {
    }
};

// "&Colors && Fonts" reads "Colors & Fonts".
QString withoutMnemonic(const QString &caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && ++i == caption.size())
            break;
        plain += caption.at(i);
    }
    return plain;
}

// A checkable button's own toggle action would check it without showing its page: the press
// action clicks it, as the mouse does.
class PageTabAccessible : public QAccessibleWidget {
public:
    explicit PageTabAccessible(QPushButton *button)
        : QAccessibleWidget(button, QAccessible::PageTab)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && button()->accessibleName().isEmpty())
            return withoutMnemonic(button()->text());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = button()->isChecked();
        s.focusable = true;
        return s;
    }
    QStringList actionNames() const override
    {
        return button()->isEnabled() ? QStringList{pressAction(), setFocusAction()} : QStringList{};
    }
    void doAction(const QString &actionName) override
    {
        if (!button()->isEnabled())
            return;
        if (actionName == pressAction())
            button()->click();
        else if (actionName == setFocusAction())
            button()->setFocus(Qt::OtherFocusReason);
    }
    QStringList keyBindingsForAction(const QString &actionName) const override
    {
        if (actionName != pressAction())
            return {};
        const QKeySequence mnemonic = QKeySequence::mnemonic(button()->text());
        return mnemonic.isEmpty() ? QStringList{} : QStringList{mnemonic.toString(QKeySequence::NativeText)};
    }

private:
    QPushButton *button() const { return static_cast<QPushButton *>(widget()); }
};

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("PageTabList"))
        return new TabListAccessible(static_cast<QWidget *>(object));
    if (className == QLatin1String("PageTabButton"))
        return new PageTabAccessible(static_cast<QPushButton *>(object));
    return nullptr;
}

} // namespace

PageTabList::PageTabList(QWidget *dialog, std::function<void(int)> show)
    : QWidget(dialog)
    , m_show(std::move(show))
{
    static const bool registered = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(registered);
    setObjectName(QStringLiteral("pageTabs"));
    setAccessibleName(QStringLiteral("Pages"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const auto shortcut = [this, dialog](QKeySequence keys, int by) {
        auto *s = new QShortcut(keys, dialog);
        connect(s, &QShortcut::activated, this, [this, by] { step(by); });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
}

PageTabButton::PageTabButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
}

QPushButton *PageTabList::addTab(const char *objectName, const QString &caption)
{
    const int index = int(m_tabs.size());
    auto *button = new PageTabButton(caption, this);
    button->setObjectName(QLatin1String(objectName));
    button->setCheckable(true);
    button->setAutoDefault(false);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, index] { m_show(index); });
    layout()->addWidget(button);
    m_tabs << button;
    return button;
}

void PageTabList::setCurrent(int index)
{
    m_current = index;
    for (int i = 0; i < m_tabs.size(); ++i) {
        m_tabs.at(i)->setChecked(i == index);
        m_tabs.at(i)->setFocusPolicy(i == index ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void PageTabList::step(int by)
{
    if (m_tabs.isEmpty())
        return;
    const bool hadFocus = m_tabs.contains(qobject_cast<QPushButton *>(window()->focusWidget()));
    const int count = int(m_tabs.size());
    m_show(((m_current + by) % count + count) % count);
    if (hadFocus)
        m_tabs.at(m_current)->setFocus(Qt::TabFocusReason);
}

bool PageTabList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_tabs.contains(qobject_cast<QPushButton *>(watched))) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            step(-1);
            return true;
        case Qt::Key_Right:
        case Qt::Key_Down:
            step(1);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
