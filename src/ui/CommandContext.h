#pragma once

#include "TextCodec.h"

#include <QString>

#include <functional>

class DocumentIndent;
class EditorSurface;
class QWidget;
struct Settings;

// What the command objects of the main window share with it: the surface, the settings, the
// document's modes, and the few window operations a command calls when it is done.
struct CommandContext {
    EditorSurface &surface;
    Settings &settings;
    QWidget *window;
    const QString &path;               // strfilename
    const TextEncoding &encoding;
    const bool &isUnix;

    std::function<void()> addHistory;
    // The text changed under a command: clear the saved flag and refresh caption, gutter and status.
    std::function<void()> textChanged;
    // Gutter and status bar after the caret or the text moved.
    std::function<void()> refreshView;
    std::function<void(const QString &)> showHint;
    std::function<bool()> highlightingActive;
    // One-based start, as the highlighter counts.
    std::function<void(int, int)> renderRange;
    std::function<void()> renderDocument;
    // The document's own indentation, where it has one; else the settings'.
    const DocumentIndent *indentation = nullptr;
};

// Registers a command's handler by its command-table name.
using WireCommand = std::function<void(const char *, std::function<void()>)>;
