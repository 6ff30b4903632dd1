#pragma once

#include <QString>

#include <functional>

class QMainWindow;
class QToolBar;

namespace MainToolBar {

// The flat-button tool bar: each button runs its menu command and follows its enabled state;
// hovering shows the button's tip through showHint.
QToolBar *build(QMainWindow *window, const QString &appFolder, const std::function<void(const QString &)> &showHint,
                const std::function<void()> &afterClick);

} // namespace MainToolBar
