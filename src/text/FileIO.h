#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace FileIO {

// Writes the whole file through a temporary file renamed over the old one, so a crash or a full
// disk never leaves a half-written file: either the complete new bytes are in place or the old
// file is untouched. On failure, "Couldn't save <path>: <reason>".
std::optional<QString> writeAtomically(const QString &path, const QByteArray &bytes);
// The same with bytes that produce hands to its writer piece by piece: a large document is
// converted on its way to the disk. produce returns false when the writer refused a piece.
using PieceWriter = std::function<bool(const char *, qsizetype)>;
std::optional<QString> writeAtomically(const QString &path, const std::function<bool(const PieceWriter &)> &produce);

// Reads the whole file; nullopt when it cannot be read or is not a regular file (a pipe in place
// of a program file would block the program for good).
std::optional<QByteArray> readAll(const QString &path);

// A path as the system names it and back, byte for byte: valid UTF-8 is decoded as usual, every
// other byte b becomes the lone surrogate U+DC00 + b (Qt's own conversion turns it into U+FFFD,
// which names another file).
QString decodePath(const QByteArray &native);
QByteArray encodePath(const QString &path);
// A path that went through Qt's lossy conversion (a dialog's answer): when it names no file and
// exactly one entry of its folder reads the same way, that entry's path; else path unchanged.
QString repairPath(const QString &path);

// The lines of a program file (CR LF, LF or lone CR ends), Latin-1, one byte per character.
QStringList readLines(const QString &path);
// The lines of a program file's bytes: CR LF, CR or LF end a line; a last line break starts no empty line.
QList<QByteArrayView> splitByteLines(QByteArrayView data);

// Joins lines with CR LF after each one, Latin-1.
QByteArray joinLines(const QStringList &lines);

enum class Removal { Trashed, Deleted, Failed };
// Moves the file to the desktop's trash; deletes it only where there is no trash for it.
Removal moveToTrash(const QString &path);

} // namespace FileIO
