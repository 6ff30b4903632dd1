#pragma once

#include <QPushButton>

#include <functional>

// Its own class, so that screen readers are given a page tab from the first time they ask.
class PageTabButton : public QPushButton {
    Q_OBJECT
public:
    PageTabButton(const QString &caption, QWidget *parent);
};

// A row of page buttons that behaves as a tab list: one tab stop (the current page), the arrow keys
// and Ctrl+Tab / Ctrl+Shift+Tab move between pages, and screen readers see page tabs whose press
// action shows the page.
class PageTabList : public QWidget {
    Q_OBJECT
public:
    // show(index) makes page index (0-based) current; it is expected to call setCurrent.
    PageTabList(QWidget *dialog, std::function<void(int)> show);

    // A checkable tab button, named by its caption, laid out in the row.
    QPushButton *addTab(const char *objectName, const QString &caption);
    const QList<QPushButton *> &tabs() const { return m_tabs; }
    int current() const { return m_current; }
    void setCurrent(int index);
    // Moves by step pages, wrapping, and keeps the keyboard on the tab when it was there.
    void step(int step);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(int)> m_show;
    QList<QPushButton *> m_tabs;
    int m_current = 0;
};
