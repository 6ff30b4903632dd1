// Find in Files over a generated tree of C sources (copies of this repository's sources and the
// system's headers) beside `grep -rn` and, where installed, `rg`, doing the same job in the same run:
// the same text, binary files skipped by all. Prints the time to the last result, the counts of
// matching lines (they must agree) and the ratios. Numbers, not a test: nothing fails on timing.
//
// Knobs: ORVANE_BENCH_FIF_FILES (20000), ORVANE_BENCH_FIF_MB (500), ORVANE_BENCH_FIF_DIR (a folder
// to build the tree in and keep; default a temporary one). Warm cache always; cold as well when
// this process may drop the page cache (root with a writable /proc/sys/vm/drop_caches).

#include "FileSearch.h"
#include "LanguageDefinition.h"
#include "SymbolScanner.h"
#include "TextCodec.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

#include <unistd.h>

namespace {

qint64 knob(const char *name, qint64 fallback)
{
    bool ok = false;
    const qint64 value = qEnvironmentVariable(name).toLongLong(&ok);
    return ok && value > 0 ? value : fallback;
}

QList<QByteArray> sourcePool()
{
    QList<QByteArray> pool;
    QStringList roots{QStringLiteral(ORVANE_BENCH_SOURCE_DIR "/src"), QStringLiteral("/usr/include")};
    for (const QString &root : roots) {
        QDirIterator it(root, {QStringLiteral("*.c"), QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext() && pool.size() < 4000) {
            QFile file(it.next());
            if (file.size() > 0 && file.size() < 400000 && file.open(QIODevice::ReadOnly))
                pool << file.readAll();
        }
    }
    return pool;
}

// files files of about bytes in all, 100 to a folder, two folder levels deep.
bool generateTree(const QString &root, qint64 files, qint64 bytes)
{
    const QString marker = root + QStringLiteral("/.tree-%1-%2").arg(files).arg(bytes);
    if (QFile::exists(marker))
        return true;
    QDir(root).removeRecursively();
    const QList<QByteArray> pool = sourcePool();
    if (pool.isEmpty())
        return false;
    const qint64 each = std::max<qint64>(1, bytes / files);
    qsizetype next = 0;
    for (qint64 i = 0; i < files; ++i) {
        const QString folder = root + QStringLiteral("/d%1/e%2").arg(i / 2000, 2, 10, QLatin1Char('0')).arg(i / 100 % 20, 2, 10, QLatin1Char('0'));
        if (i % 100 == 0)
            QDir().mkpath(folder);
        QByteArray content;
        while (content.size() < each)
            content += pool.at(next++ % pool.size());
        content.truncate(content.lastIndexOf('\n', each) + 1);
        QFile file(folder + QStringLiteral("/f%1.%2").arg(i).arg(i % 3 == 0 ? "h" : "c"));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return false;
    }
    QFile(marker).open(QIODevice::WriteOnly);
    return true;
}

bool canDropCaches()
{
    return ::geteuid() == 0 && ::access("/proc/sys/vm/drop_caches", W_OK) == 0;
}

void dropCaches()
{
    ::sync();
    QFile file(QStringLiteral("/proc/sys/vm/drop_caches"));
    if (file.open(QIODevice::WriteOnly))
        file.write("3\n");
}

// The time to the last result as the window sees it: started, batches taken on this thread's
// event loop, finished.
std::pair<double, qint64> ours(const FileSearchOptions &options)
{
    FileSearch search;
    qint64 lines = 0;
    QEventLoop loop;
    QObject::connect(&search, &FileSearch::finished, &loop, [&](const FileSearchSummary &summary) {
        lines = summary.matchingLines;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    if (search.start(options))
        return {-1, -1};
    loop.exec();
    return {double(timer.nsecsElapsed()) / 1e6, lines};
}

void row(const char *who, std::optional<double> ms, qint64 lines, double oursMs)
{
    if (!ms) {
        std::printf("  %-6s  failed\n", who);
        return;
    }
    std::printf("  %-6s %9.0f ms %10lld lines   ours/%s %.2f\n", who, *ms, static_cast<long long>(lines), who,
                oursMs / *ms);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    {
        // Go to Symbol's one pass over a large C document, as the C definition colours it.
        LanguageDefinition c;
        c.applyLines(FileIO::readLines(QStringLiteral(ORVANE_BENCH_SOURCE_DIR "/data/keywords/c.kw")));
        c.languageActive = true;
        const QString text = QString::fromLatin1(bench::generateC(50 << 20, false));
        qsizetype count = 0;
        const double ms = bench::bestOf([&] { count = SymbolScanner::scan(text, c, QStringLiteral("big.c")).size(); });
        std::printf("Go to Symbol over 50 MB of C: %.0f ms, %lld symbols\n", ms, static_cast<long long>(count));
    }
    const qint64 files = knob("ORVANE_BENCH_FIF_FILES", 20000);
    const qint64 megabytes = knob("ORVANE_BENCH_FIF_MB", 500);
    QTemporaryDir temporary;
    const QString root = qEnvironmentVariableIsSet("ORVANE_BENCH_FIF_DIR") ? qEnvironmentVariable("ORVANE_BENCH_FIF_DIR")
                                                                             : temporary.path() + QStringLiteral("/tree");
    std::printf("Find in Files: %lld files, %lld MB in %s\n", static_cast<long long>(files),
                static_cast<long long>(megabytes), qPrintable(root));
    if (!generateTree(root, files, megabytes << 20)) {
        std::printf("could not generate the tree\n");
        return 1;
    }
    const QString rg = QStandardPaths::findExecutable(QStringLiteral("rg"));
    const bool cold = canDropCaches();
    std::printf("threads: %d; rg: %s; cold cache: %s\n", QThread::idealThreadCount(),
                rg.isEmpty() ? "not installed" : qPrintable(rg), cold ? "yes" : "no (cannot drop caches)");

    struct Case {
        const char *what;
        QString text;
        bool regExp;
    };
    const Case cases[] = {{"plain, common", QStringLiteral("return"), false},
                          {"plain, rare", QStringLiteral("EINVAL"), false},
                          {"expression", QStringLiteral("struct [a-z_]+ \\*[a-z]"), true}};
    for (const Case &c : cases) {
        FileSearchOptions options;
        options.query = FileQuery{c.text, c.regExp, true};
        options.folder = root;
        const QString quoted = QLatin1Char('\'') + c.text + QLatin1Char('\'');
        const QString grepCommand = QStringLiteral("LC_ALL=C grep -rnI %1 %2 %3").arg(c.regExp ? "-E" : "-F", quoted, root);
        const QString rgCommand = QStringLiteral("%1 -n --no-heading %2 %3 %4").arg(rg, c.regExp ? "" : "-F", quoted, root);
        const auto countLines = [](const QString &command) {
            bench::peerTime(command + QStringLiteral(" | wc -l"), 1);
            return bench::lastPeerOutput().toLongLong();
        };
        for (const bool coldRun : {false, true}) {
            if (coldRun && !cold)
                continue;
            std::printf("%s \"%s\", %s cache:\n", c.what, qPrintable(c.text), coldRun ? "cold" : "warm");
            const int runs = coldRun ? 1 : bench::kRuns;
            double oursMs = 1e300;
            qint64 oursLines = 0;
            if (!coldRun)
                ours(options);
            for (int run = 0; run < runs; ++run) {
                if (coldRun)
                    dropCaches();
                const auto [ms, lines] = ours(options);
                oursMs = std::min(oursMs, ms);
                oursLines = lines;
            }
            std::printf("  %-6s %9.0f ms %10lld lines\n", "ours", oursMs, static_cast<long long>(oursLines));
            if (coldRun)
                dropCaches();
            const auto grepMs = bench::peerTime(grepCommand, runs);
            row("grep", grepMs, countLines(grepCommand), oursMs);
            if (!rg.isEmpty()) {
                if (coldRun)
                    dropCaches();
                const auto rgMs = bench::peerTime(rgCommand, runs);
                row("rg", rgMs, countLines(rgCommand), oursMs);
            }
        }
    }
    return 0;
}
