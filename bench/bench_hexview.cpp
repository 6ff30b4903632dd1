// Times opening the hex view on a 10 MB selection (from the selection's text to the first painted
// window) and the hex string alone, beside xxd and od dumping the same bytes from a file in the
// same run, and prints the ratios. The peers read the file from the page cache, write their dump
// to a file and include their process start. Numbers, not a test: nothing here fails on timing.
// Run with QT_QPA_PLATFORM=offscreen when no display is at hand. The string-only line keeps the
// previous result alive while building the next, so each run pays for fresh pages of 40 MB; on a
// machine with slow page faults that is most of its time.

#include "BytePane.h"
#include "HexView.h"
#include "ScintillaSurface.h"
#include "frmHEX.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

constexpr qsizetype kSize = 10 * 1024 * 1024;

void report(const char *what, double ours, const char *peerName, std::optional<double> theirs)
{
    if (!theirs) {
        std::printf("%-40s %9.1f ms   %-8s       n/a\n", what, ours, peerName);
        return;
    }
    std::printf("%-40s %9.1f ms   %-8s %9.1f ms   ratio %5.2f\n", what, ours, peerName, *theirs, ours / *theirs);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray bytes = bench::generateC(kSize, true);
    const QString text = QString::fromLatin1(bytes);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sample.c"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return 1;
    out.close();
    const QString quoted = QLatin1Char('\'') + file + QLatin1Char('\'');
    const std::optional<double> xxd = bench::peerTime(QStringLiteral("xxd ") + quoted);
    const std::optional<double> od = bench::peerTime(QStringLiteral("od -An -tx1 ") + quoted);
    std::printf("hex view of %lld bytes (%d runs, best)\n", static_cast<long long>(bytes.size()), bench::kRuns);

    QByteArray hex;
    const double stringOnly = bench::bestOf([&] {
        hex = HexView::HexString(HexView::ViewBytes(text, {}, false));
    });
    report("bytes and hex string", stringOnly, "xxd", xxd);
    report("bytes and hex string", stringOnly, "od", od);

    // The command's whole path: the selection out of the editing widget, both panes filled, the
    // window shown and painted.
    QWidget host;
    ScintillaSurface surface(&host);
    surface.setText(text);
    surface.setSelStart(0);
    surface.setSelLength(surface.textLength());
    const double open = bench::bestOf([&] {
        frmHEX window(QFont(QStringLiteral("Courier New")), nullptr);
        window.loadText(surface.selText(), {}, true);
        window.show();
        window.txtHEX->viewport()->repaint();
        QCoreApplication::processEvents();
    });
    report("open the window on the selection", open, "xxd", xxd);
    report("open the window on the selection", open, "od", od);
    std::printf("hex string %lld characters; under a second to open: %s\n", static_cast<long long>(hex.size()),
                open < 1000 ? "yes" : "no");
    return 0;
}
