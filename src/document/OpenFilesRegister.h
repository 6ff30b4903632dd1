#pragma once

#include <QString>

#include <optional>

// <appfolder>/opened_files: one line per document that a running process shows, one line per
// registration, so the same path may appear more than once.
class OpenFilesRegister {
public:
    explicit OpenFilesRegister(QString appFolder);

    QString filePath() const;  // <folder>/opened_files

    // Appends the path; nothing for an "Untitled" or empty path. The error text on failure.
    std::optional<QString> RegisterOpenFile(const QString &path) const;
    // Removes every line equal to the path, however long the file is; nothing for "Untitled".
    // On failure the file is left as it was.
    std::optional<QString> UnregisterOpenFile(const QString &path) const;
    bool isFileAllreadyOpened(const QString &path) const;

private:
    QString m_appFolder;
};
