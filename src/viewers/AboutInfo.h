#pragma once

#include "AppFolders.h"

#include <QString>

// What the about box and the Help menu show.
namespace AboutInfo {

inline constexpr const char *ProductName = "Orvane";

// The version of this build, as "major.minor.patch".
QString version();
// "About Orvane...": the caption of the Help menu's about item.
QString aboutCaption();
// The lines of the about box: name and version, the Qt and QScintilla versions, the licence.
QString aboutText();

// The manual's first page inside the application folder.
QString helpIndexPath(const AppFolders &folders);

} // namespace AboutInfo
