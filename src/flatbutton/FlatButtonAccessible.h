#pragma once

#include <QAccessibleWidget>

class FlatButton;

// What screen readers see of a FlatButton: a push button named by its tool-tip (or caption) that
// can be pressed; a separator is a separator.
class FlatButtonAccessible : public QAccessibleWidget {
public:
    explicit FlatButtonAccessible(FlatButton *button);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    // Registers the interface with Qt once per process; every FlatButton calls it.
    static void install();

private:
    FlatButton *button() const;
};
