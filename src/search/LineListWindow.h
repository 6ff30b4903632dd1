#pragma once

#include "LineNavigation.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class SearchWindows;

// A list of document lines with Goto, Clipboard and Close: the base of frmLines and frmBookmarks.
class LineListWindow : public QDialog {
    Q_OBJECT
public:
    LineListWindow(SearchWindows &windows, QWidget *owner, const QString &name, const QString &caption);

    QListWidget *lstLines;
    QPushButton *cmdGoto;
    QPushButton *cmdClipboard;
    QPushButton *cmdClose;

    const LineNavigation::LineList &lines() const { return m_list; }

protected:
    void setLines(LineNavigation::LineList list);
    // Goto on the selected entry; closes the window when closeAfter is set.
    void gotoSelected(bool closeAfter);

    SearchWindows &m_windows;

private:
    LineNavigation::LineList m_list;
};
