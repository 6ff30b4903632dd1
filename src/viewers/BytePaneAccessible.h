#pragma once

#include <QAccessibleWidget>

class BytePane;

// A byte pane as screen readers see it: read-only text with its caret and selection, read a piece
// at a time, so a pane of megabytes costs nothing until asked.
class BytePaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit BytePaneAccessible(BytePane *pane);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    static void install();

private:
    BytePane *pane() const;
};
