#pragma once

#include "Launcher.h"
#include "SymbolScanner.h"

#include <QString>

#include <functional>
#include <optional>

class EditorSurface;
struct LanguageDefinition;
class QWidget;
struct Settings;

// What the find, replace and navigation windows need from the main window that hosts them.
class SearchHost {
public:
    virtual ~SearchHost() = default;

    virtual EditorSurface &surface() = 0;
    virtual Settings &settings() = 0;
    // Holds the search and replacement histories.
    virtual QString appFolder() const = 0;
    // The undo snapshot taken before every replacement.
    virtual void AddHistory() = 0;
    // True when a language is in effect and highlighting is on, so replacements are re-coloured.
    virtual bool highlightingActive() const = 0;
    virtual void renderRange(int start, int length) = 0;
    virtual void renderDocument() = 0;
    // A short message in the status line (lblToolTip with its timer).
    virtual void showHint(const QString &text) = 0;
    virtual bool isMarkupLanguage() const = 0;
    // The document is shown in binary mode: no bracket marker.
    virtual bool isBinaryMode() const = 0;
    // Status bar refresh after a command moved the caret (updateXY).
    virtual void refreshStatusBar() = 0;
    // The line-number gutter, after the bookmarks changed.
    virtual void redrawGutter() = 0;
    // Owner of the modeless tool windows; receives the focus back from them.
    virtual QWidget *ownerWindow() = 0;
    // The document's path, "Untitled" while it has none.
    virtual QString documentPath() const = 0;
    virtual const LanguageDefinition &language() const = 0;
    // Shows another file at a place: in the window that shows it, else in a new window.
    virtual void openElsewhere(const QString &path, Launcher::Position at) = 0;
    // The document's symbols as its colouring keeps them, when it has them for the text as it is.
    virtual std::optional<QList<Symbol>> keptSymbols() { return std::nullopt; }
    // Has the symbols read off the window's thread and kept, then calls whenRead; false when the
    // host does not.
    virtual bool readSymbols(std::function<void()> whenRead)
    {
        (void)whenRead;
        return false;
    }
};
