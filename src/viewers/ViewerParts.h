#pragma once

#include <QFont>
#include <QWidget>

#include <utility>

// Small pieces shared by the viewer windows.
namespace ViewerParts {

// A child widget with its objectName, so tests and the program find it by name.
template <typename Widget, typename... Args>
Widget *make(QWidget *parent, const char *name, Args &&...args)
{
    auto *w = new Widget(std::forward<Args>(args)..., parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

// The named font when it is fixed-pitch at that size, else the system's fixed-pitch font.
QFont fixedFont(const QString &family, double pointSize);

// Keeps a window above others while the main window is kept on top, and explicitly not otherwise.
void setTopmost(QWidget *window, bool onTop);

} // namespace ViewerParts
