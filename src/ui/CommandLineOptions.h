#pragma once

#include <QString>
#include <QStringList>

// The options the program answers before any window exists. Everything else on the command line
// is a file name for start-up's own rules.
namespace CommandLineOptions {

enum class Action { Run, ShowHelp, ShowVersion };

struct Parsed {
    Action action = Action::Run;
    QStringList files;   // the arguments start-up works on, "--" taken out
};

// arguments: those after the program name. "--help" and "--version" count only before a "--";
// the first "--" ends the options and is dropped; a later "--" is a file name.
Parsed parse(const QStringList &arguments);

// argv after the program name, each argument byte for byte (a file name need not be UTF-8).
QStringList nativeArguments(int argc, char **argv);

QString usageText(const QString &programName);
QString versionText();

} // namespace CommandLineOptions
