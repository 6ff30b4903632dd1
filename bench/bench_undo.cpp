// Undo history on a 500,000-character coloured document in the real editor widget: one snapshot
// after a one-character edit, one Undo and one Redo, and the memory of 200 such snapshots.
#include "ScintillaSurface.h"
#include "UndoHistory.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString generateText(int length)
{
    static const char *lines[] = {"#include <stdio.h>", "/* a block comment about the next function */",
                                  "static int add(int a, int b)", "{", "    int total = a + b; // sum",
                                  "    printf(\"%d\\n\", total);", "    return total * 42;", "}", ""};
    QString text;
    text.reserve(length + 64);
    for (int i = 0; text.size() < length; ++i)
        text += QLatin1String(lines[i % 9]) + QStringLiteral("\r\n");
    text.truncate(length);
    return text;
}

// A colour per word, as a highlighter would leave it: about one run every five characters.
std::vector<FormatRun> colourRuns(const QString &text)
{
    static const OleColor colours[] = {0x000000, 0x0000FF, 0x008000, 0xFF0000, 0x808080};
    std::vector<FormatRun> runs;
    int i = 0;
    int word = 0;
    while (i < text.size()) {
        int j = i;
        const bool letter = text.at(i).isLetterOrNumber();
        while (j < text.size() && text.at(j).isLetterOrNumber() == letter)
            ++j;
        CharFormat format;
        format.color = colours[word++ % 5];
        format.bold = word % 7 == 0;
        runs.push_back({j - i, format});
        i = j;
    }
    return runs;
}

struct Sink : SurfaceEvents {
    UndoHistory *history = nullptr;
    void surfaceChange() override
    {
        if (history)
            history->noteChange();
    }
};

double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void summary(const char *what, std::vector<double> times, double target)
{
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("%-28s median %7.3f ms  mean %7.3f ms  max %7.3f ms  (target < %g ms, n=%zu)\n", what,
                times[times.size() / 2], sum / double(times.size()), times.back(), target, times.size());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int Length = 500000;
    constexpr int Snapshots = 200;

    ScintillaSurface surface;
    surface.view()->resize(800, 600);
    Sink sink;
    surface.setEventSink(&sink);
    const QString text = generateText(Length);
    surface.setText(text);
    surface.applyFormatRuns(0, colourRuns(text));

    UndoHistory history(surface);
    sink.history = &history;
    history.setFileSize(Length);
    QElapsedTimer timer;
    timer.start();
    history.AddHistory();
    std::printf("first snapshot (reads everything): %.3f ms\n", ms(timer));

    const qint64 rssBefore = bench::statusKb("VmRSS:");
    const qsizetype heldBefore = history.bytesHeld();
    QRandomGenerator random(7);
    std::vector<double> snapshots;
    for (int i = 0; i < Snapshots; ++i) {
        surface.setSelStart(int(random.bounded(surface.textLength())));
        surface.setSelText(QStringLiteral("x"));
        surface.setSelStart(surface.selStart() - 1);
        surface.setSelLength(1);
        surface.setSelColor(0x0000FF);
        timer.restart();
        history.AddHistory();
        snapshots.push_back(ms(timer));
    }
    const qint64 rssAfter = bench::statusKb("VmRSS:");
    const qsizetype heldAfter = history.bytesHeld();

    surface.setSelStart(10);
    surface.setSelText(QStringLiteral("y"));
    std::vector<double> undos;
    std::vector<double> redos;
    for (int i = 0; i < 20; ++i) {
        timer.restart();
        history.undo();
        undos.push_back(ms(timer));
    }
    for (int i = 0; i < 20; ++i) {
        timer.restart();
        history.redo();
        redos.push_back(ms(timer));
    }

    std::printf("document: %d characters, %zu format runs\n", surface.textLength(), colourRuns(text).size());
    summary("AddHistory after 1-char edit", snapshots, 2);
    summary("Undo", undos, 50);
    summary("Redo", redos, 50);
    std::printf("200 snapshots: RSS growth %.2f MB (target < 20 MB); records hold %.2f MB (%.2f MB before the 200)\n",
                double(rssAfter - rssBefore) / 1024.0, double(heldAfter) / 1048576.0, double(heldBefore) / 1048576.0);
    std::printf("records: %d, position %d\n", history.recordCount(), history.position());
    return 0;
}
