#include "LineListWindow.h"

#include "ContextScroll.h"
#include "EditorSurface.h"
#include "SearchDialogParts.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QListWidget>
#include <QVBoxLayout>

using SearchDialogParts::make;

LineListWindow::LineListWindow(SearchWindows &windows, QWidget *owner, const QString &name, const QString &caption)
    : QDialog(owner)
    , m_windows(windows)
{
    SearchDialogParts::setUpToolWindow(this, name, caption, windows.host().settings().AlwaysOnTop);

    lstLines = make<QListWidget>(this, "lstLines");
    lstLines->setAccessibleName(QStringLiteral("Lines"));
    cmdGoto = make<QPushButton>(this, "cmdGoto", QStringLiteral("&Goto"));
    cmdClipboard = make<QPushButton>(this, "cmdClipboard", QStringLiteral("Cli&pboard"));
    cmdClose = make<QPushButton>(this, "cmdClose", QStringLiteral("&Close"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(lstLines, 0, 0);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdGoto);
    buttons->addWidget(cmdClipboard);
    buttons->addWidget(cmdClose);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1);
    resize(520, 300);

    connect(cmdClipboard, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(LineNavigation::clipboardText(m_list)); });
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        if (QWidget *owner = m_windows.host().ownerWindow())
            owner->activateWindow();
        m_windows.host().surface().setFocus();
        close();
    });
}

void LineListWindow::setLines(LineNavigation::LineList list)
{
    m_list = std::move(list);
    lstLines->clear();
    lstLines->addItems(m_list.entries);
}

void LineListWindow::gotoSelected(bool closeAfter)
{
    const int row = lstLines->currentRow();
    if (row < 0 || row >= m_list.lineNumbers.size() || lstLines->selectedItems().isEmpty())
        return;
    SearchHost &host = m_windows.host();
    EditorSurface &surface = host.surface();
    surface.setSelStart(LineNavigation::LineStart(m_list.lineNumbers.at(row), surface.text()));
    ContextScroll::showWithContext(surface, surface.selStart());
    host.refreshStatusBar();
    if (QWidget *owner = host.ownerWindow())
        owner->activateWindow();
    surface.setFocus();
    if (closeAfter)
        close();
}
