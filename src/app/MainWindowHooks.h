#pragma once

#include "CommandContext.h"
#include "EditController.h"
#include "Highlighter.h"
#include "LanguageAssist.h"
#include "OutsideChanges.h"
#include "RecoveryWriter.h"

class frmMain;

// The window operations the command objects, the highlighter, the keyword list and the outside
// change checks borrow, bound to the window.
class MainWindowHooks : public CommandContext,
                        public HighlightHost,
                        public EditController::Neighbours,
                        public LanguageAssist::Host,
                        public OutsideChanges::Host,
                        public RecoveryWriter::Host {
public:
    explicit MainWindowHooks(frmMain &window) : m_window(window) {}

    // CommandContext
    EditorSurface &surface() override;
    Settings &settings() override;
    QWidget *window() override;
    const QString &path() const override;
    TextEncoding encoding() const override;
    bool isUnix() const override;
    void addHistory() override;
    void textChanged() override;
    void refreshView() override;
    void showHint(const QString &text) override;
    void setIdleHint(const QString &text) override;
    bool highlightingActive() const override;
    void renderRange(int start, int length) override;
    void renderDocument() override;
    const DocumentIndent &indentation() const override;
    CommentMarkers commentMarkers() const override;

    // HighlightHost: the hint label and its timer for the render messages; pending events run
    // during long renders, and large documents are coloured in the background.
    QString hintCaption() const override;
    void setHintCaption(const QString &caption) override;
    void enableToolTipTimer() override;
    bool yields() const override { return true; }
    void yield() override;
    bool background() const override { return true; }

    // EditController::Neighbours
    void beforeRestore() override;
    void afterPaste(const QString &text) override;

    // LanguageAssist::Host
    void rehighlightCurrentLine() override;

    // OutsideChanges::Host
    void reloadSettings() override;
    void reloadRecentFiles() override;
    void reloadDocument() override;
    void markUnsaved() override;
    void closeDocument() override;

    // RecoveryWriter::Host
    QString fileStamp() const override;
    void recoveryFailed(const QString &error) override;

private:
    frmMain &m_window;
};
