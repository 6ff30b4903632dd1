#include "LineSort.h"
#include "TextStatistics.h"
#include "TextToHtml.h"
#include "TextTransforms.h"
#include "clsWordCount.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>

using namespace TextTransforms;
using LineSort::SortOrder;

class tst_Transforms : public QObject {
    Q_OBJECT

private slots:
    void transforms_data();
    void transforms();
    void sortLines_data();
    void sortLines();
    void sortManyLinesMatchesCollator_data();
    void sortManyLinesMatchesCollator();
    void statistics_data();
    void statistics();
    void statisticsText();
    void textToHtml_data();
    void textToHtml();
    void textToHtmlTitle();
};

void tst_Transforms::transforms_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const char *operation, const QString &input, const QString &expected) {
        QTest::newRow(name) << QString::fromLatin1(operation) << input << expected;
    };
    row("invert mixed", "invert", "Hello World 42", "hELLO wORLD 42");
    row("invert outside the BMP", "invert", QStringLiteral("\U00010428x\U00010400"), QStringLiteral("\U00010400X\U00010428"));
    row("capitalize", "capitalize", "hELLO wORLD", "Hello World");
    row("capitalize: ' and - inside words", "capitalize", "o'neil-smith", "O'neil-smith");
    row("capitalize: bracket starts a word", "capitalize", "(hELLO) x", "(hello) X");
    row("capitalize: tab, CR LF, FF separate", "capitalize", "a\tb\r\nc\fd", "A\tB\r\nC\fD");
    row("upper accented", "upper", QStringLiteral("ab \u00e9"), QStringLiteral("AB \u00c9"));
    row("lower accented", "lower", QStringLiteral("AB \u00c9"), QStringLiteral("ab \u00e9"));

    row("indent two lines", "indent", "a\r\nb", "\ta\r\n\tb");
    row("indent: final break gets none", "indent", "a\r\nb\r\n", "\ta\r\n\tb\r\n");
    row("indent: empty lines too", "indent", "a\r\n\r\n", "\ta\r\n\t\r\n");
    row("indent: lone CR before the end is no break", "indent", "a\r\nb\rc", "\ta\r\n\tb\rc");
    row("outdent one of four spaces", "outdent", "    a\r\n    b", "   a\r\n   b");
    row("outdent one tab, final break", "outdent", "\t\ta\r\nb\r\n", "\ta\r\nb\r\n");
    row("outdent: lone CR before the end is no break", "outdent", " a\r\n b\rc", "a\r\nb\rc");

    row("trim before breaks", "trim", "a  \r\n\t\r\nb", "a\r\n\r\nb");
    row("trim at the end of text", "trim", "a \t ", "a");
    row("trim keeps inner blanks", "trim", "a  b\r\n  c", "a  b\r\n  c");
    row("trim: LF and lone CR end lines", "trim", "a \nb\t\rc", "a\nb\rc");
    row("trim: other whitespace is no blank", "trim", QStringLiteral("a\u00a0\r\nb\f"), QStringLiteral("a\u00a0\r\nb\f"));

    row("spaces to tabs: six spaces, width 4", "tabs4", "      x", "\t  x");
    row("spaces to tabs: runs anywhere", "tabs4", "a    b     ", "a\tb\t ");
    row("spaces to tabs: width 0", "tabs0", "  a", "  a");
    row("tabs to spaces: width 3", "spaces3", "\ta\t\tb", "   a      b");
    row("tabs to spaces: width 0 keeps tabs", "spaces0", "\ta", "\ta");
}

void tst_Transforms::transforms()
{
    QFETCH(QString, operation);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    const QHash<QString, std::function<QString()>> operations{
        {"invert", [&] { return InvertCase(input); }},
        {"capitalize", [&] { return Capitalize(input); }},
        {"upper", [&] { return ToUpperCase(input); }},
        {"lower", [&] { return ToLowerCase(input); }},
        {"indent", [&] { return AddIndentToLines(input, IndentUnit(4, false)); }},
        {"outdent", [&] { return RemoveIndentFromLines(input); }},
        {"trim", [&] { return TrimTrailingBlanks(input); }},
        {"tabs4", [&] { return SpacesToTabs(input, 4); }},
        {"tabs0", [&] { return SpacesToTabs(input, 0); }},
        {"spaces3", [&] { return TabsToSpaces(input, 3); }},
        {"spaces0", [&] { return TabsToSpaces(input, 0); }},
    };
    QCOMPARE(operations.value(operation)(), expected);
}

void tst_Transforms::sortLines_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("ascending");
    QTest::addColumn<QString>("descending");
    for (const QString &locale : {QStringLiteral("C"), QStringLiteral("en_US")}) {
        const QByteArray tag = locale.toLatin1() + ": ";
        QTest::newRow(tag + "case does not separate") << locale << "b\r\nA\r\nc" << "A\r\nb\r\nc" << "c\r\nb\r\nA";
        QTest::newRow(tag + "final break: empty line first") << locale << "b\r\na\r\n" << "\r\na\r\nb" << "b\r\na\r\n";
        QTest::newRow(tag + "empty text stays empty") << locale << "" << "" << "";
        QTest::newRow(tag + "equal keys keep order") << locale << "a\r\nA\r\nb" << "a\r\nA\r\nb" << "b\r\nA\r\na";
        QTest::newRow(tag + "long shared prefix") << locale << "prefix-common-Z\r\nprefix-common-a\r\nprefix-co"
                                                  << "prefix-co\r\nprefix-common-a\r\nprefix-common-Z"
                                                  << "prefix-common-Z\r\nprefix-common-a\r\nprefix-co";
    }
    QTest::newRow("en_US: accents are secondary") << "en_US" << QStringLiteral("f\r\n\u00e9\r\nE\r\nd")
                                                  << QStringLiteral("d\r\nE\r\n\u00e9\r\nf")
                                                  << QStringLiteral("f\r\n\u00e9\r\nE\r\nd");
}

void tst_Transforms::sortLines()
{
    QFETCH(QString, locale);
    QFETCH(QString, input);
    QFETCH(QString, ascending);
    QFETCH(QString, descending);
    QCOMPARE(LineSort::SortLines(input, SortOrder::Ascending, QLocale(locale)), ascending);
    QCOMPARE(LineSort::SortLines(input, SortOrder::Descending, QLocale(locale)), descending);
}

void tst_Transforms::sortManyLinesMatchesCollator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("C") << "C";
    QTest::newRow("en_US") << "en_US";
}

void tst_Transforms::sortManyLinesMatchesCollator()
{
    QFETCH(QString, locale);
    // Beyond the old 32767-line limit, with mixed case, digits, punctuation and non-ASCII.
    QRandomGenerator rng(42);
    const QString pool = QStringLiteral("aAbBzZ09 -_.\u00e9\u00c9\u00df\u4e2d");
    QStringList lines;
    for (int i = 0; i < 40000; ++i) {
        QString line;
        const int length = rng.bounded(12);
        for (int k = 0; k < length; ++k)
            line += pool[rng.bounded(pool.size())];
        lines << line;
    }
    const QString sorted = LineSort::SortLines(lines.join("\r\n"), SortOrder::Ascending, QLocale(locale));
    const QStringList result = sorted.split("\r\n");
    QCOMPARE(result.size(), lines.size());

    QCollator collator{QLocale(locale)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (qsizetype i = 1; i < result.size(); ++i) {
        if (collator.compare(result[i - 1], result[i]) > 0)
            QFAIL(qPrintable(QString("out of order at %1: '%2' > '%3'").arg(i).arg(result[i - 1], result[i])));
    }
    std::sort(lines.begin(), lines.end());
    QStringList resultSorted = result;
    std::sort(resultSorted.begin(), resultSorted.end());
    QCOMPARE(resultSorted, lines);
}

void tst_Transforms::statistics_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextStatistics::Statistics>("expected");
    const auto row = [](const char *name, const QString &text, qsizetype characters, qsizetype words, qsizetype lines) {
        QTest::newRow(name) << text << TextStatistics::Statistics{characters, words, lines};
    };
    row("empty document", "", 0, 0, 1);
    row("two blanks, CR LF", "a  b\r\nc", 7, 3, 2);
    row("final break adds a line", "a\r\n", 3, 1, 2);
    row("LF and CR lines", "a\nb\rc", 5, 3, 3);
    row("controls separate, punctuation is a word", QStringLiteral("a\u0001b\u001f, ."), 7, 4, 1);
    row("Hangul words count", QStringLiteral("\uc548\ub155 \uc138\uacc4"), 5, 2, 1);
    row("surrogate pair is one word", QStringLiteral("\U0001F600 x"), 4, 2, 1);
}

void tst_Transforms::statistics()
{
    QFETCH(QString, text);
    QFETCH(TextStatistics::Statistics, expected);
    QCOMPARE(TextStatistics::Measure(text), expected);
    QCOMPARE(clsWordCount().WordCount(text), expected.words);
}

void tst_Transforms::statisticsText()
{
    const QString rule(38, u'-');
    const TextStatistics::Statistics statistics{1234567, 0, 1000};
    QCOMPARE(TextStatistics::StatisticsText(statistics, QLocale::c()),
             "Statistics :\r\n" + rule + "\r\nCharacters (Bytes) : \t1,234,567\r\nWords : \t\t\t0\r\nLines : \t\t\t1,000\r\n"
                 + rule);
    QVERIFY(TextStatistics::StatisticsText(statistics, QLocale(QLocale::German))
                .contains("Characters (Bytes) : \t1.234.567\r\n"));
}

void tst_Transforms::textToHtml_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("body");
    QTest::newRow("escapes, last line without <br>") << "a < b\r\nc" << "a &lt; b<br>\r\nc";
    QTest::newRow("paragraph") << "x\r\n\r\ny" << "x<br>\r\n\r\n\r\n<p>\r\ny";
    QTest::newRow("ampersand after a blank") << "A & B" << "A &amp; B";
    QTest::newRow("ampersand inside a word stays") << "A&B" << "A&B";
    QTest::newRow("ampersand at the start stays") << "&x" << "&x";
    QTest::newRow("no double escape") << "<&>" << "&lt;&&gt;";
    QTest::newRow("mail link") << "write to John.Doe@Example.COM today"
                               << "write to <a href=\"mailto:John.Doe@Example.COM\">John.Doe@Example.COM</a> today";
    QTest::newRow("mail link, sub-domains") << "x@mail.example.co.uk"
                                            << "<a href=\"mailto:x@mail.example.co.uk\">x@mail.example.co.uk</a>";
    QTest::newRow("web link with path") << "see http://www.example.org/a/b?c=1 now"
                                        << "see <a href=\"http://www.example.org/a/b?c=1\">"
                                           "http://www.example.org/a/b?c=1</a> now";
    QTest::newRow("ftp link, no path") << "FTP://ftp.example.net." << "<a href=\"FTP://ftp.example.net\">FTP://ftp.example.net</a>.";
    QTest::newRow("no address without top-level label") << "user@localhost" << "user@localhost";
}

void tst_Transforms::textToHtml()
{
    QFETCH(QString, input);
    QFETCH(QString, body);
    const QString frame = "<html>\r\n<head><title></title></head>\r\n<body>\r\n<tt>\r\n%1\r\n</tt>\r\n</body>\r\n</html>";
    QCOMPARE(TextToHtml::TextToHTML(input, u"Untitled"), frame.arg(body));
}

void tst_Transforms::textToHtmlTitle()
{
    QVERIFY(TextToHtml::TextToHTML(u"x", u"/home/me/docs/notes.txt").startsWith("<html>\r\n<head><title>notes.txt</title>"));
}

QTEST_GUILESS_MAIN(tst_Transforms)
#include "tst_transforms.moc"
