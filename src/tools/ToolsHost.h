#pragma once

#include <QString>

class EditorSurface;
class QWidget;
struct Settings;

// What the compiler runner and the shell and web tools need from the main window.
class ToolsHost {
public:
    virtual ~ToolsHost() = default;

    virtual EditorSurface &surface() = 0;
    virtual const Settings &settings() const = 0;
    virtual QString appFolder() const = 0;
    // The document's path, "Untitled" while it has none.
    virtual QString documentPath() const = 0;
    virtual bool isDocumentSaved() const = 0;
    // File > Save; false when cancelled or failed.
    virtual bool saveDocument() = 0;
    virtual bool languageActive() const = 0;
    // The current language's compiler command line; empty when it has none.
    virtual QString compilerCommand() const = 0;
    // Opens the language definition editor; false when there is none to open.
    virtual bool openLanguageEditor() = 0;
    // Replaces the selection with text as a command of its own: undo snapshot, re-colouring,
    // document marked as changed.
    virtual void insertText(const QString &text) = 0;
    virtual void showHint(const QString &text) = 0;
    // Owner of the tool windows and parent of the questions.
    virtual QWidget *ownerWindow() = 0;
};
