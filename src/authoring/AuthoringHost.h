#pragma once

#include <QString>

// What the authoring commands borrow from the main window: the undo history, the saved flag and
// the highlighter. Each operation does nothing by default, so a test lends only what it watches.
class AuthoringHost {
public:
    virtual ~AuthoringHost() = default;

    virtual void addHistory() {}
    // The document differs from its saved copy now (saved flag off, caption refreshed).
    virtual void markChanged() {}
    // Highlighting is on, a language is loaded and the user did not decline colouring this file.
    virtual bool highlightingActive() const { return false; }
    // start 1-based, as render range takes it; length always above 0.
    virtual void renderRange(int start, int length)
    {
        (void)start;
        (void)length;
    }
    virtual void rehighlightCurrentLine() {}
    // The current path, "Untitled" for a document never saved.
    virtual QString documentPath() const { return QStringLiteral("Untitled"); }
};
