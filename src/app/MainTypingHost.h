#pragma once

#include "TypingHost.h"

class CommandContext;
class LanguageAssist;
class LiveHighlighter;
class ScintillaSurface;
class SearchWindows;
class StatusBar;
class UndoHistory;
class frmMain;

// What the typing aids borrow: their neighbours directly, so a key goes from the view to the aids
// and the live colouring without passing back through the window; the window only for the undo
// step, the caret display and the Edit menu.
class MainTypingHost : public TypingHost {
public:
    struct Neighbours {
        ScintillaSurface &surface;
        UndoHistory &history;
        SearchWindows &search;
        LiveHighlighter &live;
        LanguageAssist &assist;
        StatusBar &status;
        CommandContext &commands;
    };

    MainTypingHost(frmMain &window, Neighbours neighbours) : m_window(window), m_n(neighbours) {}

    bool historyEmpty() const override;
    bool historyRecords() const override;
    void addHistory() override;
    void keyDownSeen() override;
    void rehighlightOnEnter(int key, int shift) override;
    void rehighlightOnKeyUp(int key, int shift) override;
    void afterBlockIndent(int start, int length) override;
    void showList() override;
    void hideList() override;
    void showTip(bool afterClosing) override;
    void hideTip() override;
    void showHint(const QString &text) override;
    bool overwrite() const override;
    void setOverwrite(bool on) override;
    void refreshBlockCaret() override;
    void popUpEditMenu() override;
    void capsLockPressed() override;
    void capsLockReleased() override;
    void l33tCaptions() override;
    void settingsToggled() override;
    void caretMoved(int shift) override;
    bool markupDocument() const override;
    IndentStyle indentStyle() const override;

private:
    frmMain &m_window;
    Neighbours m_n;
};
