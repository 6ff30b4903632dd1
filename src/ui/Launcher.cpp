#include "Launcher.h"

#include "FileIO.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

namespace Launcher {

namespace {
Starter &starter()
{
    static Starter current;
    return current;
}
} // namespace

bool startDetached(const QString &program, const QStringList &arguments)
{
    if (starter())
        return starter()(program, arguments);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}

bool startInstance(const QString &path)
{
    return startDetached(QCoreApplication::applicationFilePath(), path.isEmpty() ? QStringList() : QStringList{path});
}

bool startInstanceAt(const QString &path, int line, int column)
{
    QString place = path + QLatin1Char(':') + QString::number(line);
    if (column > 0)
        place += QLatin1Char(':') + QString::number(column);
    return startDetached(QCoreApplication::applicationFilePath(), {place});
}

bool startCommand(const QString &commandLine, const QString &argument)
{
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty())
        return false;
    const QString program = parts.takeFirst();
    parts << argument;
    return startDetached(program, parts);
}

void setStarter(Starter replacement)
{
    starter() = std::move(replacement);
}

namespace {
const char kForwardedVariable[] = "ORVANE_FORWARDED";
// A path whose bytes are not UTF-8 travels beside the argument, byte for byte.
const char kNativePathVariable[] = "ORVANE_FORWARDED_PATH";
const char kPositionVariable[] = "ORVANE_FORWARDED_AT";
} // namespace

QString positionText(Position at)
{
    return QStringLiteral("%1 %2").arg(at.line).arg(at.column);
}

std::optional<Position> parsePosition(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 2)
        return std::nullopt;
    bool lineOk = false;
    bool columnOk = false;
    const Position at{parts.at(0).toInt(&lineOk), parts.at(1).toInt(&columnOk)};
    if (!lineOk || !columnOk || at.line < 1 || at.column < 1)
        return std::nullopt;
    return at;
}

std::optional<Position> takeForwardedPosition()
{
    const QString text = qEnvironmentVariable(kPositionVariable);
    qunsetenv(kPositionVariable);
    return parsePosition(text);
}

bool startForwardedInstance(const QString &path, std::optional<Position> at)
{
    const bool hadMark = qEnvironmentVariableIsSet(kForwardedVariable);
    const QByteArray previous = qgetenv(kForwardedVariable);
    qputenv(kForwardedVariable, QByteArrayLiteral("1"));
    const QByteArray native = FileIO::encodePath(path);
    if (native != QFile::encodeName(path))
        qputenv(kNativePathVariable, native.toHex());
    if (at)
        qputenv(kPositionVariable, positionText(*at).toLatin1());
    const bool started = startInstance(path);
    qunsetenv(kNativePathVariable);
    qunsetenv(kPositionVariable);
    if (hadMark)
        qputenv(kForwardedVariable, previous);
    else
        qunsetenv(kForwardedVariable);
    return started;
}

bool takeForwardedMark()
{
    const bool forwarded = qEnvironmentVariableIsSet(kForwardedVariable);
    qunsetenv(kForwardedVariable);
    return forwarded;
}

QStringList restoreForwardedPath(QStringList files)
{
    const QByteArray native = QByteArray::fromHex(qgetenv(kNativePathVariable));
    qunsetenv(kNativePathVariable);
    if (!native.isEmpty() && !files.isEmpty() && files.first() == QFile::decodeName(native))
        files.first() = FileIO::decodePath(native);
    return files;
}

namespace {
const char kRecoveryVariable[] = "ORVANE_RECOVER";
} // namespace

bool startRecoveryInstance(const QString &file)
{
    qputenv(kRecoveryVariable, FileIO::encodePath(file).toHex());
    const bool started = startInstance();
    qunsetenv(kRecoveryVariable);
    return started;
}

QString takeRecoveryFile()
{
    const QByteArray native = QByteArray::fromHex(qgetenv(kRecoveryVariable));
    qunsetenv(kRecoveryVariable);
    return native.isEmpty() ? QString() : FileIO::decodePath(native);
}

} // namespace Launcher
