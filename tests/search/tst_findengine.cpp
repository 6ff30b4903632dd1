#include "BracketMatcher.h"
#include "Bookmarks.h"
#include "FindEngine.h"
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
    void showHint(const QString &text) override { hints << text; }
    bool isMarkupLanguage() const override { return false; }
    bool isBinaryMode() const override { return false; }
    void refreshStatusBar() override {}
    void redrawGutter() override {}
    QWidget *ownerWindow() override { return nullptr; }

    MemorySurface m_surface;
    Settings m_settings;
    int snapshots = 0;
    int wholeRenders = 0;
    QList<QPair<int, int>> rendered;
    QStringList hints;

private:
    QString m_folder;
};

} // namespace

class TstFindEngine : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
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
        QTest::newRow("case-insensitive finds AB") << "xx AB" << 0 << 0 << "ab" << false << true << QList<int>{3};
        QTest::newRow("match case misses AB") << "xx AB" << 0 << 0 << "ab" << true << true << QList<int>{-1};
        QTest::newRow("empty document") << "" << 0 << 0 << "ab" << false << true << QList<int>{-1};
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
        MemorySurface surface;
        surface.setText(text);
        surface.setSelStart(selStart);
        surface.setSelLength(selLength);
        FindEngine engine(surface, HistoryLists(m_dir.path()));
        for (int expected : found) {
            const FindOutcome outcome = engine.FindPlain(search, matchCase, down, false);
            QCOMPARE(outcome.found, expected >= 0);
            if (expected < 0) {
                QCOMPARE(outcome.info, QStringLiteral("Search string not found!"));
                QCOMPARE(surface.selStart(), selStart);
            } else {
                QCOMPARE(surface.selStart(), expected);
                QCOMPARE(surface.selLength(), search.size());
                QCOMPARE(engine.state().SearchBackwards, !down);
            }
        }
        QVERIFY(HistoryLists(m_dir.path()).IsInHistory(search, HistoryLists::SearchStrings));
    }

    void regExpWalk_data()
    {
        QTest::addColumn<QList<bool>>("steps");     // true Down, false Up
        QTest::addColumn<QStringList>("infos");
        QTest::newRow("down wraps") << QList<bool>{true, true, true, true}
                                    << QStringList{"Match 1 of 3", "Match 2 of 3", "Match 3 of 3", "Match 1 of 3"};
        QTest::newRow("up after match 2") << QList<bool>{true, true, false, false}
                                          << QStringList{"Match 1 of 3", "Match 2 of 3", "Match 1 of 3", "Match 3 of 3"};
        QTest::newRow("first up is the last") << QList<bool>{false, false, true}
                                              << QStringList{"Match 3 of 3", "Match 2 of 3", "Match 3 of 3"};
    }
    void regExpWalk()
    {
        QFETCH(QList<bool>, steps);
        QFETCH(QStringList, infos);
        MemorySurface surface;
        surface.setText(QStringLiteral("a1 a2 a3"));
        FindEngine engine(surface, HistoryLists(m_dir.path()));
        for (int i = 0; i < steps.size(); ++i) {
            const FindOutcome outcome = engine.FindRegExp(false, QStringLiteral("a."), steps.at(i));
            QCOMPARE(outcome.info, infos.at(i));
            const int n = infos.at(i).mid(6, 1).toInt();
            QCOMPARE(surface.selStart(), (n - 1) * 3);
            QCOMPARE(engine.state().SearchText, QStringLiteral("a%1").arg(n));
        }
    }

    void regExpRebuildsOnlyWhenDirty()
    {
        MemorySurface surface;
        surface.setText(QStringLiteral("a1 a2 a3"));
        FindEngine engine(surface, HistoryLists(m_dir.path()));
        engine.FindRegExp(false, QStringLiteral("a."), true);
        engine.FindRegExp(false, QStringLiteral("a."), true);
        surface.setText(QStringLiteral("a1 a2 a3 a4"));
        QCOMPARE(engine.FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Match 3 of 3"));
        engine.markDirty();
        QCOMPARE(engine.FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Match 1 of 4"));
        engine.markDirty();
        QCOMPARE(engine.FindRegExp(false, QStringLiteral("a."), false).info, QStringLiteral("Match 4 of 4"));
        // A stale list on a text that now matches where the old one did not must not be indexed.
        surface.setText(QStringLiteral("zz"));
        engine.markDirty();
        QCOMPARE(engine.FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Expression not found!"));
        surface.setText(QStringLiteral("a1"));
        QCOMPARE(engine.FindRegExp(false, QStringLiteral("a."), true).info, QStringLiteral("Expression not found!"));
    }

    void invalidPatternReportsTheEngine()
    {
        MemorySurface surface;
        surface.setText(QStringLiteral("a(b"));
        FindEngine engine(surface, HistoryLists(m_dir.path()));
        RegExp reference(QStringLiteral("a("));
        QVERIFY(!reference.isValid());
        const QString expected = reference.errorDescription() + QStringLiteral(" (5017)");
        QCOMPARE(engine.FindRegExp(false, QStringLiteral("a("), true).info, expected);
        QCOMPARE(engine.FindRegExp(false, QStringLiteral("a("), true).info, expected);
        QCOMPARE(FindEngine::countInfo(FindEngine::CountRegExpMatches(surface.text(), QStringLiteral("a("), false)), expected);
        QCOMPARE(surface.selLength(), 0);
    }

    void counts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("regExp");
        QTest::addColumn<QString>("info");
        QTest::newRow("aa in aaaa, non-overlapping") << "aaaa" << "aa" << false << false << "2 occurences found.";
        QTest::newRow("case-insensitive") << "Ab aB ab" << "ab" << false << false << "3 occurences found.";
        QTest::newRow("match case") << "Ab aB ab" << "ab" << true << false << "1 occurences found.";
        QTest::newRow("regexp numbers") << "1 22 x3 44" << "\\b[0-9]+\\b" << false << true << "3 occurences found.";
        QTest::newRow("regexp nowhere") << "abc" << "z+" << false << true << "0 occurences found.";
    }
    void counts()
    {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(bool, matchCase);
        QFETCH(bool, regExp);
        QFETCH(QString, info);
        const QString got = regExp ? FindEngine::countInfo(FindEngine::CountRegExpMatches(text, search, matchCase))
                                   : QString::number(FindEngine::CountOccurrences(text, search, matchCase))
                + QStringLiteral(" occurences found.");
        QCOMPARE(got, info);
    }

    void mainWindowFindNextAndPrevious()
    {
        MemorySurface surface;
        surface.setText(QStringLiteral("x1 ab x1 ab"));
        FindEngine engine(surface, HistoryLists(m_dir.path()));
        QVERIFY(!engine.FindNextPlain());
        // After a regular-expression step F3 looks for the literal text of the match.
        engine.FindRegExp(true, QStringLiteral("x."), true);
        QCOMPARE(engine.state().SearchText, QStringLiteral("x1"));
        QVERIFY(engine.FindNextPlain());
        QCOMPARE(surface.selStart(), 6);
        QVERIFY(engine.FindNextPlain());
        QCOMPARE(surface.selStart(), 0);
        QVERIFY(engine.FindPreviousPlain());
        QCOMPARE(surface.selStart(), 6);
        QVERIFY(engine.FindPreviousPlain());
        QCOMPARE(surface.selStart(), 0);
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
        QTest::newRow("plain Aaa a->b match case") << "Aaa" << "a" << "b" << true << false << "Abb" << "2 items replaced.";
        QTest::newRow("plain keeps \\n literally") << "a" << "a" << "x\\ny" << false << false << "x\\ny" << "1 items replaced.";
        QTest::newRow("regexp x\\\\ty gives one backslash") << "a" << "a" << "x\\\\ty" << false << true << "x\\ty" << "1 items replaced.";
        QTest::newRow("regexp x\\ty gives a tab") << "a" << "a" << "x\\ty" << false << true << "x\ty" << "1 items replaced.";
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
        TestHost host(m_dir.path());
        host.m_surface.setText(text);
        FindEngine engine(host.m_surface, HistoryLists(m_dir.path()));
        ReplaceEngine replacer(engine, host);
        const FindOutcome outcome = replacer.ReplaceAll({find, replacement, matchCase, regExp, true, false});
        QCOMPARE(host.m_surface.text(), result);
        QCOMPARE(outcome.info, info);
        QCOMPARE(host.snapshots, 1);
        QCOMPARE(host.wholeRenders, text == result ? 0 : 1);
        QVERIFY(HistoryLists(m_dir.path()).IsInHistory(replacement, HistoryLists::ReplaceStrings));
    }

    void replaceAllInvalidPatternLeavesText()
    {
        TestHost host(m_dir.path());
        host.m_surface.setText(QStringLiteral("a(b"));
        FindEngine engine(host.m_surface, HistoryLists(m_dir.path()));
        ReplaceEngine replacer(engine, host);
        const FindOutcome outcome = replacer.ReplaceAll({QStringLiteral("("), QStringLiteral("x"), false, true, true, false});
        QCOMPARE(host.m_surface.text(), QStringLiteral("a(b"));
        QVERIFY(outcome.info.endsWith(QStringLiteral(" (5017)")));
    }

    void replaceStepsOn()
    {
        TestHost host(m_dir.path());
        EditorSurface &surface = host.m_surface;
        surface.setText(QStringLiteral("a b b"));
        FindEngine engine(surface, HistoryLists(m_dir.path()));
        ReplaceEngine replacer(engine, host);
        const ReplaceRequest request{QStringLiteral("b"), QStringLiteral("\\n"), false, false, true, false};
        QCOMPARE(replacer.Replace(request).found, false);   // nothing selected: nothing happens
        QCOMPARE(host.snapshots, 0);
        surface.setSelStart(0);
        surface.setSelLength(1);
        // The selection is replaced whatever it holds, literally, then the next b is selected.
        QVERIFY(replacer.Replace(request).found);
        QCOMPARE(surface.text(), QStringLiteral("\\n b b"));
        QCOMPARE(surface.selStart(), 3);
        QCOMPARE(host.rendered.first(), qMakePair(0, 3));
        QVERIFY(replacer.Replace(request).found);
        QCOMPARE(replacer.Replace(request).info, QStringLiteral("Search string not found!"));
        QCOMPARE(surface.text(), QStringLiteral("\\n \\n \\n"));
        QCOMPARE(replacer.Replace(request).info, QString());
        QCOMPARE(host.snapshots, 3);
    }

    void replaceRegExpWalksOn()
    {
        TestHost host(m_dir.path());
        EditorSurface &surface = host.m_surface;
        surface.setText(QStringLiteral("a1 a2 a3"));
        FindEngine engine(surface, HistoryLists(m_dir.path()));
        ReplaceEngine replacer(engine, host);
        engine.FindRegExp(false, QStringLiteral("a."), true);
        const ReplaceRequest request{QStringLiteral("a."), QStringLiteral("bb"), false, true, true, false};
        QCOMPARE(replacer.Replace(request).info, QStringLiteral("Match 1 of 2"));
        QCOMPARE(surface.selStart(), 3);
        QCOMPARE(replacer.Replace(request).info, QStringLiteral("Match 1 of 1"));
        QCOMPARE(replacer.Replace(request).info, QStringLiteral("Expression not found!"));
        QCOMPARE(surface.text(), QStringLiteral("bb bb bb"));
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
        QTest::newRow("line 2 col 1") << two << "2" << "1" << 4;
        QTest::newRow("line 1 col 1") << two << "1" << "1" << 0;
        QTest::newRow("line 1 col 9 is the end of line 1") << two << "1" << "9" << 2;
        QTest::newRow("line 1 col 4 is not inside CR LF") << two << "1" << "4" << 2;
        QTest::newRow("past the last line: before the last character") << "a\r\nb\r\ncd" << "9" << "1" << 7;
        QTest::newRow("negative line counts as positive") << two << "-2" << "2" << 5;
        QTest::newRow("fraction rounds") << two << "1.6" << "1" << 4;
        QTest::newRow("huge numbers do not crash") << two << "1e300" << "-99999999999" << 5;
        QTest::newRow("line 0") << two << "0" << "1" << 0;
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

    void bookmarksWalkInTheOrderSet()
    {
        Bookmarks marks;
        QVERIFY(!marks.next());
        QCOMPARE(marks.toggle(5), QStringLiteral("Bookmark Set at Line 5"));
        QCOMPARE(marks.toggle(2), QStringLiteral("Bookmark Set at Line 2"));
        QCOMPARE(marks.next(), 5);
        QCOMPARE(marks.next(), 2);
        QCOMPARE(marks.previous(), 5);
        QCOMPARE(marks.previous(), 2);
        QCOMPARE(marks.toggle(5), QStringLiteral("Bookmark Removed at Line 5"));
        QVERIFY(!marks.isBookmarked(5));
        QCOMPARE(marks.next(), 2);
        marks.clear();
        QVERIFY(!marks.previous());
    }

    void lineLists()
    {
        QStringList lines;
        for (int i = 1; i <= 14; ++i)
            lines << (i == 12 ? QStringLiteral("  \tFind me here  ") : QStringLiteral("line %1").arg(i));
        const QString text = lines.join(QStringLiteral("\r\n"));
        const auto found = LineNavigation::LinesContaining(text, QStringLiteral("FIND"), false, false);
        QCOMPARE(found.entries, QStringList{QStringLiteral("12\tFind me here")});
        QCOMPARE(LineNavigation::clipboardText(found), lines.at(11) + QStringLiteral("\r\n"));
        QVERIFY(LineNavigation::LinesContaining(text, QStringLiteral("FIND"), true, false).entries.isEmpty());
        QCOMPARE(LineNavigation::LinesContaining(text, QStringLiteral("^line 1[34]$"), false, true).lineNumbers,
                 (QList<int>{13, 14}));
        QVERIFY(LineNavigation::LinesContaining(text, QStringLiteral("(("), false, true).error);
        // A bookmark past the end is skipped; the later entry keeps its own line.
        const auto marked = LineNavigation::BookmarkedLines(text, {40, 3});
        QCOMPARE(marked.lineNumbers, QList<int>{3});
        QCOMPARE(LineNavigation::LineStart(3, text), 16);
    }

    void brackets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("outer ( to last )") << "(a(b)c)" << 0 << 6 << "";
        QTest::newRow("inner ( to ) after b") << "(a(b)c)" << 2 << 4 << "";
        QTest::newRow("last ) back to 0") << "(a(b)c)" << 6 << 0 << "";
        QTest::newRow("kinds apart") << "( [ ) ]" << 0 << 4 << "";
        QTest::newRow("plain text: nearest opening") << "ab (c)" << 0 << 3 << "";
        QTest::newRow("after the last bracket") << "(a) bc" << 4 << -1 << "Cannot find any brackets";
        QTest::newRow(") at 0 selects itself") << ")ab" << 0 << 0 << "";
        QTest::newRow("unmatched (") << "(ab" << 0 << -1 << "Cannot find any matching )";
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
        MemorySurface surface;
        surface.setText(text);
        surface.setSelStart(caret);
        const BracketMatch match = BracketMatcher::MatchBracket(surface, true);
        QCOMPARE(match.target.value_or(-1), target);
        QCOMPARE(match.message, message);
        QCOMPARE(surface.selStart(), target < 0 ? caret : target);
        QCOMPARE(surface.selLength(), target < 0 ? 0 : 1);
    }

    void markerCharacters()
    {
        QCOMPARE(BracketMatcher::markerCharacter(u'(', false), QChar(u')'));
        QCOMPARE(BracketMatcher::markerCharacter(u'}', false), QChar(u'{'));
        QVERIFY(!BracketMatcher::markerCharacter(u'<', false));
        QCOMPARE(BracketMatcher::markerCharacter(u'>', true), QChar(u'<'));
        QVERIFY(!BracketMatcher::markerCharacter(u'a', true));
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
        TestHost host(m_dir.path());
        FindEngine engine(host.m_surface, HistoryLists(m_dir.path()));
        ReplaceEngine replacer(engine, host);
        for (int round = 0; round < 400; ++round) {
            const QString text = randomText(rng.bounded(40));
            host.m_surface.setText(text);
            host.m_surface.setSelStart(rng.bounded(text.size() + 1));
            const BracketMatch match = BracketMatcher::findMatch(text, host.m_surface.selStart());
            QVERIFY(!match.target || (*match.target >= 0 && *match.target < text.size()));
            const QString pattern = randomText(1 + rng.bounded(5));
            engine.markDirty();
            engine.FindRegExp(rng.bounded(2), pattern, rng.bounded(2));
            engine.FindPlain(pattern, rng.bounded(2), rng.bounded(2), true);
            replacer.Replace({pattern, randomText(3), false, bool(rng.bounded(2)), bool(rng.bounded(2)), true});
            LineNavigation::GotoTarget(rng.bounded(10) - 3, rng.bounded(10) - 3, host.m_surface.text());
        }
    }
};

QTEST_GUILESS_MAIN(TstFindEngine)
#include "tst_findengine.moc"
