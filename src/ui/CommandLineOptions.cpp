#include "CommandLineOptions.h"

#include "FileIO.h"

#include <algorithm>
#include <limits>

namespace CommandLineOptions {

QStringList nativeArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << FileIO::decodePath(QByteArray(argv[i]));
    return arguments;
}

namespace {

// A line or column number: digits only, from 1; a larger one than an int holds is the last line.
std::optional<int> number(QStringView text)
{
    if (text.isEmpty() || std::any_of(text.begin(), text.end(), [](QChar c) { return c < u'0' || c > u'9'; }))
        return std::nullopt;
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok)
        return std::numeric_limits<int>::max();
    return n < 1 ? std::nullopt : std::optional<int>(int(std::min<qlonglong>(n, std::numeric_limits<int>::max())));
}

std::optional<int> lineOption(const QString &argument)
{
    if (!argument.startsWith(u'+'))
        return std::nullopt;
    return number(QStringView(argument).mid(1));
}

} // namespace

std::optional<Suffixed> positionSuffix(const QString &argument)
{
    const qsizetype last = argument.lastIndexOf(u':');
    if (last <= 0)
        return std::nullopt;
    const std::optional<int> tail = number(QStringView(argument).mid(last + 1));
    if (!tail)
        return std::nullopt;
    const qsizetype before = argument.lastIndexOf(u':', last - 1);
    if (before > 0) {
        if (const std::optional<int> line = number(QStringView(argument).mid(before + 1, last - before - 1)))
            return Suffixed{argument.left(before), Position{*line, *tail}};
    }
    return Suffixed{argument.left(last), Position{*tail, 0}};
}

Parsed parse(const QStringList &arguments)
{
    Parsed parsed;
    bool optionsEnded = false;
    std::optional<int> nextLine;
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
        if (!optionsEnded) {
            if (const std::optional<int> line = lineOption(argument)) {
                nextLine = line;
                continue;
            }
        }
        if (nextLine && parsed.files.isEmpty())
            parsed.position.line = *nextLine;
        parsed.files << (nextLine && !parsed.files.isEmpty() ? argument + u':' + QString::number(*nextLine) : argument);
        nextLine.reset();
    }
    return parsed;
}

QString usageText(const QString &programName)
{
    return QStringLiteral("Usage: %1 [--help | --version] [--] [+LINE] [FILE[:LINE[:COLUMN]]]...\n"
                          "A text editor for scripting, programming and HTML work.\n"
                          "\n"
                          "Opens the first FILE in this window and starts a window of its own for each\n"
                          "further FILE. A FILE that another window shows brings that window to the front.\n"
                          "A FILE that does not exist is created empty after a question.\n"
                          "\n"
                          "  +LINE       open the next FILE with the caret on line LINE\n"
                          "  FILE:LINE, FILE:LINE:COLUMN\n"
                          "              open FILE at that line (and column) when no file of the whole\n"
                          "              name exists, as compilers write file positions\n"
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
