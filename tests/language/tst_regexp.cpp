#include "RegExp.h"

#include <QtTest>

class TestRegExp : public QObject {
    Q_OBJECT

private slots:
    void execute_data();
    void execute();
    void replace_data();
    void replace();
    void invalidPattern();
    void flagsChangeRecompiles();
    void loneSurrogateSubject();
    void randomPatternsNeverHang();
    void indexFindsEveryMatchAgain();
    void deepBacktrackingFindsOrFailsClearly();
    void regexpDollarNeverSplitsCrLf_data();
    void regexpDollarNeverSplitsCrLf();
};

// Matches are written "index:value" joined by "|".
static QString render(const QList<RegExp::Match> &matches)
{
    QStringList parts;
    for (const auto &m : matches) {
        if (m.Value.size() != m.Length)
            return QStringLiteral("length mismatch");
        parts << QStringLiteral("%1:%2").arg(m.FirstIndex).arg(m.Value);
    }
    return parts.join(QLatin1Char('|'));
}

void TestRegExp::execute_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("expected");

    QTest::newRow("word boundary is ascii") << "\\bx\\b" << false << false << QString::fromUtf8("éx x")
                                            << "1:x|3:x";
    QTest::newRow("\\w is ascii") << "\\w+" << false << false << QString::fromUtf8("aé_1") << "0:a|2:_1";
    QTest::newRow("dot stops at CR") << "a.*" << false << false << "ab\rcd" << "0:ab";
    QTest::newRow("[\\s\\S] crosses lines") << "<!--[\\s\\S]*?-->" << false << false << "<!--a\r\nb-->"
                                             << "0:<!--a\r\nb-->";
    QTest::newRow("multiline $ before CR LF") << "//.*$" << false << true << "x // one\r\ny // two\r\n"
                                              << "2:// one|12:// two";
    QTest::newRow("multiline ^ after CR LF") << "^\\w" << false << true << "ab\r\ncd\ref\ngh"
                                             << "0:a|4:c|7:e|10:g";
    QTest::newRow("no multiline: $ only at very end") << "b$" << false << false << "ab\n" << "";
    QTest::newRow("empty matches step by one") << "x*" << false << false << "axxb" << "0:|1:xx|3:|4:";
    QTest::newRow("empty match after astral") << "(?=b)|$" << false << false << QString::fromUtf8("😀b")
                                              << "2:|3:";
}

void TestRegExp::execute()
{
    QFETCH(QString, pattern);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, multiLine);
    QFETCH(QString, subject);
    QFETCH(QString, expected);

    RegExp re(pattern);
    re.setIgnoreCase(ignoreCase);
    re.setMultiLine(multiLine);
    re.setGlobal(true);
    QCOMPARE(render(re.Execute(subject)), expected);
    QCOMPARE(re.errorNumber(), 0);
    QCOMPARE(re.Test(subject), !expected.isEmpty());
}

void TestRegExp::replace_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("global");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first only without Global") << "o" << false << "foo" << "0" << "f0o";
    QTest::newRow("$& whole match") << "\\d+" << true << "a1b22" << "[$&]" << "a[1]b[22]";
    QTest::newRow("$$ is a dollar") << "x" << false << "x" << "$$1" << "$1";
    QTest::newRow("$` and $'") << "b" << false << "abc" << "<$`|$'>" << "a<a|c>c";
    QTest::newRow("two-digit group") << "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)" << false << "abcdefghijk"
                                     << "$11$10$1" << "kja";
    QTest::newRow("missing group stays literal") << "(a)" << false << "a" << "$2$0$" << "$2$0$";
    QTest::newRow("unmatched group is empty") << "(a)|(b)" << false << "b" << "[$1]" << "[]";
    QTest::newRow("empty matches with Global") << "x*" << true << "abc" << "-" << "-a-b-c-";
    QTest::newRow("trailing blanks, multiline") << "[ \\t]+$" << true << "a  \r\nb\t\r\n" << "" << "a\r\nb\r\n";
}

void TestRegExp::replace()
{
    QFETCH(QString, pattern);
    QFETCH(bool, global);
    QFETCH(QString, subject);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);

    RegExp re(pattern);
    re.setGlobal(global);
    re.setMultiLine(true);
    QCOMPARE(re.Replace(subject, replacement), expected);
}

void TestRegExp::invalidPattern()
{
    RegExp re(QStringLiteral("\\bint\\b|\\b(c\\b"));  // a keyword list with a metacharacter
    re.setGlobal(true);
    QVERIFY(!re.Test(QStringLiteral("ab c++")));
    QCOMPARE(re.errorNumber(), RegExp::SyntaxErrorNumber);
    QVERIFY(re.errorDescription().startsWith(QStringLiteral("Syntax error in regular expression")));
    QVERIFY(re.Execute(QStringLiteral("ab")).isEmpty());
    QCOMPARE(re.Replace(QStringLiteral("ab"), QStringLiteral("x")), QStringLiteral("ab"));

    re.setPattern(QStringLiteral("a"));
    QVERIFY(re.Test(QStringLiteral("ab")));
    QCOMPARE(re.errorNumber(), 0);
}

void TestRegExp::flagsChangeRecompiles()
{
    RegExp re(QStringLiteral("^b"));
    re.setGlobal(true);
    QVERIFY(!re.Test(QStringLiteral("a\r\nB")));
    re.setMultiLine(true);
    QVERIFY(!re.Test(QStringLiteral("a\r\nB")));
    re.setIgnoreCase(true);
    QCOMPARE(render(re.Execute(QStringLiteral("a\r\nB"))), QStringLiteral("3:B"));
    re.setPattern(QStringLiteral("^a"));
    QCOMPARE(render(re.Execute(QStringLiteral("a\r\nB"))), QStringLiteral("0:a"));
}

void TestRegExp::loneSurrogateSubject()
{
    QString subject = QStringLiteral("a?b");
    subject[1] = QChar(0xD800);
    RegExp re(QStringLiteral("b"));
    QCOMPARE(render(re.Execute(subject)), QStringLiteral("2:b"));
    QCOMPARE(re.Replace(subject, QStringLiteral("c")).at(1), QChar(0xD800));
}

void TestRegExp::randomPatternsNeverHang()
{
    const QString alphabet = QStringLiteral("ab()[]*+?|^$\\.{}-,0123 \r\nwsdb");
    QRandomGenerator rng(1234);
    for (int i = 0; i < 3000; ++i) {
        QString pattern;
        const int len = rng.bounded(12);
        for (int k = 0; k < len; ++k)
            pattern += alphabet.at(rng.bounded(alphabet.size()));
        RegExp re(pattern);
        re.setGlobal(true);
        re.setMultiLine(rng.bounded(2));
        const QString subject = QStringLiteral("ab\r\n a(b)[*]\n0123 $x");
        const auto matches = re.Execute(subject);
        QVERIFY(matches.size() <= subject.size() + 1);
        re.Replace(subject, QStringLiteral("$1$&$$"));
        QVERIFY(re.errorNumber() == 0 || re.errorNumber() == RegExp::SyntaxErrorNumber);
    }
}

// The sparse index must give back exactly the matches of a full walk, across its resume points,
// including empty matches and ones after astral characters.
void TestRegExp::indexFindsEveryMatchAgain()
{
    QString subject;
    QRandomGenerator rng(99);
    const QStringList pieces = {"12", " ", "ab", "\r\n", QString::fromUtf8("😀"), "x", "345"};
    while (subject.size() < 12000)
        subject += pieces.at(rng.bounded(pieces.size()));
    for (const QString pattern : {"\\b[0-9]+\\b", "x*", "(?=a)|$", "^\\w", "[^\\r\\n]*"}) {
        RegExp re(pattern);
        re.setGlobal(true);
        re.setMultiLine(true);
        const auto matches = re.Execute(subject);
        const RegExp::MatchIndex index = re.Index(subject);
        QCOMPARE(index.count, matches.size());
        QVERIFY2(index.count > RegExp::MatchIndex::Stride, qPrintable(pattern));
        QCOMPARE(re.Count(subject), index.count);
        for (qsizetype i = 0; i < matches.size(); ++i) {
            const auto span = re.Nth(subject, index, i);
            QVERIFY(span);
            QCOMPARE(span->FirstIndex, matches[i].FirstIndex);
            QCOMPARE(span->Length, matches[i].Length);
        }
        QVERIFY(!re.Nth(subject, index, index.count));
        QVERIFY(!re.Nth(subject, index, -1));
    }
}

// A repeated group over a long run needs far more backtracking memory than the default JIT stack:
// it still matches on 200,000 characters, and on millions it stops in a moment with an error
// instead of claiming there is no match or eating the machine's memory.
void TestRegExp::deepBacktrackingFindsOrFailsClearly()
{
    RegExp re(QStringLiteral("(a|b)*c"));
    re.setGlobal(true);
    const QString medium = QStringLiteral("ab").repeated(100000) + QLatin1Char('c');
    QCOMPARE(re.Count(medium), 1);
    QCOMPARE(re.errorNumber(), 0);

    const QString huge = QStringLiteral("ab").repeated(3000000) + QLatin1Char('c');
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(re.Count(huge), 0);
    QVERIFY(re.errorNumber() < 0);
    QVERIFY2(re.errorDescription().contains(QStringLiteral("limit")), qPrintable(re.errorDescription()));
    QVERIFY(!re.Test(huge));
    QCOMPARE(re.Replace(huge, QStringLiteral("x")), huge);
    QVERIFY(timer.elapsed() < 20000);
    // The next subject starts afresh.
    QCOMPARE(re.Count(medium), 1);
    QCOMPARE(re.errorNumber(), 0);
}

void TestRegExp::regexpDollarNeverSplitsCrLf_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("expected");

    const QString lines = QStringLiteral("int a = 1\r\nint b = 2\r\nint c = 3");
    QTest::newRow("$ once per line") << "$" << lines << "int a = 1;\r\nint b = 2;\r\nint c = 3;";
    QTest::newRow("x* steps over the pair") << "x*" << "a\r\nb" << ";a;\r\n;b;";
    QTest::newRow("^ once per line") << "^" << "a\r\n\r\nb" << ";a\r\n;\r\n;b";
    QTest::newRow("\\n alone is inside the pair") << "\\n" << lines << lines;
    QTest::newRow("a class takes the pair whole or not at all") << "[\\r\\n]+" << "a\r\nb\r\n\r\n" << "a;b;";
    QTest::newRow("lookbehind cannot land inside") << "(?<=\\r)" << "a\r\nb" << "a\r\nb";
    // Lone CR and LF (binary documents) are line breaks of their own.
    QTest::newRow("lone breaks") << "$" << "a\rb\nc\n\rd" << "a;\rb;\nc;\n;\rd;";
    QTest::newRow("lone LF matched") << "\\n" << "a\nb\r\nc" << "a;b\r\nc";
}

void TestRegExp::regexpDollarNeverSplitsCrLf()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    QFETCH(QString, expected);

    RegExp re(pattern);
    re.setGlobal(true);
    re.setMultiLine(true);
    const RegExp::Replaced replaced = re.ReplaceCounted(subject, QStringLiteral(";"));
    QCOMPARE(replaced.text, expected);
    QCOMPARE(re.Count(subject), replaced.count);
    const RegExp::MatchIndex index = re.Index(subject);
    QCOMPARE(index.count, replaced.count);
    for (qsizetype i = 0; i < index.count; ++i) {
        const auto span = re.Nth(subject, index, i);
        QVERIFY(span);
        for (const qsizetype edge : {span->FirstIndex, span->FirstIndex + span->Length})
            QVERIFY(edge == 0 || edge >= subject.size() || subject.mid(edge - 1, 2) != QStringLiteral("\r\n"));
    }
}

QTEST_GUILESS_MAIN(TestRegExp)
#include "tst_regexp.moc"
