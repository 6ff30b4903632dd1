#pragma once

// The keyword list at the caret and the argument tip under it. The typing aids call these from
// the editor's key handlers; the language loader fills the list.
class LanguageAssist {
public:
    LanguageAssist() = default;

    // Places the keyword list at the caret; unless suppressShowing, shows it with the entry for
    // the word at the caret preselected and gives it the focus.
    void ShowListBox(bool suppressShowing);
    void hideList();
    bool listVisible() const;

    // The tip for the function before the caret when "(" was typed (afterClosing false), or for
    // the call enclosing the caret after ")", Left, Right or a comma (true).
    void showTip(bool afterClosing);
    void hideTip();
    bool tipVisible() const;
};
