#include "AboutInfo.h"

#include "SurfaceInfo.h"

#include <QDir>

namespace AboutInfo {

QString version()
{
    return QStringLiteral("%1.%2.%3").arg(ORVANE_VERSION_MAJOR).arg(ORVANE_VERSION_MINOR).arg(ORVANE_VERSION_PATCH);
}

QString aboutCaption()
{
    return QStringLiteral("About ") + QLatin1String(ProductName) + QStringLiteral("...");
}

QString aboutText()
{
    return QStringLiteral("A text editor for scripting, programming and HTML work.\n\n"
                          "Built with Qt %1 (running on Qt %2) and QScintilla %3.\n\n"
                          "This program is free software: you can redistribute it and/or modify it under the terms "
                          "of the GNU General Public License, version 3 (%4). It comes with ABSOLUTELY NO WARRANTY.")
        .arg(QLatin1String(QT_VERSION_STR), QLatin1String(qVersion()), scintillaVersion(),
             QLatin1String(LicenceId));
}

QString helpIndexPath(const AppFolders &folders)
{
    return folders.readablePath(QStringLiteral("help/index.html"));
}

} // namespace AboutInfo
