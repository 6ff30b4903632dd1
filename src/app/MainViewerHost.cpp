#include "MainViewerHost.h"

#include "frmMain.h"

EditorSurface &MainViewerHost::surface()
{
    return m_window.surface();
}

Settings &MainViewerHost::settings()
{
    return m_window.m_settings;
}

const AppFolders &MainViewerHost::folders() const
{
    return m_window.folders();
}

QString MainViewerHost::documentName() const
{
    return m_window.strfilename;
}

HexView::StorageMode MainViewerHost::storageMode() const
{
    return {m_window.encoding, m_window.utf8Bom, m_window.isUnix};
}

void MainViewerHost::AddHistory()
{
    m_window.AddHistory();
}

void MainViewerHost::markChanged()
{
    m_window.markChanged();
}

void MainViewerHost::settingsEdited()
{
    m_window.noteSettingsChanged();
}

void MainViewerHost::SaveMySettings()
{
    m_window.SaveMySettings();
}

QWidget *MainViewerHost::ownerWindow()
{
    return &m_window;
}
