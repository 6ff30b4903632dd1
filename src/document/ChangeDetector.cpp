#include "ChangeDetector.h"

#include "FileIO.h"

#include <QString>

#include <sys/stat.h>

ChangeDetector::ChangeDetector(const QString &settingsPath)
{
    setSettingsPath(settingsPath);
}

void ChangeDetector::setSettingsPath(const QString &path)
{
    m_settingsPath = path;
    recordSettingsTime();
}

void ChangeDetector::recordSettingsTime()
{
    m_settingsTime = m_settingsPath.isEmpty() ? QString() : fileStamp(m_settingsPath);
}

QString ChangeDetector::fileStamp(const QString &path)
{
    struct stat info {};
    if (::stat(FileIO::encodePath(path).constData(), &info) != 0)
        return QString();
    return QStringLiteral("%1.%2/%3")
        .arg(qint64(info.st_mtim.tv_sec))
        .arg(qint64(info.st_mtim.tv_nsec), 9, 10, QLatin1Char('0'))
        .arg(qint64(info.st_size));
}

bool ChangeDetector::settingsChanged()
{
    if (m_settingsPath.isEmpty())
        return false;
    const QString stamp = fileStamp(m_settingsPath);
    if (stamp == m_settingsTime)
        return false;
    m_settingsTime = stamp;
    return true;
}

bool ChangeDetector::applicationActive(bool active)
{
    // Our own question box taking and giving back the focus is not a new activation.
    if (m_asking)
        return false;
    if (!active) {
        m_wasInactive = true;
        return false;
    }
    const bool due = m_wasInactive;
    m_wasInactive = false;
    return due;
}

void ChangeDetector::documentLoaded(const QString &path)
{
    m_documentTime = fileStamp(path);
    m_declined = false;
}

void ChangeDetector::documentSaved(const QString &path)
{
    m_documentTime = fileStamp(path);
    // A refused reload concerned the old file; a later outside change deserves the question again.
    m_declined = false;
}

ChangeDetector::Checks ChangeDetector::runChecks(const QString &path, int selStart, int selLength, const Options &options)
{
    Checks checks;
    checks.reloadRecentFiles = !m_loading;
    // A half-loaded document has no recorded time yet.
    if (m_loading || path == QStringLiteral("Untitled") || path.isEmpty() || options.disableFileChangeDetection)
        return checks;
    checks.selStart = selStart;
    checks.selLength = selLength;
    // A missing file has an empty stamp, so a deletion the user already answered stays answered.
    const QString stamp = fileStamp(path);
    if (stamp == m_documentTime)
        return checks;
    if (!stamp.isEmpty()) {
        if (options.autoUpdateChangedFiles && !options.unsavedEdits)
            checks.document = DocumentAction::Reload;
        else if (!m_declined)
            checks.document = DocumentAction::AskChanged;
    } else if (!m_declined) {
        checks.document = DocumentAction::AskDeleted;
    }
    return checks;
}

void ChangeDetector::keepDeleted()
{
    m_documentTime.clear();
    m_declined = false;
}

QString ChangeDetector::changedMessage(const QString &path)
{
    return path + QStringLiteral(" has been modified by another application.\r\n\r\nDo you want to reload it?");
}

QString ChangeDetector::changedTitle()
{
    return QStringLiteral("File changed, reload file?");
}

QString ChangeDetector::deletedMessage(const QString &path)
{
    return path
        + QStringLiteral(" has been deleted, or is no longer available\r\n\r\nClick Yes to keep the file, click No to discard it.");
}

QString ChangeDetector::deletedTitle()
{
    return QStringLiteral("File deleted, keep file?");
}
