#include "FileMatcher.h"
#include "FileResultsModel.h"
#include "FileSearch.h"
#include "FileIO.h"
#include "IgnoreRules.h"
#include "LanguageDefinition.h"
#include "SymbolScanner.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Found {
    int line;
    int column;
    QString text;
};

QList<Found> lines(const QByteArray &bytes, const QString &text, bool regExp = false, bool matchCase = false)
{
    FileMatcher matcher(FileQuery{text, regExp, matchCase});
    QList<Found> result;
    for (const LineHit &hit : matcher.search(bytes, true).lines)
        result << Found{hit.line, hit.column, hit.text};
    return result;
}

QString describe(const QList<Found> &found)
{
    QStringList parts;
    for (const Found &f : found)
        parts << QStringLiteral("%1:%2:%3").arg(f.line).arg(f.column).arg(f.text);
    return parts.join(QLatin1Char('|'));
}

QByteArray utf16(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class tst_FindInFiles : public QObject {
    Q_OBJECT
private slots:
    void matchesLines_data();
    void matchesLines();
    void marksEveryMatchOfALine();
    void invalidExpressionIsReported();
    void expressionPrefilter();
    void ignoreRules();
    void walksTheTreeWithItsExclusions();
    void countsWhatGrepCounts();
    void stopEndsAtOnce();
    void resultListIsGroupedAndBounded();
    void symbols_data();
    void symbols();
};

void tst_FindInFiles::matchesLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("regExp");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("expected");

    QTest::newRow("[LF lines, plain, any case]") << QByteArray("one\nTwo two\nthree") << "TWO" << false << false
                                                  << "2:1:Two two";
    QTest::newRow("[match case]") << QByteArray("one\nTwo two\nthree") << "two" << false << true << "2:5:Two two";
    QTest::newRow("[CR LF and lone CR end lines]") << QByteArray("a\r\nb\rc x\nd x") << "x" << false << false
                                                    << "3:3:c x|4:3:d x";
    QTest::newRow("[UTF-8: columns in characters]") << QByteArray("é=\"x\" é x") << "x" << false << true
                                                     << "1:4:é=\"x\" é x";
    QTest::newRow("[UTF-8 mark is not a column]") << QByteArray("\xEF\xBB\xBFxyz") << "y" << false << true << "1:2:xyz";
    QTest::newRow("[single-byte file, non-ASCII text]") << QByteArray("caf\xE9\nno") << "café" << false << true
                                                         << "1:1:café";
    QTest::newRow("[UTF-8 file, non-ASCII text any case]") << QByteArray("CAFÉ\nno") << "café" << false << false
                                                            << "1:1:CAFÉ";
    QTest::newRow("[Kelvin sign folds to k]") << QByteArray("\xE2\x84\xAA" "elvin") << "kelvin" << false << false
                                               << "1:1:\u212Aelvin";
    QTest::newRow("[UTF-16 with mark]") << utf16(QStringLiteral("first\r\nsecond näh")) << "näh" << false << false
                                         << "2:8:second näh";
    QTest::newRow("[expression, program's dialect]") << QByteArray("int f(x)\nint g\n") << "^int \\w\\(" << true
                                                      << false << "1:1:int f(x)";
    QTest::newRow("[end anchor counts its line once]") << QByteArray("ab\ncd\n") << "b|$" << true << false
                                                        << "1:2:ab|2:3:cd";
    QTest::newRow("[binary skipped]") << QByteArray("x\0x", 3) << "x" << false << false << "";
}

void tst_FindInFiles::matchesLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, regExp);
    QFETCH(bool, matchCase);
    QFETCH(QString, expected);
    QCOMPARE(describe(lines(bytes, text, regExp, matchCase)), expected);
}

void tst_FindInFiles::marksEveryMatchOfALine()
{
    FileMatcher matcher(FileQuery{QStringLiteral("ab"), false, false});
    const auto result = matcher.search(QByteArray("xAbyab\nab"), true);
    QCOMPARE(result.lines.size(), 2);
    QCOMPARE(result.lines.at(0).marks.size(), 2);
    QCOMPARE(result.lines.at(0).marks.at(1).start, 4);
    // A very long line is shown around its match, the column still the real one.
    const QByteArray longLine = QByteArray(5000, 'a') + "needle" + QByteArray(5000, 'b');
    const auto cut = FileMatcher(FileQuery{QStringLiteral("needle")}).search(longLine, true);
    QCOMPARE(cut.lines.at(0).column, 5001);
    QVERIFY(cut.lines.at(0).text.size() <= FileMatcher::MaxShownLine);
    const auto mark = cut.lines.at(0).marks.at(0);
    QCOMPARE(cut.lines.at(0).text.mid(mark.start, mark.length), QStringLiteral("needle"));
}

// Text every match must hold skips files and lines, and finds exactly what the whole-text search finds.
void tst_FindInFiles::expressionPrefilter()
{
    const QList<std::pair<const char *, const char *>> literals{
        {"struct [a-z_]+ \\*[a-z]", "struct "}, {"ab?c", "a"}, {"x(abc)+yz", "yz"}, {"ab+cd", "ab"},
        {"\\.h\\b", ".h"}, {"a|bcd", ""}, {"[]abc]def", ""}, {"(?x)a b", ""}, {"\\d+ items", " items"},
        {"caf\u00e9s", "caf"}, {"x{2}yy", "yy"}, {"[a-z]*\\*ptr", "*ptr"}};
    for (const auto &[pattern, literal] : literals)
        QCOMPARE(FileMatcher::requiredLiteral(QString::fromUtf8(pattern)), QByteArray(literal));
    for (const char *inLine : {"struct [a-z_]+ \\*[a-z]", "a.b\\w\\d\\b", "(?:ab)+[ -~]"})
        QVERIFY(FileMatcher::staysInLine(QString::fromUtf8(inLine)));
    for (const char *across : {"a\\sb", "a[^x]b", "a\\nb", "(?<=a)b", "a[\t-z]b", "a\\Wb", "(a)\\1\\12"})
        QVERIFY2(!FileMatcher::staysInLine(QString::fromUtf8(across)), across);

    // "(?:...)" hides the text from the filter: the plain whole-text search.
    const QByteArray samples[] = {
        "struct a *b;\nstatic struct foo_bar *p = 0; struct x *y\r\nno struct here\rstruct  z *q\n",
        "\xEF\xBB\xBF" "caf\xC3\xA9 STRUCT Abc *d\r\n\r\nSTRUCT K *k",
        "Latin \xE9 struct q *r\nstruct\nz *w",
        QByteArray("struct a *b\0binary", 19),
        "\xE2\x84\xAA" "elvin struct k *x\nkelvin",
    };
    for (const QString pattern : {"struct [a-z_]+ \\*[a-z]", "^struct [a-z]+", "elvin\\b", "\\*[a-z]$"}) {
        for (const bool matchCase : {true, false}) {
            for (const QByteArray &bytes : samples) {
                const QString filtered = describe(lines(bytes, pattern, true, matchCase));
                const QString whole = describe(lines(bytes, "(?:" + pattern + ")", true, matchCase));
                QVERIFY2(filtered == whole, qPrintable(pattern + ": " + filtered + " / " + whole));
            }
        }
    }
    QCOMPARE(describe(lines(samples[0], "struct [a-z_]+ \\*[a-z]", true, true)),
             "1:1:struct a *b;|2:8:static struct foo_bar *p = 0; struct x *y");
}

void tst_FindInFiles::invalidExpressionIsReported()
{
    FileMatcher matcher(FileQuery{QStringLiteral("a(b"), true, false});
    QVERIFY(matcher.error());
    QVERIFY(matcher.search(QByteArray("a(b"), true).lines.isEmpty());
    FileSearch search;
    FileSearchOptions options;
    options.query = FileQuery{QStringLiteral("a(b"), true, false};
    options.folder = QDir::tempPath();
    QCOMPARE(search.start(options), matcher.error());
    options.query.regExp = false;
    options.folder = QStringLiteral("/no/such/folder");
    QCOMPARE(search.start(options), QStringLiteral("Folder not found: /no/such/folder"));
}

void tst_FindInFiles::ignoreRules()
{
    QVERIFY(IgnoreRules::globMatch("*.o", "a.o"));
    QVERIFY(!IgnoreRules::globMatch("*.o", "d/a.o"));
    QVERIFY(IgnoreRules::globMatch("**/x/*.c", "x/a.c"));
    QVERIFY(IgnoreRules::globMatch("a/**/b", "a/1/2/b"));
    QVERIFY(IgnoreRules::globMatch("[a-c]?.txt", "bz.txt"));
    QVERIFY(!IgnoreRules::globMatch("[!a-c]?.txt", "bz.txt"));

    const auto top = IgnoreRules::parse("/r", "# comment\n*.o\n!keep.o\n/build/\ndocs/*.tmp\r\n", nullptr);
    QVERIFY(top->ignored("/r/src/a.o", false));
    QVERIFY(!top->ignored("/r/src/keep.o", false));
    QVERIFY(top->ignored("/r/build", true));
    QVERIFY(!top->ignored("/r/build", false));          // a file named build: the rule is for folders
    QVERIFY(!top->ignored("/r/src/build", true));       // anchored to the file's folder
    QVERIFY(top->ignored("/r/docs/x.tmp", false));
    QVERIFY(!top->ignored("/r/src/docs/x.tmp", false));
    // A deeper file decides before the one above it.
    const auto deeper = IgnoreRules::parse("/r/src", "!*.o\n", top);
    QVERIFY(!deeper->ignored("/r/src/a.o", false));
    QVERIFY(deeper->ignored("/r/lib/a.o", false));
}

void tst_FindInFiles::walksTheTreeWithItsExclusions()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    write(root + "/a.c", "needle\n");
    write(root + "/b.h", "x\nneedle needle\n");
    write(root + "/c.txt", "needle\n");                      // not a wanted pattern
    write(root + "/.hidden/d.c", "needle\n");                // hidden folder
    write(root + "/out/e.c", "needle\n");                    // excluded by .gitignore
    write(root + "/sub/f.c", "needle\n");
    write(root + "/sub/g.c", QByteArray("needle\0", 7));      // binary
    write(root + "/.gitignore", "out/\n");
    QVERIFY(QFile::link(root + "/a.c", root + "/sub/link.c")); // links are not followed

    FileSearchOptions options;
    options.query.text = QStringLiteral("needle");
    options.folder = root;
    options.patterns = QStringLiteral("*.c; *.h");
    QList<FileHits> hits;
    FileSearchSummary summary = FileSearch::searchAll(options, &hits);
    QStringList paths;
    for (const FileHits &file : hits)
        paths << QDir(root).relativeFilePath(file.path);
    paths.sort();
    QCOMPARE(paths, QStringList({"a.c", "b.h", "sub/f.c"}));
    QCOMPARE(summary.matchingLines, 3);
    QCOMPARE(summary.matchingFiles, 3);

    options.skipHidden = options.skipBinary = options.useGitignore = false;
    summary = FileSearch::searchAll(options);
    QCOMPARE(summary.matchingFiles, 6);

    // Started in a sub-folder of a repository, the repository's exclusions above it still hold.
    QVERIFY(QDir(root).mkdir(QStringLiteral(".git")));
    write(root + "/.gitignore", "*.h\n");
    write(root + "/sub/x.h", "needle\n");
    options.folder = root + QStringLiteral("/sub");
    options.useGitignore = true;
    hits.clear();
    FileSearch::searchAll(options, &hits);
    QCOMPARE(hits.size(), 2);   // f.c and g.c (binary files searched), not x.h
    for (const FileHits &file : hits)
        QVERIFY(file.path.endsWith(QStringLiteral(".c")));

    // The repository's own exclusions hold too, yielding to its .gitignore files; a linked work
    // tree has those of the repository it belongs to.
    const auto found = [&](const QString &folder) {
        options.folder = folder;
        hits.clear();
        FileSearch::searchAll(options, &hits);
        QStringList names;
        for (const FileHits &file : hits)
            names << QFileInfo(file.path).fileName();
        names.sort();
        return names;
    };
    write(root + "/.git/info/exclude", "# mine\n*.c\n");
    write(root + "/sub/.gitignore", "!g.c\n");
    QCOMPARE(found(root + QStringLiteral("/sub")), QStringList{"g.c"});
    QCOMPARE(found(root), QStringList{"g.c"});
    QTemporaryDir linked;
    write(linked.filePath(".git"), "gitdir: " + root.toUtf8() + "/.git/worktrees/t\n");
    write(root + "/.git/worktrees/t/commondir", "../..\n");
    write(linked.filePath("w.c"), "needle\n");
    write(linked.filePath("w.h"), "needle\n");
    QCOMPARE(found(linked.path()), QStringList{"w.h"});
}

// Many results: the list stops growing at its limit, grouped under one header per file.
void tst_FindInFiles::resultListIsGroupedAndBounded()
{
    FileResultsModel model;
    model.reset(QStringLiteral("/r"));
    LineHit hit;
    hit.line = 7;
    hit.column = 3;
    hit.text = QStringLiteral("a needle");
    hit.marks << LineHit::Mark{2, 6};
    model.append({FileHits{QStringLiteral("/r/d/a.c"), {hit, hit}}});
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("d/a.c (2)"));
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("d/a.c:7:3: a needle"));
    QCOMPARE(model.index(1, 0).data(FileResultsModel::PathRole).toString(), QStringLiteral("/r/d/a.c"));
    FileHits many{QStringLiteral("/r/b.c"), QList<LineHit>(FileResultsModel::MaxListedLines, hit)};
    model.append({many});
    QVERIFY(model.truncated());
    QCOMPARE(model.rowCount(), 3 + 1 + FileResultsModel::MaxListedLines - 2);
}

// The same count of matching lines as grep over the repository's own sources.
void tst_FindInFiles::countsWhatGrepCounts()
{
    const QString grep = QStandardPaths::findExecutable(QStringLiteral("grep"));
    if (grep.isEmpty())
        QSKIP("grep is not installed");
    const QString sources = TestSupport::sourceDir() + QStringLiteral("/src");
    for (const auto &[text, regExp] : {std::pair{QStringLiteral("return"), false}, std::pair{QStringLiteral("const"), false},
                                       std::pair{QStringLiteral("^#include"), true}}) {
        QProcess process;
        process.start(grep, {QStringLiteral("-rnI"), regExp ? QStringLiteral("-E") : QStringLiteral("-F"),
                             QStringLiteral("--include=*.cpp"), QStringLiteral("--include=*.h"), text, sources});
        QVERIFY(process.waitForFinished(60000));
        const qsizetype expected = process.readAllStandardOutput().count('\n');
        FileSearchOptions options;
        options.query = FileQuery{text, regExp, true};
        options.folder = sources;
        options.patterns = QStringLiteral("*.cpp;*.h");
        options.useGitignore = false;
        QCOMPARE(FileSearch::searchAll(options).matchingLines, expected);
    }
}

void tst_FindInFiles::stopEndsAtOnce()
{
    QTemporaryDir dir;
    for (int i = 0; i < 300; ++i)
        write(dir.path() + QStringLiteral("/f%1.txt").arg(i), QByteArray(20000, 'x') + "\nx\n");
    FileSearch search;
    QSignalSpy finished(&search, &FileSearch::finished);
    QSignalSpy found(&search, &FileSearch::found);
    FileSearchOptions options;
    options.query.text = QStringLiteral("x");
    options.folder = dir.path();
    QVERIFY(!search.start(options));
    QVERIFY(search.isRunning());
    search.stop();
    QCOMPARE(finished.size(), 1);
    QVERIFY(finished.at(0).at(0).value<FileSearchSummary>().stopped);
    const qsizetype batches = found.size();
    QTest::qWait(200);
    QCOMPARE(found.size(), batches);   // nothing arrives after Stop
    QCOMPARE(finished.size(), 1);
}

namespace {

LanguageDefinition languageOf(const QString &kw)
{
    LanguageDefinition language;
    if (kw.isEmpty())
        return language;
    language.applyLines(FileIO::readLines(TestSupport::sourceDir() + QStringLiteral("/data/keywords/") + kw));
    language.languageActive = true;
    return language;
}

} // namespace

void tst_FindInFiles::symbols_data()
{
    QTest::addColumn<QString>("kw");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("[C: definitions, not calls, comments, strings or declarations]")
        << "c.kw" << "a.c"
        << "#include <x.h>\n#define M(a) { a }\nint f(int);\nstatic const char *name(void)\n{\n"
           "    if (a) { g(\"}{\"); }\n    while (x) { }\n    return '{';\n}\n// void notme(void) {\n"
           "struct point { int x; };\nint\nmain(int argc, char **argv) {\n    return 0;\n}\n"
        << "name:4|point:11|main:13";
    QTest::newRow("[C++: class members, qualified names, namespaces]")
        << "cpp.kw" << "a.cpp"
        << "namespace n {\nclass Widget : public Base {\npublic:\n    void paint() const override { }\n};\n"
           "Widget::Widget(int a) : m(a) { }\nauto lambda = [](int x) { return x; };\n}\n"
        << "Widget:2|paint:4|Widget::Widget:6";
    QTest::newRow("[Python: def and class by their words]")
        << "python.kw" << "a.py" << "import os\nclass Shape:\n    def area(self):\n        # def hidden():\n        return {'a': 1}\n"
        << "Shape:2|area:3";
    QTest::newRow("[Markdown headings, not in code]")
        << "" << "README.md" << "# Title\ntext\n```\n# not a heading\n```\n## Part two ##\nSetext\n------\n"
        << "Title:1|Part two:6|Setext:7";
    QTest::newRow("[HTML headings]") << "html.kw" << "a.html" << "<html><h1>One</h1>\n<H2 class=x>Two &amp; <b>three</b></H2>"
                                    << "One:1|Two & three:2";
}

void tst_FindInFiles::symbols()
{
    QFETCH(QString, kw);
    QFETCH(QString, fileName);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QStringList found;
    for (const Symbol &symbol : SymbolScanner::scan(text, languageOf(kw), fileName)) {
        found << QStringLiteral("%1:%2").arg(symbol.name).arg(symbol.line);
        QCOMPARE(text.mid(symbol.offset, symbol.name.size()).isEmpty(), false);
    }
    QCOMPARE(found.join(QLatin1Char('|')), expected);
}

QTEST_MAIN(tst_FindInFiles)
#include "tst_findinfiles.moc"
