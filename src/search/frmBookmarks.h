#pragma once

#include "LineListWindow.h"

// The bookmarks in the order they were set, with their lines as they stood when the window opened.
class frmBookmarks : public LineListWindow {
    Q_OBJECT
public:
    frmBookmarks(SearchWindows &windows, QWidget *owner);
};
