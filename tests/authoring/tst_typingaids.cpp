#include "CommandTable.h"
#include "MemorySurface.h"
#include "ScintillaView.h"
#include "Settings.h"
#include "StatusBar.h"
#include "TestSupport.h"
#include "TypingAids.h"
#include "TypingHost.h"
#include "UndoHistory.h"
#include "frmMain.h"
#include "DocumentIndent.h"
#include "LanguageDefinition.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

// The key handler and the typing aids, on the reference surface and in the real window.
class TestTypingAids : public QObject {
    Q_OBJECT

private slots:
    void keySequences_data();
    void keySequences();
    void closeTagName_data();
    void closeTagName();
    void tagsAreMarkup_data();
    void tagsAreMarkup();
    void indentationDetected_data();
    void indentationDetected();
    void oneUndoStepPerAid_data();
    void oneUndoStepPerAid();
    void largeDocumentsKeepTheirAids();
    void handlerKeysReachTheirNeighbours();
    void hiddenToggles();
    void ignoreListFromFile();

    void windowTypesWithAids();
    void windowOverwriteMode();
    void windowCommandKeysFireOnce_data();
    void windowCommandKeysFireOnce();
    void windowToolsMenuToggles();
    void windowCompletesTagsOnlyInMarkup();
    void windowFollowsTheFilesIndentation();
};

namespace {

struct FakeHost : TypingHost {
    UndoHistory *history = nullptr;
    bool records = true;
    bool over = false;
    int snapshots = 0;
    QStringList calls;
    QStringList hints;

    bool historyEmpty() const override { return !history || history->position() == 0; }
    bool historyRecords() const override { return records; }
    void addHistory() override
    {
        ++snapshots;
        if (history)
            history->AddHistory();
    }
    void keyDownSeen() override {}
    void rehighlightOnEnter(int, int) override { calls << QStringLiteral("rehighlightEnter"); }
    void rehighlightOnKeyUp(int, int) override {}
    void afterBlockIndent(int start, int length) override { calls << QStringLiteral("block %1 %2").arg(start).arg(length); }
    void showList() override { calls << QStringLiteral("showList"); }
    void hideList() override {}
    void showTip(bool afterClosing) override { calls << (afterClosing ? QStringLiteral("tip after") : QStringLiteral("tip")); }
    void hideTip() override { calls << QStringLiteral("hideTip"); }
    void showHint(const QString &text) override { hints << text; }
    bool overwrite() const override { return over; }
    void setOverwrite(bool on) override { over = on; }
    void refreshBlockCaret() override {}
    void popUpEditMenu() override { calls << QStringLiteral("editMenu"); }
    void capsLockPressed() override {}
    void capsLockReleased() override {}
    void l33tCaptions() override { calls << QStringLiteral("l33t"); }
    void settingsToggled() override {}
    void caretMoved(int) override {}
    bool markup = true;
    IndentStyle indent;
    bool markupDocument() const override { return markup; }
    IndentStyle indentStyle() const override { return indent; }
};

// Text with the caret as "|" or the selection in "[" "]".
void place(EditorSurface &surface, QString marked)
{
    int start = int(marked.indexOf(QLatin1Char('|')));
    int length = 0;
    if (start >= 0) {
        marked.remove(start, 1);
    } else {
        start = int(marked.indexOf(QLatin1Char('[')));
        marked.remove(start, 1);
        const int end = int(marked.indexOf(QLatin1Char(']')));
        marked.remove(end, 1);
        length = end - start;
    }
    surface.setText(marked);
    surface.setSelStart(start);
    surface.setSelLength(length);
}

QString marked(const EditorSurface &surface)
{
    QString text = surface.text();
    const int start = surface.selStart();
    const int length = surface.selLength();
    if (length == 0)
        return text.insert(start, QLatin1Char('|'));
    text.insert(start + length, QLatin1Char(']'));
    return text.insert(start, QLatin1Char('['));
}

struct Stroke {
    int key = 0;
    int shift = 0;
    int character = 0;
};

// "Enter", "S-Tab", "C-Space", "CAS-A" or a single character typed.
Stroke stroke(const QString &token)
{
    Stroke s;
    QString name = token;
    if (token.size() > 1 && token.contains(QLatin1Char('-'))) {
        const QString mods = token.section(QLatin1Char('-'), 0, 0);
        name = token.section(QLatin1Char('-'), 1);
        s.shift = (mods.contains(QLatin1Char('S')) ? ShiftMask : 0) | (mods.contains(QLatin1Char('C')) ? CtrlMask : 0)
                  | (mods.contains(QLatin1Char('A')) ? AltMask : 0);
    }
    static const QHash<QString, int> named = {
        {QStringLiteral("Enter"), Qt::Key_Return}, {QStringLiteral("Tab"), Qt::Key_Tab},
        {QStringLiteral("Home"), Qt::Key_Home},    {QStringLiteral("Insert"), Qt::Key_Insert},
        {QStringLiteral("Escape"), Qt::Key_Escape}, {QStringLiteral("Space"), Qt::Key_Space},
        {QStringLiteral("Back"), Qt::Key_Backspace}, {QStringLiteral("Delete"), Qt::Key_Delete}};
    if (named.contains(name)) {
        s.key = named.value(name);
        s.character = s.key == Qt::Key_Return ? 13 : s.key == Qt::Key_Tab ? 9 : s.key == Qt::Key_Space ? ' ' : 0;
        return s;
    }
    const QChar c = name.at(0);
    s.key = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode();
    s.character = (s.shift & (CtrlMask | AltMask)) ? 0 : c.unicode();
    return s;
}

// One key as the widget delivers it, with the widget's own typing where the handler lets it through.
void press(TypingAids &aids, EditorSurface &surface, const Stroke &s)
{
    if (!aids.keyDown(s.key, s.shift)) {
        int character = s.character;
        if (character)
            character = aids.keyPress(character);
        if (character == 13)
            surface.setSelText(QStringLiteral("\r\n"));
        else if (character >= 9)
            surface.setSelText(QString(QChar(character)));
    }
    aids.keyUp(s.key, s.shift);
}

struct Fixture {
    MemorySurface surface;
    Settings settings;
    FakeHost host;
    TypingAids aids{surface, settings, host};

    Fixture()
    {
        settings.AutoIndent = true;
        settings.AutoBracketIndent = false;
        settings.InsertPairs = false;
        settings.HTMLCompletion = false;
        settings.UseSpacesInsteadOfTabs = false;
        settings.HomeKeyCol1 = false;
        settings.TabWidth = 4;
        aids.AddIgnoreElements(QDir(sourceDir()).filePath(QStringLiteral("data/ignoreclosetag.txt")));
    }
    void apply(const QString &flags)
    {
        for (const QString &flag : flags.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const bool on = !flag.startsWith(QLatin1Char('!'));
            const QString name = on ? flag : flag.mid(1);
            if (name == QLatin1String("indent")) settings.AutoIndent = on;
            else if (name == QLatin1String("smart")) settings.AutoBracketIndent = on;
            else if (name == QLatin1String("pairs")) settings.InsertPairs = on;
            else if (name == QLatin1String("html")) settings.HTMLCompletion = on;
            else if (name == QLatin1String("spaces")) host.indent = IndentStyle{on, 4};
            else if (name == QLatin1String("spaces2")) host.indent = IndentStyle{on, 2};
            else if (name == QLatin1String("code")) host.markup = !on;
            else if (name == QLatin1String("col1")) settings.HomeKeyCol1 = on;
        }
    }
    void type(const QStringList &keys)
    {
        for (const QString &key : keys)
            press(aids, surface, stroke(key));
    }
};

} // namespace

void TestTypingAids::keySequences_data()
{
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("after");

    const QStringList enter{QStringLiteral("Enter")};
    QTest::newRow("enter keeps two tabs") << "indent" << "\t\tabc|" << enter << "\t\tabc\r\n\t\t|";
    QTest::newRow("enter inside the indentation copies what is before the caret")
        << "indent" << "\t|\tabc" << enter << "\t\r\n\t|\tabc";
    QTest::newRow("enter at a line start is a bare break") << "indent" << "\tx\r\n|\tabc" << enter
                                                           << "\tx\r\n\r\n|\tabc";
    QTest::newRow("enter replaces the selection") << "indent" << "  a[bc]d" << enter << "  a\r\n  |d";
    QTest::newRow("enter without auto indent") << "!indent" << "\tab|" << enter << "\tab\r\n|";

    const QStringList brace{QStringLiteral("{")};
    QTest::newRow("smart brace opens a block") << "pairs smart" << "\tif (x) |" << brace
                                               << "\tif (x) {\r\n\t\t|\r\n\t}";
    QTest::newRow("smart brace wraps the selection") << "pairs smart" << "[a = 1;]" << brace << "{\r\n\ta = 1;|\r\n}";
    QTest::newRow("smart brace with blanks") << "pairs smart spaces" << "  |" << brace << "  {\r\n      |\r\n  }";
    QTest::newRow("brace pair without smart indent") << "pairs" << "x|" << brace << "x{|}";
    QTest::newRow("no pairs") << "!pairs smart" << "x|" << brace << "x{|";
    QTest::newRow("parenthesis keeps the word selected") << "pairs" << "f [word] g" << QStringList{"("}
                                                         << "f ([word]) g";
    QTest::newRow("bracket pair") << "pairs" << "a|" << QStringList{"["} << "a[|]";
    QTest::newRow("quote pair") << "pairs" << "|" << QStringList{"\""} << "\"|\"";
    QTest::newRow("closing partner typed steps over") << "pairs" << "|" << QStringList{"(", "a", ")", "\"", "\""}
                                                      << "(a)\"\"|";

    const QStringList gt{QStringLiteral(">")};
    QTest::newRow("tag with attribute closes") << "html" << "<div class=\"a\"|" << gt << "<div class=\"a\">|</div>";
    QTest::newRow("empty element from the list") << "html" << "<br|" << gt << "<br>|";
    QTest::newRow("ignore list is case blind") << "html" << "<IMG src=x|" << gt << "<IMG src=x>|";
    QTest::newRow("slash in an attribute") << "html" << "<a href=\"x/y\"|" << gt << "<a href=\"x/y\">|";
    QTest::newRow("closing tag") << "html" << "</p|" << gt << "</p>|";
    QTest::newRow("comment") << "html" << "<!-- c|" << gt << "<!-- c>|";
    QTest::newRow("tag of an earlier line") << "html" << "<b\r\nx|" << gt << "<b\r\nx>|";
    QTest::newRow("completion off") << "!html" << "<div|" << gt << "<div>|";
    QTest::newRow("code: include stays as typed") << "html code" << "#include <stdio.h|" << gt << "#include <stdio.h>|";
    QTest::newRow("code: comparisons stay as typed") << "html code" << "if (a<b && c|" << gt << "if (a<b && c>|";

    QTest::newRow("shift tab outdents and keeps the block")
        << "" << "\t[a\r\n\tb\r\n\tc]" << QStringList{"S-Tab"} << "[a\r\nb\r\nc]";
    QTest::newRow("outdent of blanks takes one unit") << "spaces" << "[      a\r\n  b]" << QStringList{"S-Tab"}
                                                      << "[  a\r\nb]";
    QTest::newRow("tab indents the lines, not the one the selection ends at")
        << "" << "[a\r\nb\r\n]c" << QStringList{"Tab"} << "[\ta\r\n\tb\r\n]c";
    QTest::newRow("tab indents whole lines") << "spaces" << "x[a\r\nb]y" << QStringList{"Tab"}
                                             << "[    xa\r\n    by]";
    QTest::newRow("tab in a one-line selection types a tab") << "" << "[ab]c" << QStringList{"Tab"} << "\t|c";
    QTest::newRow("tab as blanks") << "spaces" << "a|" << QStringList{"Tab"} << "a    |";
    QTest::newRow("two-blank file: tab on a selection indents by two")
        << "spaces2" << "[a\r\n  b]" << QStringList{"Tab"} << "[  a\r\n    b]";
    QTest::newRow("two-blank file: shift tab takes two") << "spaces2" << "[    a\r\n  b]" << QStringList{"S-Tab"}
                                                         << "[  a\r\nb]";
    QTest::newRow("two-blank file: tab types two") << "spaces2" << "a|" << QStringList{"Tab"} << "a  |";
    QTest::newRow("two-blank file: smart brace indents by two") << "pairs smart spaces2" << "  |" << brace
                                                                << "  {\r\n    |\r\n  }";

    QTest::newRow("overwrite: enter does not indent") << "indent" << "\tab|" << QStringList{"Insert", "Enter"}
                                                      << "\tab\r\n|";
    QTest::newRow("overwrite: tab never expands") << "spaces" << "a|" << QStringList{"Insert", "Tab"} << "a\t|";
    QTest::newRow("insert twice is insert mode again") << "indent" << "\tab|" << QStringList{"Insert", "Insert", "Enter"}
                                                       << "\tab\r\n\t|";

    QTest::newRow("home goes to the first character") << "" << "\t\tab|c" << QStringList{"Home"} << "\t\t|abc";
    QTest::newRow("home twice goes to column 1") << "" << "\t\tab|c" << QStringList{"Home", "Home"} << "|\t\tabc";
    QTest::newRow("home three times is back") << "" << "x\r\n  ab|c" << QStringList{"Home", "Home", "Home"}
                                              << "x\r\n  |abc";
    QTest::newRow("home col1 setting") << "col1" << "\t\tab|c" << QStringList{"Home", "Home"} << "|\t\tabc";
    QTest::newRow("shift home selects to the first character") << "" << "\t\tab|c" << QStringList{"S-Home"}
                                                               << "\t\t[ab]c";
    QTest::newRow("shift home from the indentation") << "" << "\t|\tab" << QStringList{"S-Home"} << "\t[\t]ab";
    QTest::newRow("home on a blank line") << "" << "x\r\n  |" << QStringList{"Home"} << "x\r\n|  ";
    QTest::newRow("escape collapses the selection") << "" << "a[bc]d" << QStringList{"Escape"} << "a|bcd";
}

void TestTypingAids::keySequences()
{
    QFETCH(QString, flags);
    QFETCH(QString, before);
    QFETCH(QStringList, keys);
    QFETCH(QString, after);
    Fixture f;
    f.apply(flags);
    place(f.surface, before);
    f.type(keys);
    QCOMPARE(marked(f.surface), after);
}

void TestTypingAids::closeTagName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "x <table" << "table";
    QTest::newRow("attribute") << "<td width=\"5\"" << "td";
    QTest::newRow("nothing open") << "a > b" << "";
    QTest::newRow("processing instruction") << "<?xml version=\"1.0\"" << "";
    QTest::newRow("script block") << "<% x" << "";
    QTest::newRow("self-closing") << "<br /" << "";
    QTest::newRow("tab after the name") << "<p\tclass" << "";
    QTest::newRow("closed already") << "<b>text" << "";
    QTest::newRow("bare bracket") << "a <" << "";
}

void TestTypingAids::closeTagName()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(TypingAids::closeTagName(text), name);
}

void TestTypingAids::tagsAreMarkup_data()
{
    QTest::addColumn<QString>("definition");   // "" when no language is active
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("markup");
    QTest::newRow("html language") << "html.kw" << "/t/page.php" << true;
    QTest::newRow("c language") << "c.kw" << "/t/a.c" << false;
    QTest::newRow("c chosen for an html file") << "c.kw" << "/t/a.html" << false;
    QTest::newRow("python") << "python.kw" << "/t/a.py" << false;
    QTest::newRow("no language, markup extension") << "" << "/t/A.HTM" << true;
    QTest::newRow("no language, code extension") << "" << "/t/a.c" << false;
    QTest::newRow("no language, Untitled") << "" << "Untitled" << false;
}

void TestTypingAids::tagsAreMarkup()
{
    QFETCH(QString, definition);
    QFETCH(QString, path);
    QFETCH(bool, markup);
    LanguageDefinition language;
    if (!definition.isEmpty()) {
        const QString file = QDir(sourceDir()).filePath(QStringLiteral("data/keywords/") + definition);
        language.applyLines(QString::fromUtf8(readFile(file)).remove(QLatin1Char('\r')).split(QLatin1Char('\n')));
        language.languageActive = true;
    }
    QCOMPARE(TypingAids::tagsAreMarkup(language, path), markup);
}

void TestTypingAids::indentationDetected_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("style");   // "tabs", "spaces N" or "none"
    QTest::newRow("four blanks") << "int f()\n{\n    if (x) {\n        y();\n    }\n    return 0;\n}\n" << "spaces 4";
    QTest::newRow("two blanks, CR LF") << "a:\r\n  b:\r\n    c\r\n  d\r\ne\r\n" << "spaces 2";
    QTest::newRow("tabs") << "f()\n{\n\tif (x) {\n\t\ty();\n\t}\n}\n" << "tabs";
    QTest::newRow("tabs with aligned comment stars")
        << "/*\n * a\n * b\n * c\n */\nf()\n{\n\tx;\n\ty;\n}\n" << "tabs";
    QTest::newRow("nothing indented") << "a\nb\nc\n" << "none";
    QTest::newRow("one indented line is not enough") << "a\n   b\n" << "none";
}

void TestTypingAids::indentationDetected()
{
    QFETCH(QString, text);
    QFETCH(QString, style);
    const auto found = DocumentIndent::detect(text);
    const QString got = !found ? QStringLiteral("none")
                        : found->spaces ? QStringLiteral("spaces %1").arg(found->width)
                                        : QStringLiteral("tabs");
    QCOMPARE(got, style);

    // A file without its own indentation leaves it to the settings, as a new document does.
    Settings settings;
    settings.UseSpacesInsteadOfTabs = true;
    settings.TabWidth = 3;
    DocumentIndent indent;
    indent.follow(text);
    QCOMPARE(indent.unit(settings), !found ? QStringLiteral("   ") : found->unit());
    indent.forget();
    QCOMPARE(indent.unit(settings), QStringLiteral("   "));
}

void TestTypingAids::oneUndoStepPerAid_data()
{
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("undone");
    QTest::newRow("auto indent") << "indent" << "\tab|" << QStringList{"Enter"} << "\tab";
    QTest::newRow("smart brace") << "pairs smart" << "\tx |" << QStringList{"{"} << "\tx ";
    QTest::newRow("pair") << "pairs" << "[w]" << QStringList{"("} << "w";
    QTest::newRow("tag completion") << "html" << "<div|" << QStringList{">"} << "<div";
    QTest::newRow("block indent") << "" << "[a\r\nb]" << QStringList{"Tab"} << "a\r\nb";
    QTest::newRow("first key of the history runs an aid") << "pairs" << "|" << QStringList{"("} << "";
    QTest::newRow("a blank after an aid is a step of its own") << "pairs" << "|" << QStringList{"(", "a", "Space"}
                                                               << "(a)";
}

void TestTypingAids::oneUndoStepPerAid()
{
    QFETCH(QString, flags);
    QFETCH(QString, before);
    QFETCH(QStringList, keys);
    QFETCH(QString, undone);
    Fixture f;
    f.apply(flags);
    UndoHistory history(f.surface);
    f.host.history = &history;
    place(f.surface, before);
    history.reset();
    for (const QString &key : keys) {
        const QString was = f.surface.text();
        press(f.aids, f.surface, stroke(key));
        if (f.surface.text() != was)
            history.noteChange();
    }
    QVERIFY(history.undo());
    QCOMPARE(f.surface.text(), undone);
}

void TestTypingAids::largeDocumentsKeepTheirAids()
{
    Fixture f;
    f.apply(QStringLiteral("indent pairs html"));
    f.host.records = false;
    place(f.surface, QStringLiteral("\t<p|"));
    f.type({QStringLiteral(">"), QStringLiteral("Enter"), QStringLiteral("(")});
    QCOMPARE(marked(f.surface), QStringLiteral("\t<p>\r\n\t(|)</p>"));
    QCOMPARE(f.host.snapshots, 0);
}

void TestTypingAids::handlerKeysReachTheirNeighbours()
{
    Fixture f;
    f.apply(QStringLiteral("pairs"));
    place(f.surface, QStringLiteral("f|"));
    f.type({QStringLiteral("("), QStringLiteral(","), QStringLiteral(")")});
    f.type({QStringLiteral("C-Space"), QStringLiteral("Enter")});
    QCOMPARE(f.host.calls, (QStringList{"tip", "tip after", "tip after", "showList", "rehighlightEnter", "hideTip"}));
    QCOMPARE(f.host.hints.value(0), QStringLiteral("Insert Pairs feature is ON, you can disable this in the Options dialog"));
    QVERIFY(f.aids.keyDown(Qt::Key_Menu, 0));
    QVERIFY(f.aids.keyDown(Qt::Key_V, CtrlMask | ShiftMask));
    QCOMPARE(f.host.calls.last(), QStringLiteral("editMenu"));
}

void TestTypingAids::hiddenToggles()
{
    Fixture f;
    const int all = CtrlMask | AltMask | ShiftMask;
    QVERIFY(f.aids.keyDown(Qt::Key_A, all));
    QVERIFY(!f.settings.AutoIndent);
    QVERIFY(f.aids.keyDown(Qt::Key_P, all));
    QVERIFY(f.settings.InsertPairs);
    QVERIFY(f.aids.keyDown(Qt::Key_S, all));
    QVERIFY(f.aids.keyDown(Qt::Key_H, all));
    QCOMPARE(f.host.hints, (QStringList{"Auto Indent set to OFF", "Insert Pairs set to ON", "Smart Indent set to ON",
                                        "HTML/XML Auto Completion set to ON"}));
    QVERIFY(f.aids.keyDown(Qt::Key_NumberSign, all));
    QCOMPARE(f.host.calls, QStringList{"l33t"});
    // Any other key with all three modifiers does nothing, Enter included.
    place(f.surface, QStringLiteral("\ta|"));
    QVERIFY(!f.aids.keyDown(Qt::Key_Return, all));
    QCOMPARE(f.surface.text(), QStringLiteral("\ta"));
}

void TestTypingAids::ignoreListFromFile()
{
    QTemporaryDir dir;
    Fixture f;
    QVERIFY(f.aids.ignoreElements().contains(QStringLiteral("br")));
    f.aids.AddIgnoreElements(writeFile(dir, QStringLiteral("ignore.txt"), "DIV\r\n\r\n  Span \r\nx"));
    QCOMPARE(f.aids.ignoreElements(), (QStringList{"div", "span", "x"}));
    f.aids.AddIgnoreElements(dir.filePath(QStringLiteral("missing.txt")));
    QVERIFY(f.aids.ignoreElements().isEmpty());
}

namespace {

struct Window : frmMain {
    explicit Window(const QString &folder) : frmMain(folder)
    {
        settings().AutoIndent = true;
        settings().InsertPairs = true;
        settings().AutoBracketIndent = true;
        settings().HTMLCompletion = true;
        show();
        if (!QTest::qWaitForWindowExposed(this))
            qWarning("window not exposed");
        txtText()->setFocus();
    }
    QWidget *editor() { return txtText(); }
};

} // namespace

void TestTypingAids::windowTypesWithAids()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    Window w(app.path());
    QTest::keyClicks(w.editor(), QStringLiteral("\tif (x) "));
    QCOMPARE(w.surface().text(), QStringLiteral("\tif (x) "));
    QVERIFY(w.WriteDocument(QDir(app.path()).filePath(QStringLiteral("page.html"))));
    w.surface().setText(QStringLiteral("\tif x "));
    w.surface().setSelStart(6);
    QTest::keyClick(w.editor(), '{');
    QTest::keyClicks(w.editor(), QStringLiteral("<b"));
    QTest::keyClick(w.editor(), '>');
    QCOMPARE(w.surface().text(), QStringLiteral("\tif x {\r\n\t\t<b></b>\r\n\t}"));
    QCOMPARE(w.surface().selStart(), 14);
    QCOMPARE(w.statusLabels().lblToolTip->text(), QStringLiteral("HTML/XML Autocompletion is ON, you can disable this in the Options dialog"));
    QTest::keyClick(w.editor(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.surface().text(), QStringLiteral("\tif x {\r\n\t\t<b\r\n\t}"));
    QTest::keyClick(w.editor(), Qt::Key_Home);
    QCOMPARE(w.surface().selStart(), 11);
}

void TestTypingAids::windowOverwriteMode()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    Window w(app.path());
    w.surface().setText(QStringLiteral("\tabc"));
    w.surface().setSelStart(1);
    QTest::keyClick(w.editor(), Qt::Key_Insert);
    QCOMPARE(w.statusLabels().lblINS->text(), QStringLiteral("OVR"));
    QTest::keyClick(w.editor(), 'x');
    QCOMPARE(w.surface().text(), QStringLiteral("\txbc"));
    QTest::keyClick(w.editor(), Qt::Key_Insert);
    QCOMPARE(w.statusLabels().lblINS->text(), QStringLiteral("INS"));
    QTest::keyClick(w.editor(), 'y');
    QCOMPARE(w.surface().text(), QStringLiteral("\txybc"));
}

void TestTypingAids::windowCommandKeysFireOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("Ctrl+1") << int(Qt::Key_1) << int(Qt::ControlModifier) << "<h1>";
    QTest::newRow("Ctrl+keypad 2") << int(Qt::Key_2) << int(Qt::ControlModifier | Qt::KeypadModifier) << "<h2>";
    QTest::newRow("Ctrl+comma") << int(Qt::Key_Comma) << int(Qt::ControlModifier) << "<>";
    QTest::newRow("Alt+B") << int(Qt::Key_B) << int(Qt::AltModifier) << "<blockquote>";
}

void TestTypingAids::windowCommandKeysFireOnce()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, inserted);
    QTemporaryDir app;
    PrompterGuard prompter;
    Window w(app.path());
    QTest::keyClick(w.editor(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.surface().text().toLower().count(inserted), 1);
}

void TestTypingAids::windowToolsMenuToggles()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    Window w(app.path());
    QAction *autoIndent = CommandTable::findCommand(&w, "mnuToolsAutoIndet");
    QVERIFY(autoIndent && autoIndent->isEnabled());
    QTest::keyClick(w.editor(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QCOMPARE(w.statusLabels().lblToolTip->text(), QStringLiteral("Auto Indent set to OFF"));
    emit w.findChild<QMenu *>(QStringLiteral("mnuTools"))->aboutToShow();
    QVERIFY(!autoIndent->isChecked());
    autoIndent->trigger();
    QVERIFY(w.settings().AutoIndent);
    QVERIFY(autoIndent->isChecked());
}

void TestTypingAids::windowCompletesTagsOnlyInMarkup()
{
    QTemporaryDir app;
    QTemporaryDir files;
    seedFolder(QDir(sourceDir()).filePath(QStringLiteral("data")), app.path());
    PrompterGuard prompter;
    Window w(app.path());
    w.settings().InsertPairs = false;
    w.ReadFile(writeFile(files, QStringLiteral("a.c"), "\n"), false);
    QTest::keyClicks(w.editor(), QStringLiteral("#include <stdio.h>"));
    QTest::keyClick(w.editor(), Qt::Key_Return);
    QTest::keyClicks(w.editor(), QStringLiteral("if (a<b && c>d)"));
    QCOMPARE(w.surface().text(), QStringLiteral("#include <stdio.h>\r\nif (a<b && c>d)\r\n"));

    w.ReadFile(writeFile(files, QStringLiteral("page.html"), "\n"), false);
    QTest::keyClicks(w.editor(), QStringLiteral("<div>"));
    QCOMPARE(w.surface().text(), QStringLiteral("<div></div>\r\n"));
}

void TestTypingAids::windowFollowsTheFilesIndentation()
{
    QTemporaryDir app;
    QTemporaryDir files;
    PrompterGuard prompter;
    Window w(app.path());
    w.settings().UseSpacesInsteadOfTabs = false;
    w.ReadFile(writeFile(files, QStringLiteral("t.py"), "def f():\n  a = 1\n  if a:\n    b = 2\n  return a\n"), false);
    w.surface().setSelStart(0);
    w.surface().setSelLength(w.surface().lineIndex(2));
    QTest::keyClick(w.editor(), Qt::Key_Tab);
    QVERIFY2(w.surface().text().startsWith(QStringLiteral("  def f():\r\n    a = 1\r\n  if a:")),
             qPrintable(w.surface().text()));

    w.ReadFile(writeFile(files, QStringLiteral("t.c"), "f()\n{\n\tx;\n\ty;\n}\n"), false);
    w.surface().setSelStart(0);
    w.surface().setSelLength(w.surface().lineIndex(2));
    w.settings().UseSpacesInsteadOfTabs = true;
    QTest::keyClick(w.editor(), Qt::Key_Tab);
    QVERIFY2(w.surface().text().startsWith(QStringLiteral("\tf()\r\n\t{\r\n\tx;")), qPrintable(w.surface().text()));
}

QTEST_MAIN(TestTypingAids)
#include "tst_typingaids.moc"
