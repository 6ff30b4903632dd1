#pragma once

#include <QAccessibleWidget>

class QLabel;

// A status-bar label as screen readers see it: named by what it shows ("Position"), its text the value.
class StatusLabelAccessible : public QAccessibleWidget {
public:
    explicit StatusLabelAccessible(QLabel *label);
    QString text(QAccessible::Text t) const override;

    // Registers the interface once; it serves labels of a status bar that were given a name.
    static void install();
};
