#pragma once

#include "TextCodec.h"

#include <QString>

#include <functional>

class DocumentIndent;
class EditorSurface;

// What the document's language comments a line with: a line marker, else a block pair.
struct CommentMarkers {
    QString line;
    QString blockStart;
    QString blockEnd;
    bool isEmpty() const { return line.isEmpty() && (blockStart.isEmpty() || blockEnd.isEmpty()); }
};
class QWidget;
struct Settings;

// What the command objects of the main window share with it: the surface, the settings, the
// document's modes, and the few window operations a command calls when it is done.
class CommandContext {
public:
    virtual ~CommandContext() = default;

    virtual EditorSurface &surface() = 0;
    virtual Settings &settings() = 0;
    virtual QWidget *window() = 0;
    virtual const QString &path() const = 0;   // strfilename
    virtual TextEncoding encoding() const = 0;
    virtual bool isUnix() const = 0;

    virtual void addHistory() = 0;
    // The text changed under a command: clear the saved flag and refresh caption, gutter and status.
    virtual void textChanged() = 0;
    // Gutter and status bar after the caret or the text moved.
    virtual void refreshView() = 0;
    virtual void showHint(const QString &text) = 0;
    // The hint label's resting text (the language's name, or nothing).
    virtual void setIdleHint(const QString &text) = 0;
    virtual bool highlightingActive() const = 0;
    // One-based start, as the highlighter counts.
    virtual void renderRange(int start, int length) = 0;
    virtual void renderDocument() = 0;
    // The document's own indentation, where it has one; else the settings'.
    virtual const DocumentIndent &indentation() const = 0;
    // Empty without an active language.
    virtual CommentMarkers commentMarkers() const { return {}; }
};

// Registers a command's handler by its command-table name.
using WireCommand = std::function<void(const char *, std::function<void()>)>;
