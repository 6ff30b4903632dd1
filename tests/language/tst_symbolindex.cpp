#include "BackgroundRender.h"
#include "FileIO.h"
#include "LanguageDefinition.h"
#include "MemorySurface.h"
#include "SymbolIndex.h"
#include "SymbolScanner.h"
#include "TestSupport.h"
#include "Utf8Units.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// One stretch of code with what each kind of language defines, and what no reading may take for
// a definition (comments, strings, calls, nested blocks); numbered so repeats differ.
QString sample(int n)
{
    return QStringLiteral(
               "/* header %1\n   int notfun%1(void) { */\n#include <stdio.h>\n#define M%1(a) { a }\n"
               "// void hidden%1(void) {\nstatic int\nalpha%1(int a)\n{\n    if (a) { return beta(a); }\n"
               "    return 0;\n}\nstruct point%1 { int x; };\nclass Shape%1 {\n    void area%1() const { }\n};\n"
               "def gamma%1(x):\n    return \"{not}\"\nfunction delta%1() {\n  return 'x';\n}\nsub epsilon%1 {\n}\n"
               "zeta%1() {\n  echo hi\n}\nnamespace ns%1 {\nint inner%1(void) {\n}\n}\n"
               "# Heading %1\ntext\n```\n# not%1\n```\nSetext %1\n------\n<h2>Part %1</h2>\n")
        .arg(n);
}

LanguageDefinition languageOf(const QString &kw)
{
    LanguageDefinition language;
    if (kw.isEmpty())
        return language;
    language.applyLines(FileIO::readLines(TestSupport::sourceDir() + QStringLiteral("/data/keywords/") + kw));
    language.languageActive = true;
    return language;
}

QString describe(const QList<Symbol> &symbols)
{
    QStringList parts;
    for (const Symbol &s : symbols)
        parts << QStringLiteral("%1:%2:%3:%4:%5").arg(s.name).arg(int(s.kind)).arg(s.line).arg(s.offset).arg(s.level);
    return parts.join(QLatin1Char('|'));
}

// The first place where two lists differ, and the entries from there on; empty when they agree.
QString differences(const QList<Symbol> &actual, const QList<Symbol> &expected)
{
    const QStringList a = describe(actual).split(QLatin1Char('|'));
    const QStringList e = describe(expected).split(QLatin1Char('|'));
    qsizetype i = 0;
    while (i < a.size() && i < e.size() && a.at(i) == e.at(i))
        ++i;
    if (i == a.size() && i == e.size())
        return {};
    return QStringLiteral("at %1: %2 | expected %3").arg(i).arg(a.mid(i, 4).join(u' '), e.mid(i, 4).join(u' '));
}

// What the colouring's worker keeps for a text.
QList<Symbol> kept(const QString &text, const LanguageDefinition &language, SymbolScanner::Mode mode)
{
    BackgroundRender::Job job;
    job.utf8 = text.toUtf8();
    job.language = language;
    job.symbols = mode;
    job.pieceBytes = 512;
    // Stretches of a few lines: the reading goes on from many symbols, across the emoji too.
    job.symbolStretch = 300;
    BackgroundRender render(std::move(job));
    while (!render.done())
        render.take();
    const std::optional<SymbolReading> reading = render.symbols();
    if (!reading)
        return {{QStringLiteral("none")}};
    // Code symbols come without names: each is the text at its offset.
    QList<Symbol> symbols = reading->headings;
    for (const SymbolSpot &s : reading->spots)
        symbols << s.named(text.mid(s.offset, s.length));
    return symbols;
}

// Edits the surface as the widget does (a removal, then an insertion), telling the index each time.
void edit(MemorySurface &surface, SymbolIndex &index, int at, int removed, const QString &inserted)
{
    surface.setSelStart(at);
    surface.setSelLength(removed);
    if (removed > 0) {
        surface.setSelText(QString());
        const int line = surface.getLineFromChar(at);
        index.linesChanged(surface, line, line);
    }
    if (!inserted.isEmpty()) {
        surface.setSelText(inserted);
        index.linesChanged(surface, surface.getLineFromChar(at), surface.getLineFromChar(at + int(inserted.size())));
    }
}

} // namespace

class TestSymbolIndex : public QObject {
    Q_OBJECT

private slots:
    void colouringKeepsTheOneReadingsList_data();
    void colouringKeepsTheOneReadingsList();
};

void TestSymbolIndex::colouringKeepsTheOneReadingsList_data()
{
    QTest::addColumn<QString>("kw");
    QTest::addColumn<QString>("fileName");
    const QStringList files = QDir(TestSupport::sourceDir() + QStringLiteral("/data/keywords"))
                                  .entryList({QStringLiteral("*.kw")}, QDir::Files, QDir::Name);
    for (const QString &kw : files)
        if (!languageOf(kw).functionListText.isEmpty())
            QTest::newRow(qPrintable(kw)) << kw << QStringLiteral("a.txt");
    QTest::newRow("markdown") << QString() << QStringLiteral("README.md");
    QTest::newRow("html by name") << QStringLiteral("html.kw") << QStringLiteral("a.html");
}

// The list the colouring keeps, and keeps through edits, is the one a reading of the whole text
// gives: the same symbols, kinds, lines and places, in the same order.
void TestSymbolIndex::colouringKeepsTheOneReadingsList()
{
    QFETCH(QString, kw);
    QFETCH(QString, fileName);
    const LanguageDefinition language = languageOf(kw);
    const SymbolScanner::Mode mode = SymbolScanner::modeOf(language, fileName);
    QString text;
    for (int n = 0; n < 24; ++n)
        text += sample(n);
    const QString tail = QStringLiteral("é😀 int last(void) {\n}\n");
    text += tail;
    QCOMPARE(describe(kept(text, language, mode)), describe(SymbolScanner::scan(text, language, fileName)));
    // A long first line (minified code) gives no line to go on from within it: each symbol once.
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    oneLine += QLatin1Char('\n') + text;
    QCOMPARE(describe(kept(oneLine, language, mode)), describe(SymbolScanner::scan(oneLine, language, fileName)));

    // A reading an edit stopped goes on from before the edit's line: it gives what a new reading
    // of the edited text gives.
    if (mode == SymbolScanner::Mode::Code) {
        const QStringList inserts{"int f(void) {\n}\n", "{", "}", "/*", "*/", "\n", "\"", "def g():\n", "x", "//"};
        QRandomGenerator random(35);
        for (int round = 0; round < 40; ++round) {
            BackgroundRender::Job job;
            job.utf8 = text.toUtf8();
            job.language = language;
            job.symbols = mode;
            job.symbolStretch = 100 + random.bounded(400);
            const int lines = int(text.count(QLatin1Char('\n')));
            const int editLine = 1 + random.bounded(lines - 1);
            auto stopped = BackgroundRender::readSymbolsNow(job, editLine + random.bounded(60));
            auto *progress = std::get_if<BackgroundRender::SymbolProgress>(&stopped);
            QVERIFY(progress || std::holds_alternative<SymbolReading>(stopped));
            if (!progress)
                continue;
            std::optional<BackgroundRender::SymbolProgress> kept = progress->before(editLine - 1);
            if (!kept)
                continue;
            QVERIFY(kept->points.back().line < editLine - 1);
            qsizetype lineStart = 0;
            for (int line = 0; line < editLine; ++line)
                lineStart = text.indexOf(QLatin1Char('\n'), lineStart) + 1;
            const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), lineStart) + 1;
            const qsizetype at = lineStart + random.bounded(int(lineEnd - lineStart));
            QString changed = text;
            if (random.bounded(3) == 0)
                changed.remove(at, random.bounded(200));
            changed.insert(at, inserts.at(random.bounded(inserts.size())));
            job.utf8 = changed.toUtf8();
            const auto named = [&changed](const std::variant<SymbolReading, BackgroundRender::SymbolProgress> &read) {
                QList<Symbol> symbols;
                if (const auto *reading = std::get_if<SymbolReading>(&read))
                    for (const SymbolSpot &spot : reading->spots)
                        symbols << spot.named(changed.mid(spot.offset, spot.length));
                return symbols;
            };
            const QList<Symbol> fresh = named(BackgroundRender::readSymbolsNow(job));
            job.symbolsFrom = std::make_shared<const BackgroundRender::SymbolProgress>(std::move(*kept));
            QCOMPARE(differences(named(BackgroundRender::readSymbolsNow(job)), fresh), QString());
        }
    }

    MemorySurface surface;
    surface.setText(text);
    SymbolIndex index;
    // Far less than the text: a change reads again what is around it, not the whole.
    index.setReadLimit(text.size() / 6);
    index.set(SymbolScanner::scan(surface.text(), language, fileName), language, mode, surface);
    // A change between two symbols that tell where a reading may start keeps the list; where
    // there are none (a language that reads this sample as one open block) it may drop it.
    const QList<Symbol> all = SymbolScanner::scan(text, language, fileName);
    const bool anchored = std::count_if(all.begin(), all.end(), [&](const Symbol &s) {
        return s.scoped || !SymbolScanner::followsBraces(language, mode);
    }) >= 24 && mode != SymbolScanner::Mode::Html;
    const auto check = [&](const char *what, bool mustKeep) {
        mustKeep = mustKeep && anchored;
        const std::optional<QList<Symbol>> symbols = index.symbols(language, fileName, surface);
        if (mustKeep)
            QVERIFY2(symbols, what);
        if (symbols)
            QCOMPARE(differences(*symbols, SymbolScanner::scan(surface.text(), language, fileName)), QString());
        else
            index.set(SymbolScanner::scan(surface.text(), language, fileName), language, mode, surface);
    };
    const int middle = int(text.indexOf(QStringLiteral("static int\nalpha12")));
    edit(surface, index, middle, 0, QStringLiteral("int inserted(void)\n{\n}\ndef added(y):\n# Added\n"));
    check("insert a function", true);
    const QString gone = QStringLiteral("struct point5 { int x; };\nclass Shape5 {\n    void area5() const { }\n};\n");
    edit(surface, index, int(surface.text().indexOf(gone)), int(gone.size()), QString());
    check("delete a class", true);
    edit(surface, index, int(surface.text().indexOf(QStringLiteral("function delta7"))), 0, QStringLiteral("x"));
    check("rename a function", true);
    // Changes whose effect runs on past the next definition: a comment or a block left open.
    for (const QString &opener : {QStringLiteral("/*"), QStringLiteral("{"), QStringLiteral("```\n")}) {
        const int at = int(surface.text().indexOf(QStringLiteral("namespace ns3")));
        edit(surface, index, at, 0, opener);
        check("open", false);
        edit(surface, index, at, int(opener.size()), QString());
        check("close", false);
    }
    // Typing anywhere, a few changes at a time before the list is asked for: it equals a new reading.
    const QStringList pieces{"{", "}", "(", ")", "/*", "*/", "\n", "\r\n", "int f(void) {\n", "\"", "'", "def g():\n",
                             ";", "x", " ", "#", "# T\n", "struct s ", "=", "<h1>", "</h1>", "//", "```"};
    QRandomGenerator random(34);
    for (int round = 0; round < 150; ++round) {
        for (int changes = 1 + random.bounded(3); changes > 0; --changes) {
            const int at = random.bounded(surface.textLength() + 1);
            const int removed = random.bounded(3) == 0 ? std::min(random.bounded(40), surface.textLength() - at) : 0;
            edit(surface, index, at, removed, random.bounded(4) == 0 ? QString() : pieces.at(random.bounded(pieces.size())));
        }
        check("typing", false);
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_MAIN(TestSymbolIndex)
#include "tst_symbolindex.moc"
