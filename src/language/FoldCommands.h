#pragma once

#include "CommandContext.h"

class FoldSurface;
class FoldUpdater;

// The View menu's folding: the block at the caret, every block, and the fold margin.
class FoldCommands {
public:
    FoldCommands(CommandContext &context, FoldUpdater &updater);

    void FoldBlock();
    void UnfoldBlock();
    void FoldAll();
    void UnfoldAll();
    void ToggleFoldMargin();

    void registerCommands(const WireCommand &wire);

    // The header of the innermost unfolded block that holds the line (the line itself when it heads
    // one); -1 when no block holds it.
    static int openBlockAt(const FoldSurface &folds, int line);

private:
    // Where folding hid the caret, it goes to the start of the line that stands for its block.
    void keepCaretShown(FoldSurface &folds);
    int caretLine() const;

    CommandContext &m_context;
    FoldUpdater &m_updater;
};
