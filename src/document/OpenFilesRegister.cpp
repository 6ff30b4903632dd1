#include "OpenFilesRegister.h"

#include "EditorSurface.h"
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

QString OpenFilesRegister::closedWindowsPath() const
{
    return m_appFolder + QStringLiteral("/closed_windows");
}

QString OpenFilesRegister::lineOf(const ClosedWindow &window)
{
    return window.closed.toUTC().toString(Qt::ISODateWithMs) + QLatin1Char(' ') + QString::number(window.line)
        + QLatin1Char(' ') + QString::number(window.column) + QLatin1Char(' ') + window.path;
}

std::optional<ClosedWindow> OpenFilesRegister::windowOf(const QString &line)
{
    // The path comes last, so blanks in it need no quoting.
    const QStringList fields = line.section(QLatin1Char(' '), 0, 2).split(QLatin1Char(' '));
    const QString path = line.section(QLatin1Char(' '), 3);
    if (fields.size() != 3 || !path.startsWith(QLatin1Char('/')))
        return std::nullopt;
    ClosedWindow window;
    bool lineOk = false;
    bool columnOk = false;
    window.closed = QDateTime::fromString(fields.at(0), Qt::ISODateWithMs);
    window.line = fields.at(1).toInt(&lineOk);
    window.column = fields.at(2).toInt(&columnOk);
    window.path = path;
    if (!window.closed.isValid() || !lineOk || !columnOk || window.line < 1 || window.column < 1)
        return std::nullopt;
    return window;
}

QList<ClosedWindow> OpenFilesRegister::withClosedWindow(QList<ClosedWindow> windows, const ClosedWindow &next)
{
    // A clock set back makes the newest record look later than this one: that exit is over too.
    const bool sameExit = !windows.isEmpty() && windows.last().closed <= next.closed
        && windows.last().closed.secsTo(next.closed) <= ExitGapSeconds;
    if (!sameExit)
        windows.clear();
    windows.removeIf([&next](const ClosedWindow &window) { return window.path == next.path; });
    windows << next;
    return windows;
}

std::optional<QString> OpenFilesRegister::recordClosedWindow(const ClosedWindow &window) const
{
    // A line break in the name would split the record.
    if (isUntitled(window.path) || window.path.contains(QLatin1Char('\n')) || window.path.contains(QLatin1Char('\r')))
        return std::nullopt;
    return ListFile::updatePaths(closedWindowsPath(), [&window](QStringList &lines) {
        QList<ClosedWindow> windows;
        for (const QString &line : lines)
            if (const auto read = windowOf(line))
                windows << *read;
        lines.clear();
        for (const ClosedWindow &kept : withClosedWindow(windows, window))
            lines << lineOf(kept);
        return true;
    });
}

std::optional<QString> OpenFilesRegister::recordClosedWindow(const QString &path, const EditorSurface &surface,
                                                             const QDateTime &now) const
{
    const int caret = surface.selStart();
    const int line = surface.getLineFromChar(caret);
    return recordClosedWindow({path, line + 1, caret - surface.lineIndex(line) + 1, now});
}

QList<ClosedWindow> OpenFilesRegister::windowsToReopen(const std::function<bool(const QString &)> &exists) const
{
    QList<ClosedWindow> windows;
    for (const QString &line : ListFile::readPaths(closedWindowsPath()).value_or(QStringList())) {
        const auto window = windowOf(line);
        if (!window || !exists(window->path))
            continue;
        windows.removeIf([&window](const ClosedWindow &earlier) { return earlier.path == window->path; });
        windows << *window;
    }
    return windows;
}
