#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Command lines as a POSIX shell reads its words: blanks separate, single quotes keep everything,
// double quotes keep all but \" \\ \$ \`, a backslash outside quotes keeps the next character.
// Nothing is expanded and nothing is run through a shell.
namespace ShellWords {

// The words of the line; nullopt when a quote is left open or the line ends in a lone backslash.
std::optional<QStringList> split(const QString &commandLine);

// One word that split() gives back unchanged: as it is when it holds only safe characters,
// otherwise in double quotes, or single ones when it holds " \ $ or `.
QString quote(const QString &word);

} // namespace ShellWords
