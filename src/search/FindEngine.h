#pragma once

#include "ExpressionCache.h"
#include "HistoryLists.h"
#include "SearchState.h"

#include <QString>

#include <optional>

class EditorSurface;

// The result of one step of a dialog: the line for lblInfo and whether the selection moved.
struct FindOutcome {
    bool found = false;
    QString info;
    // The dialog's flag telling that its texts are in the history lists.
    bool historyAdded = false;
};

// A count, or the engine's error in the form lblInfo shows it.
struct CountOutcome {
    int count = 0;
    std::optional<QString> error;
};

// Plain and regular-expression search over an editor surface, with the search state and the
// expression cache of the session.
class FindEngine {
public:
    FindEngine(EditorSurface &surface, HistoryLists histories);

    SearchState &state() { return m_state; }
    const SearchState &state() const { return m_state; }
    ExpressionCache &cache() { return m_cache; }
    const HistoryLists &histories() const { return m_histories; }
    EditorSurface &surface() { return m_surface; }
    // Called for every key in the editor, every undo snapshot and every find-box edit.
    void markDirty() { m_cache.markDirty(); }

    // Wraps around silently in both directions; on success the search state takes the text.
    FindOutcome FindPlain(const QString &searchText, bool matchCase, bool downward, bool historyAdded);
    // Walks the list of all matches in document order, rebuilding it when the cache is dirty.
    FindOutcome FindRegExp(bool matchCase, const QString &pattern, bool downward);

    // Find Next and Find Previous of the main window: plain search for SearchText, no messages.
    bool FindNextPlain();
    bool FindPreviousPlain();

    // Non-overlapping occurrences, left to right.
    static int CountOccurrences(const QString &text, const QString &searchText, bool matchCase);
    static CountOutcome CountRegExpMatches(const QString &text, const QString &pattern, bool matchCase);
    // lblInfo's text for Count All.
    static QString countInfo(const CountOutcome &outcome);

    // description & " (" & number & ")", or nothing when the engine reported no error.
    static std::optional<QString> engineError(const RegExp &engine);
    // A fresh engine with Global and MultiLine on.
    static std::unique_ptr<RegExp> newEngine(const QString &pattern, bool matchCase);

    // Adds the text to the search history unless the flag says it is there; the new flag.
    bool addSearchHistory(const QString &text, bool historyAdded) const;

private:
    void select(int start, int length);

    EditorSurface &m_surface;
    HistoryLists m_histories;
    SearchState m_state;
    ExpressionCache m_cache;
};
