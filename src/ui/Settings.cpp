#include "Settings.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <optional>

QString Settings::defaultInitialFolder()
{
    static const QString folder = [] {
        QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (path.isEmpty())
            path = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
        if (!path.isEmpty() && !path.endsWith(u'/'))
            path += u'/';
        return path;
    }();
    return folder;
}

QFont Settings::defaultFont()
{
    // Every Settings value starts from it: asked of the desktop once, when the application exists.
    static std::optional<QFont> desktop;
    const bool guiReady = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    if (desktop && guiReady)
        return *desktop;
    // Before the application exists, fontconfig's generic monospace face.
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::Monospace);
    if (guiReady && !QFontDatabase::systemFont(QFontDatabase::FixedFont).family().isEmpty())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    double size = font.pointSizeF();
    if (size <= 0 && font.pixelSize() > 0)
        size = font.pixelSize() * 72.0 / 96.0;
    // Whole and half points only: the size is written to settings.ini and offered in a list.
    size = std::round(std::clamp(size, MinimumDefaultFontSize, LargestFontSize) * 2) / 2;
    font.setPointSizeF(size);
    if (guiReady)
        desktop = font;
    return font;
}
