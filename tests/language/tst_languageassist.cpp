#include "ArgumentTip.h"
#include "AssistText.h"
#include "EditorChrome.h"
#include "KeywordList.h"
#include "LanguageAssist.h"
#include "LineNumberGutter.h"
#include "LanguageDefinition.h"
#include "MemorySurface.h"
#include "ScintillaView.h"
#include "Settings.h"
#include "StatusBar.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// The tip as text: the current argument in [brackets], lines joined by "|".
QString rendered(const QList<AssistText::TipLine> &lines)
{
    QStringList out;
    for (const AssistText::TipLine &line : lines) {
        QString text;
        for (const AssistText::TipRun &run : line)
            text += run.current ? u'[' + run.text + u']' : run.text;
        out << text;
    }
    return out.join(u'|');
}

const QString printfHelp = QStringLiteral("(const char *format, ...) -> int");

// The assist over a memory surface, with the editor placed right of a 40-pixel gutter.
struct Assist : LanguageAssist::Host {
    MemorySurface surface;
    Settings settings;
    LanguageDefinition language;
    qint64 loadedLength = 0;
    QWidget host;
    QWidget *editor = new QWidget(&host);
    int snapshots = 0;
    int rehighlights = 0;
    LanguageAssist assist{surface, settings, language, loadedLength, editor, *this};

    void addHistory() override { ++snapshots; }
    void rehighlightCurrentLine() override { ++rehighlights; }

    Assist()
    {
        language.applyLines({QStringLiteral("KeyWord1:BEGIN END while "), QStringLiteral("KeyWord2:print printf max "),
                             QStringLiteral("StringChar:\"")});
        language.languageActive = true;
        language.functionHelp = FunctionHelp::fromLines(
            {QStringLiteral("printf\t") + printfHelp, QStringLiteral("max\t(int a, int b)")});
        host.resize(600, 400);
        editor->setGeometry(40, 0, 560, 400);
        host.show();
    }
    void type(const QString &text, int caret = -1)
    {
        surface.setText(text);
        surface.setSelStart(caret < 0 ? int(text.size()) : caret);
    }
    QString current() const
    {
        const QListWidgetItem *item = assist.lstVariables()->currentItem();
        return item ? item->text() : QString();
    }
};

} // namespace

class TestLanguageAssist : public QObject {
    Q_OBJECT

private slots:
    void wordAtCaret_data();
    void wordAtCaret();
    void preselection_data();
    void preselection();
    void argumentNumber_data();
    void argumentNumber();
    void enclosingFunction_data();
    void enclosingFunction();
    void tipLayout_data();
    void tipLayout();
    void popupPlacement_data();
    void popupPlacement();

    void listInsertsTheChosenEntry_data();
    void listInsertsTheChosenEntry();
    void listKeys();
    void tipConditions_data();
    void tipConditions();
    void tipFollowsTheArgument();

    void keywordListInTheWindow();
    void tipInTheWindow();
};

void TestLanguageAssist::wordAtCaret_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("word");
    QTest::newRow("after three letters") << "x = pri" << 7 << "pri";
    QTest::newRow("inside a word takes all of it") << "(printf)" << 3 << "printf";
    QTest::newRow("hyphen underscore digits $ < # @ belong") << " $my-var_1<#@ " << 4 << "$my-var_1<#@";
    QTest::newRow("right after a delimiter") << "foo( bar" << 4 << "";
    QTest::newRow("line start takes the next word") << "ab\r\ncd" << 4 << "cd";
    QTest::newRow("accented delimiters") << "a\u00a4b\u00b4c" << 3 << "b";
}

void TestLanguageAssist::wordAtCaret()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    const AssistText::Span span = AssistText::wordAt(text, caret);
    QTEST(text.mid(span.start, span.end - span.start), "word");
}

void TestLanguageAssist::preselection_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("row");
    // "@ BEGIN", "@ END", "@ while", "# print", "# printf", "# max"
    QTest::newRow("first entry starting with the word") << "pri" << 3;
    QTest::newRow("letter case ignored") << "PRINTF" << 4;
    QTest::newRow("keywords come before functions") << "w" << 2;
    QTest::newRow("no entry starts so") << "xyz" << -1;
    QTest::newRow("the marker is not part of the word") << "@" << -1;
    QTest::newRow("empty word") << "" << -1;
}

void TestLanguageAssist::preselection()
{
    Assist a;
    QFETCH(QString, word);
    QTEST(AssistText::preselection(a.language.variableListEntries(), word), "row");
}

void TestLanguageAssist::argumentNumber_data()
{
    QTest::addColumn<QString>("beforeCaret");
    QTest::addColumn<int>("argNo");
    QTest::newRow("just after the parenthesis") << "f(" << 0;
    QTest::newRow("third argument") << "f(a, b, " << 2;
    QTest::newRow("comma of a nested call") << "f(a, g(b, c), " << 2;
    QTest::newRow("two nested calls") << "f(x, g(a), h(b), " << 3;
    QTest::newRow("comma inside a string") << "f(\"a, b\", " << 1;
    QTest::newRow("parenthesis inside a string") << "f(\")\", a, " << 2;
    QTest::newRow("caret inside a string") << "f(\"a, b" << 0;
    QTest::newRow("inner call still open") << "f(a, g(b, " << 1;
}

void TestLanguageAssist::argumentNumber()
{
    QFETCH(QString, beforeCaret);
    const QString text = beforeCaret + QStringLiteral("z)");
    QTEST(AssistText::getArgNo(text, 2, int(beforeCaret.size()), u'"'), "argNo");
    // The caret on or before the parenthesis is always in the first argument.
    QCOMPARE(AssistText::getArgNo(text, 2, 1, u'"'), 0);
}

void TestLanguageAssist::enclosingFunction_data()
{
    QTest::addColumn<QString>("lineBefore");
    QTest::addColumn<QString>("name");
    QTest::newRow("open call") << "x = printf(a, " << "printf";
    QTest::newRow("closed inner call") << "printf(a, max(1, 2), " << "printf";
    QTest::newRow("inner call open") << "printf(a, max(1, " << "max";
    QTest::newRow("every call closed") << "printf(a) + max(b)" << "";
    QTest::newRow("parenthesis in a string") << "printf(\"(\", " << "printf";
    QTest::newRow("bare parenthesis") << "x = (a, " << "";
    QTest::newRow("no parenthesis") << "int a" << "";
}

void TestLanguageAssist::enclosingFunction()
{
    QFETCH(QString, lineBefore);
    const int open = AssistText::openParenthesis(lineBefore, u'"');
    QTEST(open < 0 ? QString() : AssistText::wordEndingAt(lineBefore, open), "name");
}

void TestLanguageAssist::tipLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("help");
    QTest::addColumn<int>("argNo");
    QTest::addColumn<bool>("singleLine");
    QTest::addColumn<QString>("tip");
    QTest::newRow("first argument") << "printf" << printfHelp << 0 << false
                                    << "printf([const char *format], |       ...) -> int";
    QTest::newRow("last argument, its parenthesis plain") << "printf" << printfHelp << 1 << false
                                                          << "printf(const char *format, |      [ ...]) -> int";
    QTest::newRow("past the last argument") << "printf" << printfHelp << 2 << false
                                            << "printf(const char *format, |       ...) -> int";
    QTest::newRow("one argument") << "abs" << "(int x)" << 0 << false << "abs([int x])";
    QTest::newRow("no arguments") << "rand" << "()" << 0 << false << "rand()";
    QTest::newRow("single line") << "max" << "(int a, int b)" << 1 << true << "max(int a, [ int b])";
}

void TestLanguageAssist::tipLayout()
{
    QFETCH(QString, name);
    QFETCH(QString, help);
    QFETCH(int, argNo);
    QFETCH(bool, singleLine);
    QTEST(rendered(AssistText::tipLayout(name, help, argNo, singleLine)), "tip");
}

void TestLanguageAssist::popupPlacement_data()
{
    QTest::addColumn<QPoint>("caret");
    QTest::addColumn<QPoint>("topLeft");
    // A 100 x 50 box, lines 16 high, in the area x 40..439, y 0..299.
    QTest::newRow("one line below the caret") << QPoint(64, 16) << QPoint(64, 32);
    QTest::newRow("kept inside on the right") << QPoint(400, 16) << QPoint(340, 32);
    QTest::newRow("above the line near the bottom") << QPoint(64, 270) << QPoint(64, 220);
    QTest::newRow("never left of the area") << QPoint(0, 0) << QPoint(40, 16);
}

void TestLanguageAssist::popupPlacement()
{
    QFETCH(QPoint, caret);
    QTEST(AssistText::popupPosition(caret, 16, QSize(100, 50), QRect(40, 0, 400, 300)), "topLeft");
}

void TestLanguageAssist::listInsertsTheChosenEntry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("forceCase");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("result");
    QTest::newRow("three letters become the function") << "x = pri" << 7 << false << "# print" << "x = print";
    QTest::newRow("caret inside replaces the whole word") << "x = prin;" << 6 << false << "# print" << "x = print;";
    QTest::newRow("capitalised keyword as written") << "be" << 2 << false << "@ BEGIN" << "BEGIN";
    QTest::newRow("ForceCase inserts lower case") << "be" << 2 << true << "@ BEGIN" << "begin";
    QTest::newRow("no word inserts at the caret") << "a(" << 2 << false << "@ BEGIN" << "a(BEGIN";
}

void TestLanguageAssist::listInsertsTheChosenEntry()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    Assist a;
    QFETCH(bool, forceCase);
    a.settings.ForceCase = forceCase;
    a.type(text, caret);
    a.assist.ShowListBox(false);
    QVERIFY(a.assist.listVisible());
    QTEST(a.current(), "selected");
    QTest::keyClick(a.assist.lstVariables(), Qt::Key_Return);
    QTEST(a.surface.text(), "result");
    QVERIFY(!a.assist.listVisible());
    QCOMPARE(a.snapshots, 1);
    QCOMPARE(a.rehighlights, 1);
}

void TestLanguageAssist::listKeys()
{
    Assist a;
    KeywordList *list = a.assist.lstVariables();

    // Placed one line below the caret, right of the gutter.
    a.type(QStringLiteral("a\r\nabc p"));
    a.assist.ShowListBox(true);
    QVERIFY(!a.assist.listVisible());
    QCOMPARE(list->pos(), QPoint(40 + 5 * 8, 2 * 16));

    // Letters go to the document and choose again; Escape closes without inserting.
    a.assist.ShowListBox(false);
    QCOMPARE(a.current(), QStringLiteral("# print"));
    QTest::keyClicks(list, QStringLiteral("rintf"));
    QCOMPARE(a.surface.text(), QStringLiteral("a\r\nabc printf"));
    QCOMPARE(a.current(), QStringLiteral("# printf"));
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!a.assist.listVisible());
    QCOMPARE(a.snapshots, 0);

    // Backspace closes too and deletes nothing; Down then Tab inserts the next entry.
    a.type(QStringLiteral("m"));
    a.assist.ShowListBox(false);
    QTest::keyClick(list, Qt::Key_Backspace);
    QVERIFY(!a.assist.listVisible());
    QCOMPARE(a.surface.text(), QStringLiteral("m"));
    a.assist.ShowListBox(false);
    QCOMPARE(a.current(), QStringLiteral("# max"));
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(a.surface.text(), QStringLiteral("printf"));

    // A double click inserts; Space too.
    a.type(QStringLiteral("wh"));
    a.assist.ShowListBox(false);
    const QRect row = list->visualItemRect(list->currentItem());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(a.surface.text(), QStringLiteral("while"));

    // Showing the list hides the tip; a language without entries shows nothing.
    a.type(QStringLiteral("printf("));
    a.assist.showTip(false);
    QVERIFY(a.assist.tipVisible());
    a.language = LanguageDefinition{};
    QVERIFY(!a.assist.hasEntries());
    a.assist.ShowListBox(false);
    QVERIFY(!a.assist.tipVisible());
    QVERIFY(!a.assist.listVisible());
    QCOMPARE(list->count(), 0);
}

void TestLanguageAssist::tipConditions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selection");
    QTest::addColumn<qint64>("loaded");
    QTest::addColumn<bool>("tipsOn");
    QTest::addColumn<bool>("shown");
    QTest::newRow("known function") << "printf" << 0 << qint64(0) << true << true;
    QTest::newRow("letter case of the name ignored") << "PrintF" << 0 << qint64(0) << true << true;
    QTest::newRow("unknown function") << "prin" << 0 << qint64(0) << true << false;
    QTest::newRow("tips switched off") << "printf" << 0 << qint64(0) << false << false;
    QTest::newRow("loaded with 500000 characters") << "printf" << 0 << qint64(500000) << true << true;
    QTest::newRow("loaded with 500001 characters") << "printf" << 0 << qint64(500001) << true << false;
    QTest::newRow("one character selected") << "printf" << 1 << qint64(0) << true << true;
    QTest::newRow("two characters selected") << "printf" << 2 << qint64(0) << true << false;
}

void TestLanguageAssist::tipConditions()
{
    QFETCH(QString, text);
    QFETCH(int, selection);
    Assist a;
    QFETCH(qint64, loaded);
    a.loadedLength = loaded;
    QFETCH(bool, tipsOn);
    a.settings.ShowArgumentTips = tipsOn;
    a.surface.setText(text + QStringLiteral("xy"));
    a.surface.setSelStart(int(text.size()));
    a.surface.setSelLength(selection);
    a.assist.showTip(false);
    QTEST(a.assist.tipVisible(), "shown");
}

void TestLanguageAssist::tipFollowsTheArgument()
{
    Assist a;
    ArgumentTip *tip = a.assist.picArgs();
    a.type(QStringLiteral("x = printf"));
    a.assist.showTip(false);
    QCOMPARE(rendered(tip->lines()), QStringLiteral("printf([const char *format], |       ...) -> int"));
    QCOMPARE(tip->pos(), QPoint(40 + 10 * 8, 16));
    QVERIFY(tip->width() > 0 && tip->height() > 0);

    const QString second = QStringLiteral("printf(const char *format, |      [ ...]) -> int");
    const struct {
        const char *text;
        QString tip;
    } steps[] = {
        {"x = printf(\"%d, %d\", ", second},
        {"x = printf(\"a\", max(1, 2)", second},
        {"x = printf(\"a\", max(1, ", QStringLiteral("max(int a, |   [ int b])")},
        {"x = printf(\"a\"); y", QString()},
    };
    for (const auto &step : steps) {
        a.type(QString::fromLatin1(step.text));
        a.assist.showTip(true);
        QCOMPARE(a.assist.tipVisible(), !step.tip.isEmpty());
        if (!step.tip.isEmpty())
            QCOMPARE(rendered(tip->lines()), step.tip);
    }

    // Without a language nothing shows; a press on the tip hides it.
    a.type(QStringLiteral("max("));
    a.assist.showTip(true);
    QVERIFY(a.assist.tipVisible());
    QTest::mouseClick(tip, Qt::LeftButton);
    QVERIFY(!a.assist.tipVisible());
    a.language.languageActive = false;
    a.assist.showTip(true);
    QVERIFY(!a.assist.tipVisible());
}

namespace {

using Folders = WindowFolders;

// A main window over the shipped languages, shown and active.
struct Window : Folders, frmMain {
    Window() : frmMain(app.path())
    {
        settings().InsertPairs = false;
        show();
        activateWindow();
    }
    QString doc(const QString &name, const QByteArray &bytes) { return writeFile(docs, name, bytes); }
};

} // namespace

void TestLanguageAssist::keywordListInTheWindow()
{
    Window window;
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QAction *command = window.findChild<QAction *>(QStringLiteral("mnuSyntaxFunctionList"));
    QVERIFY(command);

    window.ReadFile(window.doc(QStringLiteral("a.c"), "int main() {\n    \n}\n"), false);
    const QString hint = QStringLiteral("Press Ctrl+Space to get a list of available Key Words (C)");
    QCOMPARE(window.statusLabels().lblToolTip->text(), hint);
    for (int tick = 0; tick < 20; ++tick)
        window.toolTipTick();
    QCOMPARE(window.statusLabels().lblToolTip->text(), window.language().languageName);
    window.updateXY();
    QCoreApplication::processEvents();
    QVERIFY(command->isEnabled());

    // After "pri" the keyword list (Ctrl+Space, whose key the typing aids route) selects printf;
    // Enter puts it in place of the three letters.
    EditorSurface &s = window.surface();
    const QString loaded = s.text();
    const int inner = int(loaded.indexOf(QStringLiteral("    ")) + 4);
    s.setSelStart(inner);
    window.txtText()->setFocus();
    QTest::keyClicks(window.txtText(), QStringLiteral("pri"));
    QTest::keyClick(window.txtText(), Qt::Key_Space, Qt::ControlModifier);
    LanguageAssist &assist = window.languageAssist();
    QVERIFY(assist.listVisible());
    QCOMPARE(assist.lstVariables()->currentItem()->text(), QStringLiteral("# printf"));
    QTRY_VERIFY(assist.lstVariables()->hasFocus());
    QTest::keyClick(assist.lstVariables(), Qt::Key_Return);
    QVERIFY(!assist.listVisible());
    QCOMPARE(s.text(), QString(loaded).insert(inner, QStringLiteral("printf")));
    QCOMPARE(s.selStart(), inner + 6);
    QCOMPARE(s.formatAt(inner).color, window.settings().fcolor2);
    QTRY_VERIFY(window.txtText()->hasFocus());

    // One undo step takes the insertion back.
    window.Undo();
    QCOMPARE(s.text(), QString(loaded).insert(inner, QStringLiteral("pri")));

    // The list lies inside the editor, right of the gutter.
    command->trigger();
    QVERIFY(assist.listVisible());
    const QRect editor(window.txtText()->mapTo(window.centralWidget(), QPoint(0, 0)), window.txtText()->size());
    QVERIFY(editor.contains(assist.lstVariables()->geometry()));
    QVERIFY(assist.lstVariables()->x() >= window.chrome().PicLines->width());
}

void TestLanguageAssist::tipInTheWindow()
{
    Window window;
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.ReadFile(window.doc(QStringLiteral("a.c"), "\n"), false);
    EditorSurface &s = window.surface();
    LanguageAssist &assist = window.languageAssist();
    ArgumentTip *tip = assist.picArgs();
    window.txtText()->setFocus();
    s.setSelStart(0);

    // "(" after a known function shows its tip; a comma moves the bold, one inside a string does not.
    QTest::keyClicks(window.txtText(), QStringLiteral("printf("));
    QVERIFY(assist.tipVisible());
    QCOMPARE(rendered(tip->lines()), QStringLiteral("printf([const char *format], |       ...) -> int"));
    QTest::keyClicks(window.txtText(), QStringLiteral("\"a, b\", "));
    QCOMPARE(rendered(tip->lines()), QStringLiteral("printf(const char *format, |      [ ...]) -> int"));

    // The tip lies below the caret's line; a mouse press in the editor hides it.
    const QPoint caret = window.txtText()->viewport()->mapTo(window.centralWidget(), s.caretPos());
    QCOMPARE(tip->y(), caret.y() + s.lineHeight());
    QTest::mouseClick(window.txtText()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!assist.tipVisible());

    // The argument tips setting is read at the moment of asking.
    window.settings().ShowArgumentTips = false;
    s.setSelStart(7);
    assist.showTip(true);
    QVERIFY(!assist.tipVisible());
}

QTEST_MAIN(TestLanguageAssist)
#include "tst_languageassist.moc"
