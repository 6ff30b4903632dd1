#include "DOSOutputs.h"

#include "ShellWords.h"

#include <QEventLoop>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

namespace {

// Length of the part of bytes that ends on a whole UTF-8 character.
qsizetype completeUtf8Length(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(bytes.at(n - back));
        if ((c & 0xC0) == 0x80)
            continue;
        const int needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return needed > back ? n - back : n;
    }
    return n;
}

} // namespace

DOSOutputs::DOSOutputs(QObject *parent) : QObject(parent) {}

DOSOutputs::~DOSOutputs()
{
    if (m_process)
        signalGroup(SIGKILL);
}

QString DOSOutputs::ExecuteCommand(const QString &commandLine)
{
    if (m_process)
        return QString();
    if (!commandLine.isEmpty())
        m_commandLine = commandLine;
    m_outputs.clear();
    m_pending.clear();
    m_outcome = Outcome::NothingRun;
    m_exitCode = -1;
    m_exitSignal = 0;
    m_stopping = false;
    if (m_commandLine.trimmed().isEmpty())
        return QString();
    const std::optional<QStringList> words = ShellWords::split(m_commandLine);
    if (!words || words->isEmpty()) {
        m_outcome = Outcome::NotStarted;
        return QString();
    }

    QProcess process;
    process.setProgram(words->first());
    process.setArguments(words->mid(1));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!m_workingDirectory.isEmpty())
        process.setWorkingDirectory(m_workingDirectory);
    // A group of its own, so that stop() also reaches the programs the command starts.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });

    QEventLoop loop;
    bool ended = false;
    connect(&process, &QProcess::readyReadStandardOutput, this, &DOSOutputs::drain);
    connect(&process, &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    m_process = &process;
    process.start();
    if (!process.waitForStarted(-1)) {
        m_process = nullptr;
        m_outcome = Outcome::NotStarted;
        return QString();
    }
    m_pid = process.processId();
    emit started();
    if (!ended && process.state() != QProcess::NotRunning)
        loop.exec();
    drain();
    if (m_stopping) {
        // Whatever the command left behind goes with it.
        signalGroup(SIGKILL);
        m_outcome = Outcome::Stopped;
    } else {
        m_outcome = Outcome::Finished;
        const bool crashed = process.exitStatus() != QProcess::NormalExit;
        m_exitCode = crashed ? -1 : process.exitCode();
        // After a crash the process's code is the number of the signal that ended it.
        m_exitSignal = crashed ? process.exitCode() : 0;
    }
    m_process = nullptr;
    m_pid = 0;
    if (!m_pending.isEmpty())
        raise(QString::fromUtf8(std::exchange(m_pending, QByteArray())));
    raise(QString());
    return m_outputs;
}

void DOSOutputs::drain()
{
    if (!m_process)
        return;
    while (m_process->bytesAvailable() > 0) {
        QByteArray bytes = m_pending + m_process->read(ChunkSize - m_pending.size());
        const qsizetype whole = completeUtf8Length(bytes);
        m_pending = bytes.mid(whole);
        bytes.truncate(whole);
        if (!bytes.isEmpty())
            raise(QString::fromUtf8(bytes));
        if (!m_process)
            return;
    }
}

void DOSOutputs::raise(const QString &chunk)
{
    m_outputs += chunk;
    emit ReceiveOutputs(chunk);
}

void DOSOutputs::stop()
{
    if (!m_process || m_stopping)
        return;
    m_stopping = true;
    signalGroup(SIGTERM);
    QPointer<QProcess> process = m_process;
    QTimer::singleShot(StopGraceMs, this, [this, process] {
        if (process && m_process == process)
            signalGroup(SIGKILL);
    });
}

void DOSOutputs::signalGroup(int signal)
{
    if (m_pid > 0 && ::kill(-pid_t(m_pid), signal) == 0)
        return;
    if (m_process)
        signal == SIGKILL ? m_process->kill() : m_process->terminate();
}
