// Loading speed and memory: ReadFile of generated C sources into the real editor widget, beside
// `cat FILE >/dev/null`. Each measurement runs in a child process so its peak memory is its own.
#include "frmMain.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double runCat(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QProcess cat;
    cat.setStandardOutputFile(QProcess::nullDevice());
    cat.start(QStringLiteral("cat"), {path});
    cat.waitForFinished(-1);
    return double(timer.nsecsElapsed()) / 1e6;
}

// Child: load one file and print "ms peakKb queriesMs".
int measure(const QString &path)
{
    QTemporaryDir app;
    frmMain window(app.path());
    window.settings.OpenFileInThirdPartyEditor = false;
    const qint64 before = bench::peakRssKb();
    QElapsedTimer timer;
    timer.start();
    window.ReadFile(path, true);
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;
    const qint64 peak = bench::peakRssKb();

    EditorSurface &s = window.surface();
    const int length = s.textLength();
    QRandomGenerator rng(1);
    qint64 sum = 0;
    timer.restart();
    for (int i = 0; i < 100000; ++i) {
        const int line = s.getLineFromChar(int(rng.bounded(length)));
        sum += s.lineIndex(line);
    }
    const double queryMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%.1f %lld %lld %.1f %lld\n", loadMs, peak, before, queryMs, sum & 1);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--measure"))
        return measure(args[2]);

    QTemporaryDir dir;
    std::printf("%-12s %10s %10s %8s %12s %8s %14s\n", "file", "ReadFile", "cat", "ratio", "peak MB", "x size",
                "100k queries");
    for (const int mb : {1, 10, 50}) {
        for (const bool crlf : {false, true}) {
            const QString name = QStringLiteral("gen%1%2.c").arg(mb).arg(crlf ? "crlf" : "lf");
            const QString path = dir.filePath(name);
            {
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly))
                    return 1;
                file.write(bench::generateC(qint64(mb) * 1024 * 1024, crlf));
            }
            runCat(path);
            const double catMs = runCat(path);
            QProcess child;
            child.start(QApplication::applicationFilePath(), {QStringLiteral("--measure"), path});
            child.waitForFinished(-1);
            const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
            if (fields.size() < 4) {
                std::printf("%-12s measurement failed\n", qPrintable(name));
                continue;
            }
            const double loadMs = fields[0].toDouble();
            const double peakMb = fields[1].toDouble() / 1024.0;
            const double baseMb = fields[2].toDouble() / 1024.0;
            std::printf("%-12s %8.1fms %8.1fms %8.1f %9.0f MB %7.2fx %12.1fms\n", qPrintable(name), loadMs, catMs,
                        loadMs / std::max(catMs, 0.001), peakMb, (peakMb - baseMb) / mb, fields[3].toDouble());
        }
    }
    std::printf("x size: peak memory added by the load, in multiples of the file size\n");
    return 0;
}
