#pragma once

#include "AppFolders.h"
#include "HexView.h"

#include <QString>

class EditorSurface;
class QWidget;
struct Settings;

// What the viewer, printing and help windows need from the main window.
class ViewerHost {
public:
    virtual ~ViewerHost() = default;

    virtual EditorSurface &surface() = 0;
    virtual Settings &settings() = 0;
    virtual const AppFolders &folders() const = 0;
    // The document's path ("Untitled" when it has none).
    virtual QString documentName() const = 0;
    virtual HexView::StorageMode storageMode() const = 0;
    // The undo snapshot taken before a character is inserted.
    virtual void AddHistory() = 0;
    // The text was changed by a viewer: not saved any more, caption updated.
    virtual void markChanged() = 0;
    // A preference changed that the settings file must receive with its next write.
    virtual void settingsEdited() = 0;
    // Writes settings.ini now.
    virtual void SaveMySettings() = 0;
    // Owner of the dialogs and tool windows.
    virtual QWidget *ownerWindow() = 0;
};
