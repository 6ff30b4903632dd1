#include "ChangeDetector.h"

#include "DocumentLoader.h"

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
    m_settingsTime = m_settingsPath.isEmpty() ? QString() : FileTimeText(m_settingsPath);
}

bool ChangeDetector::applicationActive(bool active)
{
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
    m_documentTime = FileTimeText(path);
    m_declined = false;
}

void ChangeDetector::documentSaved(const QString &path)
{
    m_documentTime = FileTimeText(path);
    // A refused reload concerned the old file; a later outside change deserves the question again.
    m_declined = false;
}

ChangeDetector::Checks ChangeDetector::runChecks(const QString &path, int selStart, int selLength, const Options &options)
{
    Checks checks;
    checks.reloadRecentFiles = !m_loading;
    if (!m_settingsPath.isEmpty()) {
        const QString settingsTime = FileTimeText(m_settingsPath);
        if (settingsTime != m_settingsTime) {
            m_settingsTime = settingsTime;
            checks.reloadSettings = true;
        }
    }
    // A half-loaded document has no recorded time yet.
    if (m_loading || path == QStringLiteral("Untitled") || path.isEmpty() || options.disableFileChangeDetection)
        return checks;
    checks.selStart = selStart;
    checks.selLength = selLength;
    if (FileExists(path)) {
        if (FileTimeText(path) == m_documentTime)
            return checks;
        // Unsaved edits are never thrown away without asking.
        if (options.autoUpdateChangedFiles && !options.documentModified)
            checks.document = DocumentAction::Reload;
        else if (!m_declined)
            checks.document = DocumentAction::AskChanged;
    } else if (!m_declined) {
        checks.document = DocumentAction::AskDeleted;
    }
    return checks;
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
