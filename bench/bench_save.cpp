// Saving speed: WriteDocument of a 50 MB generated C source loaded into the real editor, beside
// `cp` of the same file, with the save split into its steps to show where the time goes.
#include "TextCodec.h"
#include "FileIO.h"
#include "frmMain.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Types a character at the end and deletes it: the text is as before, but anything cached from it
// is not, as after any real edit.
void touch(EditorSurface &surface)
{
    surface.setSelStart(surface.textLength());
    surface.setSelLength(0);
    surface.setSelText(QStringLiteral("x"));
    surface.setSelStart(surface.textLength() - 1);
    surface.setSelLength(1);
    surface.setSelText(QString());
}

// The best of a few runs, each after an edit so nothing cached from the text is reused.
double bestEditedMs(EditorSurface &surface, const std::function<void()> &work)
{
    double best = 1e300;
    for (int run = 0; run < bench::kRuns; ++run) {
        touch(surface);
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    QTemporaryDir appFolder;
    constexpr qint64 size = qint64(50) * 1024 * 1024;
    std::printf("best of %d runs, 50 MB, target for WriteDocument: 500 ms\n", bench::kRuns);
    std::printf("%-6s %12s %10s %8s %10s %10s %10s %12s %12s %8s\n", "ends", "WriteDocument", "cp", "ratio", "text()",
                "encode", "write", "fingerprint", "textUtf8()", "verdict");
    for (const bool crlf : {false, true}) {
        const QString source = dir.filePath(crlf ? QStringLiteral("crlf.c") : QStringLiteral("lf.c"));
        const QString saved = dir.filePath(crlf ? QStringLiteral("crlf-saved.c") : QStringLiteral("lf-saved.c"));
        const QString copied = dir.filePath(crlf ? QStringLiteral("crlf-cp.c") : QStringLiteral("lf-cp.c"));
        const QByteArray original = bench::generateC(size, crlf);
        {
            QFile file(source);
            if (!file.open(QIODevice::WriteOnly) || file.write(original) != original.size()) {
                std::printf("cannot write %s\n", qPrintable(source));
                return 1;
            }
        }

        frmMain window(appFolder.path());
        window.settings().OpenFileInThirdPartyEditor = false;
        window.ReadFile(source, true);

        const double writeMs = bestEditedMs(window.surface(), [&] { window.WriteDocument(saved); });
        const bool same = FileIO::readAll(saved).value_or(QByteArray()) == original;

        const double cpMs = bench::bestOf([&] {
            QProcess cp;
            cp.start(QStringLiteral("cp"), {source, copied});
            cp.waitForFinished(60000);
        });

        QString text;
        const double textMs = bestEditedMs(window.surface(), [&] { text = window.surface().text(); });
        QByteArray bytes;
        const double encodeMs = bench::bestOf([&] {
            bytes = encodeDocument(text, TextEncoding::SingleByte, false, !crlf).value_or(QByteArray());
        });
        const double fileMs = bench::bestOf([&] { FileIO::writeAtomically(copied, bytes); });
        const double fingerprintMs = bench::bestOf([&] { window.surface().fingerprint(); });
        const double rawMs = bench::bestOf([&] { bytes = window.surface().textUtf8(); });

        std::printf("%-6s %10.1fms %8.1fms %8.1f %8.1fms %8.1fms %8.1fms %10.1fms %10.1fms %8s%s\n",
                    crlf ? "CR LF" : "LF", writeMs, cpMs, writeMs / std::max(cpMs, 0.001), textMs, encodeMs, fileMs,
                    fingerprintMs, rawMs,
                    writeMs < 500 ? "met" : "missed", same ? "" : "  (saved bytes differ from the file!)");
    }
    std::printf("text(): the widget's text as a QString; encode: encodeDocument of that text; "
                "write: FileIO::writeAtomically of the encoded bytes; fingerprint: the saved-state mark WriteDocument takes; "
                "textUtf8(): the widget's own bytes, for comparison; each WriteDocument and text() after an edit\n");
    return 0;
}
