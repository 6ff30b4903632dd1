#pragma once

#include "ViewerHost.h"

class frmMain;

// What the viewer, printing and help windows borrow from the main window.
class MainViewerHost : public ViewerHost {
public:
    explicit MainViewerHost(frmMain &window) : m_window(window) {}

    EditorSurface &surface() override;
    Settings &settings() override;
    const AppFolders &folders() const override;
    QString documentName() const override;
    HexView::StorageMode storageMode() const override;
    void AddHistory() override;
    void markChanged() override;
    void settingsEdited() override;
    void SaveMySettings() override;
    QWidget *ownerWindow() override;

private:
    frmMain &m_window;
};
