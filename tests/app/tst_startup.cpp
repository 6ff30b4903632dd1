#include "Launcher.h"
#include "SingleInstance.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "modStartUp.h"
#include "modTransparent.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using namespace modStartUp;
using TestSupport::writeFile;

namespace {

struct Started {
    QString program;
    QStringList arguments;
    bool forwardedMark = false;
};

// Records the processes start-up would start instead of starting them.
class LauncherRecorder {
public:
    LauncherRecorder()
    {
        Launcher::setStarter([this](const QString &program, const QStringList &arguments) {
            started.append({program, arguments, qEnvironmentVariableIsSet("ORVANE_FORWARDED")});
            return true;
        });
    }
    ~LauncherRecorder() { Launcher::setStarter({}); }
    QList<Started> started;
};

// A scratch folder that is also the current directory, with an application folder inside.
class Scratch {
public:
    Scratch()
        : m_previous(QDir::currentPath())
    {
        QDir().mkpath(appFolder());
        QDir::setCurrent(m_dir.path());
    }
    ~Scratch() { QDir::setCurrent(m_previous); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString appFolder() const { return m_dir.filePath(QStringLiteral("app")); }
    QString touch(const QString &name, const QByteArray &bytes = "text") const { return writeFile(m_dir, name, bytes); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void quotingRule_data();
    void quotingRule();
    void quotingRuleSurvivesRandomLines();
    void requotedArgumentsComeBackWhole();
    void makeAbsolute_data();
    void makeAbsolute();
    void planCommandLine_data();
    void planCommandLine();
    void reloadFileAtStartup_data();
    void reloadFileAtStartup();
    void reloadReplacesTheNamedFile();
    void createPromptYesCreatesAndOpens();
    void createPromptNoOpensNothing();
    void furtherArgumentsStartProcesses();
    void noArgumentsShowsUntitled();
    void alpha_data();
    void alpha();
    void translucencyOnAndOff();
};

void TestStartUp::quotingRule_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("plain names") << "a.txt b.txt" << QStringList{"a.txt", "b.txt"};
    QTest::newRow("quoted name with a blank") << "\"my file.txt\"" << QStringList{"my file.txt"};
    QTest::newRow("quoted group between names") << "x \"a b c\" y" << QStringList{"x", "a b c", "y"};
    QTest::newRow("group complete at once keeps its blank") << "\"a.txt\" b" << QStringList{"a.txt ", "b"};
    QTest::newRow("closing quote only also completes at once") << "a.txt\"" << QStringList{"a.txt "};
    QTest::newRow("two blanks give an empty token") << "a  b" << QStringList{"a", "", "b"};
    QTest::newRow("two blanks inside quotes are kept") << "\"a  b\"" << QStringList{"a  b"};
    QTest::newRow("group open at the end is dropped") << "a \"open group" << QStringList{"a"};
    QTest::newRow("quote inside the closing token") << "\"a b\"c d" << QStringList{"a bc", "d"};
    QTest::newRow("quote in the middle opens a group") << "\"a\"b c" << QStringList{};
    QTest::newRow("lone quote is a blank argument") << "\"" << QStringList{" "};
    QTest::newRow("empty line") << "" << QStringList{""};
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
        const int length = int(rng.bounded(30));
        for (int i = 0; i < length; ++i)
            line += alphabet[int(rng.bounded(int(alphabet.size())))];
        for (const QString &argument : splitCommandLine(line))
            QVERIFY(!argument.contains(QLatin1Char('"')));
    }
}

void TestStartUp::requotedArgumentsComeBackWhole()
{
    const QStringList arguments{"/tmp/my file.txt", "b", "/x/two  blanks", "c d e"};
    QCOMPARE(splitCommandLine(quoteArguments(arguments)), arguments);
}

void TestStartUp::makeAbsolute_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("currentDir");
    QTest::addColumn<QString>("expected");
    QTest::newRow("relative name") << "a.txt" << "/home/u" << "/home/u/a.txt";
    QTest::newRow("relative folder") << "src/a.txt" << "/home/u" << "/home/u/src/a.txt";
    QTest::newRow("absolute stays") << "/etc/hosts" << "/home/u" << "/etc/hosts";
    QTest::newRow("in the root folder") << "a.txt" << "/" << "/a.txt";
}

void TestStartUp::makeAbsolute()
{
    QFETCH(QString, path);
    QFETCH(QString, currentDir);
    QFETCH(QString, expected);
    QCOMPARE(modStartUp::makeAbsolute(path, currentDir), expected);
}

void TestStartUp::planCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("first");       // relative to the scratch folder; empty: none
    QTest::addColumn<QString>("asGiven");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QStringList>("further");
    QTest::newRow("nothing") << QStringList{} << "" << "" << false << QStringList{};
    QTest::newRow("only empty arguments") << QStringList{"", ""} << "" << "" << false << QStringList{};
    QTest::newRow("single relative name") << QStringList{"a.txt"} << "a.txt" << "a.txt" << true << QStringList{};
    QTest::newRow("unquoted name with a blank, found whole")
        << QStringList{"my", "file.txt"} << "my file.txt" << "my file.txt" << true << QStringList{};
    QTest::newRow("name with a blank among others")
        << QStringList{"my file.txt", "b.txt"} << "my file.txt" << "my file.txt" << true << QStringList{"b.txt"};
    QTest::newRow("two names") << QStringList{"a.txt", "b.txt"} << "a.txt" << "a.txt" << true << QStringList{"b.txt"};
    QTest::newRow("three names, missing ones go on")
        << QStringList{"a.txt", "gone.txt", "b.txt"} << "a.txt" << "a.txt" << true
        << QStringList{"gone.txt", "b.txt"};
    QTest::newRow("missing first") << QStringList{"new.txt", "b.txt"} << "new.txt" << "new.txt" << false
                                   << QStringList{"b.txt"};
    QTest::newRow("missing first with a blank")
        << QStringList{"new file.txt"} << "new file.txt" << "new file.txt" << false << QStringList{};
    QTest::newRow("literal quotes lose the group's blank")
        << QStringList{"\"a.txt\"", "b.txt"} << "a.txt" << "a.txt" << true << QStringList{"b.txt"};
    QTest::newRow("a name that really ends in a blank")
        << QStringList{"t.txt ", "b.txt"} << "t.txt " << "t.txt " << true << QStringList{"b.txt"};
    QTest::newRow("empty argument skipped") << QStringList{"", "a.txt", "b.txt"} << "a.txt" << "a.txt" << true
                                            << QStringList{"b.txt"};
}

void TestStartUp::planCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, first);
    QFETCH(QString, asGiven);
    QFETCH(bool, exists);
    QFETCH(QStringList, further);
    Scratch scratch;
    for (const char *name : {"a.txt", "b.txt", "my file.txt", "t.txt "})
        scratch.touch(QString::fromLatin1(name));

    const CommandLinePlan plan = modStartUp::planCommandLine(arguments, QDir::currentPath());
    QCOMPARE(plan.first, first.isEmpty() ? QString() : scratch.path(first));
    QCOMPARE(plan.firstAsGiven, asGiven);
    QCOMPARE(plan.firstExists, exists);
    QCOMPARE(plan.further, further);
}

void TestStartUp::reloadFileAtStartup_data()
{
    QTest::addColumn<bool>("reload");
    QTest::addColumn<bool>("lastExists");
    QTest::addColumn<bool>("forwarded");
    QTest::addColumn<bool>("lastWins");
    QTest::newRow("off") << false << true << false << false;
    QTest::newRow("on, last file there") << true << true << false << true;
    QTest::newRow("on, last file gone") << true << false << false << false;
    QTest::newRow("on, started by this program for a file") << true << true << true << false;
}

void TestStartUp::reloadFileAtStartup()
{
    QFETCH(bool, reload);
    QFETCH(bool, lastExists);
    QFETCH(bool, forwarded);
    QFETCH(bool, lastWins);
    Scratch scratch;
    const QString last = scratch.path(QStringLiteral("last file.txt"));
    if (lastExists)
        scratch.touch(QStringLiteral("last file.txt"));
    const QStringList given{"a.txt", "b.txt"};
    QCOMPARE(commandLineAtStartup(given, reload, last, forwarded), lastWins ? QStringList{last} : given);
    QCOMPARE(commandLineAtStartup({}, reload, QString(), forwarded), QStringList{});
}

void TestStartUp::reloadReplacesTheNamedFile()
{
    Scratch scratch;
    const QString last = scratch.touch(QStringLiteral("last.txt"));
    scratch.touch(QStringLiteral("a.txt"));
    scratch.touch(QStringLiteral("app/settings.ini"), "ReloadFileAtStartup=1\r\n");
    scratch.touch(QStringLiteral("app/settings2.ini"), "LastOpenedFile=" + last.toUtf8() + "\r\n");

    TestSupport::PrompterGuard prompter;
    LauncherRecorder launcher;
    frmMain window(scratch.appFolder());
    SingleInstance instance(&window);
    QCOMPARE(StartUp(window, instance, {"a.txt", "b.txt"}), StartUpResult::WindowShown);
    QCOMPARE(window.strfilename, last);
    QVERIFY(launcher.started.isEmpty());
}

void TestStartUp::createPromptYesCreatesAndOpens()
{
    Scratch scratch;
    TestSupport::PrompterGuard prompter;
    prompter->answers << QMessageBox::Yes;
    LauncherRecorder launcher;
    frmMain window(scratch.appFolder());
    SingleInstance instance(&window);

    QCOMPARE(StartUp(window, instance, {"new.txt"}), StartUpResult::WindowShown);
    QCOMPARE(prompter->asked.size(), 1);
    const auto &asked = prompter->asked.first();
    QCOMPARE(asked.text, QStringLiteral("new.txt does not exist. \r\nDo you want to create a new file?"));
    QCOMPARE(asked.title, QStringLiteral("Orvane"));
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(asked.icon, QMessageBox::Information);

    const QString created = scratch.path(QStringLiteral("new.txt"));
    QVERIFY(QFileInfo(created).isFile());
    QCOMPARE(QFileInfo(created).size(), 0);
    QCOMPARE(window.strfilename, created);
    QVERIFY(window.isVisible());
    QCOMPARE(instance.listeningPath(), created);
}

void TestStartUp::createPromptNoOpensNothing()
{
    Scratch scratch;
    scratch.touch(QStringLiteral("b.txt"));
    TestSupport::PrompterGuard prompter;
    LauncherRecorder launcher;
    {
        prompter->answers << QMessageBox::No;
        frmMain window(scratch.appFolder());
        SingleInstance instance(&window);
        QCOMPARE(StartUp(window, instance, {"new.txt"}), StartUpResult::WindowShown);
        QVERIFY(!QFileInfo::exists(scratch.path(QStringLiteral("new.txt"))));
        QCOMPARE(window.strfilename, QStringLiteral("Untitled"));
        QVERIFY(!instance.isListening());
    }
    {
        // The other file gets its own window, so this process has nothing to show.
        prompter->answers << QMessageBox::No;
        frmMain window(scratch.appFolder());
        SingleInstance instance(&window);
        QCOMPARE(StartUp(window, instance, {"new.txt", "b.txt"}), StartUpResult::NoWindow);
        QVERIFY(!window.isVisible());
        QCOMPARE(launcher.started.size(), 1);
        QCOMPARE(launcher.started.first().arguments, QStringList{"b.txt"});
    }
}

void TestStartUp::furtherArgumentsStartProcesses()
{
    Scratch scratch;
    scratch.touch(QStringLiteral("a.txt"));
    scratch.touch(QStringLiteral("b.txt"));
    TestSupport::PrompterGuard prompter;
    LauncherRecorder launcher;
    frmMain window(scratch.appFolder());
    SingleInstance instance(&window);

    QCOMPARE(StartUp(window, instance, {"a.txt", "b.txt", "c d.txt"}), StartUpResult::WindowShown);
    QCOMPARE(window.strfilename, scratch.path(QStringLiteral("a.txt")));
    QCOMPARE(launcher.started.size(), 2);
    QCOMPARE(launcher.started[0].program, QCoreApplication::applicationFilePath());
    QCOMPARE(launcher.started[0].arguments, QStringList{"b.txt"});
    QCOMPARE(launcher.started[1].arguments, QStringList{"c d.txt"});
    QVERIFY(launcher.started[0].forwardedMark);
    QVERIFY(!qEnvironmentVariableIsSet("ORVANE_FORWARDED"));
    QVERIFY(prompter->asked.isEmpty());
}

void TestStartUp::noArgumentsShowsUntitled()
{
    Scratch scratch;
    TestSupport::PrompterGuard prompter;
    frmMain window(scratch.appFolder());
    SingleInstance instance(&window);
    QCOMPARE(StartUp(window, instance, {}), StartUpResult::WindowShown);
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("Untitled - Orvane"));
    QVERIFY(!instance.isListening());
}

void TestStartUp::alpha_data()
{
    QTest::addColumn<int>("lucidity");
    QTest::addColumn<int>("alpha");
    QTest::newRow("10") << 10 << 229;
    QTest::newRow("20") << 20 << 204;
    QTest::newRow("30") << 30 << 178;
    QTest::newRow("1") << 1 << 252;
    QTest::newRow("15") << 15 << 217;
    QTest::newRow("0 counts as 10") << 0 << 229;
    QTest::newRow("31 counts as 10") << 31 << 229;
    QTest::newRow("100 counts as 10") << 100 << 229;
    QTest::newRow("negative counts as 10") << -5 << 229;
}

void TestStartUp::alpha()
{
    QFETCH(int, lucidity);
    QFETCH(int, alpha);
    QCOMPARE(modTransparent::alphaFor(qint16(lucidity)), alpha);
}

void TestStartUp::translucencyOnAndOff()
{
    QWidget window;
    for (const qint16 lucidity : {qint16(10), qint16(20), qint16(30)}) {
        modTransparent::applyTranslucency(&window, true, lucidity);
        QCOMPARE(qRound(window.windowOpacity() * 255), modTransparent::alphaFor(lucidity));
    }
    modTransparent::applyTranslucency(&window, false, 30);
    QCOMPARE(window.windowOpacity(), 1.0);
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
