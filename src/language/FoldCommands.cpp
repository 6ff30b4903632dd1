#include "FoldCommands.h"

#include "EditorSurface.h"
#include "FoldUpdater.h"
#include "Settings.h"

FoldCommands::FoldCommands(CommandContext &context, FoldUpdater &updater)
    : m_context(context), m_updater(updater)
{
}

int FoldCommands::caretLine() const
{
    EditorSurface &surface = m_context.surface();
    return surface.getLineFromChar(surface.selStart());
}

int FoldCommands::openBlockAt(const FoldSurface &folds, int line)
{
    if ((folds.lineFold(line).level & FoldLevel::Header) && folds.isExpanded(line))
        return line;
    return folds.parentHeader(line);
}

void FoldCommands::keepCaretShown(FoldSurface &folds)
{
    int line = caretLine();
    while (line >= 0 && !folds.isLineShown(line))
        line = folds.parentHeader(line);
    if (line >= 0 && line != caretLine())
        m_context.surface().setSelStart(m_context.surface().lineIndex(line));
}

void FoldCommands::FoldBlock()
{
    FoldSurface *folds = m_context.surface().folding();
    if (!folds)
        return;
    // The levels near the caret may still be on their way after an edit.
    m_updater.finish();
    const int header = openBlockAt(*folds, caretLine());
    if (header < 0 || !folds->setExpanded(header, false))
        return;
    keepCaretShown(*folds);
    m_context.refreshView();
}

void FoldCommands::UnfoldBlock()
{
    FoldSurface *folds = m_context.surface().folding();
    if (!folds)
        return;
    const int line = caretLine();
    if (!folds->isExpanded(line))
        folds->setExpanded(line, true);
    m_context.refreshView();
}

void FoldCommands::FoldAll()
{
    FoldSurface *folds = m_context.surface().folding();
    if (!folds)
        return;
    m_updater.finish();
    folds->foldAll(true);
    keepCaretShown(*folds);
    m_context.refreshView();
}

void FoldCommands::UnfoldAll()
{
    if (FoldSurface *folds = m_context.surface().folding()) {
        folds->foldAll(false);
        m_context.refreshView();
    }
}

void FoldCommands::ToggleFoldMargin()
{
    Settings &settings = m_context.settings();
    settings.ShowFoldMargin = !settings.ShowFoldMargin;
    if (FoldSurface *folds = m_context.surface().folding())
        folds->setMarginVisible(settings.ShowFoldMargin);
    m_context.refreshView();
}

void FoldCommands::registerCommands(const WireCommand &wire)
{
    wire("mnuViewFoldBlock", [this] { FoldBlock(); });
    wire("mnuViewUnfoldBlock", [this] { UnfoldBlock(); });
    wire("mnuViewFoldAll", [this] { FoldAll(); });
    wire("mnuViewUnfoldAll", [this] { UnfoldAll(); });
    wire("mnuViewFoldMargin", [this] { ToggleFoldMargin(); });
}
