#include "AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString applicationFolder()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo(exeFolder).isWritable())
        return exeFolder;
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(userFolder);
    for (const QString &shipped : {exeFolder, exeFolder + QStringLiteral("/../share/orvane")}) {
        if (QFileInfo::exists(shipped + QStringLiteral("/keywords")))
            seedFolder(shipped, userFolder);
    }
    return userFolder;
}

void seedFolder(const QString &source, const QString &target)
{
    const QDir from(source);
    QDirIterator it(source, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = from.relativeFilePath(file);
        if (relative.startsWith(QLatin1String("orvane")) || relative.startsWith(QLatin1String("libpalisade")))
            continue;
        const QString destination = target + QLatin1Char('/') + relative;
        if (QFileInfo::exists(destination))
            continue;
        QDir().mkpath(QFileInfo(destination).absolutePath());
        QFile::copy(file, destination);
    }
}
