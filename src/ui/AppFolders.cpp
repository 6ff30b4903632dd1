#include "AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

const QString kProgram = QStringLiteral("orvane");

// An XDG variable counts only when it holds an absolute path; otherwise its default under home.
QString xdgFolder(const QString &variable, const QString &home, const QString &fallback)
{
    const QString base = QDir::isAbsolutePath(variable) ? variable : home + QLatin1Char('/') + fallback;
    return QDir::cleanPath(base + QLatin1Char('/') + kProgram);
}

QString joined(const QString &folder, const QString &relative)
{
    return relative.isEmpty() ? folder : folder + QLatin1Char('/') + relative;
}

} // namespace

AppFolders::AppFolders(QString config, QString data, QString shipped)
    : m_config(std::move(config))
    , m_data(std::move(data))
    , m_shipped(std::move(shipped))
{
}

AppFolders AppFolders::selfContained(const QString &folder)
{
    return AppFolders(folder, folder, folder);
}

AppFolders AppFolders::resolve(const Environment &environment)
{
    if (environment.portableMarker && environment.exeFolderWritable)
        return selfContained(environment.exeFolder);
    const QString config = xdgFolder(environment.xdgConfigHome, environment.home, QStringLiteral(".config"));
    const QString data = xdgFolder(environment.xdgDataHome, environment.home, QStringLiteral(".local/share"));
    // A self-contained folder this user may not write (a build folder owned by root) still ships
    // its files; only what the program writes moves to the user's folders.
    AppFolders folders(config, data,
                       environment.portableMarker || environment.shippedFolder.isEmpty() ? environment.exeFolder
                                                                                         : environment.shippedFolder);
    folders.m_recovery = xdgFolder(environment.xdgStateHome, environment.home, QStringLiteral(".local/state"))
        + QStringLiteral("/recovery");
    return folders;
}

AppFolders AppFolders::forThisProcess()
{
    Environment environment;
    environment.exeFolder = QCoreApplication::applicationDirPath();
    environment.portableMarker = QFileInfo::exists(environment.exeFolder + QStringLiteral("/portable"));
    environment.exeFolderWritable = QFileInfo(environment.exeFolder).isWritable();
    const QString shipped = QDir::cleanPath(environment.exeFolder + QStringLiteral("/" ORVANE_SHIPPED_FROM_BIN));
    if (QFileInfo(shipped + QStringLiteral("/keywords")).isDir())
        environment.shippedFolder = shipped;
    environment.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    environment.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    environment.xdgStateHome = qEnvironmentVariable("XDG_STATE_HOME");
    environment.home = QDir::homePath();
    return resolve(environment);
}

QString AppFolders::readablePath(const QString &relative) const
{
    const QString own = joined(m_data, relative);
    if (m_data == m_shipped || QFileInfo::exists(own))
        return own;
    const QString shipped = joined(m_shipped, relative);
    return QFileInfo::exists(shipped) ? shipped : own;
}

QString AppFolders::writablePath(const QString &relative) const
{
    return joined(m_data, relative);
}

QStringList AppFolders::searchFolders(const QString &relativeFolder) const
{
    if (m_data == m_shipped)
        return {joined(m_data, relativeFolder)};
    return {joined(m_data, relativeFolder), joined(m_shipped, relativeFolder)};
}

bool AppFolders::createWritableFolders() const
{
    return QDir().mkpath(m_config) && QDir().mkpath(m_data);
}
