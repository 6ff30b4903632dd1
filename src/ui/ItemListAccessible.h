#pragma once

#include <QAccessibleWidget>

#include <map>

class QListView;

// A list box or a choice box's pop-up list as screen readers see it. Its items read as not
// showing while the list is hidden (a closed pop-up, a page not shown): the toolkit's own items
// judge that by their place alone, so they kept reading as showing.
class ItemListAccessible : public QAccessibleWidget {
public:
    explicit ItemListAccessible(QListView *view);
    ~ItemListAccessible() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // Serves every list view (list boxes and the pop-ups of choice boxes); once is enough.
    static void install();

private:
    QListView *view() const;
    // One interface per row, made when first asked for; a row whose item changed gets a new one.
    mutable std::map<int, QAccessible::Id> m_items;
};
