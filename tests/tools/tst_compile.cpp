#include "CommandTable.h"
#include "CompilerRunner.h"
#include "EditorSurface.h"
#include "ExternalTools.h"
#include "Launcher.h"
#include "Settings.h"
#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "LanguageMenu.h"
#include "frmMain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;

namespace {

QRegularExpression finished(int code)
{
    return QRegularExpression(QStringLiteral("^Finished: exit code %1 after \\d+\\.\\d\\d s$").arg(code));
}

// A main window over the shipped definitions with a folder for documents and a scripted prompter.
struct Fixture {
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
    std::unique_ptr<frmMain> window;
    Fixture()
    {
        seedFolder(sourceDir() + QStringLiteral("/data"), app.path());
        window = std::make_unique<frmMain>(app.path());
        window->show();
    }
    // Opens a document; a non-empty compiler replaces the language's.
    void open(const QString &name, const QByteArray &bytes, const QString &compiler = QString())
    {
        window->ReadFile(writeFile(docs, name, bytes), false);
        if (!compiler.isEmpty())
            window->languages().definition().compilerPath = compiler;
    }
    // The menu item follows the document's state, which settles once pending events ran.
    void compile()
    {
        QCoreApplication::processEvents();
        CommandTable::findCommand(window.get(), "mnuToolsCompile")->trigger();
    }
    frmCompilerOutput *output() const { return window->tools().compiler().outputWindow(); }
    QStringList questions()
    {
        QStringList result;
        for (const auto &asked : prompter->asked)
            result << asked.title + QStringLiteral(": ") + asked.text;
        return result;
    }
};

} // namespace

class TestCompile : public QObject {
    Q_OBJECT

private slots:
    void fileNameIsOneWord_data();
    void fileNameIsOneWord();
    void gccReportsTheFileWithABlank();
    void outputLinesNamePlaces_data();
    void outputLinesNamePlaces();
    void columnsAndEndings();
    void chunksJoinIntoLines();
    void runEndsWithItsSignal();
    void otherFileOpensInItsOwnWindow();
    void f8Compiles();
    void windowTextFollowsTheChunks();
    void fileNameNeverRunsACommand();
    void missingCompilerAsksThenShowsTheWindow();
    void questionsBeforeTheRun();
    void endlessCompilerStopsWithEsc();
    void compileWasGreyedOutWithoutALanguage();
};

void TestCompile::fileNameIsOneWord_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("commandLine");
    QTest::newRow("blank in the name") << "/src/a b.c" << "/src" << "gcc -Wall -c \"a b.c\"";
    QTest::newRow("plain name") << "/src/main.c" << "/src" << "gcc -Wall -c main.c";
    QTest::newRow("shell operators") << "/s/x;touch pwned;.c" << "/s" << "gcc -Wall -c \"x;touch pwned;.c\"";
    QTest::newRow("dollar and quote") << "/s/$(id)'.c" << "/s" << "gcc -Wall -c '$(id)'\\''.c'";
    QTest::newRow("looks like an option") << "/s/-o.c" << "/s" << "gcc -Wall -c ./-o.c";
}

void TestCompile::fileNameIsOneWord()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, commandLine);
    const CompilerRunner::Invocation run = CompilerRunner::invocationFor(QStringLiteral("gcc -Wall -c "), path);
    QCOMPARE(run.folder, folder);
    QCOMPARE(run.commandLine, commandLine);
}

void TestCompile::gccReportsTheFileWithABlank()
{
    Fixture f;
    f.open("a b.c", "int main(void)\n{\n\treturn   undeclared;\n}\n");
    QCOMPARE(f.window->languages().definition().compilerPath, QStringLiteral("gcc -Wall -c"));
    f.window->surface().setSelStart(0);
    f.compile();
    QVERIFY(f.output() && f.output()->isVisible());
    QCOMPARE(f.output()->windowTitle(), QStringLiteral("Output"));
    QVERIFY(QFontInfo(f.output()->txtOutput()->font()).fixedPitch());
    const QStringList lines = f.output()->text().split(QLatin1Char('\n'));
    // Whole lines: every message starts its line, none is broken or padded with blank lines.
    QVERIFY2(!lines.contains(QString()) || lines.indexOf(QString()) == lines.size() - 1, qPrintable(lines.join('|')));
    const int error = int(lines.indexOf(QRegularExpression(QStringLiteral("^a b\\.c:3:\\d+: error: .*undeclared.*"))));
    QVERIFY2(error >= 0, qPrintable(lines.join('|')));
    QVERIFY2(finished(1).match(lines[lines.size() - 2]).hasMatch(), qPrintable(lines[lines.size() - 2]));
    QVERIFY(f.prompter->asked.isEmpty());

    // A double-click on the message puts the caret on its line and column (gcc counts the tab as 8).
    QPlainTextEdit *box = f.output()->txtOutput();
    const QTextBlock block = box->document()->findBlockByNumber(error);
    QTextCursor at(block);
    at.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, box->cursorRect(at).center());
    EditorSurface &s = f.window->surface();
    QCOMPARE(s.getLineFromChar(s.selStart()), 2);
    QCOMPARE(s.textRange(s.selStart(), 10), QStringLiteral("undeclared"));

    // Enter on the line does the same.
    s.setSelStart(0);
    box->setTextCursor(at);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(s.textRange(s.selStart(), 10), QStringLiteral("undeclared"));
}

void TestCompile::outputLinesNamePlaces_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("place");   // "file line column", or "" for none
    QTest::newRow("gcc error") << "a b.c:3:5: error: x" << "a b.c 3 5";
    QTest::newRow("no column") << "Makefile:12: *** missing separator." << "Makefile 12 0";
    QTest::newRow("include chain") << "In file included from main.c:2:" << "main.c 2 0";
    QTest::newRow("function header") << "a b.c: In function 'main':" << "";
    QTest::newRow("source excerpt") << "    3 |         return undeclared;" << "";
    QTest::newRow("time of day") << "12:30:45 building" << "";
}

void TestCompile::outputLinesNamePlaces()
{
    QFETCH(QString, line);
    QFETCH(QString, place);
    const auto where = CompilerMessages::locate(line);
    QCOMPARE(where ? QStringLiteral("%1 %2 %3").arg(where->file).arg(where->line).arg(where->column) : QString(), place);
}

void TestCompile::columnsAndEndings()
{
    using namespace CompilerMessages;
    QCOMPARE(columnOffset(u"\treturn x;", 9), 1);
    QCOMPARE(columnOffset(u"  \tx", 9), 3);
    QCOMPARE(columnOffset(u"abc", 40), 3);
    QCOMPARE(finishedLine(1, 0, 420), QStringLiteral("Finished: exit code 1 after 0.42 s"));
    QVERIFY(finishedLine(-1, 9, 1500).startsWith(QStringLiteral("Finished: killed by signal 9 (")));
}

void TestCompile::chunksJoinIntoLines()
{
    Settings settings;
    frmCompilerOutput window(nullptr, settings);
    // A chunk boundary inside a line, and one between the CR and the LF of a line break.
    for (const char *chunk : {"a.c:1:2: err", "or: x\r", "\n  ~~~~", "~\n", "last"})
        window.appendChunk(QString::fromLatin1(chunk));
    window.appendLine(QStringLiteral("Finished: exit code 1 after 0.01 s"));
    QCOMPARE(window.text(), QStringLiteral("a.c:1:2: error: x\n  ~~~~~\nlast\nFinished: exit code 1 after 0.01 s\n"));
    QCOMPARE(window.txtOutput()->blockCount(), 4);
    QCOMPARE(window.locationAt(0), (std::optional<SourceLocation>{SourceLocation{"a.c", 1, 2}}));
    QVERIFY(!window.locationAt(1));
}

void TestCompile::runEndsWithItsSignal()
{
    Fixture f;
    f.open("k.c", "int k;\n", "sh -c 'kill -SEGV $$'");
    f.compile();
    QVERIFY2(f.output()->text().startsWith(QStringLiteral("Finished: killed by signal 11 (")), qPrintable(f.output()->text()));
}

void TestCompile::otherFileOpensInItsOwnWindow()
{
    Fixture f;
    const QString header = writeFile(f.docs, QStringLiteral("h.h"), "int h;\n");
    f.open("m.c", "int m;\n", "sh -c 'echo h.h:3:4: note: here'");
    QStringList started;
    Launcher::setStarter([&](const QString &, const QStringList &arguments) {
        started = arguments;
        return true;
    });
    f.compile();
    f.output()->txtOutput()->moveCursor(QTextCursor::Start);
    QTest::keyClick(f.output()->txtOutput(), Qt::Key_Enter);
    Launcher::setStarter({});
    QCOMPARE(started, QStringList{header + QStringLiteral(":3:4")});
}

void TestCompile::f8Compiles()
{
    Fixture f;
    f.open("f.c", "int f;\n", "cat");
    QCoreApplication::processEvents();
    QVERIFY(CommandTable::findCommand(f.window.get(), "mnuToolsCompile")->text().endsWith(QStringLiteral("\tF8")));
    f.window->activateWindow();
    f.window->txtText()->setFocus();
    QTest::keyClick(f.window->txtText(), Qt::Key_F8);
    QTRY_VERIFY(f.output() && f.output()->text().startsWith(QStringLiteral("int f;\n")));
}

void TestCompile::windowTextFollowsTheChunks()
{
    Fixture f;
    // The file name arrives as $0 and is not used.
    f.open("t.c", "x", "sh -c 'printf %0600d 0'");
    f.compile();
    // Three chunks, one line: joined as they came, the way the run ended on a line of its own.
    const QStringList lines = f.output()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QString(600, QLatin1Char('0')));
    QVERIFY2(finished(0).match(lines[1]).hasMatch(), qPrintable(lines[1]));
    QCOMPARE(lines[2], QString());
    QPlainTextEdit *box = f.output()->txtOutput();
    QCOMPARE(box->blockCount(), 2);
    QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
    // A second run empties the window first; Esc closes and destroys it.
    f.compile();
    QCOMPARE(f.output()->text().section(QLatin1Char('\n'), 0, 0), QString(600, QLatin1Char('0')));
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY(!f.output());
}

void TestCompile::fileNameNeverRunsACommand()
{
    Fixture f;
    f.open("x;touch pwned;.c", "int x;\n", "cat");
    f.compile();
    QVERIFY(f.output()->text().startsWith(QStringLiteral("int x;\nFinished: exit code 0 after ")));
    QVERIFY(!QFileInfo::exists(f.docs.filePath("pwned")));
    QCOMPARE(QDir(f.docs.path()).entryList(QDir::Files), QStringList{"x;touch pwned;.c"});
}

void TestCompile::missingCompilerAsksThenShowsTheWindow()
{
    Fixture f;
    f.open("m.c", "int m;\n", "no-such-compiler-orvane -c");
    // Yes would open the language definition editor; No leaves the definition as it is.
    f.prompter->answers = {QMessageBox::No};
    f.compile();
    QCOMPARE(f.questions(),
             (QStringList{"Allert: Command not found : \nno-such-compiler-orvane -c m.c\n\nDo you want to change the path to the compiler?"}));
    QCOMPARE(f.prompter->asked.first().icon, QMessageBox::Critical);
    QVERIFY(f.output()->isVisible());
    QCOMPARE(f.output()->text(), QString());
}

void TestCompile::questionsBeforeTheRun()
{
    Fixture f;
    f.open("q.c", "int q;\n", "cat");
    f.window->languages().definition().compilerPath.clear();
    f.prompter->answers = {QMessageBox::No};
    f.compile();
    QCOMPARE(f.prompter->asked.last().title, QStringLiteral("No Compiler defined"));
    QVERIFY(!f.output());

    // Declining to save compiles the file as it is on disk.
    f.window->languages().definition().compilerPath = QStringLiteral("cat");
    f.window->surface().setSelStart(0);
    f.window->surface().setSelText(QStringLiteral("changed "));
    f.prompter->answers = {QMessageBox::No};
    f.compile();
    QCOMPARE(f.prompter->asked.last().text, QStringLiteral("Do you want to save your file before compiling?"));
    QVERIFY(f.output()->text().startsWith(QStringLiteral("int q;\nFinished: exit code 0 after ")));

    // A document that was never saved is not compiled.
    f.window->FileClose(false);
    f.window->surface().setText(QStringLiteral("int u;"));
    f.window->languages().definition().compilerPath = QStringLiteral("cat");
    f.window->languages().definition().languageActive = true;
    f.prompter->answers = {QMessageBox::No, QMessageBox::Ok};
    f.compile();
    QCOMPARE(f.prompter->asked.last().text, QStringLiteral("Please save your file before comiling!"));
}

void TestCompile::endlessCompilerStopsWithEsc()
{
    Fixture f;
    f.open("e.c", "int e;\n", "sh -c 'echo waiting; while :; do sleep 1; done'");
    int paints = 0;
    QWidget *viewport = f.window->txtText()->viewport();
    struct PaintCounter : QObject {
        int &count;
        explicit PaintCounter(int &c) : count(c) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    viewport->installEventFilter(&counter);
    const QString before = f.window->surface().text();
    QElapsedTimer sinceEsc;
    QTimer::singleShot(400, f.window.get(), [&] {
        viewport->update();
        // Typing into the editor does nothing while the compiler runs.
        QTest::keyClick(f.window->txtText(), Qt::Key_A);
    });
    QTimer::singleShot(800, f.window.get(), [&] {
        QVERIFY(f.output() && f.output()->text().contains("waiting"));
        sinceEsc.start();
        QTest::keyClick(f.output()->txtOutput(), Qt::Key_Escape);
    });
    f.compile();
    QVERIFY(sinceEsc.isValid());
    QVERIFY2(sinceEsc.elapsed() < 1000, qPrintable(QString::number(sinceEsc.elapsed())));
    QVERIFY(paints > 0);
    QCOMPARE(f.window->surface().text(), before);
    QTRY_VERIFY(!f.output());
}

void TestCompile::compileWasGreyedOutWithoutALanguage()
{
    Fixture f;
    f.open("notes.txt", "plain words\n");
    QVERIFY(!f.window->languages().definition().languageActive);
    QCoreApplication::processEvents();
    emit f.window->findChild<QMenu *>(QStringLiteral("mnuProgramming"))->aboutToShow();
    QAction *compile = CommandTable::findCommand(f.window.get(), "mnuToolsCompile");
    QVERIFY(compile->isEnabled());
    f.prompter->answers = {QMessageBox::No};
    compile->trigger();
    QCOMPARE(f.questions(), (QStringList{"No Compiler defined: You haven't defined a compiler for this language yet, do "
                                         "you want to start up the keyword editor so you can define one?"}));
    QVERIFY(!f.output());
}

QTEST_MAIN(TestCompile)
#include "tst_compile.moc"
