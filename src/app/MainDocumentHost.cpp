#include "MainDocumentHost.h"

#include "ChangeDetector.h"
#include "RecoveryWriter.h"
#include "CommandController.h"
#include "StatusBar.h"
#include "UndoHistory.h"
#include "modKeyWords.h"
#include "frmMain.h"

#include <QLabel>

EditorSurface &MainDocumentHost::surface() { return m_window.surface(); }
Settings &MainDocumentHost::settings() { return m_window.settings; }
OpenFilesRegister &MainDocumentHost::openFiles() { return m_window.openFiles; }
QWidget *MainDocumentHost::ownerWindow() { return &m_window; }
void MainDocumentHost::setToolTipText(const QString &text) { m_window.statusLabels().setText(text); }
void MainDocumentHost::restoreToolTipText() { m_window.statusLabels().setText(m_window.statusLabels().toolTipCaption); }
void MainDocumentHost::showHint(const QString &text) { m_window.showHint(text); }
void MainDocumentHost::updateTitle() { m_window.updateTitle(); }
void MainDocumentHost::setLoading(bool loading)
{
    m_window.changeDetector().setLoading(loading);
    // Text commands are off exactly while the file loads, not until the next turn of the event loop.
    m_window.commands().refresh();
}
void MainDocumentHost::resetHistory(qint64) { m_window.resetHistory(); }
void MainDocumentHost::addHistory() { m_window.AddHistory(); }
bool MainDocumentHost::isJavaDocument() const { return m_window.docFlags.javaFlag; }

void MainDocumentHost::showModes(const QString &lineEnding, const QString &encoding)
{
    m_window.statusLabels().lblOS->setText(lineEnding);
    m_window.statusLabels().lblUC->setText(encoding);
    // Every change of the modes comes through here: the surface learns how to take line breaks.
    m_window.surface().setBinaryDocument(m_window.isBinary);
}

void MainDocumentHost::refreshView()
{
    m_window.refreshView();
}

std::optional<QString> MainDocumentHost::addRecentFile(const QString &path)
{
    auto error = m_window.recentFiles.AddRecentFile(path);
    m_window.refreshRecentMenu();
    return error;
}

void MainDocumentHost::documentLoaded(const QString &path)
{
    m_window.changeDetector().documentLoaded(path);
    m_window.recovery().documentSettled();
    m_window.docFlags.clear();
    m_window.LoadLanguage(path, true);
}

void MainDocumentHost::documentSaved(const QString &path, bool extensionChanged)
{
    m_window.history().setFileSize(m_window.lngFileSize);
    m_window.changeDetector().documentSaved(path);
    m_window.recovery().documentSettled();
    if (extensionChanged)
        m_window.LoadLanguage(path, true);
}

void MainDocumentHost::documentClosed()
{
    m_window.recovery().documentSettled();
    m_window.statusLabels().setIdleHint(QString());
    m_window.language.resetToPlainText();
    m_window.docFlags.clear();
}

QString MainDocumentHost::languageExtension() const
{
    if (!m_window.language.languageActive)
        return {};
    return modKeyWords::firstExtension(m_window.language.definitionPath);
}
