// Whole-document highlighting through the real editor widget against two Debian highlighters
// turning the same files into HTML, and the cost of re-highlighting one line after a key.
// Prints numbers and ratios; never fails on timing.

#include "CodeHighlighter.h"
#include "HighlightFormats.h"
#include "Highlighter.h"
#include "RenderClock.h"
#include "LiveHighlighter.h"
#include "MarkupHighlighter.h"
#include "ScintillaSurface.h"
#include "Settings.h"
#include "modKeyWords.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

QString keywordsFolder()
{
    const QStringList candidates = {
        QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral("../data/keywords")),
        QCoreApplication::applicationDirPath() + QStringLiteral("/../app/keywords"),
    };
    for (const QString &c : candidates) {
        if (QFileInfo(c).isDir())
            return QDir(c).absolutePath();
    }
    return {};
}

// Deterministic pseudo-random numbers so every run sees the same files.
struct Lcg {
    quint64 state = 88172645463325252ull;
    unsigned next(unsigned bound)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return unsigned((state >> 33) % bound);
    }
};

QByteArray generateC(qsizetype size)
{
    static const char *types[] = {"int", "long", "char", "double", "unsigned", "size_t", "struct node *"};
    static const char *calls[] = {"printf", "strlen", "memcpy", "malloc", "free", "fopen", "helper", "compute"};
    QByteArray out;
    out.reserve(size + 1024);
    Lcg r;
    int fn = 0;
    while (out.size() < size) {
        out += "/* Function " + QByteArray::number(fn) + " computes a value\r\n * over its input. */\r\n";
        out += "static " + QByteArray(types[r.next(7)]) + " func_" + QByteArray::number(fn++) + "(int a, const char *s)\r\n{\r\n";
        const unsigned lines = 4 + r.next(12);
        for (unsigned i = 0; i < lines; ++i) {
            switch (r.next(6)) {
            case 0: out += "    " + QByteArray(types[r.next(7)]) + " v" + QByteArray::number(i) + " = " + QByteArray::number(r.next(100000)) + ";\r\n"; break;
            case 1: out += "    if (a > " + QByteArray::number(r.next(100)) + ") return a * 0x1F; // early out\r\n"; break;
            case 2: out += "    " + QByteArray(calls[r.next(8)]) + "(\"value %d of %s\\n\", a, s);\r\n"; break;
            case 3: out += "    for (int i = 0; i < a; ++i) a += i % 7;\r\n"; break;
            case 4: out += "    while (a-- > 0) { s++; }\r\n"; break;
            default: out += "    a = " + QByteArray(calls[r.next(8)]) + "(s) + sizeof(long); /* note */\r\n"; break;
            }
        }
        out += "    return a;\r\n}\r\n\r\n";
    }
    return out;
}

QByteArray generateHtml(qsizetype size)
{
    QByteArray out = "<!DOCTYPE html>\r\n<html>\r\n<head><title>Bench</title></head>\r\n<body>\r\n";
    Lcg r;
    int n = 0;
    while (out.size() < size) {
        out += "<!-- section " + QByteArray::number(n) + "\r\n     spans two lines -->\r\n";
        out += "<div class=\"box\" id=\"s" + QByteArray::number(n) + "\" width=" + QByteArray::number(r.next(900)) + ">\r\n";
        out += "  <p style=\"color: #A0B1C2\">Paragraph " + QByteArray::number(n) + " with <b>bold</b> and <a href=\"page" + QByteArray::number(r.next(50)) + ".html\">a link</a>.</p>\r\n";
        out += "  <table border=1 cellpadding=\"2\"><tr><td>1</td><td>2</td></tr></table>\r\n";
        out += "  <img src=\"pic.png\" alt=\"picture\" /><br/>\r\n</div>\r\n";
        ++n;
    }
    out += "</body>\r\n</html>\r\n";
    return out;
}

QByteArray generatePython(qsizetype size)
{
    static const char *calls[] = {"print", "len", "range", "sorted", "helper", "isinstance", "open"};
    QByteArray out = "import os\r\nimport sys\r\n\r\n";
    Lcg r;
    int fn = 0;
    while (out.size() < size) {
        out += "# Function " + QByteArray::number(fn) + " transforms its arguments\r\n";
        out += "def func_" + QByteArray::number(fn++) + "(a, b=None):\r\n";
        const unsigned lines = 3 + r.next(10);
        for (unsigned i = 0; i < lines; ++i) {
            switch (r.next(5)) {
            case 0: out += "    x" + QByteArray::number(i) + " = " + QByteArray::number(r.next(100000)) + "  # counter\r\n"; break;
            case 1: out += "    if a is None or not b:\r\n        return False\r\n"; break;
            case 2: out += "    " + QByteArray(calls[r.next(7)]) + "(\"value of a is\", a)\r\n"; break;
            case 3: out += "    for i in range(len(a)):\r\n        a[i] += i\r\n"; break;
            default: out += "    while a > 0:\r\n        a -= 1\r\n"; break;
            }
        }
        out += "    return a\r\n\r\n";
    }
    return out;
}

struct Sample {
    QString kind;       // extension of the file and the language to load
    QString toolSyntax;
    QByteArray (*generate)(qsizetype);
};

// Milliseconds of an external tool run, or nothing when it is not installed or failed.
std::optional<double> runTool(const QString &program, const QStringList &args)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return std::nullopt;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return timer.nsecsElapsed() / 1e6;
}

QString formatTool(std::optional<double> ms, double ours)
{
    if (!ms)
        return QStringLiteral("not installed or failed");
    return QStringLiteral("%1 ms (ours is %2x faster)").arg(*ms, 0, 'f', 1).arg(*ms / ours, 0, 'f', 1);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // --quick [kind]: only the 10 MB file of one kind (c when not given), without the other tools.
    const QStringList args = app.arguments();
    const qsizetype quickAt = args.indexOf(QStringLiteral("--quick"));
    const bool quick = quickAt >= 0;
    const QString quickKind = quickAt >= 0 && quickAt + 1 < args.size() ? args.at(quickAt + 1) : QStringLiteral("c");

    const QString folder = keywordsFolder();
    if (folder.isEmpty()) {
        std::printf("keywords folder not found\n");
        return 1;
    }
    QTemporaryDir temp;
    Settings settings;
    settings.HighLightNumbers = true;
    const DocumentLanguageFlags flags;

    const std::vector<Sample> samples = {
        {QStringLiteral("c"), QStringLiteral("c"), generateC},
        {QStringLiteral("html"), QStringLiteral("html"), generateHtml},
        {QStringLiteral("py"), QStringLiteral("python"), generatePython},
    };
    std::printf("%-6s %6s %12s   %-40s %-40s\n", "file", "MB", "ours (ms)", "highlight -O html", "source-highlight -f html");
    for (const Sample &sample : samples) {
        const LanguageDefinition language =
            modKeyWords::loadLanguage(folder, QStringLiteral("bench.") + sample.kind);
        for (const int megabytes : {1, 10}) {
            if (quick && (megabytes != 10 || sample.kind != quickKind))
                continue;
            const QByteArray bytes = sample.generate(qsizetype(megabytes) * 1024 * 1024);
            const QString path = temp.filePath(QStringLiteral("bench%1.%2").arg(megabytes).arg(sample.kind));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return 1;
            file.close();

            ScintillaSurface surface;
            surface.view()->resize(800, 600);
            surface.view()->show();
            surface.setTextUtf8(bytes, true);
            struct : HighlightHost {
                bool yields() const override { return true; }
                void yield() override { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
            } host;
            Highlighter highlighter(surface, settings, language, flags, &host);
            QElapsedTimer timer;
            timer.start();
            const RenderResult result = highlighter.renderDocument();
            const double ours = timer.nsecsElapsed() / 1e6;
            if (result.outcome != RenderResult::Outcome::Rendered)
                std::printf("render did not complete\n");

            const auto hl = quick ? std::nullopt : runTool(QStringLiteral("highlight"),
                                    {QStringLiteral("-O"), QStringLiteral("html"), QStringLiteral("--syntax"),
                                     sample.toolSyntax, QStringLiteral("-i"), path, QStringLiteral("-o"),
                                     path + QStringLiteral(".hl.html")});
            const auto sh = quick ? std::nullopt : runTool(QStringLiteral("source-highlight"),
                                    {QStringLiteral("-s"), sample.toolSyntax, QStringLiteral("-f"),
                                     QStringLiteral("html"), QStringLiteral("-i"), path, QStringLiteral("-o"),
                                     path + QStringLiteral(".sh.html")});
            std::printf("%-6s %6d %12.1f   %-40s %-40s\n", qPrintable(sample.kind), megabytes, ours,
                        qPrintable(formatTool(hl, ours)), qPrintable(formatTool(sh, ours)));

            if (quick) {
                // Where the time of a whole render goes.
                QElapsedTimer step;
                step.start();
                const QString text = surface.text();
                const double tText = step.nsecsElapsed() / 1e6;
                step.restart();
                RenderClock clock;
                const auto styles = language.markup ? MarkupHighlighter(language.stringChar, true).styles(text, clock)
                                                    : CodeHighlighter(language, true).styles(text, clock);
                const double tPasses = step.nsecsElapsed() / 1e6;
                step.restart();
                const HighlightFormats formats(settings, surface.defaultFormat());
                const std::vector<quint8> indices = HighlightFormats::paletteIndices(*styles);
                const double tIndices = step.nsecsElapsed() / 1e6;
                step.restart();
                surface.applyStyleBuffer(0, indices, formats.palette());
                const double tApply = step.nsecsElapsed() / 1e6;
                std::printf("text %.1f ms, passes %.1f ms, style buffer %.1f ms, apply %.1f ms\n", tText, tPasses,
                            tIndices, tApply);
            }
            if (sample.kind == QLatin1String("c") && megabytes == 10) {
                // Type a character in the middle of the document and release the key, as a user would.
                Settings liveSettings = settings;
                LiveHighlighter live(highlighter, liveSettings, language);
                std::vector<double> times;
                int caret = surface.lineIndex(surface.lineCount() / 2) + 4;
                for (int i = 0; i < 100; ++i) {
                    surface.setSelStart(caret);
                    surface.setSelText(QStringLiteral("i"));
                    ++caret;
                    QElapsedTimer keyTimer;
                    keyTimer.start();
                    live.onKeyUp(Qt::Key_I, 0);
                    times.push_back(keyTimer.nsecsElapsed() / 1e6);
                }
                const double first = times.front();
                std::sort(times.begin(), times.end());
                std::printf("one-line re-highlight after a key in the 10 MB C document: median %.3f ms, "
                            "90th percentile %.3f ms, first key %.3f ms, max %.3f ms over %zu keys\n",
                            times[times.size() / 2], times[times.size() * 9 / 10], first, times.back(),
                            times.size());
            }
        }
    }
    return 0;
}
