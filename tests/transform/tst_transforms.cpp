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
    void transforms_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *operation, const QString &input, const QString &expected) {
            QTest::newRow(name) << QString::fromLatin1(operation) << input << expected;
        };
        row("invert outside the BMP", "invert", QStringLiteral("\U00010428x\U00010400"), QStringLiteral("\U00010400X\U00010428"));
        row("capitalize: ' and - inside words", "capitalize", "o'neil-smith", "O'neil-smith");
        row("capitalize: bracket starts a word", "capitalize", "(hELLO) x", "(hello) X");
        row("capitalize: tab, CR LF, FF separate", "capitalize", "a\tb\r\nc\fd", "A\tB\r\nC\fD");
        row("indent: final break gets none", "indent", "a\r\nb\r\n", "\ta\r\n\tb\r\n");
        row("indent: lone CR before the end is no break", "indent", "a\r\nb\rc", "\ta\r\n\tb\rc");
        row("outdent one tab, final break", "outdent", "\t\ta\r\nb\r\n", "\ta\r\nb\r\n");
        row("outdent: lone CR before the end is no break", "outdent", " a\r\n b\rc", "a\r\nb\rc");
        row("outdent two-blank levels", "outdent2", "    a\r\n b\r\n\t c", "  a\r\nb\r\n c");
        row("trim before breaks", "trim", "a  \r\n\t\r\nb", "a\r\n\r\nb");
        row("trim: LF and lone CR end lines", "trim", "a \nb\t\rc", "a\nb\rc");
        row("trim: other whitespace is no blank", "trim", QStringLiteral("a\u00a0\r\nb\f"), QStringLiteral("a\u00a0\r\nb\f"));
        row("spaces to tabs: six spaces, width 4", "tabs4", "      x", "\t  x");
        row("spaces to tabs: runs anywhere", "tabs4", "a    b     ", "a\tb\t ");
        row("spaces to tabs: width 0", "tabs0", "  a", "  a");
        row("tabs to spaces: width 3", "spaces3", "\ta\t\tb", "   a      b");
        row("tabs to spaces: width 0 keeps tabs", "spaces0", "\ta", "\ta");
    }
    void transforms()
    {
        QFETCH(QString, operation);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QHash<QString, std::function<QString()>> operations{
            {"invert", [&] { return InvertCase(input); }},
            {"capitalize", [&] { return Capitalize(input); }},
            {"indent", [&] { return AddIndentToLines(input, QStringLiteral("\t")); }},
            {"outdent", [&] { return RemoveIndentFromLines(input); }},
            {"outdent2", [&] { return RemoveIndentFromLines(input, 2); }},
            {"trim", [&] { return TrimTrailingBlanks(input); }},
            {"tabs4", [&] { return SpacesToTabs(input, 4); }},
            {"tabs0", [&] { return SpacesToTabs(input, 0); }},
            {"spaces3", [&] { return TabsToSpaces(input, 3); }},
            {"spaces0", [&] { return TabsToSpaces(input, 0); }},
        };
        QCOMPARE(operations.value(operation)(), expected);
    }

    void sortLines_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("ascending");
        QTest::addColumn<QString>("descending");
        for (const QString &locale : {QStringLiteral("C"), QStringLiteral("en_US")}) {
            const QByteArray tag = locale.toLatin1() + ": ";
            QTest::newRow(tag + "final break: empty line first") << locale << "b\r\na\r\n" << "\r\na\r\nb" << "b\r\na\r\n";
            QTest::newRow(tag + "equal keys keep order") << locale << "a\r\nA\r\nb" << "a\r\nA\r\nb" << "b\r\nA\r\na";
        }
        QTest::newRow("en_US: accents are secondary") << "en_US" << QStringLiteral("f\r\n\u00e9\r\nE\r\nd")
                                                      << QStringLiteral("d\r\nE\r\n\u00e9\r\nf")
                                                      << QStringLiteral("f\r\n\u00e9\r\nE\r\nd");
    }
    void sortLines()
    {
        QFETCH(QString, locale);
        QFETCH(QString, input);
        QFETCH(QString, ascending);
        QFETCH(QString, descending);
        QCOMPARE(LineSort::SortLines(input, SortOrder::Ascending, QLocale(locale)), ascending);
        QCOMPARE(LineSort::SortLines(input, SortOrder::Descending, QLocale(locale)), descending);
    }

    void sortManyLinesMatchesCollator()
    {
        // Beyond the old 32767-line limit, with mixed case, digits, punctuation and non-ASCII.
        QRandomGenerator rng(42);
        const QString pool = QStringLiteral("aAbBzZ09 -_.\u00e9\u00c9\u00df\u4e2d");
        QStringList lines;
        for (int i = 0; i < 40000; ++i) {
            QString line;
            for (int k = rng.bounded(12); k > 0; --k)
                line += pool[rng.bounded(pool.size())];
            lines << line;
        }
        std::sort(lines.begin(), lines.end());
        for (const QLocale &locale : {QLocale::c(), QLocale(QStringLiteral("en_US"))}) {
            QStringList result = LineSort::SortLines(lines.join("\r\n"), SortOrder::Ascending, locale).split("\r\n");
            QCollator collator{locale};
            collator.setCaseSensitivity(Qt::CaseInsensitive);
            for (qsizetype i = 1; i < result.size(); ++i) {
                if (collator.compare(result[i - 1], result[i]) > 0)
                    QFAIL(qPrintable(QString("out of order at %1: '%2' > '%3'").arg(i).arg(result[i - 1], result[i])));
            }
            std::sort(result.begin(), result.end());
            QCOMPARE(result, lines);
        }
    }

    void statistics_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextStatistics::Statistics>("expected");
        const auto row = [](const char *name, const QString &text, qsizetype characters, qsizetype words, qsizetype lines) {
            QTest::newRow(name) << text << TextStatistics::Statistics{characters, words, lines};
        };
        row("empty document", "", 0, 0, 1);
        row("LF and CR lines", "a\nb\rc", 5, 3, 3);
        row("controls separate, punctuation is a word", QStringLiteral("a\u0001b\u001f, ."), 7, 4, 1);
        row("Hangul words count", QStringLiteral("\uc548\ub155 \uc138\uacc4"), 5, 2, 1);
        row("surrogate pair is one word", QStringLiteral("\U0001F600 x"), 4, 2, 1);
    }
    void statistics()
    {
        QFETCH(QString, text);
        QFETCH(TextStatistics::Statistics, expected);
        QCOMPARE(TextStatistics::Measure(text), expected);
        QCOMPARE(clsWordCount().WordCount(text), expected.words);
    }

    void statisticsText()
    {
        const QString rule(38, u'-');
        const TextStatistics::Statistics statistics{1234567, 0, 1000};
        QCOMPARE(TextStatistics::StatisticsText(statistics, QLocale::c()),
                 "Statistics :\r\n" + rule + "\r\nCharacters (Bytes) : \t1,234,567\r\nWords : \t\t\t0\r\nLines : \t\t\t1,000\r\n"
                     + rule);
    }

    void textToHtml_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("body");
        QTest::newRow("escapes, last line without <br>") << "a < b\r\nc" << "a &lt; b<br>\r\nc";
        QTest::newRow("paragraph") << "x\r\n\r\ny" << "x<br>\r\n\r\n\r\n<p>\r\ny";
        QTest::newRow("ampersand after a blank") << "A & B" << "A &amp; B";
        QTest::newRow("no double escape") << "<&>" << "&lt;&&gt;";
        QTest::newRow("mail link") << "write to John.Doe@Example.COM today"
                                   << "write to <a href=\"mailto:John.Doe@Example.COM\">John.Doe@Example.COM</a> today";
        QTest::newRow("web link with path") << "see http://www.example.org/a/b?c=1 now"
                                            << "see <a href=\"http://www.example.org/a/b?c=1\">"
                                               "http://www.example.org/a/b?c=1</a> now";
        QTest::newRow("no address without top-level label") << "user@localhost" << "user@localhost";
    }
    void textToHtml()
    {
        QFETCH(QString, input);
        QFETCH(QString, body);
        const QString frame = "<html>\r\n<head><title></title></head>\r\n<body>\r\n<tt>\r\n%1\r\n</tt>\r\n</body>\r\n</html>";
        QCOMPARE(TextToHtml::TextToHTML(input, u"Untitled"), frame.arg(body));
        QVERIFY(TextToHtml::TextToHTML(u"x", u"/home/me/docs/notes.txt").startsWith("<html>\r\n<head><title>notes.txt</title>"));
    }
};

QTEST_GUILESS_MAIN(tst_Transforms)
#include "tst_transforms.moc"
