#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The program's small line files (settings, recent files, history lists): CR LF after each line.
// They are written in Latin-1, one byte per character, as long as every character fits; a text
// that does not fit (a path in Cyrillic, say) switches the whole file to UTF-8 so nothing is lost.
namespace ListFile {

// UTF-8 when the bytes are valid UTF-8 and hold at least one multibyte sequence, else Latin-1.
QString decode(const QByteArray &bytes);
// Latin-1 when every character fits, else UTF-8 (a path's bytes that are not UTF-8 as they are).
QByteArray encode(const QString &text);
// A path that a program file held, read back as text: when it names nothing and the bytes it was
// written as name a file (a name that is not UTF-8 read one byte per character), that file.
QString pathOf(const QString &text);

// Splits at CR LF, LF or a lone CR; a final line without a break still counts.
QStringList splitLines(const QString &text);
QString joinLines(const QStringList &lines);

// nullopt when the file is missing or unreadable.
std::optional<QStringList> read(const QString &path);
// Writes the lines atomically; the error text on failure.
std::optional<QString> write(const QString &path, const QStringList &lines);
// Appends one line (creating the file), rewriting it atomically.
std::optional<QString> append(const QString &path, const QString &line);

// Applies change to the file's current lines (none when it is missing) and writes them back,
// holding <path>.lock meanwhile, so processes updating the same list never drop each other's
// entries. change returns false to leave the file untouched. The error text on failure.
std::optional<QString> update(const QString &path, const std::function<bool(QStringList &)> &change);

// The same for lists of paths (recent files, open files): a line holds the path's bytes as the
// system names it, so a name that is not valid UTF-8 survives. A line that is not valid UTF-8 is
// read as Latin-1 only when that names a file and the bytes themselves do not (lists written
// one byte per character).
std::optional<QStringList> readPaths(const QString &path);
std::optional<QString> appendPath(const QString &path, const QString &line);
std::optional<QString> updatePaths(const QString &path, const std::function<bool(QStringList &)> &change);

} // namespace ListFile
