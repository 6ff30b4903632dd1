#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The options the program answers before any window exists. Everything else on the command line
// is a file name for start-up's own rules.
namespace CommandLineOptions {

enum class Action { Run, ShowHelp, ShowVersion };

// Where a file opens; 0 where none was given.
struct Position {
    int line = 0;
    int column = 0;
    bool operator==(const Position &) const = default;
};

struct Parsed {
    Action action = Action::Run;
    QStringList files;   // the arguments start-up works on, "--" and "+N" taken out
    Position position;   // the "+N" before the first file
};

// arguments: those after the program name. "--help" and "--version" count only before a "--";
// the first "--" ends the options and is dropped; a later "--" is a file name. "+N" before the
// "--" puts the next file at line N: the first file's line is the position, a later file gets
// ":N" after its name, which its own process reads back (positionSuffix).
Parsed parse(const QStringList &arguments);

// "name:N" or "name:N:C" split into the name and the position; nothing when the name has no
// such ending. Start-up uses it only when no file of the whole name exists.
struct Suffixed {
    QString name;
    Position position;
};
std::optional<Suffixed> positionSuffix(const QString &argument);

// argv after the program name, each argument byte for byte (a file name need not be UTF-8).
QStringList nativeArguments(int argc, char **argv);

QString usageText(const QString &programName);
QString versionText();

} // namespace CommandLineOptions
