#include "Settings.h"

#include <QStandardPaths>
#include <QStringList>

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

QString Settings::defaultThirdPartyEditorPath()
{
    // Looked up once: every Settings value starts from it.
    static const QString editor = [] {
        const QStringList candidates = {
            QStringLiteral("gedit"),    QStringLiteral("gnome-text-editor"), QStringLiteral("kate"),
            QStringLiteral("kwrite"),   QStringLiteral("mousepad"),          QStringLiteral("pluma"),
            QStringLiteral("xed"),      QStringLiteral("featherpad"),        QStringLiteral("leafpad"),
        };
        for (const QString &name : candidates) {
            const QString path = QStandardPaths::findExecutable(name);
            if (!path.isEmpty())
                return path;
        }
        return QString();
    }();
    return editor;
}
