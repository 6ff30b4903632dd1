#include "OpenFilesRegister.h"

#include "ListFile.h"

#include <QFile>
#include <QStringList>

namespace {

bool isUntitled(const QString &path)
{
    return path.isEmpty() || path == QLatin1String("Untitled");
}

} // namespace

OpenFilesRegister::OpenFilesRegister(QString appFolder)
    : m_appFolder(std::move(appFolder))
{
}

QString OpenFilesRegister::filePath() const
{
    return m_appFolder + QStringLiteral("/opened_files");
}

std::optional<QString> OpenFilesRegister::RegisterOpenFile(const QString &path) const
{
    // "Untitled" could never be unregistered again.
    if (isUntitled(path))
        return std::nullopt;
    return ListFile::appendPath(filePath(), path);
}

std::optional<QString> OpenFilesRegister::UnregisterOpenFile(const QString &path) const
{
    if (isUntitled(path) || !QFile::exists(filePath()))
        return std::nullopt;
    return ListFile::updatePaths(filePath(), [&path](QStringList &lines) { return lines.removeAll(path) > 0; });
}

bool OpenFilesRegister::isFileAllreadyOpened(const QString &path) const
{
    return ListFile::readPaths(filePath()).value_or(QStringList()).contains(path);
}
