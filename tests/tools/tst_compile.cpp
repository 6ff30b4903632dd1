#include "CommandTable.h"
#include "CompilerRunner.h"
#include "EditorSurface.h"
#include "ExternalTools.h"
#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "LanguageMenu.h"
#include "frmMain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;

namespace {

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
    f.open("a b.c", "int main(void) { return undeclared; }\n");
    QCOMPARE(f.window->languages().definition().compilerPath, QStringLiteral("gcc -Wall -c"));
    f.compile();
    QVERIFY(f.output() && f.output()->isVisible());
    QCOMPARE(f.output()->windowTitle(), QStringLiteral("Output"));
    const QString text = f.output()->text();
    QVERIFY2(text.contains("a b.c:1:") && text.contains("undeclared"), qPrintable(text));
    QVERIFY(f.prompter->asked.isEmpty());
}

void TestCompile::windowTextFollowsTheChunks()
{
    Fixture f;
    // The file name arrives as $0 and is not used.
    f.open("t.c", "x", "sh -c 'printf %0600d 0'");
    f.compile();
    const QString a(256, QLatin1Char('0')), c(88, QLatin1Char('0'));
    QCOMPARE(f.output()->text(), "\r\n" + a + "\r\n" + a + "\r\n" + c + "\r\n");
    QPlainTextEdit *box = f.output()->txtOutput();
    QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
    // A second run empties the window first; Esc closes and destroys it.
    f.compile();
    QCOMPARE(f.output()->text().size(), 600 + 4 * 2);
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY(!f.output());
}

void TestCompile::fileNameNeverRunsACommand()
{
    Fixture f;
    f.open("x;touch pwned;.c", "int x;\n", "cat");
    f.compile();
    QCOMPARE(f.output()->text(), QStringLiteral("\r\nint x;\n\r\n"));
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
    QCOMPARE(f.output()->text(), QStringLiteral("\r\nint q;\n\r\n"));

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
