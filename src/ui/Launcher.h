#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Starts other programs detached: further instances of the editor and the outside editor.
// Tests replace the starter to see what would have been started.
namespace Launcher {

// A place in a file to show: line and column from 1.
struct Position {
    int line = 1;
    int column = 1;
};

using Starter = std::function<bool(const QString &program, const QStringList &arguments)>;

bool startDetached(const QString &program, const QStringList &arguments);
// Starts another instance of this program, optionally with a file.
bool startInstance(const QString &path = QString());
// Starts another instance of this program that opens path at line and column (1-based; column 0
// for none), in the command line's "file:line:column" form.
bool startInstanceAt(const QString &path, int line, int column);
// Splits a command line such as "gedit --new-window" and starts it with one more argument.
bool startCommand(const QString &commandLine, const QString &argument);

void setStarter(Starter starter);

// Starts one more process for path that opens path whatever ReloadFileAtStartup says, with the
// caret at `at` when given.
bool startForwardedInstance(const QString &path, std::optional<Position> at = std::nullopt);
// True in a process started by startForwardedInstance; clears the mark so children don't inherit it.
bool takeForwardedMark();
// The place a forwarded process is to show; cleared like the mark.
std::optional<Position> takeForwardedPosition();
// "line column" and back, as the hand-over between processes carries a place.
QString positionText(Position at);
std::optional<Position> parsePosition(const QString &text);
// A forwarded process's file argument with its bytes restored where starting the process lost them.
QStringList restoreForwardedPath(QStringList files);

// Starts one more process that shows the recovery copy file (and nothing else).
bool startRecoveryInstance(const QString &file);
// The recovery copy this process was started to show, or empty; children don't inherit it.
QString takeRecoveryFile();

} // namespace Launcher
