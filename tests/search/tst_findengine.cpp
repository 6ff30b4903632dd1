#include "BracketMatcher.h"
#include "FindEngine.h"
#include "LanguageDefinition.h"
#include "LineNavigation.h"
#include "MemorySurface.h"
#include "ReplaceEngine.h"
#include "SearchHost.h"
#include "Settings.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Counts what the replace engine asks of the main window.
class TestHost : public SearchHost {
public:
    explicit TestHost(QString folder) : m_folder(std::move(folder)) {}
    EditorSurface &surface() override { return m_surface; }
    Settings &settings() override { return m_settings; }
    QString appFolder() const override { return m_folder; }
    void AddHistory() override { ++snapshots; }
    bool highlightingActive() const override { return true; }
    void renderRange(int start, int length) override { rendered << qMakePair(start, length); }
    void renderDocument() override { ++wholeRenders; }
    void showHint(const QString &) override {}
    bool isMarkupLanguage() const override { return false; }
    bool isBinaryMode() const override { return false; }
    void refreshStatusBar() override {}
    void redrawGutter() override {}
    QWidget *ownerWindow() override { return nullptr; }
    QString documentPath() const override { return QStringLiteral("Untitled"); }
    const LanguageDefinition &language() const override { return m_language; }
    void openElsewhere(const QString &, Launcher::Position) override {}
    LanguageDefinition m_language;

    MemorySurface m_surface;
    Settings m_settings;
    int snapshots = 0;
    int wholeRenders = 0;
    QList<QPair<int, int>> rendered;

private:
    QString m_folder;
};

} // namespace

class TstFindEngine : public QObject {
    Q_OBJECT
    // A fresh document with its find and replace engines for every test.
    QTemporaryDir m_dir;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<FindEngine> m_find;
    std::unique_ptr<ReplaceEngine> m_replace;

    MemorySurface &surface() { return m_host->m_surface; }

private slots:
    void init()
    {
        m_host = std::make_unique<TestHost>(m_dir.path());
        m_find = std::make_unique<FindEngine>(m_host->m_surface, HistoryLists(m_dir.path()));
        m_replace = std::make_unique<ReplaceEngine>(*m_find, *m_host);
    }

    void cleanup()
    {
        m_replace.reset();
        m_find.reset();
    }

    void plainWalk_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QList<int>>("found");      // offsets of successive steps, -1 not found
        QTest::newRow("[ab ab] down from 0: 0, 3, wrap 0") << "ab ab" << 0 << 0 << "ab" << false << true << QList<int>{0, 3, 0};
        QTest::newRow("[ab ab] up from 0 wraps to the last") << "ab ab" << 0 << 0 << "ab" << false << false << QList<int>{3, 0, 3};
        QTest::newRow("[ab {ab}] up finds the first, not the selected") << "ab ab" << 3 << 2 << "ab" << false << false << QList<int>{0};
        QTest::newRow("match case misses AB") << "xx AB" << 0 << 0 << "ab" << true << true << QList<int>{-1};
    }
    void plainWalk()
    {
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, search);
        QFETCH(bool, matchCase);
        QFETCH(bool, down);
        QFETCH(QList<int>, found);
        surface().setText(text);
        surface().setSelStart(selStart);
        surface().setSelLength(selLength);
        for (int expected : found) {
            const FindOutcome outcome = m_find->FindPlain(search, matchCase, down, false);
            QCOMPARE(outcome.found, expected >= 0);
            QCOMPARE(surface().selStart(), expected < 0 ? selStart : expected);
            if (expected < 0)
                QCOMPARE(outcome.info, QStringLiteral("Search string not found!"));
            else
                QCOMPARE(surface().selLength(), search.size());
        }
        QVERIFY(HistoryLists(m_dir.path()).IsInHistory(search, HistoryLists::SearchStrings));
    }

    // The match list wraps both ways and is rebuilt only when marked dirty.
    void regExpWalk()
    {
        surface().setText(QStringLiteral("a1 a2 a3"));
        const std::pair<bool, int> steps[] = {{true, 1}, {true, 2}, {true, 3}, {true, 1}, {false, 3}, {false, 2}};
        for (const auto &[down, n] : steps) {
            QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a."), down).info, QStringLiteral("Match %1 of 3").arg(n));
            QCOMPARE(m_find->state().SearchText, QStringLiteral("a%1").arg(n));
        }
        surface().setText(QStringLiteral("a1 a2 a3 a4"));
        QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Match 3 of 3"));
        m_find->markDirty();
        QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Match 1 of 4"));
        m_find->markDirty();
        QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a."), false).info, QStringLiteral("Match 4 of 4"));
        // A stale list on a text that now matches where the old one did not must not be indexed.
        surface().setText(QStringLiteral("zz"));
        m_find->markDirty();
        QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Expression not found!"));
        surface().setText(QStringLiteral("a1"));
        QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Expression not found!"));
    }

    void invalidPatternReportsTheEngine()
    {
        surface().setText(QStringLiteral("a(b"));
        RegExp reference(QStringLiteral("a("));
        QVERIFY(!reference.isValid());
        const QString expected = reference.errorDescription() + QStringLiteral(" (5017)");
        QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a("), true).info, expected);
        QCOMPARE(m_find->FindRegExp(false, QStringLiteral("a("), true).info, expected);
        QCOMPARE(FindEngine::countInfo(FindEngine::CountRegExpMatches(surface().text(), QStringLiteral("a("), false)), expected);
        QCOMPARE(m_replace->ReplaceAll({QStringLiteral("a("), QStringLiteral("x"), false, true, true, false}).info, expected);
        QCOMPARE(surface().text(), QStringLiteral("a(b"));
        QCOMPARE(surface().selLength(), 0);
    }

    void counts()
    {
        QCOMPARE(FindEngine::CountOccurrences(QStringLiteral("aaaa"), QStringLiteral("aa"), false), 2);
        QCOMPARE(FindEngine::CountOccurrences(QStringLiteral("Ab aB ab"), QStringLiteral("ab"), true), 1);
        QCOMPARE(FindEngine::countInfo(FindEngine::CountRegExpMatches(QStringLiteral("1 22 x3 44"), QStringLiteral("\\b[0-9]+\\b"), false)),
                 QStringLiteral("3 occurences found."));
    }

    void findNextAfterRegExpLooksForTheMatchedText()
    {
        surface().setText(QStringLiteral("x1 ab x1 ab"));
        QVERIFY(!m_find->FindNextPlain());
        m_find->FindRegExp(true, QStringLiteral("x."), true);
        QVERIFY(m_find->FindNextPlain());
        QCOMPARE(surface().selStart(), 6);
        QVERIFY(m_find->FindPreviousPlain());
        QCOMPARE(surface().selStart(), 0);
    }

    void replaceAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("regExp");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("info");
        QTest::newRow("plain Aaa a->b") << "Aaa" << "a" << "b" << false << false << "bbb" << "3 items replaced.";
        QTest::newRow("plain keeps \\n literally") << "a" << "a" << "x\\ny" << false << false << "x\\ny" << "1 items replaced.";
        QTest::newRow("regexp nowhere") << "abc" << "z" << "y" << false << true << "abc" << "0 items replaced.";
        QTest::newRow("regexp $1") << "a1 b22" << "([0-9]+)" << "<$1>" << false << true << "a<1> b<22>" << "2 items replaced.";
        QTest::newRow("regexp \\r\\n") << "a;b" << ";" << "\\r\\n" << false << true << "a\r\nb" << "1 items replaced.";
    }
    void replaceAll()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(bool, matchCase);
        QFETCH(bool, regExp);
        QFETCH(QString, result);
        QFETCH(QString, info);
        surface().setText(text);
        QCOMPARE(m_replace->ReplaceAll({find, replacement, matchCase, regExp, true, false}).info, info);
        QCOMPARE(surface().text(), result);
        QCOMPARE(m_host->snapshots, 1);
        QCOMPARE(m_host->wholeRenders, text == result ? 0 : 1);
        QVERIFY(HistoryLists(m_dir.path()).IsInHistory(replacement, HistoryLists::ReplaceStrings));
    }

    void replaceStepsOn()
    {
        surface().setText(QStringLiteral("a b b"));
        const ReplaceRequest request{QStringLiteral("b"), QStringLiteral("\\n"), false, false, true, false};
        QCOMPARE(m_replace->Replace(request).found, false);   // nothing selected: nothing happens
        surface().setSelLength(1);
        // The selection is replaced whatever it holds, literally, then the next b is selected.
        QVERIFY(m_replace->Replace(request).found);
        QCOMPARE(surface().selStart(), 3);
        QCOMPARE(m_host->rendered.first(), qMakePair(0, 3));
        QVERIFY(m_replace->Replace(request).found);
        QCOMPARE(m_replace->Replace(request).info, QStringLiteral("Search string not found!"));
        QCOMPARE(surface().text(), QStringLiteral("\\n \\n \\n"));
        QCOMPARE(m_replace->Replace(request).info, QString());
        QCOMPARE(m_host->snapshots, 3);
    }

    void replaceRegExpWalksOn()
    {
        surface().setText(QStringLiteral("a1 a2 a3"));
        m_find->FindRegExp(false, QStringLiteral("a."), true);
        const ReplaceRequest request{QStringLiteral("a."), QStringLiteral("bb"), false, true, true, false};
        QCOMPARE(m_replace->Replace(request).info, QStringLiteral("Match 1 of 2"));
        QCOMPARE(m_replace->Replace(request).info, QStringLiteral("Match 1 of 1"));
        QCOMPARE(m_replace->Replace(request).info, QStringLiteral("Expression not found!"));
        QCOMPARE(surface().text(), QStringLiteral("bb bb bb"));
    }

    // Count All, Find Next and Replace All agree on one empty match per line end, never between CR and LF.
    void regexpDollarNeverSplitsCrLf()
    {
        const QString lines = QStringLiteral("int a = 1\r\nint b = 2\r\nint c = 3");
        QCOMPARE(FindEngine::countInfo(FindEngine::CountRegExpMatches(lines, QStringLiteral("$"), false)),
                 QStringLiteral("3 occurences found."));
        surface().setText(lines);
        for (const int end : {9, 20, 31, 9}) {
            QVERIFY(m_find->FindRegExp(false, QStringLiteral("$"), true).found);
            QCOMPARE(surface().selStart(), end);
        }
        QCOMPARE(m_replace->ReplaceAll({QStringLiteral("$"), QStringLiteral(";"), false, true, true, false}).info,
                 QStringLiteral("3 items replaced."));
        QCOMPARE(surface().text(), QStringLiteral("int a = 1;\r\nint b = 2;\r\nint c = 3;"));
        surface().setText(QStringLiteral("ab\r\ncd"));
        QCOMPARE(m_replace->ReplaceAll({QStringLiteral("x*"), QStringLiteral("-"), false, true, true, false}).info,
                 QStringLiteral("6 items replaced."));
        QCOMPARE(surface().text(), QStringLiteral("-a-b-\r\n-c-d-"));
    }

    // A line break that a replacement produces is the document's own; every line query counts the
    // lines the window shows, lone LF and CR of a binary document included.
    void replacedLineFeedBreaksTheLineModel()
    {
        surface().setText(QStringLiteral("one;two;three\r\nfour"));
        QCOMPARE(m_replace->ReplaceAll({QStringLiteral(";"), QStringLiteral("\\n"), false, true, true, false}).info,
                 QStringLiteral("2 items replaced."));
        QCOMPARE(surface().text(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
        QCOMPARE(LineNavigation::GotoTarget(3, 1, surface().text()), surface().lineIndex(2));

        surface().setBinaryDocument(true);
        surface().setText(QStringLiteral("a;b"));
        m_replace->ReplaceAll({QStringLiteral(";"), QStringLiteral("\\n"), false, true, true, false});
        QCOMPARE(surface().text(), QStringLiteral("a\nb"));

        const QString text = QStringLiteral("a\nbb\rc\r\n\nd");
        surface().setText(text);
        QCOMPARE(surface().lineCount(), 5);
        for (int line = 1; line <= 5; ++line)
            QCOMPARE(LineNavigation::LineStart(line, text), surface().lineIndex(line - 1));
        QCOMPARE(LineNavigation::LineStart(6, text), text.size() + 1);
        QCOMPARE(LineNavigation::GotoTarget(2, 9, text), 4);
        QCOMPARE(LineNavigation::LinesContaining(text, QStringLiteral("c"), false, false).lineNumbers, QList<int>{3});
        QCOMPARE(LineNavigation::LinesContaining(text, QStringLiteral("^$"), false, true).lineNumbers, QList<int>{4});
        QCOMPARE(LineNavigation::BookmarkedLines(text, {5, 2, 6}).texts, (QStringList{QStringLiteral("d"), QStringLiteral("bb")}));
    }

    void unescape_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("all five") << "\\\\\\r\\n\\t\\v" << "\\\r\n\t\v";
        QTest::newRow("double backslash before t") << "\\\\t" << "\\t";
        QTest::newRow("unknown sequence stays") << "\\d\\1" << "\\d\\1";
        QTest::newRow("typed code 255 becomes a backslash") << QString(QChar(0xFF)) << "\\";
    }
    void unescape()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(ReplaceEngine::UnescapeReplacement(in), out);
    }

    void gotoLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("offset");
        const QString two = QStringLiteral("ab\r\ncd");
        QTest::newRow("line 1 col 9 is the end of line 1") << two << "1" << "9" << 2;
        QTest::newRow("line 1 col 4 is not inside CR LF") << two << "1" << "4" << 2;
        QTest::newRow("last line col 9 is the end of the text") << two << "2" << "9" << 6;
        QTest::newRow("past the last line: before the last character") << "a\r\nb\r\ncd" << "9" << "1" << 7;
        QTest::newRow("negative line counts as positive") << two << "-2" << "2" << 5;
        QTest::newRow("huge numbers do not crash") << two << "1e300" << "-99999999999" << 5;
    }
    void gotoLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, line);
        QFETCH(QString, column);
        QFETCH(int, offset);
        const auto l = LineNavigation::parseNumber(line);
        QVERIFY(l);
        QCOMPARE(LineNavigation::GotoTarget(*l, LineNavigation::parseNumber(column).value_or(1), text), offset);
    }

    void lineLists()
    {
        const QString text = QStringLiteral("a\r\nline 13\r\nline 14");
        QVERIFY(LineNavigation::LinesContaining(text, QStringLiteral("LINE"), true, false).entries.isEmpty());
        QCOMPARE(LineNavigation::LinesContaining(text, QStringLiteral("^line 1[34]$"), false, true).lineNumbers,
                 (QList<int>{2, 3}));
        QVERIFY(LineNavigation::LinesContaining(text, QStringLiteral("(("), false, true).error);
        // The engine gives up on the first line (backtracking without end); the second still counts.
        const QString hard = QString(40, QLatin1Char('a')) + QStringLiteral("c\r\naa");
        QCOMPARE(LineNavigation::LinesContaining(hard, QStringLiteral("(a+)+$"), false, true).lineNumbers, QList<int>{2});
        // A bookmark past the end is skipped; the later entry keeps its own line.
        QCOMPARE(LineNavigation::BookmarkedLines(text, {40, 3}).lineNumbers, QList<int>{3});
    }

    void brackets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("outer ( to last )") << "(a(b)c)" << 0 << 6 << "";
        QTest::newRow("kinds apart") << "( [ ) ]" << 0 << 4 << "";
        QTest::newRow("plain text: nearest opening") << "ab (c)" << 0 << 3 << "";
        QTest::newRow("after the last bracket") << "(a) bc" << 4 << -1 << "Cannot find any brackets";
        QTest::newRow("unmatched ]") << "ab]" << 2 << -1 << "Cannot find any matching [";
        QTest::newRow("angle outside markup") << "<a<b>>" << 0 << 5 << "";
        QTest::newRow("curly backward nested") << "{{}{}}x" << 5 << 0 << "";
    }
    void brackets()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, target);
        QFETCH(QString, message);
        surface().setText(text);
        surface().setSelStart(caret);
        const BracketMatch match = BracketMatcher::MatchBracket(surface(), true);
        QCOMPARE(match.message, message);
        QCOMPARE(surface().selStart(), target < 0 ? caret : target);
        QCOMPARE(surface().selLength(), target < 0 ? 0 : 1);
    }

    void randomInputNeverCrashes()
    {
        QRandomGenerator rng(7);
        const QString alphabet = QStringLiteral("([{<>}])ab\r\n\\.*+?|^$01 ");
        const auto randomText = [&](int length) {
            QString s;
            for (int i = 0; i < length; ++i)
                s += alphabet.at(rng.bounded(int(alphabet.size())));
            return s;
        };
        for (int round = 0; round < 400; ++round) {
            const QString text = randomText(rng.bounded(40));
            surface().setText(text);
            surface().setSelStart(rng.bounded(text.size() + 1));
            const BracketMatch match = BracketMatcher::findMatch(text, surface().selStart());
            QVERIFY(!match.target || (*match.target >= 0 && *match.target < text.size()));
            const QString pattern = randomText(1 + rng.bounded(5));
            m_find->markDirty();
            m_find->FindRegExp(rng.bounded(2), pattern, rng.bounded(2));
            m_find->FindPlain(pattern, rng.bounded(2), rng.bounded(2), true);
            m_replace->Replace({pattern, randomText(3), false, bool(rng.bounded(2)), bool(rng.bounded(2)), true});
            LineNavigation::GotoTarget(rng.bounded(10) - 3, rng.bounded(10) - 3, surface().text());
        }
    }
};

QTEST_GUILESS_MAIN(TstFindEngine)
#include "tst_findengine.moc"
