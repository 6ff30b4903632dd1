#pragma once

#include <QAccessibleWidget>
#include <QLabel>

// A status-bar field whose text is a value a screen reader reads out ("2:6", "OVR"). setText hides
// QLabel's on purpose: a named label sends Qt no change event of its own, so assistive clients would
// keep the value they read first.
class StatusField : public QLabel {
    Q_OBJECT
public:
    StatusField(const QString &text, QWidget *parent);
    void setText(const QString &text);
    void clear() { setText(QString()); }
    // The hint: its changes are announced as they come, not only on request.
    void setAnnounced(bool announced) { m_announced = announced; }
    bool announced() const { return m_announced; }
    // Holds the field at the size its text needs. A label asks the whole main window to lay itself
    // out again on every new text; fixed, it asks only when the new text needs another size, not
    // when the caret's column or the byte count changes on each key.
    void setSizedToText(bool sized);

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitToText();

    bool m_announced = false;
    bool m_sizedToText = false;
    // The text last measured, its digits as zeros when the font gives every digit one width.
    QString m_fittedShape;
    bool m_fitted = false;
    bool m_evenDigits = false;
};

// A status-bar field as screen readers see it: named by what it shows ("Position"), its text the
// value and the description.
class StatusLabelAccessible : public QAccessibleWidget {
public:
    explicit StatusLabelAccessible(QLabel *label);
    QString text(QAccessible::Text t) const override;

    // Registers the interface once; it serves status fields and labels of a status bar that were
    // given a name. Plain widgets that are windows are registered as windows with it.
    static void install();
};
