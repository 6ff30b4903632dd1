#include "CommandTable.h"
#include "EditorSurface.h"
#include "ScintillaView.h"
#include "TestSupport.h"
#include "TypingAids.h"
#include "frmMain.h"

#include <Qsci/qsciscintillabase.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class TestLineCommands : public QObject {
    Q_OBJECT

private slots:
    void keysUndoInOneStep_data();
    void keysUndoInOneStep();
    void severalCaretsTypeAndUndoTogether();
    void rectangleCopiesAndCutsEveryRow();
    void typingAidsActAtEveryCaret();
};

namespace {

using Folders = WindowFolders;

struct Window : Folders, frmMain {
    Window() : frmMain(app.path()) {}
};

} // namespace

void TestLineCommands::keysUndoInOneStep_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("commented");
    QTest::newRow("C") << "a.c" << "// two();";
    QTest::newRow("Python") << "a.py" << "# two();";
    QTest::newRow("INI") << "a.ini" << "; two();";
    QTest::newRow("HTML") << "a.html" << "<!-- two(); -->";
}

// Each key changes the text with the language's marker, and one Ctrl+Z puts the text back.
void TestLineCommands::keysUndoInOneStep()
{
    QFETCH(QString, file);
    QFETCH(QString, commented);
    Window window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.ReadFile(writeFile(window.docs, file, "one();\ntwo();\nthree();\n"), false);
    QVERIFY(window.language().languageActive);
    EditorSurface &s = window.surface();
    ScintillaView *view = window.txtText();
    view->setFocus();
    const QString original = s.text();
    struct Case {
        QKeySequence key;
        QString after;
    };
    const QString c = commented;
    const Case cases[] = {
        {QKeySequence(QStringLiteral("Ctrl+D")), "one();\r\ntwo();\r\ntwo();\r\nthree();\r\n"},
        {QKeySequence(QStringLiteral("Alt+Up")), "two();\r\none();\r\nthree();\r\n"},
        {QKeySequence(QStringLiteral("Alt+Down")), "one();\r\nthree();\r\ntwo();\r\n"},
        {QKeySequence(QStringLiteral("Ctrl+J")), "one();\r\ntwo(); three();\r\n"},
        {QKeySequence(QStringLiteral("Ctrl+/")), "one();\r\n" + c + "\r\nthree();\r\n"},
    };
    for (const Case &step : cases) {
        s.setSelStart(10);   // inside "two();"
        s.setSelLength(0);
        QTest::keySequence(view, step.key);
        QCOMPARE(s.text(), step.after);
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.text(), original);
    }
}

// A rectangle drawn with Alt+Shift+Down puts a caret on each line; typing reaches them all and one
// Ctrl+Z takes it all back; Escape leaves one caret.
void TestLineCommands::severalCaretsTypeAndUndoTogether()
{
    Window window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.ReadFile(writeFile(window.docs, QStringLiteral("a.txt"), "ab\ncd\nef\ngh\n"), false);
    EditorSurface &s = window.surface();
    ScintillaView *view = window.txtText();
    view->setFocus();
    s.setSelStart(1);
    const QString original = s.text();
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClicks(view, QStringLiteral("x"));
    QCOMPARE(s.text(), QStringLiteral("axb\r\ncxd\r\nexf\r\ngh\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), original);

    // Backspace too acts at every caret.
    s.setSelStart(1);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClicks(view, QStringLiteral("yz"));
    QTest::keyClick(view, Qt::Key_Backspace);
    QCOMPARE(s.text(), QStringLiteral("ayb\r\ncyd\r\neyf\r\ngh\r\n"));
    s.setText(original);

    // Paste reaches every caret too, as one undo step.
    s.setSelStart(1);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("p"));
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(s.text(), QStringLiteral("apb\r\ncpd\r\nepf\r\ngh\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), original);

    s.setSelStart(1);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Escape);
    QCOMPARE(view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONS), 1L);
    QTest::keyClicks(view, QStringLiteral("q"));
    QCOMPARE(s.text().count(QLatin1Char('q')), 1);
}

// Copy and Cut of a rectangle take every row, joined by the document's line break; Cut empties
// every row in one undo step, and Paste puts the rows back as a rectangle.
void TestLineCommands::rectangleCopiesAndCutsEveryRow()
{
    Window window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.ReadFile(writeFile(window.docs, QStringLiteral("a.txt"), "abc\ndef\nghi\n"), false);
    EditorSurface &s = window.surface();
    ScintillaView *view = window.txtText();
    view->setFocus();
    const QString original = s.text();
    // Drawn upwards: the rows still come top to bottom.
    s.setSelStart(s.lineIndex(2) + 1);
    QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Up, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Up, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b\ne\nh"));

    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b\ne\nh"));
    QCOMPARE(s.text(), QStringLiteral("ac\r\ndf\r\ngi\r\n"));
    // Pasted back as the rectangle it was.
    s.setSelStart(1);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(s.text(), original);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), QStringLiteral("ac\r\ndf\r\ngi\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), original);

    // A CR LF document keeps its breaks on the clipboard; Copy Column still copies its columns.
    window.ReadFile(writeFile(window.docs, QStringLiteral("b.txt"), "abc\r\ndef\r\n"), false);
    s.setSelStart(1);
    QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b\r\ne"));
    s.setSelStart(1);
    s.setSelLength(7);
    QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("bc\r\nef\r\n"));
}

// Auto-indent on Enter, typed pairs and closing tags act at every caret, each key one undo step.
void TestLineCommands::typingAidsActAtEveryCaret()
{
    Window window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.settings().AutoIndent = true;
    window.settings().InsertPairs = true;
    window.settings().AutoBracketIndent = false;
    window.settings().HTMLCompletion = true;
    window.ReadFile(writeFile(window.docs, QStringLiteral("a.txt"), "  ab\n  cd\nefg\n"), false);
    EditorSurface &s = window.surface();
    ScintillaView *view = window.txtText();
    view->setFocus();
    const QString original = s.text();
    // Carets after "  a", "  c" and "efg".
    const auto carets = [&](int column) {
        s.setSelStart(column);
        QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(view, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(s.selectionCount(), 3);
    };
    carets(3);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(s.text(), QStringLiteral("  a\r\n  b\r\n  c\r\n  d\r\nefg\r\n\r\n"));
    QTest::keyClicks(view, QStringLiteral("x"));
    QCOMPARE(s.text(), QStringLiteral("  a\r\n  xb\r\n  c\r\n  xd\r\nefg\r\nx\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), original);

    // The closing partner typed in front of itself steps over it at each caret.
    carets(3);
    QTest::keyClicks(view, QStringLiteral("(x)"));
    QCOMPARE(s.text(), QStringLiteral("  a(x)b\r\n  c(x)d\r\nefg(x)\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), original);

    window.ReadFile(writeFile(window.docs, QStringLiteral("b.html"), "<div\n<br\n<p class=a\n"), false);
    window.typingAids().AddIgnoreElements(writeFile(window.docs, QStringLiteral("ignore.txt"), "br\n"));
    const QString page = s.text();
    // Carets after "<div", "<br" (the line's end) and "<p c".
    carets(4);
    QTest::keyClicks(view, QStringLiteral(">"));
    QCOMPARE(s.text(), QStringLiteral("<div></div>\r\n<br>\r\n<p c></p>lass=a\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), page);
}

QTEST_MAIN(TestLineCommands)
#include "tst_linecommands.moc"
