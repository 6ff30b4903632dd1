#include "MainToolsHost.h"

#include "CommandTable.h"
#include "Highlighter.h"
#include "frmMain.h"

#include <QAction>

EditorSurface &MainToolsHost::surface()
{
    return m_window.surface();
}

const Settings &MainToolsHost::settings() const
{
    return m_window.m_settings;
}

QString MainToolsHost::appFolder() const
{
    return m_window.appFolder();
}

QString MainToolsHost::documentPath() const
{
    return m_window.strfilename;
}

bool MainToolsHost::isDocumentSaved() const
{
    return m_window.isDocumentSaved;
}

bool MainToolsHost::saveDocument()
{
    return m_window.FileSave();
}

bool MainToolsHost::languageActive() const
{
    return m_window.languageActive();
}

QString MainToolsHost::compilerCommand() const
{
    return m_window.languageActive() ? m_window.m_language.compilerPath : QString();
}

bool MainToolsHost::openLanguageEditor()
{
    // The editor is reached through its own command, so whatever opens it there opens it here.
    QAction *editor = CommandTable::findCommand(&m_window, "mnuToolsKeyWordEditor");
    if (!editor || !editor->isEnabled())
        return false;
    editor->trigger();
    return true;
}

void MainToolsHost::insertText(const QString &text)
{
    EditorSurface &s = m_window.surface();
    m_window.AddHistory();
    const int start = s.selStart();
    s.setSelText(text);
    m_window.markChanged();
    if (!text.isEmpty() && m_window.m_settings.enableSyntaxHighlightning && m_window.m_language.languageActive
        && !m_window.m_docFlags.highlightingDeclined)
        m_window.highlighter().renderRange(start + 1, int(text.size()));
    m_window.updateTitle();
}

void MainToolsHost::showHint(const QString &text)
{
    m_window.showHint(text);
}

QWidget *MainToolsHost::ownerWindow()
{
    return &m_window;
}
