#include "InstanceLock.h"
#include "SearchWindows.h"
#include "SingleInstance.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "modStartUp.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using Hand = SingleInstance::HandOver;
using Claim = SingleInstance::Claim;

namespace {

// A socket file as a crashed process leaves it: bound, not listening, not removed.
bool leaveStaleSocket(const QString &document)
{
    const QByteArray path = QFile::encodeName(QDir::tempPath() + u'/' + SingleInstance::serverName(document));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.constData(), size_t(qMin(path.size(), qsizetype(sizeof address.sun_path - 1))));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// The process listening for a document, or -1 when none answers in time.
qint64 ownerPid(const QString &document)
{
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(100)) {
        QLocalSocket socket;
        socket.connectToServer(SingleInstance::serverName(document));
        ucred peer{};
        socklen_t length = sizeof peer;
        if (socket.waitForConnected(200)
            && ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0)
            return peer.pid;
    }
    return -1;
}

// Runs copies of the built program, whose application folder is then a scratch folder; at the
// end kills what still runs and removes the socket files killed processes leave.
class Programs {
public:
    explicit Programs(const QStringList &documents)
        : m_documents(documents)
    {
        const QString bin = qEnvironmentVariable("ORVANE_BIN", TestSupport::appDir() + QStringLiteral("/orvane"));
        const QDir from = QFileInfo(bin).absoluteDir();
        for (const QString &file : from.entryList({"orvane", "libpalisade.so*"}, QDir::Files))
            QFile::copy(from.filePath(file), m_dir.filePath(file));
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home/config")));
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("home/data")));
        m_environment.remove(QStringLiteral("ORVANE_FORWARDED"));
    }
    ~Programs()
    {
        for (const qint64 pid : m_detached)
            ::kill(pid_t(pid), SIGKILL);
        for (QProcess *process : m_processes) {
            process->kill();
            process->waitForFinished(5000);
        }
        qDeleteAll(m_processes);
        for (const QString &document : m_documents)
            QLocalServer::removeServer(SingleInstance::serverName(document));
    }
    bool available() const { return QFileInfo(m_dir.filePath(QStringLiteral("orvane"))).isExecutable(); }
    QProcess *start(const QStringList &arguments, const QString &workingDir)
    {
        auto *process = new QProcess;
        m_processes << process;
        process->setProcessEnvironment(m_environment);
        process->setWorkingDirectory(workingDir);
        process->start(m_dir.filePath(QStringLiteral("orvane")), arguments);
        process->waitForStarted(5000);
        return process;
    }
    void adopt(qint64 pid) { m_detached << pid; }

private:
    QTemporaryDir m_dir;
    QStringList m_documents;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    QList<QProcess *> m_processes;
    QList<qint64> m_detached;
};

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void serverNames();
    void raiseReachesMinimisedModifiedOwner();
    void ownerAnswersOnlyRaise();
    void handOverCarriesThePlace();
    void followingRenamesAndYields();
    void secondProcessRaisesFirst();
    void laterWindowsKnowTheyAreNotFirst();

private:
    QString file(const QString &name) { return TestSupport::writeFile(m_dir, name, "text\r\n"); }
    QTemporaryDir m_dir;
};

void TestSingleInstance::serverNames()
{
    const QString a = file(QStringLiteral("a.txt"));
    QDir(m_dir.path()).mkdir(QStringLiteral("sub"));
    QVERIFY(QFile::link(a, m_dir.filePath(QStringLiteral("link.txt"))));
    const QString name = SingleInstance::serverName(a);
    for (const char *spelling : {"/./a.txt", "/sub/../a.txt", "/link.txt"})
        QCOMPARE(SingleInstance::serverName(m_dir.path() + QLatin1String(spelling)), name);
    QVERIFY(SingleInstance::serverName(file(QStringLiteral("b.txt"))) != name);
}

void TestSingleInstance::raiseReachesMinimisedModifiedOwner()
{
    const QString doc = file(QStringLiteral("doc.txt"));
    TestSupport::PrompterGuard prompter;
    QTemporaryDir app;
    frmMain window(app.path());
    SingleInstance instance(&window);
    modStartUp::followDocumentPath(window, instance);
    QCOMPARE(modStartUp::OpenFromCommandLine(window, instance, doc), modStartUp::StartUpResult::WindowShown);
    window.markChanged();
    window.showMinimized();

    // handOver blocks; from another thread the owner in this one can answer.
    auto client = std::async(std::launch::async, [&] { return SingleInstance::handOver(doc, 5000); });
    QVERIFY(QTest::qWaitFor([&] { return client.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
    QCOMPARE(client.get(), Hand::Raised);
    QVERIFY(!window.isMinimized());
}

// A result of Find in Files in a file another window shows: that window comes up with its caret there.
void TestSingleInstance::handOverCarriesThePlace()
{
    const QString doc = TestSupport::writeFile(m_dir, QStringLiteral("place.c"), "one\r\ntwo\r\nthree four\r\n");
    TestSupport::PrompterGuard prompter;
    QTemporaryDir app;
    frmMain window(app.path());
    SingleInstance instance(&window);
    modStartUp::followDocumentPath(window, instance);
    QCOMPARE(modStartUp::OpenFromCommandLine(window, instance, doc), modStartUp::StartUpResult::WindowShown);
    auto client = std::async(std::launch::async,
                             [&] { return SingleInstance::handOver(doc, 5000, Launcher::Position{3, 7}); });
    QVERIFY(QTest::qWaitFor([&] { return client.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
    QCOMPARE(client.get(), Hand::Raised);
    QCOMPARE(window.surface().selStart(), 16);
    // A file no window shows gets a window of its own, told where to go.
    const QString other = TestSupport::writeFile(m_dir, QStringLiteral("other.c"), "x\n");
    QStringList started;
    QString place;
    Launcher::setStarter([&](const QString &, const QStringList &arguments) {
        started = arguments;
        place = qEnvironmentVariable("ORVANE_FORWARDED_AT");
        return true;
    });
    window.search().openFileAt(other, Launcher::Position{2, 5});
    Launcher::setStarter({});
    QCOMPARE(started, QStringList{other});
    QCOMPARE(place, QStringLiteral("2 5"));
    QVERIFY(!qEnvironmentVariableIsSet("ORVANE_FORWARDED_AT"));
    // The document this window shows: the caret moves here, nothing is started.
    window.search().openFileAt(doc, Launcher::Position{2, 1});
    QCOMPARE(window.surface().selStart(), 5);
    // Out of range: the last line, the end of the line.
    window.search().goToPosition(Launcher::Position{99, 99});
    QCOMPARE(window.surface().selStart(), window.surface().textLength());
    QVERIFY(!Launcher::parsePosition(QStringLiteral("3 x")));
}

void TestSingleInstance::ownerAnswersOnlyRaise()
{
    const QString doc = file(QStringLiteral("junk.txt"));
    SingleInstance owner(nullptr);
    QCOMPARE(owner.follow(doc), Claim::Listening);
    QSignalSpy raised(&owner, &SingleInstance::raised);
    for (const QByteArray &junk : {QByteArray("hello\n"), QByteArray(200, 'r'), QByteArray("raise")}) {
        QLocalSocket socket;
        socket.connectToServer(SingleInstance::serverName(doc));
        QVERIFY(socket.waitForConnected(1000));
        socket.write(junk);
        socket.flush();
        QTest::qWait(50);
    }
    QCOMPARE(raised.size(), 0);
    // This thread waits, so the owner cannot answer; it is alive, so the file stays with it.
    QCOMPARE(SingleInstance::handOver(doc, 300), Hand::Raised);
    QTRY_COMPARE(raised.size(), 1);
}

void TestSingleInstance::followingRenamesAndYields()
{
    const QString a = file(QStringLiteral("a.txt"));
    const QString b = file(QStringLiteral("b.txt"));
    SingleInstance first(nullptr);
    SingleInstance second(nullptr);
    QCOMPARE(first.follow(a), Claim::Listening);
    QCOMPARE(second.follow(a), Claim::OwnedElsewhere);
    QCOMPARE(first.follow(b), Claim::Listening);
    QCOMPARE(SingleInstance::handOver(a, 300), Hand::NoOwner);
    QCOMPARE(second.follow(a), Claim::Listening);
    QCOMPARE(first.follow(QStringLiteral("Untitled")), Claim::NotListening);
    QCOMPARE(SingleInstance::handOver(b, 300), Hand::NoOwner);
}

void TestSingleInstance::secondProcessRaisesFirst()
{
    const QString doc = file(QStringLiteral("shared doc.txt"));
    const QString other = file(QStringLiteral("b.txt"));
    Programs programs({doc, other});
    if (!programs.available())
        QSKIP("the built program is not available");
    // The first process finds the socket file a crashed one left, and takes it over.
    QVERIFY(leaveStaleSocket(doc));
    QProcess *first = programs.start({doc, QStringLiteral("b.txt")}, m_dir.path());
    QCOMPARE(ownerPid(doc), first->processId());
    // The second file named gets a process of its own.
    const qint64 otherPid = ownerPid(other);
    if (otherPid > 0)
        programs.adopt(otherPid);
    QVERIFY(otherPid > 0 && otherPid != first->processId());

    // Once by full path, once relative to the folder: both go to the first and end at once.
    for (const QString &argument : {doc, QStringLiteral("shared doc.txt")}) {
        QProcess *second = programs.start({argument}, m_dir.path());
        QVERIFY(second->waitForFinished(5000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
    }
}

// The tip of the day comes only in the first window of a session: a window started while another
// runs is told so, and once every window has ended the next one is the first again.
void TestSingleInstance::laterWindowsKnowTheyAreNotFirst()
{
    const QString path = m_dir.filePath(QStringLiteral("instances"));
    {
        const InstanceLock first(path);
        QVERIFY(!first.othersRunning());
        const InstanceLock second(path);
        QVERIFY(second.othersRunning());
        const InstanceLock third(path);
        QVERIFY(third.othersRunning());
    }
    const InstanceLock again(path);
    QVERIFY(!again.othersRunning());
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
