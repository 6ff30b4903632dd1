#pragma once

#include "DocumentIndent.h"

#include <QString>

// What the typing aids borrow from the main window: the undo history, the neighbours that react
// to keys (bracket marker, find engine, live colouring, keyword list and tip) and the indicators.
class TypingHost {
public:
    virtual ~TypingHost() = default;

    // Undo history
    virtual bool historyEmpty() const = 0;
    // False for a document loaded too large to keep snapshots of.
    virtual bool historyRecords() const = 0;
    virtual void addHistory() = 0;

    // Neighbours
    virtual void keyDownSeen() = 0;         // bracket marker hidden, find engine's matches stale
    virtual void rehighlightOnEnter(int key, int shift) = 0;
    virtual void rehighlightOnKeyUp(int key, int shift) = 0;
    // start zero-based, the block's new length.
    virtual void afterBlockIndent(int start, int length) = 0;
    virtual void showList() = 0;
    virtual void hideList() = 0;
    virtual void showTip(bool afterClosing) = 0;
    virtual void hideTip() = 0;

    // Indicators and the window
    virtual void showHint(const QString &text) = 0;
    virtual bool overwrite() const = 0;
    // Switches the widget, lblINS and the caret together.
    virtual void setOverwrite(bool on) = 0;
    virtual void refreshBlockCaret() = 0;
    virtual void popUpEditMenu() = 0;
    virtual void capsLockPressed() = 0;
    virtual void capsLockReleased() = 0;
    virtual void l33tCaptions() = 0;
    // A toggle of the key handler changed a setting: it is written when the window closes.
    virtual void settingsToggled() = 0;
    // Caret position display, after every key.
    virtual void caretMoved(int shift) = 0;

    // The document: whether its tags are markup (see TypingAids::tagsAreMarkup) and how it is indented.
    virtual bool markupDocument() const = 0;
    virtual IndentStyle indentStyle() const = 0;
};
