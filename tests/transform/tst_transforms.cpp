#include "LineSort.h"
#include "TextStatistics.h"
#include "TextToHtml.h"
#include "TextTransforms.h"
#include "clsWordCount.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QtTest>

using namespace TextTransforms;
using LineSort::SortOrder;

class tst_Transforms : public QObject {
    Q_OBJECT

private slots:
    void caseCommands_data();
    void caseCommands();
    void addIndent_data();
    void addIndent();
    void removeIndent_data();
    void removeIndent();
    void trimTrailingBlanks_data();
    void trimTrailingBlanks();
    void tabsAndSpaces_data();
    void tabsAndSpaces();
    void sortLines_data();
    void sortLines();
    void sortManyLinesMatchesCollator_data();
    void sortManyLinesMatchesCollator();
    void statistics_data();
    void statistics();
    void statisticsText();
    void textToHtml_data();
    void textToHtml();
    void textToHtmlFrameAndTitle();
};

void tst_Transforms::caseCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("invert mixed") << "invert" << "Hello World 42" << "hELLO wORLD 42";
    QTest::newRow("invert outside the BMP") << "invert" << QStringLiteral("\U00010428x\U00010400")
                                            << QStringLiteral("\U00010400X\U00010428");
    QTest::newRow("capitalize") << "capitalize" << "hELLO wORLD" << "Hello World";
    QTest::newRow("capitalize: ' and - inside words") << "capitalize" << "o'neil-smith" << "O'neil-smith";
    QTest::newRow("capitalize: bracket starts a word") << "capitalize" << "(hELLO) x" << "(hello) X";
    QTest::newRow("capitalize: tab and CR LF separate") << "capitalize" << "a\tb\r\nc\fd" << "A\tB\r\nC\fD";
    QTest::newRow("capitalize: accented") << "capitalize" << QStringLiteral("\u00e9T\u00c9") << QStringLiteral("\u00c9t\u00e9");
    QTest::newRow("upper") << "upper" << QStringLiteral("abc \u00e9 1") << QStringLiteral("ABC \u00c9 1");
    QTest::newRow("lower") << "lower" << QStringLiteral("ABC \u00c9 1") << QStringLiteral("abc \u00e9 1");
}

void tst_Transforms::caseCommands()
{
    QFETCH(QString, command);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    const QString result = command == "invert"       ? InvertCase(input)
                           : command == "capitalize" ? Capitalize(input)
                           : command == "upper"      ? ToUpperCase(input)
                                                     : ToLowerCase(input);
    QCOMPARE(result, expected);
}

void tst_Transforms::addIndent_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("indent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two lines") << "a\r\nb" << "\t" << "\ta\r\n\tb";
    QTest::newRow("final break gets no indent") << "a\r\nb\r\n" << "\t" << "\ta\r\n\tb\r\n";
    QTest::newRow("empty line inside indented") << "a\r\n\r\nb" << "  " << "  a\r\n  \r\n  b";
    QTest::newRow("blank last line before break") << "a\r\n\r\n" << "\t" << "\ta\r\n\t\r\n";
    QTest::newRow("spaces indent") << "x\r\ny" << IndentUnit(4, true) << "    x\r\n    y";
    QTest::newRow("lone CR before the last char is no break") << "a\r\nb\rc" << "\t" << "\ta\r\n\tb\rc";
}

void tst_Transforms::addIndent()
{
    QFETCH(QString, input);
    QFETCH(QString, indent);
    QFETCH(QString, expected);
    QCOMPARE(AddIndentToLines(input, indent), expected);
}

void tst_Transforms::removeIndent_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one of four spaces") << "    a\r\n    b" << "   a\r\n   b";
    QTest::newRow("one tab, then nothing") << "\t\ta\r\nb\r\n" << "\ta\r\nb\r\n";
    QTest::newRow("blank-only line") << " \r\n x" << "\r\nx";
    QTest::newRow("lone CR before the last char is no break") << " a\r\n b\rc" << "a\r\nb\rc";
}

void tst_Transforms::removeIndent()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(RemoveIndentFromLines(input), expected);
}

void tst_Transforms::trimTrailingBlanks_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks before breaks") << "a  \r\n\t\r\nb" << "a\r\n\r\nb";
    QTest::newRow("blanks at the end of text") << "a \t " << "a";
    QTest::newRow("inner blanks kept") << "a  b\r\n  c" << "a  b\r\n  c";
    QTest::newRow("only blanks") << " \t " << "";
    QTest::newRow("LF and lone CR end lines") << "a \nb\t\rc" << "a\nb\rc";
    QTest::newRow("other whitespace is not a blank") << QStringLiteral("a\u00a0\r\nb\f") << QStringLiteral("a\u00a0\r\nb\f");
}

void tst_Transforms::trimTrailingBlanks()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(TrimTrailingBlanks(input), expected);
}

void tst_Transforms::tabsAndSpaces_data()
{
    QTest::addColumn<bool>("toTabs");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("six spaces, width 4") << true << 4 << "      x" << "\t  x";
    QTest::newRow("runs anywhere, no columns") << true << 2 << "a   b    " << "a\t b\t\t";
    QTest::newRow("width 0 changes nothing") << true << 0 << "  a" << "  a";
    QTest::newRow("tabs to 3 spaces") << false << 3 << "\ta\t\tb" << "   a      b";
    QTest::newRow("tabs, width 0 keeps tabs") << false << 0 << "\ta" << "\ta";
}

void tst_Transforms::tabsAndSpaces()
{
    QFETCH(bool, toTabs);
    QFETCH(int, width);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(toTabs ? SpacesToTabs(input, width) : TabsToSpaces(input, width), expected);
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
    QTest::addColumn<qsizetype>("characters");
    QTest::addColumn<qsizetype>("words");
    QTest::addColumn<qsizetype>("lines");
    QTest::newRow("empty document") << "" << qsizetype(0) << qsizetype(0) << qsizetype(1);
    QTest::newRow("two blanks, CR LF") << "a  b\r\nc" << qsizetype(7) << qsizetype(3) << qsizetype(2);
    QTest::newRow("final break adds a line") << "a\r\n" << qsizetype(3) << qsizetype(1) << qsizetype(2);
    QTest::newRow("LF and CR lines") << "a\nb\rc" << qsizetype(5) << qsizetype(3) << qsizetype(3);
    QTest::newRow("control chars separate") << QStringLiteral("a\u0001b\u001fc") << qsizetype(5) << qsizetype(3)
                                            << qsizetype(1);
    QTest::newRow("punctuation is a word") << "- , ." << qsizetype(5) << qsizetype(3) << qsizetype(1);
    QTest::newRow("Hangul words count") << QStringLiteral("\uc548\ub155 \uc138\uacc4") << qsizetype(5) << qsizetype(2)
                                        << qsizetype(1);
    QTest::newRow("surrogate pair is one word") << QStringLiteral("\U0001F600 x") << qsizetype(4) << qsizetype(2)
                                                << qsizetype(1);
}

void tst_Transforms::statistics()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, characters);
    QFETCH(qsizetype, words);
    QFETCH(qsizetype, lines);
    const TextStatistics::Statistics expected{characters, words, lines};
    QCOMPARE(TextStatistics::Measure(text), expected);
    QCOMPARE(clsWordCount().WordCount(text), words);
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

void tst_Transforms::textToHtmlFrameAndTitle()
{
    QCOMPARE(TextToHtml::TextToHTML(u"", u"/home/me/docs/notes.txt"),
             QStringLiteral("<html>\r\n<head><title>notes.txt</title></head>\r\n<body>\r\n<tt>\r\n\r\n</tt>\r\n</body>\r\n</html>"));
}

QTEST_GUILESS_MAIN(tst_Transforms)
#include "tst_transforms.moc"
