#include "ItemListAccessible.h"

#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWindow>

namespace {

class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(QListView *view, const QModelIndex &index)
        : m_view(view)
        , m_index(index)
    {
    }

    bool isValid() const override { return m_view && m_index.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString &) override {}
    QModelIndex index() const { return m_index; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name) {
            const QString text = m_index.data(Qt::AccessibleTextRole).toString();
            return text.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : text;
        }
        if (t == QAccessible::Description)
            return m_index.data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_view->visualRect(m_index);
        return r.isNull() ? r : r.translated(m_view->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid()) {
            st.invisible = true;
            return st;
        }
        const QRect area = m_view->viewport()->rect();
        st.invisible = !m_view->isVisible() || !area.intersects(m_view->visualRect(m_index));
        st.offscreen = st.invisible;
        const Qt::ItemFlags flags = m_index.flags();
        st.disabled = !(flags & Qt::ItemIsEnabled);
        if (flags & Qt::ItemIsSelectable) {
            st.selectable = true;
            st.focusable = true;
            st.multiSelectable = m_view->selectionMode() == QAbstractItemView::MultiSelection;
            st.extSelectable = m_view->selectionMode() == QAbstractItemView::ExtendedSelection;
        }
        st.selected = m_view->selectionModel() && m_view->selectionModel()->isSelected(m_index);
        st.focused = m_view->hasFocus() && m_view->currentIndex() == m_index;
        if (flags & Qt::ItemIsUserCheckable) {
            st.checkable = true;
            st.checked = m_index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        }
        return st;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &name) override
    {
        if (!isValid())
            return;
        if (name == pressAction())
            m_view->setCurrentIndex(m_index);
        else if (name == setFocusAction())
            m_view->selectionModel()->setCurrentIndex(m_index, QItemSelectionModel::NoUpdate);
    }

private:
    QPointer<QListView> m_view;
    QPersistentModelIndex m_index;
};

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("QListView"))
        return nullptr;
    auto *view = qobject_cast<QListView *>(object);
    return view ? new ItemListAccessible(view) : nullptr;
}

} // namespace

ItemListAccessible::ItemListAccessible(QListView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
}

ItemListAccessible::~ItemListAccessible()
{
    for (const auto &[row, id] : m_items)
        QAccessible::deleteAccessibleInterface(id);
}

QListView *ItemListAccessible::view() const
{
    return static_cast<QListView *>(widget());
}

int ItemListAccessible::childCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model ? model->rowCount(view()->rootIndex()) : 0;
}

QAccessibleInterface *ItemListAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    const QModelIndex modelIndex = view()->model()->index(index, view()->modelColumn(), view()->rootIndex());
    if (const auto found = m_items.find(index); found != m_items.end()) {
        auto *item = static_cast<ItemAccessible *>(QAccessible::accessibleInterface(found->second));
        if (item && item->index() == modelIndex)
            return item;
        QAccessible::deleteAccessibleInterface(found->second);
        m_items.erase(found);
    }
    auto *item = new ItemAccessible(view(), modelIndex);
    m_items[index] = QAccessible::registerAccessibleInterface(item);
    return item;
}

int ItemListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (const auto &[row, id] : m_items)
        if (QAccessible::accessibleInterface(id) == child)
            return row;
    return -1;
}

QAccessibleInterface *ItemListAccessible::childAt(int x, int y) const
{
    const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(local);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *ItemListAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

void ItemListAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(createInterface), true);
    Q_UNUSED(installed);
}
