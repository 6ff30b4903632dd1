#include "CommandLineOptions.h"
#include "FileIO.h"
#include "Launcher.h"
#include "SingleInstance.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "modStartUp.h"
#include "modTransparent.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace modStartUp;

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void init() { QDir::setCurrent(m_dir.path()); }
    void quotingRule_data();
    void quotingRule();
    void quotingRuleSurvivesRandomLines();
    void planCommandLine_data();
    void planCommandLine();
    void reloadFileAtStartup();
    void reloadBringsBackTheWindowsOfTheLastExit();
    void startUp_data();
    void startUp();
    void translucency();
    void forwardedNameThatIsNotUtf8KeepsItsBytes();
    void openAtLine_data();
    void openAtLine();

private:
    QString touch(const QString &name, const QByteArray &bytes = "x") { return TestSupport::writeFile(m_dir, name, bytes); }
    QTemporaryDir m_dir;
};

void TestStartUp::quotingRule_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("group complete at once keeps its blank") << "\"a.txt\" b" << QStringList{"a.txt ", "b"};
    QTest::newRow("two blanks give an empty token") << "a  b" << QStringList{"a", "", "b"};
    QTest::newRow("group open at the end is dropped") << "a \"open group" << QStringList{"a"};
    QTest::newRow("quote inside the closing token") << "\"a b\"c d" << QStringList{"a bc", "d"};
    QTest::newRow("re-quoted arguments come back whole")
        << quoteArguments({"/tmp/my file.txt", "b", "/x/two  blanks"})
        << QStringList{"/tmp/my file.txt", "b", "/x/two  blanks"};
}

void TestStartUp::quotingRule()
{
    QFETCH(QString, line);
    QFETCH(QStringList, arguments);
    QCOMPARE(splitCommandLine(line), arguments);
}

void TestStartUp::quotingRuleSurvivesRandomLines()
{
    QRandomGenerator rng(7);
    const QString alphabet = QStringLiteral("ab \"  /.");
    for (int round = 0; round < 2000; ++round) {
        QString line;
        for (int i = int(rng.bounded(30)); i > 0; --i)
            line += alphabet[int(rng.bounded(int(alphabet.size())))];
        for (const QString &argument : splitCommandLine(line))
            QVERIFY(!argument.contains(QLatin1Char('"')));
    }
}

void TestStartUp::planCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("first");   // as given; empty: none
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QStringList>("further");
    QTest::newRow("only empty arguments") << QStringList{"", ""} << "" << false << QStringList{};
    QTest::newRow("unquoted name with a blank, found whole") << QStringList{"my", "file.txt"} << "my file.txt" << true << QStringList{};
    QTest::newRow("missing ones further on still go")
        << QStringList{"a.txt", "gone.txt", "b.txt"} << "a.txt" << true << QStringList{"gone.txt", "b.txt"};
    QTest::newRow("literal quotes: the group's blank goes") << QStringList{"\"a.txt\"", "b.txt"} << "a.txt" << true << QStringList{"b.txt"};
    QTest::newRow("a name that really ends in a blank") << QStringList{"t.txt ", "b.txt"} << "t.txt " << true << QStringList{"b.txt"};
}

void TestStartUp::planCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, first);
    QFETCH(bool, exists);
    QFETCH(QStringList, further);
    for (const char *name : {"a.txt", "b.txt", "my file.txt", "t.txt "})
        touch(QString::fromLatin1(name));
    const CommandLinePlan plan = modStartUp::planCommandLine(arguments, m_dir.path());
    QCOMPARE(plan.firstAsGiven, first);
    QCOMPARE(plan.first, first.isEmpty() ? QString() : m_dir.filePath(first));
    QCOMPARE(plan.firstExists, exists);
    QCOMPARE(plan.further, further);
}

void TestStartUp::reloadFileAtStartup()
{
    const QString last = touch(QStringLiteral("last file.txt"));
    const QStringList given{"a.txt", "b.txt"};
    QCOMPARE(commandLineAtStartup(given, false, last, false), given);
    // Started by this program for a file: that file wins.
    QCOMPARE(commandLineAtStartup(given, true, last, true), given);
    QFile::remove(last);
    QCOMPARE(commandLineAtStartup(given, true, last, false), given);
}

void TestStartUp::reloadBringsBackTheWindowsOfTheLastExit()
{
    const QString a = touch(QStringLiteral("a.txt"), "one\ntwo\nthree\n");
    const QString b = touch(QStringLiteral("b b.txt"), "alpha\nbeta\n");
    const QString last = touch(QStringLiteral("last.txt"));
    QTemporaryDir app;
    TestSupport::writeFile(app, QStringLiteral("settings.ini"), "ReloadFileAtStartup=1\r\n");
    TestSupport::PrompterGuard prompter;
    // Carets count a line break as two, as the editor does: 6 is line 2, column 2.
    for (const auto &[path, caret] : {std::pair{a, 6}, std::pair{b, 8}}) {
        frmMain window(app.path());
        window.show();
        window.ReadFile(path, true);
        window.surface().setSelStart(caret);
        QVERIFY(window.close());
    }
    TestSupport::writeFile(app, QStringLiteral("settings2.ini"), "LastOpenedFile=" + last.toUtf8() + "\r\n");
    struct Start {
        QString path;
        QString at;
    };
    const auto startWith = [&](bool firstOfSession, const QStringList &arguments) {
        QList<Start> started;
        Launcher::setStarter([&](const QString &, const QStringList &given) {
            started << Start{given.value(0), qEnvironmentVariable("ORVANE_FORWARDED_AT")};
            return true;
        });
        auto window = std::make_unique<frmMain>(app.path());
        SingleInstance instance(window.get());
        StartUp(*window, instance, arguments, false, {}, std::nullopt, firstOfSession);
        Launcher::setStarter({});
        return std::pair{std::move(window), started};
    };
    {
        // The first window shows the one closed last, at its caret; the other gets a process.
        const auto [window, started] = startWith(true, {"ignored.txt"});
        QCOMPARE(window->document().strfilename, b);
        QCOMPARE(window->surface().selStart(), 8);
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0].path, a);
        QCOMPARE(started[0].at, QStringLiteral("2 2"));
        window->hide();
    }
    {
        // A window started while others run reopens the last opened file alone.
        const auto [window, started] = startWith(false, {});
        QCOMPARE(window->document().strfilename, last);
        QVERIFY(started.isEmpty());
        window->hide();
    }
    {
        // After a crash the recovery question brings the windows back instead.
        QDir(app.path()).mkpath(QStringLiteral("recovery"));
        TestSupport::writeFile(app, QStringLiteral("recovery/1-x.recovery"), "copy");
        const auto [window, started] = startWith(true, {});
        QCOMPARE(window->document().strfilename, last);
        QVERIFY(started.isEmpty());
        window->hide();
    }
    QVERIFY(prompter->asked.isEmpty());
}

void TestStartUp::startUp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("answer");           // to the create question; 0: none asked
    QTest::addColumn<bool>("reload");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<bool>("shown");
    const int yes = QMessageBox::Yes, no = QMessageBox::No;
    const QStringList none;
    QTest::newRow("one here, one process each for the rest")
        << QStringList{"a.txt", "b.txt", "c d.txt"} << 0 << false << "a.txt" << QStringList{"b.txt", "c d.txt"} << true;
    QTest::newRow("missing first, Yes creates it") << QStringList{"new.txt"} << yes << false << "new.txt" << none << true;
    QTest::newRow("missing first, No opens nothing") << QStringList{"new.txt"} << no << false << "Untitled" << none << true;
    QTest::newRow("missing first, No, the others have windows")
        << QStringList{"new.txt", "b.txt"} << no << false << "Untitled" << QStringList{"b.txt"} << false;
    QTest::newRow("reload replaces the named files") << QStringList{"a.txt", "b.txt"} << 0 << true << "last.txt" << none << true;
}

void TestStartUp::startUp()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, answer);
    QFETCH(bool, reload);
    QFETCH(QString, opened);
    QFETCH(QStringList, started);
    QFETCH(bool, shown);
    QTemporaryDir app;
    QFile::remove(m_dir.filePath(QStringLiteral("new.txt")));
    touch(QStringLiteral("a.txt"));
    touch(QStringLiteral("b.txt"));
    const QString last = touch(QStringLiteral("last.txt"));
    if (reload) {
        TestSupport::writeFile(app, QStringLiteral("settings.ini"), "ReloadFileAtStartup=1\r\n");
        TestSupport::writeFile(app, QStringLiteral("settings2.ini"), "LastOpenedFile=" + last.toUtf8() + "\r\n");
    }
    TestSupport::PrompterGuard prompter;
    if (answer)
        prompter->answers << QMessageBox::StandardButton(answer);
    QStringList launched;
    Launcher::setStarter([&](const QString &program, const QStringList &arguments) {
        launched += arguments;
        return program == QCoreApplication::applicationFilePath() && qEnvironmentVariableIsSet("ORVANE_FORWARDED");
    });

    frmMain window(app.path());
    SingleInstance instance(&window);
    const StartUpResult result = StartUp(window, instance, arguments);
    Launcher::setStarter({});

    QCOMPARE(result, shown ? StartUpResult::WindowShown : StartUpResult::NoWindow);
    QCOMPARE(launched, started);
    QVERIFY(!qEnvironmentVariableIsSet("ORVANE_FORWARDED"));
    const QString path = opened == QLatin1String("Untitled") ? opened : m_dir.filePath(opened);
    QCOMPARE(window.document().strfilename, path);
    QCOMPARE(instance.isListening(), path != QLatin1String("Untitled"));
    QCOMPARE(prompter->asked.size(), answer ? 1 : 0);
    if (answer)
        QCOMPARE(prompter->asked[0].text, QStringLiteral("new.txt does not exist. \r\nDo you want to create a new file?"));
    QCOMPARE(QFileInfo::exists(m_dir.filePath(QStringLiteral("new.txt"))), answer == QMessageBox::Yes);
}

void TestStartUp::openAtLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<int>("line");     // zero-based, where the caret is
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("started");
    QTest::newRow("+3 file") << QStringList{"+3", "t2.c"} << "t2.c" << 2 << 0 << QStringList{};
    QTest::newRow("file:4:3") << QStringList{"t2.c:4:3"} << "t2.c" << 3 << 2 << QStringList{};
    QTest::newRow("column past the line's end") << QStringList{"t2.c:2:40"} << "t2.c" << 1 << 5 << QStringList{};
    QTest::newRow("a file of the whole name wins") << QStringList{"x:2"} << "x:2" << 0 << 0 << QStringList{};
    QTest::newRow("+N of a further file travels with it")
        << QStringList{"+2", "t2.c", "+5", "x:2"} << "t2.c" << 1 << 0 << QStringList{"x:2:5"};
    QTest::newRow("+N after -- is a file name") << QStringList{"--", "+3"} << "+3" << 0 << 0 << QStringList{};
}

// The position given on the command line is where the caret starts.
void TestStartUp::openAtLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, opened);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QStringList, started);
    touch(QStringLiteral("t2.c"), "one\nline2\nthree\nfour\nfive\n");
    touch(QStringLiteral("x:2"));
    touch(QStringLiteral("+3"));
    QTemporaryDir app;
    TestSupport::PrompterGuard prompter;
    QStringList launched;
    Launcher::setStarter([&](const QString &, const QStringList &arguments) {
        launched += arguments;
        return true;
    });
    const CommandLineOptions::Parsed parsed = CommandLineOptions::parse(arguments);
    frmMain window(app.path());
    SingleInstance instance(&window);
    StartUp(window, instance, parsed.files, false, parsed.position);
    Launcher::setStarter({});

    QCOMPARE(window.document().strfilename, m_dir.filePath(opened));
    const int caret = window.surface().selStart();
    const int caretLine = window.surface().getLineFromChar(caret);
    QCOMPARE(caretLine, line);
    QCOMPARE(caret - window.surface().lineIndex(caretLine), column);
    QCOMPARE(launched, started);
    QVERIFY(prompter->asked.isEmpty());
}

void TestStartUp::translucency()
{
    // Out of range counts as 10, which is 229.
    QWidget window;
    modTransparent::applyTranslucency(&window, true, 31);
    QCOMPARE(qRound(window.windowOpacity() * 255), 229);
}

void TestStartUp::forwardedNameThatIsNotUtf8KeepsItsBytes()
{
    const QString path = FileIO::decodePath(QFile::encodeName(m_dir.path()) + "/caf\xE9.txt");
    QString received;
    Launcher::setStarter([&](const QString &, const QStringList &arguments) {
        // What the new process gets: the argument as the system passed it, and its environment.
        QByteArray passed = QFile::encodeName(arguments.value(0));
        char *argv[] = {const_cast<char *>("orvane"), passed.data()};
        received = Launcher::restoreForwardedPath(CommandLineOptions::nativeArguments(2, argv)).value(0);
        return true;
    });
    QVERIFY(Launcher::startForwardedInstance(path));
    Launcher::setStarter({});
    QCOMPARE(FileIO::encodePath(received), FileIO::encodePath(path));
    QVERIFY(!qEnvironmentVariableIsSet("ORVANE_FORWARDED_PATH"));
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
