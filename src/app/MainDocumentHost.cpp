#include "MainDocumentHost.h"

#include "ChangeDetector.h"
#include "DocumentIndent.h"
#include "RecoveryWriter.h"
#include "CommandController.h"
#include "DocumentState.h"
#include "LanguageMenu.h"
#include "RecentFiles.h"
#include "ScintillaSurface.h"
#include "StatusBar.h"
#include "UndoHistory.h"
#include "modKeyWords.h"
#include "frmMain.h"

#include <QLabel>

#include <algorithm>

EditorSurface &MainDocumentHost::surface() { return m_n.surface; }
Settings &MainDocumentHost::settings() { return m_n.settings; }
OpenFilesRegister &MainDocumentHost::openFiles() { return m_n.openFiles; }
QWidget *MainDocumentHost::ownerWindow() { return &m_window; }
void MainDocumentHost::setToolTipText(const QString &text) { m_n.status.setText(text); }
void MainDocumentHost::restoreToolTipText() { m_n.status.setText(m_n.status.toolTipCaption); }
void MainDocumentHost::showHint(const QString &text) { m_n.status.showHint(text); }
void MainDocumentHost::updateTitle() { m_window.updateTitle(); }
void MainDocumentHost::refreshView() { m_window.refreshView(); }
void MainDocumentHost::resetHistory(qint64) { m_window.resetHistory(); }
void MainDocumentHost::addHistory() { m_window.AddHistory(); }
bool MainDocumentHost::isJavaDocument() const { return m_n.docFlags.javaFlag; }

void MainDocumentHost::setLoading(bool loading)
{
    m_n.changes.setLoading(loading);
    // Text commands are off exactly while the file loads, not until the next turn of the event loop.
    if (m_commands)
        m_commands->refresh();
}

void MainDocumentHost::showModes(const QString &lineEnding, const QString &encoding)
{
    m_n.status.lblOS->setText(lineEnding);
    m_n.status.lblUC->setText(encoding);
    // Every change of the modes comes through here: the surface learns how to take line breaks.
    m_n.surface.setBinaryDocument(m_n.state.isBinary);
    m_n.surface.setLfLineEnds(m_n.state.isUnix && !m_n.state.isBinary);
}

std::optional<QString> MainDocumentHost::addRecentFile(const QString &path)
{
    // The File menu reads the list again each time it opens.
    return m_n.recentFiles.AddRecentFile(path);
}

void MainDocumentHost::documentLoaded(const QString &path)
{
    m_n.changes.documentLoaded(path);
    m_window.recovery().documentSettled();
    m_n.docFlags.clear();
    m_n.indentation.follow(m_n.surface.textRange(0, std::min(m_n.surface.textLength(), DocumentIndent::SampleChars)));
    m_n.languages.LoadLanguage(path, true);
}

void MainDocumentHost::documentSaved(const QString &path, bool extensionChanged)
{
    m_n.history.setFileSize(m_n.state.lngFileSize);
    m_n.changes.documentSaved(path);
    m_window.recovery().documentSettled();
    if (extensionChanged)
        m_n.languages.LoadLanguage(path, true);
    m_window.updateTitle();
    m_window.refreshView();
}

void MainDocumentHost::documentClosed()
{
    m_window.recovery().documentSettled();
    m_n.status.setIdleHint(QString());
    m_n.language.resetToPlainText();
    m_n.docFlags.clear();
    m_n.indentation.forget();
}

QString MainDocumentHost::languageExtension() const
{
    if (!m_n.language.languageActive)
        return {};
    return modKeyWords::firstExtension(m_n.language.definitionPath);
}
