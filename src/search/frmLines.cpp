#include "frmLines.h"

#include "EditorSurface.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"

#include <QListWidget>
#include <QPushButton>

frmLines::frmLines(SearchWindows &windows, QWidget *owner)
    : LineListWindow(windows, owner, QStringLiteral("frmLines"), QStringLiteral("Lines Containing String"))
{
    SearchHost &host = windows.host();
    const SearchState &state = windows.engine().state();
    setLines(LineNavigation::LinesContaining(host.surface().text(), state.SearchText, state.MatchCase,
                                             host.settings().RegExpSearch));
    connect(cmdGoto, &QPushButton::clicked, this, [this] { gotoSelected(false); });
    connect(lstLines, &QListWidget::itemDoubleClicked, this, [this] { gotoSelected(false); });
}
