// Times the text transformations on 10 MB texts beside the Debian tools that do the same job, in the
// same run, and prints the ratios. Ours run on the text in memory (as the editor holds it); the peers
// read and write files in the page cache and include their process start. Numbers, not a test.
// A result above 32 MB (URL encoding of 10 MB) is a fresh mmap from glibc every time, so on a machine
// with slow page faults it costs mostly first-touch faults; MALLOC_MMAP_THRESHOLD_ shows the difference.

#include "Encoders.h"
#include "LineSort.h"
#include "TextStatistics.h"
#include "TextTransforms.h"
#include "clsWordCount.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

const char *const kWords[] = {"alpha", "Beta", "gamma", "DELTA", "epsilon", "zeta", "Eta", "theta", "iota",
                              "kappa", "lambda", "Mu", "nu", "xi", "omicron", "pi", "rho", "sigma", "tau",
                              "upsilon", "phi", "chi", "psi", "omega", "int", "return", "if", "else", "for",
                              "while", "x", "y", "42", "3.14", "{", "}", "(", ");", "//", "=", "+", "<b>"};

QString randomWord(QRandomGenerator &rng)
{
    return QString::fromLatin1(kWords[rng.bounded(int(std::size(kWords)))]);
}

// About `bytes` characters of program-like lines with CR LF ends, some indented with tabs and some with
// trailing blanks.
QString makeText(qsizetype bytes, QRandomGenerator &rng)
{
    QString text;
    text.reserve(bytes + 200);
    while (text.size() < bytes) {
        const int indent = rng.bounded(4);
        for (int i = 0; i < indent; ++i)
            text += rng.bounded(2) ? QStringLiteral("\t") : QStringLiteral("    ");
        const int words = 3 + rng.bounded(12);
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                text += u' ';
            text += randomWord(rng);
        }
        if (rng.bounded(4) == 0)
            text += rng.bounded(2) ? QStringLiteral("  ") : QStringLiteral(" \t");
        text += QStringLiteral("\r\n");
    }
    return text;
}

QString makeSortLines(int count, QRandomGenerator &rng)
{
    QString text;
    text.reserve(qsizetype(count) * 24);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += QStringLiteral("\r\n");
        const int words = 1 + rng.bounded(3);
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                text += u' ';
            text += randomWord(rng);
        }
        text += QString::number(rng.bounded(100000));
    }
    return text;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray unixLines(const QString &text)
{
    QString lf = text;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lf.toLatin1();
}

void report(const char *what, double ours, const QString &peerName, std::optional<double> peer)
{
    if (peer) {
        std::printf("%-30s ours %9.1f ms   %-38s %9.1f ms   ours/peer %5.2f\n", what, ours, qPrintable(peerName),
                    *peer, ours / *peer);
    } else {
        std::printf("%-30s ours %9.1f ms   %-38s       n/a\n", what, ours, qPrintable(peerName));
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 0;
    }
    const auto path = [&dir](const char *name) { return dir.filePath(QString::fromLatin1(name)); };

    QRandomGenerator rng(20240601);
    const QString text = makeText(10 * 1000 * 1000, rng);
    const QString sortText = makeSortLines(1000 * 1000, rng);
    writeBytes(path("text.txt"), text.toLatin1());
    writeBytes(path("text-lf.txt"), unixLines(text));
    writeBytes(path("sort-lf.txt"), unixLines(sortText));
    std::printf("text: %lld characters, %lld lines; sort input: 1000000 lines, %lld characters; locale %s\n\n",
                qlonglong(text.size()), qlonglong(text.count(u'\n')), qlonglong(sortText.size()),
                qPrintable(QLocale().name()));

    const auto single = TextEncoding::SingleByte;
    const auto utf8 = TextEncoding::Utf8;
    QString encoded;
    report("Base64 encode (single-byte)", bench::bestOf([&] { encoded = Encoders::Base64Encode(text, single); }),
           "base64 text.txt", bench::peerTime(QStringLiteral("base64 '%1' > '%2'").arg(path("text.txt"), path("b64.txt"))));
    report("Base64 encode (UTF-8)", bench::bestOf([&] { encoded = Encoders::Base64Encode(text, utf8); }),
           "base64 text.txt", bench::peerTime(QStringLiteral("base64 '%1' > '%2'").arg(path("text.txt"), path("b64.txt"))));
    QString decoded;
    report("Base64 decode (single-byte)", bench::bestOf([&] { decoded = Encoders::Base64Decode(encoded, single); }),
           "base64 -d", bench::peerTime(QStringLiteral("base64 -d '%1' > '%2'").arg(path("b64.txt"), path("back.txt"))));
    report("Base64 decode (UTF-8)", bench::bestOf([&] { decoded = Encoders::Base64Decode(encoded, utf8); }), "base64 -d",
           bench::peerTime(QStringLiteral("base64 -d '%1' > '%2'").arg(path("b64.txt"), path("back.txt"))));
    if (decoded != text)
        std::printf("  (Base64 round trip differs!)\n");

    QString url;
    report("URL encode", bench::bestOf([&] { url = Encoders::URLEncode(text); }), "base64 text.txt (for scale)",
           bench::peerTime(QStringLiteral("base64 '%1' > '%2'").arg(path("text.txt"), path("b64.txt"))));
    report("URL decode (UTF-8)", bench::bestOf([&] { decoded = Encoders::URLDecode(url, utf8); }),
           "base64 -d (for scale)",
           bench::peerTime(QStringLiteral("base64 -d '%1' > '%2'").arg(path("b64.txt"), path("back.txt"))));

    QString sorted;
    report("Sort 1,000,000 lines", bench::bestOf([&] { sorted = LineSort::SortLines(sortText, LineSort::SortOrder::Ascending); }),
           "LC_ALL=C.UTF-8 sort -f",
           bench::peerTime(QStringLiteral("LC_ALL=C.UTF-8 sort -f '%1' > '%2'").arg(path("sort-lf.txt"), path("sorted.txt"))));
    report("Sort 1,000,000 lines (en_US)",
           bench::bestOf([&] { sorted = LineSort::SortLines(sortText, LineSort::SortOrder::Ascending, QLocale("en_US")); }),
           "sort -f (default locale)",
           bench::peerTime(QStringLiteral("sort -f '%1' > '%2'").arg(path("sort-lf.txt"), path("sorted.txt"))));

    qsizetype words = 0;
    report("Word count", bench::bestOf([&] { words = clsWordCount().WordCount(text); }), "wc -w",
           bench::peerTime(QStringLiteral("wc -w '%1' > '%2'").arg(path("text.txt"), path("wc.txt"))));
    report("Word count box figures", bench::bestOf([&] { words = TextStatistics::Measure(text).words; }), "wc -lwm",
           bench::peerTime(QStringLiteral("wc -lwm '%1' > '%2'").arg(path("text.txt"), path("wc.txt"))));

    QString changed;
    report("Trim trailing blanks", bench::bestOf([&] { changed = TextTransforms::TrimTrailingBlanks(text); }),
           "sed -E 's/[ \\t]+$//'",
           bench::peerTime(QStringLiteral("sed -E 's/[ \\t]+$//' '%1' > '%2'").arg(path("text-lf.txt"), path("sed.txt"))));
    report("Tabs to spaces", bench::bestOf([&] { changed = TextTransforms::TabsToSpaces(text, 4); }), "sed 's/\\t/    /g'",
           bench::peerTime(QStringLiteral("sed 's/\\t/    /g' '%1' > '%2'").arg(path("text.txt"), path("sed.txt"))));
    report("Spaces to tabs", bench::bestOf([&] { changed = TextTransforms::SpacesToTabs(text, 4); }), "sed 's/    /\\t/g'",
           bench::peerTime(QStringLiteral("sed 's/    /\\t/g' '%1' > '%2'").arg(path("text.txt"), path("sed.txt"))));
    report("Add indents", bench::bestOf([&] { changed = TextTransforms::AddIndentToLines(text, u"\t"); }), "sed 's/^/\\t/'",
           bench::peerTime(QStringLiteral("sed 's/^/\\t/' '%1' > '%2'").arg(path("text.txt"), path("sed.txt"))));
    std::printf("\n(%lld words)\n", qlonglong(words));
    return 0;
}
