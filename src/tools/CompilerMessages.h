#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// A place in a source file that a compiler's message names.
struct SourceLocation {
    QString file;
    int line = 0;     // 1-based
    int column = 0;   // 1-based; 0 when the message gives none

    bool operator==(const SourceLocation &) const = default;
};

// Reading a compiler's output the way a programmer's editor does.
namespace CompilerMessages {

// The place a line of the form "file:line[:column]:" names (gcc, clang, make, ld and most
// others write them so); none for any other line.
std::optional<SourceLocation> locate(QStringView line);

// The character offset in lineText of a compiler's column: gcc counts display columns, a tab
// reaching the next multiple of eight. A column past the end gives the end of the line.
int columnOffset(QStringView lineText, int column);

// The last line of a run: "Finished: exit code 1 after 0.42 s", or the signal that ended it.
QString finishedLine(int exitCode, int signal, qint64 milliseconds);

} // namespace CompilerMessages
