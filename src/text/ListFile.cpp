#include "ListFile.h"

#include "FileIO.h"
#include "LineBreaks.h"
#include "Utf8Units.h"

#include <QFile>
#include <QLockFile>
#include <QStringDecoder>

#include <algorithm>

#include <unistd.h>

namespace ListFile {

QString decode(const QByteArray &bytes)
{
    if (!isAsciiBytes(bytes.constData(), bytes.size())) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

QByteArray encode(const QString &text)
{
    const bool fitsLatin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    if (!fitsLatin1)
        return FileIO::encodePath(text);
    // Latin-1 bytes that happen to form UTF-8 ("Ã©" is the bytes of "é") would be read back as
    // UTF-8; such a text is written as UTF-8 instead.
    QByteArray latin1 = text.toLatin1();
    return decode(latin1) == text ? latin1 : text.toUtf8();
}

namespace {

bool names(const QString &path)
{
    return !path.isEmpty() && ::access(FileIO::encodePath(path).constData(), F_OK) == 0;
}

} // namespace

QString pathOf(const QString &text)
{
    const bool fitsLatin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    if (!fitsLatin1 || names(text))
        return text;
    const QString exact = FileIO::decodePath(text.toLatin1());
    return names(exact) ? exact : text;
}

QStringList splitLines(const QString &text)
{
    // A file's last line break ends its last line; it starts no empty one.
    QStringList lines = ::splitLines(text);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString joinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

std::optional<QStringList> read(const QString &path)
{
    const auto bytes = FileIO::readAll(path);
    if (!bytes)
        return std::nullopt;
    return ListFile::splitLines(decode(*bytes));
}

std::optional<QString> write(const QString &path, const QStringList &lines)
{
    return FileIO::writeAtomically(path, encode(joinLines(lines)));
}

std::optional<QString> append(const QString &path, const QString &line)
{
    return update(path, [&line](QStringList &lines) {
        lines << line;
        return true;
    });
}

namespace {

using Reader = std::optional<QStringList> (*)(const QString &);
using Writer = std::optional<QString> (*)(const QString &, const QStringList &);

std::optional<QString> updateWith(const QString &path, Reader reader, Writer writer,
                                  const std::function<bool(QStringList &)> &change)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    // A holder that died leaves its lock behind; QLockFile sees the dead process at once, and a
    // lock older than this is taken over even when its owner cannot be checked.
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000))
        return QStringLiteral("Couldn't save %1: it is locked by another process").arg(path);
    QStringList lines;
    if (QFile::exists(path)) {
        // An unreadable list must not be replaced by a shorter one.
        auto existing = reader(path);
        if (!existing)
            return QStringLiteral("Couldn't read %1").arg(path);
        lines = std::move(*existing);
    }
    if (!change(lines))
        return std::nullopt;
    return writer(path, lines);
}

QString pathOfLine(const QByteArray &line)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);
    if (!utf8.hasError())
        return text;
    const QString exact = FileIO::decodePath(line);
    const QString latin1 = QString::fromLatin1(line);
    return !names(exact) && names(latin1) ? latin1 : exact;
}

std::optional<QString> writePaths(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += FileIO::encodePath(line) + "\r\n";
    return FileIO::writeAtomically(path, bytes);
}

} // namespace

std::optional<QString> update(const QString &path, const std::function<bool(QStringList &)> &change)
{
    return updateWith(path, read, write, change);
}

std::optional<QStringList> readPaths(const QString &path)
{
    const auto bytes = FileIO::readAll(path);
    if (!bytes)
        return std::nullopt;
    QStringList lines;
    for (const QByteArrayView line : FileIO::splitByteLines(*bytes))
        lines << pathOfLine(line.toByteArray());
    return lines;
}

std::optional<QString> appendPath(const QString &path, const QString &line)
{
    return updatePaths(path, [&line](QStringList &lines) {
        lines << line;
        return true;
    });
}

std::optional<QString> updatePaths(const QString &path, const std::function<bool(QStringList &)> &change)
{
    return updateWith(path, readPaths, writePaths, change);
}

} // namespace ListFile
