#pragma once

#include "CommandLineOptions.h"
#include "Launcher.h"
#include "OpenFilesRegister.h"

#include <QString>
#include <QStringList>

#include <optional>

class QApplication;
class SingleInstance;
class frmMain;

// Start-up: reads the command line and either opens its first file in this process or hands it
// to the process that already shows it; every further file gets a process of its own.
namespace modStartUp {

// The quoting rule: the line is cut at every single blank; a token holding a double quote opens a
// group that runs to the next token holding one, and the group, quotes removed, is one argument.
// A group complete in one token keeps a trailing blank; a group still open at the end is dropped.
QStringList splitCommandLine(const QString &commandLine);

// The arguments joined with blanks, for the test whether the whole line names a file.
QString wholeLine(const QStringList &arguments);
// The arguments as one line again, each holding a blank in double quotes, for splitCommandLine.
QString quoteArguments(const QStringList &arguments);

// A path that does not start with '/' gets the current directory and '/' in front.
QString makeAbsolute(const QString &path, const QString &currentDir);

// The command line start-up works on. ReloadFileAtStartup puts the last opened file in place of
// whatever was given, when that file still exists; a process this program started for a file
// (forwarded) always opens that file.
QStringList commandLineAtStartup(const QStringList &arguments, bool reloadFileAtStartup,
                                 const QString &lastOpenedFile, bool forwarded);

struct CommandLinePlan {
    QString first;              // the file for this process, absolute; empty when none
    QString firstAsGiven;       // as the command line spelled it, for the create question
    bool firstExists = false;   // false: ask whether to create it
    QStringList further;        // one process each, in order
    CommandLineOptions::Position position;   // where the first file opens
};
// position: the "+N" given for the first file. A first file that does not exist but whose name ends
// in ":N" or ":N:C" after an existing file's name is that file at that line and column.
CommandLinePlan planCommandLine(const QStringList &arguments, const QString &currentDir,
                                CommandLineOptions::Position position = {});

QString createFileQuestion(const QString &path);

enum class StartUpResult { WindowShown, HandedOver, NoWindow };

// Hands path to the process that shows it, or shows the window and loads it here; either way
// the caret goes to `at` when given.
StartUpResult OpenFromCommandLine(frmMain &window, SingleInstance &instance, const QString &path,
                                  std::optional<Launcher::Position> at = std::nullopt);

// The windows to bring back at the start of a session with ReloadFileAtStartup: those of the last
// clean exit, unless windows ended uncleanly since.
QList<ClosedWindow> windowsOfLastExit(frmMain &window);

// Everything after the window has read its settings; arguments are those after the program name.
// The first window of a session with ReloadFileAtStartup shows the window closed last at the last
// clean exit and starts a process for each other one, each at its caret.
StartUpResult StartUp(frmMain &window, SingleInstance &instance, const QStringList &arguments,
                      bool forwarded = false, CommandLineOptions::Position position = {},
                      std::optional<Launcher::Position> at = std::nullopt, bool firstOfSession = false);

// Asks about the recovery copies that windows ended without saving left behind; a window started
// for one copy (recoveryFile) shows that one and asks nothing.
void offerRecovery(frmMain &window, const QString &recoveryFile);

// Keeps instance listening under the window's document path as that path changes, and moves the
// caret where a handing-over process asks.
void followDocumentPath(frmMain &window, SingleInstance &instance);

// The program: creates the main window, runs start-up and the event loop; the exit code.
// arguments: those after the program name, byte for byte (CommandLineOptions::nativeArguments).
int Main(QApplication &app, const QStringList &arguments);

} // namespace modStartUp
