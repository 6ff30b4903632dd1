#include "Launcher.h"

#include <QCoreApplication>
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

} // namespace Launcher
