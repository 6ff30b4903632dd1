#pragma once

#include <QString>

#include <functional>

// What the authoring commands borrow from the main window: the undo history, the saved flag and
// the highlighter. Empty members do nothing, so a test lends only what it watches.
struct AuthoringHost {
    std::function<void()> addHistory;
    // The document differs from its saved copy now (saved flag off, caption refreshed).
    std::function<void()> markChanged;
    // Highlighting is on, a language is loaded and the user did not decline colouring this file.
    std::function<bool()> highlightingActive;
    // start 1-based, as render range takes it; length always above 0.
    std::function<void(int start, int length)> renderRange;
    std::function<void()> rehighlightCurrentLine;
    // The current path, "Untitled" for a document never saved.
    std::function<QString()> documentPath;
};
