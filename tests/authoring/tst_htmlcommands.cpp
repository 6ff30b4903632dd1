#include "HtmlCommands.h"
#include "LanguageDefinition.h"
#include "MemorySurface.h"
#include "Settings.h"
#include "frmHTMLTable.h"

#include <QtTest>

#include <functional>
#include <map>

// The Insert menu's HTML and line-comment commands on the reference surface.
class TestHtmlCommands : public QObject {
    Q_OBJECT

private slots:
    void commandsLeaveTheirSelection_data();
    void commandsLeaveTheirSelection();
    void lineComments_data();
    void lineComments();
    void markerOfTheLanguage_data();
    void markerOfTheLanguage();
    void tableInIndentedLine();
    void tableFieldsValidate_data();
    void tableFieldsValidate();
    void colourValue();
};

namespace {

struct Fixture {
    MemorySurface surface;
    Settings settings;
    LanguageDefinition language;
    int snapshots = 0;
    QList<std::pair<int, int>> rendered;
    HtmlCommands commands{surface, settings, language,
                          AuthoringHost{[this] { ++snapshots; }, {}, [] { return true; },
                                        [this](int start, int length) { rendered.append({start, length}); }, {}, {}}};

    void select(const QString &text, int start, int length)
    {
        surface.setText(text);
        surface.setSelStart(start);
        surface.setSelLength(length);
    }
};

using Run = std::function<void(HtmlCommands &)>;

const std::map<QString, Run> &byName()
{
    static const std::map<QString, Run> table = {
        {"Bold", [](HtmlCommands &h) { h.Bold(); }},
        {"Anchor", [](HtmlCommands &h) { h.Anchor(); }},
        {"Image", [](HtmlCommands &h) { h.Image(); }},
        {"Break", [](HtmlCommands &h) { h.Break(); }},
        {"Center", [](HtmlCommands &h) { h.Center(); }},
        {"Paragraph", [](HtmlCommands &h) { h.Paragraph(); }},
        {"FontPlus", [](HtmlCommands &h) { h.FontPlus(); }},
        {"StartTag", [](HtmlCommands &h) { h.StartTag(); }},
        {"EndTag", [](HtmlCommands &h) { h.EndTag(); }},
        {"Comment", [](HtmlCommands &h) { h.Comment(); }},
        {"NBSP", [](HtmlCommands &h) { h.NonBreakingSpace(); }},
        {"AddComment", [](HtmlCommands &h) { h.AddLineComment(); }},
        {"RemoveComment", [](HtmlCommands &h) { h.RemoveLineComment(); }},
    };
    return table;
}

} // namespace

void TestHtmlCommands::commandsLeaveTheirSelection_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("tagSetting");   // 2 selects the second form; CloseEmptyTag for empty elements
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newLength");
    QTest::newRow("bold keeps the word selected") << "Bold" << 1 << "a w" << 2 << 1 << "a <b>w</b>" << 5 << 1;
    QTest::newRow("bold as strong") << "Bold" << 2 << "w" << 0 << 1 << "<strong>w</strong>" << 8 << 1;
    QTest::newRow("bold without selection: caret between the tags") << "Bold" << 1 << "" << 0 << 0 << "<b></b>" << 3 << 0;
    QTest::newRow("anchor: caret between the quotes") << "Anchor" << 1 << "w" << 0 << 1 << "<a href=\"\">w</a>" << 9 << 0;
    QTest::newRow("image goes before the selection") << "Image" << 1 << "w" << 0 << 1 << "<img src=\"\">w" << 10 << 0;
    QTest::newRow("image closed") << "Image" << 2 << "w" << 0 << 1 << "<img src=\"\" />w" << 10 << 0;
    QTest::newRow("break: caret after it") << "Break" << 1 << "" << 0 << 0 << "<br>" << 4 << 0;
    QTest::newRow("break closed: caret after it") << "Break" << 2 << "" << 0 << 0 << "<br />" << 6 << 0;
    QTest::newRow("center as a div") << "Center" << 2 << "w" << 0 << 1 << "<div align=\"center\">w</div>" << 20 << 1;
    QTest::newRow("paragraph over two lines") << "Paragraph" << 1 << "a\r\nb" << 0 << 4 << "<p>a\r\nb</p>" << 3 << 4;
    QTest::newRow("font size with quotes in the tag") << "FontPlus" << 1 << "w" << 0 << 1 << "<font size=\"+1\">w</font>"
                                                      << 16 << 1;
    QTest::newRow("start tag from the selection") << "StartTag" << 1 << "div" << 0 << 3 << "<div>" << 1 << 3;
    QTest::newRow("end tag from the selection") << "EndTag" << 1 << "x div" << 2 << 3 << "x </div>" << 4 << 3;
    QTest::newRow("html comment") << "Comment" << 1 << "w" << 0 << 1 << "<!--w-->" << 4 << 1;
    QTest::newRow("non-breaking space before the selection") << "NBSP" << 1 << "w" << 0 << 1 << "&nbsp;w" << 6 << 1;
}

void TestHtmlCommands::commandsLeaveTheirSelection()
{
    QFETCH(QString, command);
    QFETCH(int, tagSetting);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    Fixture f;
    f.settings.HTMLBoldTag = f.settings.HTMLCenterTag = qint16(tagSetting);
    f.settings.CloseEmptyTag = tagSetting == 2;
    f.select(text, selStart, selLength);
    byName().at(command)(f.commands);
    QTEST(f.surface.text(), "expected");
    QTEST(f.surface.selStart(), "newStart");
    QTEST(f.surface.selLength(), "newLength");
    QCOMPARE(f.snapshots, 1);
}

void TestHtmlCommands::lineComments_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newLength");
    QTest::addColumn<int>("snapshots");
    QTest::newRow("two lines ending in a break keep the break after the selection")
        << "AddComment" << "a\r\nb\r\nc" << 0 << 6 << "//a\r\n//b\r\nc" << 0 << 8 << 1;
    QTest::newRow("add without selection marks the caret's line")
        << "AddComment" << "x\r\nab" << 4 << 0 << "x\r\n//ab" << 6 << 0 << 1;
    QTest::newRow("remove takes the markers off two lines")
        << "RemoveComment" << "//a\r\n//b\r\nc" << 0 << 8 << "a\r\nb\r\nc" << 0 << 4 << 1;
    QTest::newRow("remove without selection") << "RemoveComment" << "x\r\n//ab" << 6 << 0 << "x\r\nab" << 4 << 0 << 1;
    QTest::newRow("remove with the caret inside the marker stays on the line")
        << "RemoveComment" << "x\r\n//ab" << 4 << 0 << "x\r\nab" << 3 << 0 << 1;
    QTest::newRow("blank before the marker: line unchanged, no undo step")
        << "RemoveComment" << " //a" << 2 << 0 << " //a" << 2 << 0 << 0;
}

void TestHtmlCommands::lineComments()
{
    QFETCH(QString, command);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    Fixture f;
    f.language.languageActive = true;
    f.language.lineComment = QStringLiteral("//");
    f.select(text, selStart, selLength);
    byName().at(command)(f.commands);
    QTEST(f.surface.text(), "expected");
    QTEST(f.surface.selStart(), "newStart");
    QTEST(f.surface.selLength(), "newLength");
    QTEST(f.snapshots, "snapshots");
}

void TestHtmlCommands::markerOfTheLanguage_data()
{
    QTest::addColumn<QString>("kwLine");
    QTest::addColumn<QString>("marker");
    QTest::newRow("stars escaped for the pattern come back") << "LineComment:**" << "**";
    QTest::newRow("first of the alternatives") << "LineComment:REM|::" << "REM";
    QTest::newRow("no marker") << "" << "";
}

void TestHtmlCommands::markerOfTheLanguage()
{
    QFETCH(QString, kwLine);
    LanguageDefinition language;
    language.applyLine(kwLine);
    QTEST(HtmlCommands::lineCommentMarker(language), "marker");
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
    QTest::newRow("emptied") << "" << "1";
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
