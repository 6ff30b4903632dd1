// Times Count All, the first regular-expression step, and both kinds of Replace All on a 50 MB
// text beside grep and sed doing the same job in the same run, and prints the ratios. Ours run on
// the text in memory, as the editor holds it; the peers read the file from the page cache and
// include their process start. Numbers, not a test: nothing here fails on timing.
// grep -c counts lines, not occurrences; on this text the work of finding them is the same.
// The peers write to a file: GNU grep stops at the first match when its output is /dev/null.

#include "FindEngine.h"
#include "MemorySurface.h"
#include "ReplaceEngine.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

constexpr qsizetype kSize = 50 * 1024 * 1024;

const char *const kWords[] = {"the", "The", "value", "of", "count", "is", "and", "return", "if", "else",
                              "for", "while", "x", "y", "(", ")", "{", "}", "=", "+", "index", "total",
                              "name", "file", "line", "// note", "a1", "b2", "v3x", "list", "item"};

QString makeText(qsizetype size)
{
    QRandomGenerator rng(42);
    QString text;
    text.reserve(size + 200);
    while (text.size() < size) {
        const int words = 4 + rng.bounded(10);
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                text += u' ';
            if (rng.bounded(6) == 0)
                text += QString::number(rng.bounded(100000));
            else
                text += QLatin1String(kWords[rng.bounded(int(std::size(kWords)))]);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void report(const char *what, double ours, const char *peerName, std::optional<double> theirs,
            const QString &detail)
{
    const QByteArray peerSaid = bench::lastPeerOutput();
    if (!theirs) {
        std::printf("%-34s %9.1f ms   %-10s       n/a   %s\n", what, ours, peerName, qPrintable(detail));
        return;
    }
    std::printf("%-34s %9.1f ms   %-10s %9.1f ms   ratio %5.2f   %s (peer: %s)\n", what, ours, peerName,
                *theirs, ours / *theirs, qPrintable(detail),
                peerSaid.size() < 20 ? peerSaid.constData() : "output");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString text = makeText(kSize);
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(text.toLatin1());
    }
    std::printf("text: %.1f MB, %d runs each, best time\n", text.size() / 1048576.0, bench::kRuns);
    const QString number = QStringLiteral("\\b[0-9]+\\b");
    const QString file = QLatin1Char('\'') + path + QLatin1Char('\'');

    int literal = 0;
    const double countLiteral = bench::bestOf([&] { literal = FindEngine::CountOccurrences(text, QStringLiteral("value"), true); });
    report("Count All literal \"value\"", countLiteral, "grep -c", bench::peerTime(QStringLiteral("grep -c value ") + file),
           QString::number(literal) + QStringLiteral(" found"));

    CountOutcome numbers;
    const double countRegExp = bench::bestOf([&] { numbers = FindEngine::CountRegExpMatches(text, number, true); });
    report("Count All \\b[0-9]+\\b", countRegExp, "grep -cP",
           bench::peerTime(QStringLiteral("grep -cP '\\b[0-9]+\\b' ") + file), QString::number(numbers.count) + QStringLiteral(" found"));

    MemorySurface surface;
    surface.setText(text);
    FindEngine engine(surface, HistoryLists(dir.path()));
    FindOutcome step;
    const double firstStep = bench::bestOf([&] {
        engine.markDirty();
        step = engine.FindRegExp(true, number, true);
    });
    report("first FindRegExp step (rebuild)", firstStep, "grep -cP",
           bench::peerTime(QStringLiteral("grep -cP '\\b[0-9]+\\b' ") + file), step.info);

    ReplaceAllResult plain;
    const double replacePlain = bench::bestOf([&] {
        plain = ReplaceEngine::replaceAllPlain(text, QStringLiteral("the"), QStringLiteral("THE"), true);
    });
    report("Replace All plain the->THE", replacePlain, "sed",
           bench::peerTime(QStringLiteral("sed 's/the/THE/g' ") + file), QString::number(plain.count) + QStringLiteral(" replaced"));

    ReplaceAllResult regExp;
    const double replaceRegExp = bench::bestOf([&] {
        regExp = ReplaceEngine::replaceAllRegExp(text, QStringLiteral("\\b([0-9]+)\\b"), QStringLiteral("<$1>"), true);
    });
    report("Replace All \\b([0-9]+)\\b -> <$1>", replaceRegExp, "sed -E",
           bench::peerTime(QStringLiteral("sed -E 's/\\b([0-9]+)\\b/<\\1>/g' ") + file),
           QString::number(regExp.count) + QStringLiteral(" replaced"));
    return 0;
}
