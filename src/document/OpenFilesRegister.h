#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class EditorSurface;

// A window that ended cleanly: its document, its caret (line and column from 1), when it closed.
struct ClosedWindow {
    QString path;
    int line = 1;
    int column = 1;
    QDateTime closed;
};

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

    // Windows that close within ExitGapSeconds of one another end together (a desktop session
    // ending, the user closing them one after another); one closed long before belongs to no exit.
    static constexpr int ExitGapSeconds = 30;
    // <folder>/closed_windows: the windows of the last clean exit, in the order they closed.
    QString closedWindowsPath() const;
    // Called as a window ends cleanly; nothing for an "Untitled" document.
    std::optional<QString> recordClosedWindow(const QString &path, const EditorSurface &surface,
                                              const QDateTime &now = QDateTime::currentDateTimeUtc()) const;
    std::optional<QString> recordClosedWindow(const ClosedWindow &window) const;
    // The windows of the last clean exit whose files still exist, each file once, the last closed last.
    QList<ClosedWindow> windowsToReopen(const std::function<bool(const QString &)> &exists) const;

    // The list as a file holds it and back; the record before `next` of the same exit or not.
    static QString lineOf(const ClosedWindow &window);
    static std::optional<ClosedWindow> windowOf(const QString &line);
    static QList<ClosedWindow> withClosedWindow(QList<ClosedWindow> windows, const ClosedWindow &next);

private:
    QString m_appFolder;
};
