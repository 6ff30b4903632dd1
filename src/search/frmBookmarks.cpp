#include "frmBookmarks.h"

#include "EditorSurface.h"
#include "SearchHost.h"
#include "SearchWindows.h"

#include <QListWidget>
#include <QPushButton>

frmBookmarks::frmBookmarks(SearchWindows &windows, QWidget *owner)
    : LineListWindow(windows, owner, QStringLiteral("frmBookmarks"), QStringLiteral("Editor Bookmarks"))
{
    setLines(LineNavigation::BookmarkedLines(windows.host().surface().text(), windows.bookmarks().lines()));
    connect(cmdGoto, &QPushButton::clicked, this, [this] { gotoSelected(true); });
    connect(lstLines, &QListWidget::itemDoubleClicked, this, [this] { gotoSelected(true); });
}
