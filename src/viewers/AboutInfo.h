#pragma once

#include "AppFolders.h"

#include <QString>

// What the about box and the Help menu show.
namespace AboutInfo {

inline constexpr const char *ProductName = "Orvane";
// As the LICENSE file and the metainfo's project_license name it.
inline constexpr const char *LicenceId = "GPL-3.0-only";

// The version of this build, as "major.minor.patch".
QString version();
// "About Orvane...": the caption of the Help menu's about item.
QString aboutCaption();
// The text under the about box's title (which names the product and version): what it is, the
// Qt and QScintilla versions, the licence.
QString aboutText();

// The manual's first page inside the application folder.
QString helpIndexPath(const AppFolders &folders);

} // namespace AboutInfo
