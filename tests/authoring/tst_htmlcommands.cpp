#include "HtmlCommands.h"
#include "LanguageDefinition.h"
#include "MemorySurface.h"
#include "Settings.h"
#include "frmHTMLTable.h"

#include <QtTest>


using Method = void (HtmlCommands::*)();
Q_DECLARE_METATYPE(Method)

// The Insert menu's HTML and line-comment commands on the reference surface.
class TestHtmlCommands : public QObject {
    Q_OBJECT

private slots:
    void commandsLeaveTheirSelection_data();
    void commandsLeaveTheirSelection();
    void lineComments_data();
    void lineComments();
    void markerOfTheLanguage();
    void tableInIndentedLine();
    void tableFieldsValidate_data();
    void tableFieldsValidate();
    void colourValue();
};

namespace {

struct Fixture : AuthoringHost {
    MemorySurface surface;
    Settings settings;
    LanguageDefinition language;
    int snapshots = 0;
    QList<std::pair<int, int>> rendered;
    HtmlCommands commands{surface, settings, language, *this};

    void addHistory() override { ++snapshots; }
    bool highlightingActive() const override { return true; }
    void renderRange(int start, int length) override { rendered.append({start, length}); }

    void select(const QString &text, int start, int length)
    {
        surface.setText(text);
        surface.setSelStart(start);
        surface.setSelLength(length);
    }
};

} // namespace

void TestHtmlCommands::commandsLeaveTheirSelection_data()
{
    QTest::addColumn<Method>("command");
    QTest::addColumn<int>("tagSetting");   // 2 selects the second form; CloseEmptyTag for empty elements
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newLength");
    QTest::newRow("bold keeps the word selected") << &HtmlCommands::Bold << 1 << "a w" << 2 << 1 << "a <b>w</b>" << 5 << 1;
    QTest::newRow("bold as strong") << &HtmlCommands::Bold << 2 << "w" << 0 << 1 << "<strong>w</strong>" << 8 << 1;
    QTest::newRow("bold without selection: caret between the tags") << &HtmlCommands::Bold << 1 << "" << 0 << 0 << "<b></b>" << 3 << 0;
    QTest::newRow("anchor: caret between the quotes") << &HtmlCommands::Anchor << 1 << "w" << 0 << 1 << "<a href=\"\">w</a>" << 9 << 0;
    QTest::newRow("image goes before the selection") << &HtmlCommands::Image << 1 << "w" << 0 << 1 << "<img src=\"\">w" << 10 << 0;
    QTest::newRow("image closed") << &HtmlCommands::Image << 2 << "w" << 0 << 1 << "<img src=\"\" />w" << 10 << 0;
    QTest::newRow("break closed: caret after it") << &HtmlCommands::Break << 2 << "" << 0 << 0 << "<br />" << 6 << 0;
    QTest::newRow("center as a div") << &HtmlCommands::Center << 2 << "w" << 0 << 1 << "<div align=\"center\">w</div>" << 20 << 1;
    QTest::newRow("paragraph over two lines") << &HtmlCommands::Paragraph << 1 << "a\r\nb" << 0 << 4 << "<p>a\r\nb</p>" << 3 << 4;
    QTest::newRow("start tag from the selection") << &HtmlCommands::StartTag << 1 << "div" << 0 << 3 << "<div>" << 1 << 3;
    QTest::newRow("end tag from the selection") << &HtmlCommands::EndTag << 1 << "x div" << 2 << 3 << "x </div>" << 4 << 3;
    QTest::newRow("html comment") << &HtmlCommands::Comment << 1 << "w" << 0 << 1 << "<!--w-->" << 4 << 1;
    QTest::newRow("non-breaking space before the selection") << &HtmlCommands::NonBreakingSpace << 1 << "w" << 0 << 1 << "&nbsp;w" << 6 << 1;
}

void TestHtmlCommands::commandsLeaveTheirSelection()
{
    QFETCH(Method, command);
    QFETCH(int, tagSetting);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    Fixture f;
    f.settings.HTMLBoldTag = f.settings.HTMLCenterTag = qint16(tagSetting);
    f.settings.CloseEmptyTag = tagSetting == 2;
    f.select(text, selStart, selLength);
    (f.commands.*command)();
    QTEST(f.surface.text(), "expected");
    QTEST(f.surface.selStart(), "newStart");
    QTEST(f.surface.selLength(), "newLength");
    QCOMPARE(f.snapshots, 1);
}

void TestHtmlCommands::lineComments_data()
{
    QTest::addColumn<Method>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newLength");
    QTest::addColumn<int>("snapshots");
    QTest::newRow("two lines ending in a break keep the break after the selection")
        << &HtmlCommands::AddLineComment << "a\r\nb\r\nc" << 0 << 6 << "//a\r\n//b\r\nc" << 0 << 8 << 1;
    QTest::newRow("add without selection marks the caret's line")
        << &HtmlCommands::AddLineComment << "x\r\nab" << 4 << 0 << "x\r\n//ab" << 6 << 0 << 1;
    QTest::newRow("remove takes the markers off two lines")
        << &HtmlCommands::RemoveLineComment << "//a\r\n//b\r\nc" << 0 << 8 << "a\r\nb\r\nc" << 0 << 4 << 1;
    QTest::newRow("remove without selection") << &HtmlCommands::RemoveLineComment << "x\r\n//ab" << 6 << 0 << "x\r\nab" << 4 << 0 << 1;
    QTest::newRow("remove with the caret inside the marker stays on the line")
        << &HtmlCommands::RemoveLineComment << "x\r\n//ab" << 4 << 0 << "x\r\nab" << 3 << 0 << 1;
    QTest::newRow("blank before the marker: line unchanged, no undo step")
        << &HtmlCommands::RemoveLineComment << " //a" << 2 << 0 << " //a" << 2 << 0 << 0;
}

void TestHtmlCommands::lineComments()
{
    QFETCH(Method, command);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    Fixture f;
    f.language.languageActive = true;
    f.language.lineComment = QStringLiteral("//");
    f.select(text, selStart, selLength);
    (f.commands.*command)();
    QTEST(f.surface.text(), "expected");
    QTEST(f.surface.selStart(), "newStart");
    QTEST(f.surface.selLength(), "newLength");
    QTEST(f.snapshots, "snapshots");
}

void TestHtmlCommands::markerOfTheLanguage()
{
    LanguageDefinition language;
    language.applyLine(QStringLiteral("LineComment:**|#"));
    QCOMPARE(HtmlCommands::lineCommentMarker(language), QStringLiteral("**"));
}

void TestHtmlCommands::tableInIndentedLine()
{
    Fixture f;
    f.select(QStringLiteral("<body>\r\n\t\r\n</body>"), 9, 0);
    f.commands.InsertTable(2, 3, 0, 0, 1);
    const QString row = QStringLiteral("\t\t<tr>\r\n") + QStringLiteral("\t\t\t<td></td>\r\n").repeated(3)
        + QStringLiteral("\t\t</tr>\r\n");
    const QString table = QStringLiteral("<table border=\"1\" cellpadding=\"0\" cellspacing=\"0\">\r\n") + row + row
        + QStringLiteral("\t</table>\r\n");
    QCOMPARE(f.surface.text(), QStringLiteral("<body>\r\n\t") + table + QStringLiteral("\r\n</body>"));
    QCOMPARE(f.surface.selStart(), 9 + int(table.indexOf(QStringLiteral("<td>"))) + 4);
    QCOMPARE(f.snapshots, 1);
    QCOMPARE(f.rendered, (QList<std::pair<int, int>>{{10, int(table.size())}}));
}

void TestHtmlCommands::tableFieldsValidate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << "0" << "1";
    QTest::newRow("above fifty") << "51" << "1";
    QTest::newRow("not a number") << "4x" << "1";
    QTest::newRow("fraction") << "2.5" << "1";
    QTest::newRow("fifty stays") << "50" << "50";
    QTest::newRow("seven stays") << "7" << "7";
}

void TestHtmlCommands::tableFieldsValidate()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(frmHTMLTable::validate(typed).value_or(typed), shown);
}

void TestHtmlCommands::colourValue()
{
    QCOMPARE(HtmlCommands::htmlColor(8453888), QStringLiteral("#00FF80"));
    QCOMPARE(HtmlCommands::htmlColor(255), QStringLiteral("#FF0000"));
    Fixture f;
    f.select(QStringLiteral("color: x;"), 7, 1);
    f.commands.InsertColor(0xC0FFEE);
    QCOMPARE(f.surface.text(), QStringLiteral("color: #EEFFC0;"));
    QCOMPARE(f.settings.lastInsertedHTMLColor, OleColor(0xC0FFEE));
}

QTEST_MAIN(TestHtmlCommands)
#include "tst_htmlcommands.moc"
