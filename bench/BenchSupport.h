#pragma once

// Timing helpers and generated inputs shared by the benchmarks.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <optional>

namespace bench {

// The shipped data files copied beside a benchmark's own settings.
inline void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
    }
}

constexpr int kRuns = 3;

// The best of a few runs: the least disturbed by the other work on the machine.
inline double bestOf(const std::function<void()> &work, int runs = kRuns)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

// Best wall time of a shell command line, or nothing when it fails. The output goes to a real file:
// GNU grep notices /dev/null and stops at the first match, which would time a different job.
inline QString peerOutputPath()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("peer.out"));
}

inline std::optional<double> peerTime(const QString &command, int runs = kRuns)
{
    const QString output = peerOutputPath();
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        process.setStandardOutputFile(output);
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        // grep exits with 1 when nothing matched, which is still a finished job.
        if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() > 1)
            return std::nullopt;
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

// The start of what the last peerTime command wrote, trimmed: a count, to check both sides agree.
inline QByteArray lastPeerOutput()
{
    QFile file(peerOutputPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64).trimmed();
}

// C source lines of a typical mix, about `bytes` long.
inline QByteArray generateC(qint64 bytes, bool crlf)
{
    static const char *lines[] = {
        "#include <stdio.h>", "/* a block comment about the next function */", "static int add(int a, int b)",
        "{", "    int total = a + b; // sum", "    printf(\"%d\\n\", total);", "    return total * 42;", "}", ""};
    const char *eol = crlf ? "\r\n" : "\n";
    QByteArray out;
    out.reserve(bytes + 64);
    int i = 0;
    while (out.size() < bytes) {
        out += lines[i % 9];
        out += eol;
        ++i;
    }
    return out;
}

// A memory figure of this process in KB from /proc/self/status ("VmHWM:", "VmRSS:"), or -1.
inline qint64 statusKb(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The process's peak resident set in KB, or -1.
inline qint64 peakRssKb()
{
    return statusKb("VmHWM:");
}

} // namespace bench
