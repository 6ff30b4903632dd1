#pragma once

#include "CommandContext.h"

class UndoHistory;

// The Edit menu's commands: the clipboard with its append, rich-text and column forms, deleting,
// cropping, selecting, the date, and undo and redo from the program's own history.
class EditController {
public:
    // The neighbours an edit command tells what it did.
    class Neighbours {
    public:
        virtual ~Neighbours() = default;
        // Before Undo or Redo put a record back (the find engine's cache).
        virtual void beforeRestore() = 0;
        // Pasted text, for re-colouring the lines it touched.
        virtual void afterPaste(const QString &text) = 0;
    };

    EditController(CommandContext &context, UndoHistory &history, Neighbours &neighbours);

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
    // Empties every selection (each row of a rectangle).
    void removeSelections();
    void putRichText(const QString &text, int start, int length);

    CommandContext &m_context;
    UndoHistory &m_history;
    Neighbours &m_neighbours;
};
