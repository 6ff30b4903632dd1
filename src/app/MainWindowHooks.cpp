#include "MainWindowHooks.h"

#include "ChangeDetector.h"
#include "CommandTable.h"
#include "Prompter.h"
#include "LanguageMenu.h"
#include "LiveHighlighter.h"
#include "SearchWindows.h"
#include "StatusBar.h"
#include "frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

EditorSurface &MainWindowHooks::surface() { return m_window.surface(); }
Settings &MainWindowHooks::settings() { return m_window.m_settings; }
QWidget *MainWindowHooks::window() { return &m_window; }
const QString &MainWindowHooks::path() const { return m_window.strfilename; }
TextEncoding MainWindowHooks::encoding() const { return m_window.encoding; }
bool MainWindowHooks::isUnix() const { return m_window.isUnix; }
void MainWindowHooks::addHistory() { m_window.AddHistory(); }
void MainWindowHooks::showHint(const QString &text) { m_window.showHint(text); }
void MainWindowHooks::setIdleHint(const QString &text) { m_window.statusLabels().setIdleHint(text); }
bool MainWindowHooks::highlightingActive() const { return m_window.m_languages->highlightingActive(); }
void MainWindowHooks::renderRange(int start, int length) { m_window.highlighter().renderRange(start, length); }
void MainWindowHooks::renderDocument() { m_window.highlighter().renderDocument(); }
const DocumentIndent &MainWindowHooks::indentation() const { return m_window.m_indentation; }

CommentMarkers MainWindowHooks::commentMarkers() const
{
    const LanguageDefinition &language = m_window.language();
    if (!language.languageActive)
        return {};
    return {language.commentMarker(), language.blockCommentStart, language.blockCommentEnd};
}

void MainWindowHooks::textChanged()
{
    m_window.markChanged();
    m_window.refreshView();
}

void MainWindowHooks::refreshView()
{
    if (QAction *wrap = CommandTable::findCommand(&m_window, "mnuFormatWordWrap"))
        wrap->setChecked(m_window.m_settings.WordWrap);
    m_window.refreshView();
}

QString MainWindowHooks::hintCaption() const { return m_window.statusLabels().lblToolTip->text(); }
void MainWindowHooks::setHintCaption(const QString &caption) { m_window.statusLabels().lblToolTip->setText(caption); }
void MainWindowHooks::enableToolTipTimer() { m_window.statusLabels().tmrToolTip->start(); }
void MainWindowHooks::yield() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void MainWindowHooks::beforeRestore() { m_window.search().markDirty(); }
void MainWindowHooks::afterPaste(const QString &text) { m_window.liveHighlighter().afterPaste(text); }
void MainWindowHooks::rehighlightCurrentLine() { m_window.liveHighlighter().rehighlightCurrentLine(); }

void MainWindowHooks::reloadSettings()
{
    m_window.LoadMySettings(true);
    m_window.RefreshHighlighting();
}

void MainWindowHooks::reloadRecentFiles()
{
    m_window.m_recentFiles.LoadRecentFiles();
    m_window.refreshRecentMenu();
}

void MainWindowHooks::reloadDocument() { m_window.ReadFile(m_window.strfilename, false); }
void MainWindowHooks::markUnsaved() { m_window.markChanged(); }
void MainWindowHooks::closeDocument() { m_window.FileClose(false); }

QString MainWindowHooks::fileStamp() const { return m_window.changeDetector().documentTime(); }

void MainWindowHooks::recoveryFailed(const QString &error)
{
    askUser(&m_window,
            QStringLiteral("Recovery copies of unsaved changes cannot be written: ") + error
                + QStringLiteral("\n\nThe document itself is untouched."),
            QString::fromLatin1(frmMain::Title), QMessageBox::Ok, QMessageBox::Warning);
}
