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
    void wordRange_data();
    void wordRange();
    void lineRange_data();
    void lineRange();
    void deleteLine_data();
    void deleteLine();
    void cropKeepsFormatting_data();
    void cropKeepsFormatting();
    void html();
    void dateTime();
    void menuState();
};

void TestEditCommands::copyColumn_data()
{
    QTest::addColumn<bool>("unixEndings");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    // Lines 1 to 4 are 10 characters plus CR LF: line n (one-based) starts at (n - 1) * 12.
    QTest::newRow("line 2 col 3 to line 4 col 6") << false << 12 + 2 << 36 + 6 << QStringLiteral("bcde\r\nbcde\r\nbcde\r\n")
                                                  << QStringLiteral("Text copied from 2:3 - 4:6");
    QTest::newRow("UNIX line ends") << true << 12 + 2 << 36 + 6 << QStringLiteral("bcde\nbcde\nbcde\n")
                                    << QStringLiteral("Text copied from 2:3 - 4:6");
    QTest::newRow("end column left of start") << false << 12 + 6 << 24 + 2 << QStringLiteral("abcdef\r\nabcdef\r\n")
                                              << QStringLiteral("Text copied from 2:7 - 3:2");
    QTest::newRow("short line gives fewer") << false << 36 + 2 << 53 + 6 << QStringLiteral("bcde\r\nb\r\nbcde\r\n")
                                            << QStringLiteral("Text copied from 4:3 - 6:6");
}

void TestEditCommands::copyColumn()
{
    QFETCH(bool, unixEndings);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    MemorySurface s = surfaceWith(QStringLiteral("1abcdefghi\r\n2abcdefghi\r\n3abcdefghi\r\n4abcdefghi\r\n5ab\r\n6abcdefghi"),
                                  selStart, selEnd - selStart);
    const ColumnCopy copy = EditCommands::copyColumn(s, unixEndings);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(copy.text, text);
    QCOMPARE(copy.message, message);
}

void TestEditCommands::wordRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("word");
    QTest::newRow("hyphen is part of a word") << QStringLiteral("use well-known words") << 6 << QStringLiteral("well-known");
    QTest::newRow("dot ends a word") << QStringLiteral("obj.member = 1") << 5 << QStringLiteral("member");
    QTest::newRow("caret before dot") << QStringLiteral("obj.member") << 3 << QStringLiteral("obj");
    QTest::newRow("line break ends a word") << QStringLiteral("one\r\ntwo") << 6 << QStringLiteral("two");
    QTest::newRow("quote, tab and currency sign") << QStringLiteral("\"a\tb\u00A4c\"") << 3 << QStringLiteral("b");
    QTest::newRow("caret on a delimiter") << QStringLiteral("a  b") << 2 << QString();
    QTest::newRow("underscore and digits") << QStringLiteral("(my_var2)") << 1 << QStringLiteral("my_var2");
    QTest::newRow("empty text") << QString() << 0 << QString();
}

void TestEditCommands::wordRange()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, word);
    MemorySurface s = surfaceWith(text, caret);
    selectWord(s);
    QCOMPARE(s.selText(), word);
}

void TestEditCommands::lineRange_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("line");
    QTest::newRow("first line") << 1 << QStringLiteral("first");
    QTest::newRow("caret at line start") << 7 << QStringLiteral("second");
    QTest::newRow("caret at line end") << 13 << QStringLiteral("second");
    QTest::newRow("empty line") << 15 << QString();
    QTest::newRow("last line without break") << 18 << QStringLiteral("last");
}

void TestEditCommands::lineRange()
{
    QFETCH(int, caret);
    QFETCH(QString, line);
    MemorySurface s = surfaceWith(QStringLiteral("first\r\nsecond\r\n\r\nlast"), caret);
    selectLine(s);
    QCOMPARE(s.selText(), line);
}

void TestEditCommands::deleteLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("removed");
    QTest::newRow("middle line with its break") << QStringLiteral("a\r\nbb\r\nc") << 4 << QStringLiteral("a\r\nc") << true;
    QTest::newRow("first line, caret inside") << QStringLiteral("abc\r\nd") << 2 << QStringLiteral("d") << true;
    QTest::newRow("last line") << QStringLiteral("a\r\nbcd") << 5 << QStringLiteral("a\r\n") << true;
    QTest::newRow("empty last line takes the break") << QStringLiteral("ab\r\n") << 4 << QStringLiteral("ab") << true;
    QTest::newRow("one-character last line") << QStringLiteral("ab\r\nx") << 5 << QStringLiteral("ab") << true;
    QTest::newRow("empty line after empty first") << QStringLiteral("\r\n") << 2 << QString() << true;
    QTest::newRow("only line") << QStringLiteral("solo") << 2 << QString() << true;
    QTest::newRow("empty document") << QString() << 0 << QString() << false;
}

void TestEditCommands::deleteLine()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    MemorySurface s = surfaceWith(text, caret);
    QFETCH(bool, removed);
    QCOMPARE(EditCommands::deleteLine(s), removed);
    QFETCH(QString, after);
    QCOMPARE(s.text(), after);
}

void TestEditCommands::cropKeepsFormatting_data()
{
    QTest::addColumn<bool>("widget");
    QTest::newRow("memory surface") << false;
    QTest::newRow("editor widget") << true;
}

void TestEditCommands::cropKeepsFormatting()
{
    QFETCH(bool, widget);
    std::unique_ptr<EditorSurface> s;
    if (widget)
        s = std::make_unique<ScintillaSurface>();
    else
        s = std::make_unique<MemorySurface>();
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

void TestEditCommands::dateTime()
{
    const QDateTime when(QDate(2024, 3, 9), QTime(7, 5, 33));
    QCOMPARE(dateTimeText(when, QLocale::c()).left(6), QStringLiteral("07:05 "));
    QCOMPARE(dateTimeText(when, QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("07:05 09.03.24"));
}

void TestEditCommands::menuState()
{
    EditMenuState none = editMenuState(false, false, false, false, QStringLiteral("Untitled"));
    QCOMPARE(none, EditMenuState{});
    const EditMenuState all = editMenuState(true, true, true, true, QStringLiteral("/tmp/a.txt"));
    QVERIFY(all.cut && all.copy && all.cutAppend && all.copyAppend && all.del && all.crop);
    QVERIFY(all.paste && all.undo && all.redo && all.copyFileName);
}

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
