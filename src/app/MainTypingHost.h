#pragma once

#include "TypingHost.h"

class frmMain;

// What the typing aids borrow from the main window.
class MainTypingHost : public TypingHost {
public:
    explicit MainTypingHost(frmMain &window) : m_window(window) {}

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
};
