#pragma once

#include <QString>

// The last search, kept by the main window for the session; RegExpSearch lives in the settings.
struct SearchState {
    QString SearchText;
    bool MatchCase = false;
    bool SearchBackwards = false;
};
