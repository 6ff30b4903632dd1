#include "DOSOutputs.h"
#include "ShellWords.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Runs a command line and records the chunks in the order they were raised.
struct Run {
    DOSOutputs runner;
    QStringList chunks;
    Run() { QObject::connect(&runner, &DOSOutputs::ReceiveOutputs, [this](const QString &c) { chunks << c; }); }
    QString operator()(const QString &commandLine) { return runner.ExecuteCommand(commandLine); }
    QList<int> sizes() const
    {
        QList<int> result;
        for (const QString &chunk : chunks)
            result << int(chunk.toUtf8().size());
        return result;
    }
};

} // namespace

class TestDosOutputs : public QObject {
    Q_OBJECT

private slots:
    void splitsLikeAShell_data();
    void splitsLikeAShell();
    void quotedWordsComeBackWhole();
    void chunksInOrder_data();
    void chunksInOrder();
    void commandsThatCannotStart();
    void runsInItsFolder();
    void stopEndsAnEndlessCommandAndItsChildren();
};

void TestDosOutputs::splitsLikeAShell_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<bool>("readable");
    QTest::newRow("blanks and tabs") << "gcc  -Wall\t-c" << QStringList{"gcc", "-Wall", "-c"} << true;
    QTest::newRow("single quotes keep all") << R"(sh -c 'echo "$0" \n')" << QStringList{"sh", "-c", R"(echo "$0" \n)"} << true;
    QTest::newRow("double quotes unescape") << R"(a "b \"c\" \\ \x" d)" << QStringList{"a", R"(b "c" \ \x)", "d"} << true;
    QTest::newRow("backslash blank") << R"(a\ b c)" << QStringList{"a b", "c"} << true;
    QTest::newRow("empty quoted word") << "a '' \"\"" << QStringList{"a", "", ""} << true;
    QTest::newRow("glued pieces") << R"(x'y'"z")" << QStringList{"xyz"} << true;
    QTest::newRow("no operators") << "a;b|c>d" << QStringList{"a;b|c>d"} << true;
    QTest::newRow("open single quote") << "a 'b" << QStringList{} << false;
    QTest::newRow("open double quote") << "a \"b" << QStringList{} << false;
    QTest::newRow("trailing backslash") << "a \\" << QStringList{} << false;
}

void TestDosOutputs::splitsLikeAShell()
{
    QFETCH(QString, line);
    QFETCH(QStringList, words);
    QFETCH(bool, readable);
    const std::optional<QStringList> split = ShellWords::split(line);
    QCOMPARE(split.has_value(), readable);
    if (readable)
        QCOMPARE(*split, words);
}

void TestDosOutputs::quotedWordsComeBackWhole()
{
    const QStringList names = {"a b.c", "x;touch pwned;.c", "it's.c", "$(rm -rf ~).c", "q\"uo`te\\.c",
                               "tab\there.c", "", "plain-name_1.c", "é.c"};
    for (const QString &name : names) {
        const QString line = QStringLiteral("gcc -c ") + ShellWords::quote(name);
        QCOMPARE(ShellWords::split(line), std::optional<QStringList>(QStringList{"gcc", "-c", name}));
    }
    QCOMPARE(ShellWords::quote("a b.c"), QStringLiteral("\"a b.c\""));
    QCOMPARE(ShellWords::quote("main.c"), QStringLiteral("main.c"));
}

void TestDosOutputs::chunksInOrder_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QString>("outputs");
    QTest::newRow("600 bytes at once") << "sh -c 'printf %0600d 0'" << QList<int>{256, 256, 88, 0}
                                       << QString(600, QLatin1Char('0'));
    QTest::newRow("short line") << "printf 'hello\\n'" << QList<int>{6, 0} << "hello\n";
    QTest::newRow("nothing written") << "true" << QList<int>{0} << "";
    QTest::newRow("error stream") << "sh -c 'echo err >&2'" << QList<int>{4, 0} << "err\n";
    // The two bytes of é straddle the 256-byte boundary: the character moves whole to the next chunk.
    QTest::newRow("character kept whole") << "sh -c 'printf %0255dé 0'" << QList<int>{255, 2, 0}
                                          << QString(255, QLatin1Char('0')) + QStringLiteral("é");
}

void TestDosOutputs::chunksInOrder()
{
    QFETCH(QString, command);
    QFETCH(QList<int>, sizes);
    QFETCH(QString, outputs);
    Run run;
    QCOMPARE(run(command), outputs);
    QCOMPARE(run.sizes(), sizes);
    QCOMPARE(run.chunks.join(QString()), outputs);
    QCOMPARE(run.runner.outcome(), DOSOutputs::Outcome::Finished);
    QCOMPARE(run.runner.exitCode(), 0);
}

void TestDosOutputs::commandsThatCannotStart()
{
    for (const QString &line : {QStringLiteral("no-such-program-orvane --version"), QStringLiteral("sh -c 'open")}) {
        Run run;
        QCOMPARE(run(line), QString());
        QCOMPARE(run.runner.outcome(), DOSOutputs::Outcome::NotStarted);
        QVERIFY(run.chunks.isEmpty());
    }
    Run empty;
    QCOMPARE(empty("   "), QString());
    QCOMPARE(empty.runner.outcome(), DOSOutputs::Outcome::NothingRun);
}

void TestDosOutputs::runsInItsFolder()
{
    QTemporaryDir folder;
    Run run;
    run.runner.setWorkingDirectory(folder.path());
    QCOMPARE(run("pwd -P"), QDir(folder.path()).canonicalPath() + QLatin1Char('\n'));
}

void TestDosOutputs::stopEndsAnEndlessCommandAndItsChildren()
{
    QTemporaryDir folder;
    Run run;
    run.runner.setWorkingDirectory(folder.path());
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    QTimer::singleShot(300, &run.runner, &DOSOutputs::stop);
    QElapsedTimer clock;
    clock.start();
    // Ignores the polite request, and leaves a child that would leave a mark if it outlived the stop.
    run("sh -c 'trap \"\" TERM; (sleep 1; touch survived) & echo begun; while :; do sleep 1; done'");
    QVERIFY2(clock.elapsed() < 300 + 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(run.runner.outcome(), DOSOutputs::Outcome::Stopped);
    QCOMPARE(run.chunks, (QStringList{"begun\n", ""}));
    QVERIFY(ticks >= 5);
    QTest::qWait(1200);
    QVERIFY(!QFileInfo::exists(folder.filePath("survived")));
}

QTEST_MAIN(TestDosOutputs)
#include "tst_dosoutputs.moc"
