#pragma once

#include "CommandContext.h"

#include <functional>

class UndoHistory;

// The Edit menu's commands: the clipboard with its append, rich-text and column forms, deleting,
// cropping, selecting, the date, and undo and redo from the program's own history.
class EditController {
public:
    struct Hooks {
        // Before Undo or Redo put a record back (the find engine's cache).
        std::function<void()> beforeRestore;
        // Pasted text, for re-colouring the lines it touched.
        std::function<void(const QString &)> afterPaste;
    };

    EditController(CommandContext context, UndoHistory &history, Hooks hooks);

    void Undo();
    void Redo();
    void Copy();
    void Cut();
    void Paste();
    void CopyAppend(bool cut);
    void CopyAsRichText(bool cut);
    void CopyColumn();
    void DeleteSelection();
    void DeleteLine();
    void Crop();
    void InsertDateTime();
    void ClearUndoRedo();

    void registerCommands(const WireCommand &wire);

private:
    void putRichText(const QString &text, int start, int length);

    CommandContext m_context;
    UndoHistory &m_history;
    Hooks m_hooks;
};
