#pragma once

#include "LineListWindow.h"

// Every line holding the search text, as it stood when the window opened.
class frmLines : public LineListWindow {
    Q_OBJECT
public:
    frmLines(SearchWindows &windows, QWidget *owner);
    // The engine's complaint about the pattern, shown once the window is up.
    std::optional<QString> error() const { return lines().error; }
};
