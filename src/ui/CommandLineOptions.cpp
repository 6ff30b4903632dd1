#include "CommandLineOptions.h"

#include "FileIO.h"

namespace CommandLineOptions {

QStringList nativeArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << FileIO::decodePath(QByteArray(argv[i]));
    return arguments;
}

Parsed parse(const QStringList &arguments)
{
    Parsed parsed;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && parsed.action == Action::Run) {
            if (argument == QLatin1String("--help")) {
                parsed.action = Action::ShowHelp;
                continue;
            }
            if (argument == QLatin1String("--version")) {
                parsed.action = Action::ShowVersion;
                continue;
            }
        }
        parsed.files << argument;
    }
    return parsed;
}

QString usageText(const QString &programName)
{
    return QStringLiteral("Usage: %1 [--help | --version] [--] [FILE]...\n"
                          "A text editor for scripting, programming and HTML work.\n"
                          "\n"
                          "Opens the first FILE in this window and starts a window of its own for each\n"
                          "further FILE. A FILE that another window shows brings that window to the front.\n"
                          "A FILE that does not exist is created empty after a question.\n"
                          "\n"
                          "  --help      print this help and exit\n"
                          "  --version   print the version and exit\n"
                          "  --          end of options: every argument after it is a file name\n")
        .arg(programName);
}

QString versionText()
{
    return QStringLiteral("Orvane %1.%2.%3\n").arg(ORVANE_VERSION_MAJOR).arg(ORVANE_VERSION_MINOR).arg(ORVANE_VERSION_PATCH);
}

} // namespace CommandLineOptions
