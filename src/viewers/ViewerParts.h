#pragma once

#include "NamedWidgets.h"

#include <QFont>
#include <QWidget>


// Small pieces shared by the viewer windows.
namespace ViewerParts {

using NamedWidgets::make;

// The named font when it is fixed-pitch at that size, else the system's fixed-pitch font.
QFont fixedFont(const QString &family, double pointSize);

// Keeps a window above others while the main window is kept on top, and explicitly not otherwise.
void setTopmost(QWidget *window, bool onTop);

} // namespace ViewerParts
