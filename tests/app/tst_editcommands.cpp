#include "EditCommands.h"
#include "MemorySurface.h"
#include "ScintillaSurface.h"

#include <QtTest>

#include <memory>

using namespace EditCommands;

namespace {

MemorySurface surfaceWith(const QString &text, int selStart, int selLength = 0)
{
    MemorySurface s;
    s.setText(text);
    s.setSelStart(selStart);
    s.setSelLength(selLength);
    return s;
}

} // namespace

class TestEditCommands : public QObject {
    Q_OBJECT

private slots:
    void copyColumn_data();
    void copyColumn();
    void copyColumnCutsNoEmojiInHalf();
    void selectWordOrLine_data();
    void selectWordOrLine();
    void deleteLine_data();
    void deleteLine();
    void cropKeepsFormatting();
    void html();
};

void TestEditCommands::copyColumn_data()
{
    QTest::addColumn<bool>("unixEndings");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("from");
    // Lines 1 to 4 are 10 characters plus CR LF: line n (one-based) starts at (n - 1) * 12.
    QTest::newRow("line 2 col 3 to line 4 col 6") << false << 14 << 42 << "bcde\r\nbcde\r\nbcde\r\n" << "2:3 - 4:6";
    QTest::newRow("UNIX line ends") << true << 14 << 42 << "bcde\nbcde\nbcde\n" << "2:3 - 4:6";
    QTest::newRow("end column left of start") << false << 18 << 26 << "abcdef\r\nabcdef\r\n" << "2:7 - 3:2";
    QTest::newRow("short line gives fewer") << false << 38 << 59 << "bcde\r\nb\r\nbcde\r\n" << "4:3 - 6:6";
}

void TestEditCommands::copyColumn()
{
    QFETCH(bool, unixEndings);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, text);
    QFETCH(QString, from);
    MemorySurface s = surfaceWith(QStringLiteral("1abcdefghi\r\n2abcdefghi\r\n3abcdefghi\r\n4abcdefghi\r\n5ab\r\n6abcdefghi"),
                                  selStart, selEnd - selStart);
    const ColumnCopy copy = EditCommands::copyColumn(s, unixEndings);
    QCOMPARE(copy.text, text);
    QCOMPARE(copy.message, QStringLiteral("Text copied from ") + from);
}

// Columns are whole characters on every surface; lines end where the window ends them.
void TestEditCommands::copyColumnCutsNoEmojiInHalf()
{
    MemorySurface memory;
    ScintillaSurface widget;
    for (EditorSurface *s : std::initializer_list<EditorSurface *>{&memory, &widget}) {
        s->setText(QStringLiteral("h\u00e9llo\r\n\U0001F600 smile\r\n\u4e2d\u6587"));
        s->setSelStart(1);
        s->setSelLength(18);
        ColumnCopy copy = EditCommands::copyColumn(*s, false);
        QCOMPARE(copy.text, QStringLiteral("\u00e9\r\n \r\n\u6587\r\n"));
        QCOMPARE(copy.message, QStringLiteral("Text copied from 1:2 - 3:2"));
        s->setSelStart(7);
        s->setSelLength(12);
        copy = EditCommands::copyColumn(*s, true);
        QCOMPARE(copy.text, QStringLiteral("\U0001F600 \n\u4e2d\u6587\n"));
        QCOMPARE(copy.message, QStringLiteral("Text copied from 2:1 - 3:2"));

        s->setBinaryDocument(true);
        s->setText(QStringLiteral("ab\ncd\rxy"));
        s->setSelStart(1);
        s->setSelLength(7);
        QCOMPARE(EditCommands::copyColumn(*s, false).text, QStringLiteral("b\r\nd\r\ny\r\n"));
    }
}

void TestEditCommands::selectWordOrLine_data()
{
    QTest::addColumn<bool>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("selected");
    QTest::newRow("word: hyphen is part of it") << false << "use well-known words" << 6 << "well-known";
    QTest::newRow("word: dot ends it") << false << "obj.member = 1" << 5 << "member";
    QTest::newRow("word: line break ends it") << false << "one\r\ntwo" << 6 << "two";
    QTest::newRow("word: quote, tab and currency sign") << false << "\"a\tb\u00A4c\"" << 3 << "b";
    QTest::newRow("word: caret on a delimiter") << false << "a  b" << 2 << "";
    QTest::newRow("word: empty text") << false << "" << 0 << "";
    const QString lines = QStringLiteral("first\r\nsecond\r\n\r\nlast");
    QTest::newRow("line: caret at its start") << true << lines << 7 << "second";
    QTest::newRow("line: caret at its end") << true << lines << 13 << "second";
    QTest::newRow("line: empty") << true << lines << 15 << "";
    QTest::newRow("line: last without break") << true << lines << 18 << "last";
    QTest::newRow("line: a lone CR ends it as the window shows") << true << "a\r\nbc\rd" << 3 << "bc";
}

void TestEditCommands::selectWordOrLine()
{
    QFETCH(bool, line);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, selected);
    MemorySurface s = surfaceWith(text, caret);
    line ? selectLine(s) : selectWord(s);
    QCOMPARE(s.selText(), selected);
}

void TestEditCommands::deleteLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("removed");
    QTest::newRow("middle line with its break") << "a\r\nbb\r\nc" << 4 << "a\r\nc" << true;
    QTest::newRow("last line") << "a\r\nbcd" << 5 << "a\r\n" << true;
    QTest::newRow("empty last line takes the break") << "ab\r\n" << 4 << "ab" << true;
    QTest::newRow("one-character last line") << "ab\r\nx" << 5 << "ab" << true;
    QTest::newRow("empty document") << "" << 0 << "" << false;
}

void TestEditCommands::deleteLine()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, after);
    QFETCH(bool, removed);
    MemorySurface s = surfaceWith(text, caret);
    QCOMPARE(EditCommands::deleteLine(s), removed);
    QCOMPARE(s.text(), after);
}

void TestEditCommands::cropKeepsFormatting()
{
    const auto s = std::make_unique<ScintillaSurface>();
    s->setText(QStringLiteral("keep this\r\nand drop"));
    const CharFormat red{0x0000FF, true, false, QStringLiteral("Courier New"), 8};
    s->applyFormatRuns(5, {{4, red}});
    QVERIFY(!crop(*s));
    s->setSelStart(2);
    s->setSelLength(8);
    QVERIFY(crop(*s));
    QCOMPARE(s->text(), QStringLiteral("ep this\r"));
    QCOMPARE(s->selStart(), 0);
    QCOMPARE(s->selLength(), 8);
    QCOMPARE(s->formatAt(3), red);
    QCOMPARE(s->formatAt(2), s->defaultFormat());
}

void TestEditCommands::html()
{
    const CharFormat bold{0x0000FF, true, true, QStringLiteral("Courier New"), 10};
    const QString text = QStringLiteral("a<b>\r\n&c");
    const QString html = htmlOfRuns(text, {{5, bold}, {3, CharFormat{}}});
    QVERIFY(html.contains(QStringLiteral("color:#ff0000;font-weight:bold;font-style:italic;font-family:'Courier New';font-size:10pt")));
    QVERIFY(html.contains(QStringLiteral("a&lt;b&gt;<br></span>")));
    QVERIFY(html.contains(QStringLiteral("&amp;c")));
    QCOMPARE(html.count(QStringLiteral("<br>")), 1);
}

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
