#include "FileIO.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

#include "TestSupport.h"

namespace {

const char *const kWriterArgument = "--atomic-writer";
const char *const kLimitedArgument = "--limited-writer";
constexpr qsizetype kFileSize = qsizetype(30) * 1024 * 1024;

// Every generation fills the whole file with its own byte, so a torn file shows as a mix.
QByteArray generation(int number)
{
    return QByteArray(kFileSize, char(number));
}

int generationAfter(int number)
{
    return 2 + (number - 1) % 249;
}

// The child: saves generation after generation, reporting each one saved, until killed; stops by
// itself after a while so a lost parent never leaves it running.
int runWriter(const QString &path, int previous)
{
    QElapsedTimer alive;
    alive.start();
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (int number = generationAfter(previous); alive.elapsed() < 60000; number = generationAfter(number)) {
        if (FileIO::writeAtomically(path, generation(number)))
            return 2;
        std::printf("%d\n", number);
        std::fflush(stdout);
    }
    return 0;
}

// The child: a process that may write files of at most 64 KiB saves 1 MiB and prints the error.
int runLimitedWriter(const QString &path)
{
    const rlimit limit{64 * 1024, 64 * 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return 3;
    const auto error = FileIO::writeAtomically(path, QByteArray(1024 * 1024, 'n'));
    if (!error)
        return 1;
    std::fputs(qPrintable(*error), stdout);
    return 0;
}

} // namespace

class TestAtomicSave : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void killedWhileSaving_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("firstGeneration");  // the child's first save writes the one after
        // Spread over the child's start-up, its first save and many saves later.
        QRandomGenerator *rng = QRandomGenerator::global();
        for (int round = 0; round < 8; ++round) {
            const int delay = round * 60 + int(rng->bounded(60));
            QTest::addRow("kill after %d ms", delay) << delay << round * 30 + 1;
        }
    }
    void killedWhileSaving()
    {
        QFETCH(int, delayMs);
        QFETCH(int, firstGeneration);
        QDir folder(m_dir.path());
        for (const QString &name : folder.entryList(QDir::Files))
            folder.remove(name);
        const QString target = m_dir.filePath(QStringLiteral("large.c"));
        QCOMPARE(FileIO::writeAtomically(target, generation(firstGeneration)), std::nullopt);

        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kWriterArgument), target, QString::number(firstGeneration)});
        const auto killChild = qScopeGuard([&child] {
            child.kill();
            child.waitForFinished(5000);
        });
        QVERIFY(child.waitForReadyRead(10000));
        QThread::msleep(delayMs);
        QCOMPARE(child.state(), QProcess::Running);
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // The file holds the last generation reported saved, or the one after it when the kill came
        // between its rename and its report; never anything torn.
        int lastSaved = firstGeneration;
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty() && line != "ready")
                lastSaved = line.toInt();
        }
        const QByteArray bytes = TestSupport::readFile(target);
        QCOMPARE(bytes.size(), kFileSize);
        const int found = uchar(bytes.front());
        QVERIFY2(found == lastSaved || found == generationAfter(lastSaved),
                 qPrintable(QStringLiteral("generation %1 after %2 was saved").arg(found).arg(lastSaved)));
        const qsizetype mixed = bytes.size() - bytes.count(bytes.front());
        QVERIFY2(mixed == 0, qPrintable(QStringLiteral("%1 bytes of another generation").arg(mixed)));
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("large.c")});
    }

    // A write that fails part-way (here: the size limit, as a full disk would) leaves the old
    // file as it was and says which file and why.
    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("doc.txt"));
        QCOMPARE(FileIO::writeAtomically(target, "old text\r\n"), std::nullopt);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kLimitedArgument), target});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(child.readAllStandardOutput()),
                 QStringLiteral("Couldn't save %1: File too large").arg(target));
        QCOMPARE(TestSupport::readFile(target), QByteArray("old text\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("doc.txt")});
        // A successful rewrite keeps the file's permissions.
        QCOMPARE(FileIO::writeAtomically(target, "new"), std::nullopt);
        QCOMPARE(QFile::permissions(target) & 0x7000, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(FileIO::writeAtomically(dir.filePath(QStringLiteral("missing/x.txt")), "x")->startsWith(
            QStringLiteral("Couldn't save %1: ").arg(dir.filePath(QStringLiteral("missing/x.txt")))));
    }

    // On a file system with no block left the old file stays and the message says why.
    void fullFileSystemKeepsTheOldFile()
    {
        if (geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        QTemporaryDir mountPoint;
        if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                        QStringLiteral("size=512k"), QStringLiteral("tmpfs"), mountPoint.path()})
            != 0)
            QSKIP("this machine does not let a test mount a tmpfs");
        const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mountPoint.path()}); });
        const QString target = mountPoint.filePath(QStringLiteral("doc.txt"));
        const QByteArray old(4000, 'o');
        QCOMPARE(FileIO::writeAtomically(target, old), std::nullopt);
        {
            QFile filler(mountPoint.filePath(QStringLiteral("filler")));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        for (const qsizetype size : {qsizetype(100), qsizetype(16 * 1024), qsizetype(600 * 1024)}) {
            const std::optional<QString> error = FileIO::writeAtomically(target, QByteArray(size, 'n'));
            QVERIFY2(error, qPrintable(QStringLiteral("a %1-byte save on a full disk reported success").arg(size)));
            QCOMPARE(*error, QStringLiteral("Couldn't save %1: No space left on device").arg(target));
            QCOMPARE(TestSupport::readFile(target), old);
        }
        QCOMPARE(QDir(mountPoint.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("doc.txt"), QStringLiteral("filler")}));
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], kLimitedArgument) == 0)
        return runLimitedWriter(QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && qstrcmp(argv[1], kWriterArgument) == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    QCoreApplication app(argc, argv);
    TestAtomicSave test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_atomicsave.moc"
