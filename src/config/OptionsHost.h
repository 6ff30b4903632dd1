#pragma once

#include "AppFolders.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class EditorSurface;
class QWidget;
class TemplateSource;
struct Settings;

// What the options dialog borrows from the main window. Nothing of the window changes until the
// dialog applies its copy of the settings through these operations.
class OptionsHost {
public:
    virtual ~OptionsHost() = default;

    virtual Settings &settings() = 0;
    virtual EditorSurface &surface() = 0;
    virtual const AppFolders &folders() const = 0;
    virtual QWidget *ownerWindow() = 0;

    // The line-number gutter with its current-line marker, and the toolbar.
    virtual void setLineNumbersVisible(bool visible) = 0;
    virtual void setToolBarVisible(bool visible) = 0;
    // Gutter and marker colours from the settings.
    virtual void applyGutterColors() = 0;
    virtual void applyWindowFlags(bool translucent, qint16 lucidity, bool alwaysOnTop) = 0;
    virtual void setCurrentLineVisible(bool visible) = 0;
    virtual void setTabWidth(int tabWidth) = 0;
    // Writes settings.ini; the error text on failure.
    virtual std::optional<QString> SaveMySettings() = 0;
    // Highlighting on, a language loaded and not declined for this document.
    virtual bool highlightingActive() const = 0;
    virtual void renderDocument() = 0;
    // Reloads ignoreclosetag.txt into the tag completion.
    virtual void AddIgnoreElements() = 0;
    // The template store; nullptr while the program has none.
    virtual TemplateSource *templateSource() = 0;
    virtual void openKeywordEditor() = 0;
    // After the dialog closed: reload the templates, clear the hint label.
    virtual void optionsClosed() = 0;
};
