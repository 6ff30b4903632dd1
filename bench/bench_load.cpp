// Loading speed and memory: ReadFile of generated files into the real main window, beside
// `cat FILE >/dev/null`, step by step with the peak memory after each step. Each file loads in a
// child process so its peak memory is its own. The window has the shipped language definitions, so
// a load ends with the whole document coloured, as in the program.
#include "frmMain.h"

#include "BenchSupport.h"
#include "DocumentLoader.h"
#include "DocumentReader.h"
#include "Highlighter.h"
#include "ScintillaView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

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

void copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &info : QDir(from).entryInfoList(QDir::Files))
        QFile::copy(info.filePath(), to + QLatin1Char('/') + info.fileName());
}

struct Step {
    QByteArray name;
    double ms;
    qint64 peakKb;
};

void sendKey(QWidget *target, int key, Qt::KeyboardModifiers modifiers, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// Child: load one file, print one line per step ("name|ms since start|peak KB") and the line queries.
int measure(const QString &path)
{
    QTemporaryDir app;
    copyFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/keywords"),
               app.filePath(QStringLiteral("keywords")));
    frmMain window(app.path());
    window.settings().OpenFileInThirdPartyEditor = false;
    window.settings().PromptWarningLargeFile = false;
    window.show();
    QCoreApplication::processEvents();

    std::vector<Step> steps;
    QElapsedTimer timer;
    steps.push_back({"start", 0, bench::peakRssKb()});
    timer.start();
    DocumentReader::setStepObserver([&](const char *name) {
        steps.push_back({name, double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});
    });
    window.ReadFile(path, true);
    DocumentReader::setStepObserver({});
    steps.push_back({"ReadFile returned", double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});
    ScintillaView *view = window.txtText();
    view->viewport()->repaint();
    steps.push_back({"first paint", double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});
    sendKey(view, Qt::Key_End, Qt::ControlModifier);
    view->viewport()->repaint();
    steps.push_back({"Ctrl+End shown", double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});
    view->viewport()->repaint();
    steps.push_back({"painted again", double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});
    sendKey(view, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    view->viewport()->repaint();
    steps.push_back({"x shown", double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});
    // Keys typed while the colouring is under way: each one's time until it is painted. Each key
    // makes the render start again from the changed text, so only a burst of them.
    double slowestKey = 0;
    int keys = 0;
    QElapsedTimer sinceKey;
    sinceKey.start();
    while (window.highlighter().isRendering()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (keys < 20 && sinceKey.elapsed() >= 25) {
            QElapsedTimer key;
            key.start();
            sendKey(view, Qt::Key_Y, Qt::NoModifier, QStringLiteral("y"));
            view->viewport()->repaint();
            slowestKey = std::max(slowestKey, double(key.nsecsElapsed()) / 1e6);
            ++keys;
            sinceKey.restart();
        }
    }
    steps.push_back({"whole document coloured", double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});
    window.WriteDocument(app.filePath(QStringLiteral("saved.txt")));
    steps.push_back({"saved", double(timer.nsecsElapsed()) / 1e6, bench::peakRssKb()});

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
    for (const Step &step : steps)
        std::printf("%s|%.1f|%lld\n", step.name.constData(), step.ms, step.peakKb);
    std::printf("queries|%.1f|%lld\n", queryMs, sum & 1);
    std::printf("keys|%.1f|%d\n", slowestKey, keys);
    return 0;
}

// The same lines with an accented word on each one, up to the given size: every line holds
// non-ASCII text.
QByteArray accented(const QByteArray &c, qint64 bytes)
{
    QByteArray out;
    out.reserve(bytes + 64);
    for (const QByteArray &line : c.split('\n')) {
        if (out.size() >= bytes)
            break;
        out += line;
        out += " /* caf\xc3\xa9 na\xc3\xafve */\n";
    }
    return out;
}

QByteArray generateHtml(qint64 bytes)
{
    static const char *lines[] = {"<div class=\"row\" id=\"r42\">", "  <p style=\"color:#a0b0c0\">Some text, 12 items</p>",
                                  "  <!-- a comment -->", "  <a href=\"page.html\" title=\"next\">next</a>", "</div>"};
    QByteArray out;
    out.reserve(bytes + 64);
    int i = 0;
    while (out.size() < bytes)
        out += QByteArray(lines[i++ % 5]) + '\n';
    return out;
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
    // Sizes in MB from the command line, 1 10 50 by default.
    std::vector<int> sizes;
    for (qsizetype i = 1; i < args.size(); ++i)
        sizes.push_back(args[i].toInt());
    if (sizes.empty())
        sizes = {1, 10, 50};

    QTemporaryDir dir;
    struct Kind {
        const char *name;
        const char *extension;
    };
    const Kind kinds[] = {{"lf", "c"}, {"crlf", "c"}, {"utf8", "c"}, {"html", "html"}};
    std::printf("%-16s %10s %10s %8s %9s %8s %14s\n", "file", "ReadFile", "cat", "ratio", "peak MB", "x size",
                "100k queries");
    for (const int mb : sizes) {
        for (const Kind &kind : kinds) {
            const qint64 bytes = qint64(mb) * 1000 * 1000;
            const QByteArray name = kind.name;
            const QString file = QStringLiteral("gen%1%2.%3").arg(mb).arg(kind.name, kind.extension);
            const QString path = dir.filePath(file);
            {
                QFile out(path);
                if (!out.open(QIODevice::WriteOnly))
                    return 1;
                if (name == "html")
                    out.write(generateHtml(bytes));
                else if (name == "utf8")
                    out.write(accented(bench::generateC(bytes, false), bytes));
                else
                    out.write(bench::generateC(bytes, name == "crlf"));
            }
            const double fileMb = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
            runCat(path);
            const double catMs = runCat(path);
            QProcess child;
            child.start(QApplication::applicationFilePath(), {QStringLiteral("--measure"), path});
            child.waitForFinished(-1);
            const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
            std::vector<Step> steps;
            double queryMs = 0;
            QString keyLine;
            for (const QByteArray &line : lines) {
                const QList<QByteArray> f = line.split('|');
                if (f.size() != 3)
                    continue;
                if (f[0] == "queries")
                    queryMs = f[1].toDouble();
                else if (f[0] == "keys")
                    keyLine = QStringLiteral("    %1 keys typed while colouring: the slowest painted after %2 ms\n")
                                  .arg(f[2].toInt())
                                  .arg(f[1].toDouble(), 0, 'f', 1);
                else
                    steps.push_back({f[0], f[1].toDouble(), f[2].toLongLong()});
            }
            if (steps.size() < 2) {
                std::printf("%-16s measurement failed\n", qPrintable(file));
                continue;
            }
            const double baseMb = double(steps.front().peakKb) / 1024.0;
            double readMs = 0;
            for (const Step &step : steps) {
                if (step.name == "ReadFile returned")
                    readMs = step.ms;
            }
            const double peakMb = double(steps.back().peakKb) / 1024.0;
            std::printf("%-16s %8.1fms %8.1fms %8.1f %6.0f MB %7.2fx %12.1fms\n", qPrintable(file), readMs, catMs,
                        readMs / std::max(catMs, 0.001), peakMb, (peakMb - baseMb) / fileMb, queryMs);
            double previous = 0;
            for (const Step &step : steps) {
                std::printf("    %-30s %8.1f ms (+%7.1f)  peak %6.0f MB\n", step.name.constData(), step.ms,
                            step.ms - previous, double(step.peakKb) / 1024.0);
                previous = step.ms;
            }
            std::printf("%s", qPrintable(keyLine));
        }
    }
    std::printf("x size: peak memory added by the load, in multiples of the file size; each step shows the time\n"
                "since ReadFile was called, the time of the step itself and the peak memory of the process after it\n");
    return 0;
}
