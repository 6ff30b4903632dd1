#include "HistoryLists.h"
#include "OpenFilesRegister.h"
#include "RecentFiles.h"
#include "TestSupport.h"

#include "ListFile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

QString path(int n)
{
    return QStringLiteral("/docs/file%1.txt").arg(n);
}

// Entries file1 (top) … file10.
RecentFiles filledRecentFiles(const QString &folder)
{
    RecentFiles recent(folder);
    for (int n = 10; n >= 1; --n)
        recent.AddRecentFile(path(n));
    return recent;
}

const char *const kWriterArgument = "--list-writer";
const char *const kHolderArgument = "--lock-holder";

// A child process, as a second window would be: waits for the common start, then records its file
// in the recent files, the open files and the search history.
int runListWriter(const QString &folder, int n, qint64 startAt)
{
    while (QDateTime::currentMSecsSinceEpoch() < startAt)
        QThread::usleep(200);
    RecentFiles recent(folder);
    recent.LoadRecentFiles();
    const bool failed = recent.AddRecentFile(path(n)) || OpenFilesRegister(folder).RegisterOpenFile(path(n))
        || HistoryLists(folder).AddToHistory(path(n), HistoryLists::SearchStrings);
    return failed ? 1 : 0;
}

} // namespace

class tst_Lists : public QObject {
    Q_OBJECT

private slots:
    void reopenedEntryMovesToTop()
    {
        QTemporaryDir dir;
        RecentFiles recent = filledRecentFiles(dir.path());
        QVERIFY(!recent.AddRecentFile(path(4)));
        QCOMPARE(recent.entries(), QStringList({path(4), path(1), path(2), path(3), path(5), path(6), path(7), path(8),
                                                path(9), path(10)}));
        QVERIFY(!recent.IsRecentFile(QStringLiteral("/DOCS/file4.txt")));
        // An eleventh file drops the last.
        QVERIFY(!recent.AddRecentFile(path(11)));
        QCOMPARE(recent.entry(1), path(11));
        QCOMPARE(recent.entry(10), path(9));
    }

    void recentFileIsAlwaysTenLines()
    {
        QTemporaryDir dir;
        RecentFiles recent(dir.path());
        recent.AddRecentFile(QStringLiteral("/a.txt"));
        QCOMPARE(TestSupport::readFile(recent.filePath()), QByteArray("/a.txt\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"));
        // A path outside Latin-1 survives the file.
        const QString cyrillic = QStringLiteral("/home/\u0438\u0432\u0430\u043d/\u0444.txt");
        recent.AddRecentFile(cyrillic);
        RecentFiles other(dir.path());
        other.LoadRecentFiles();
        QCOMPARE(other.entry(1), cyrillic);
    }

    void loadRecentFiles_data()
    {
        QTest::addColumn<QByteArray>("content");  // empty: no file
        QTest::addColumn<QStringList>("expected");
        QByteArray twelveLines;
        QStringList firstTen;
        for (int n = 1; n <= 12; ++n) {
            twelveLines += path(n).toLatin1() + "\r\n";
            if (n <= 10)
                firstTen << path(n);
        }
        const QStringList two = {"/x", "/y", "", "", "", "", "", "", "", ""};
        QTest::newRow("missing file empties the list") << QByteArray() << QStringList(10);
        QTest::newRow("lines after the tenth ignored") << twelveLines << firstTen;
        QTest::newRow("short file clears stale entries") << QByteArray("/x\r\n/y\r\n") << two;
        QTest::newRow("LF line ends") << QByteArray("/x\n/y\n") << two;
    }
    void loadRecentFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        RecentFiles recent = filledRecentFiles(dir.path());
        QFile::remove(recent.filePath());
        if (!content.isEmpty())
            TestSupport::writeFile(dir, "lastfiles.dat", content);
        recent.LoadRecentFiles();
        QCOMPARE(recent.entries(), expected);
    }

    void captions_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three slashes shown whole") << 1 << "/a/b/c.txt" << "&1 /a/b/c.txt";
        QTest::newRow("long deep path keeps three folders")
            << 9 << "/home/user/projects/customer-archive/2026/reports/b/c/d/e.txt" << "&9 ../b/c/d/e.txt";
        QTest::newRow("long shallow path shown whole")
            << 4 << "/a-very-long-folder-name-for-the-menu/another-long-name/e.txt"
            << "&4 /a-very-long-folder-name-for-the-menu/another-long-name/e.txt";
        QTest::newRow("tenth") << 10 << "/a.txt" << "1&0 /a.txt";
        QTest::newRow("trailing blanks removed") << 2 << "/a/b.txt  " << "&2 /a/b.txt";
        QTest::newRow("ampersand shown as itself") << 3 << "/R&D.txt" << "&3 /R&&D.txt";
    }
    void captions()
    {
        QFETCH(int, number);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(RecentFiles::captionFor(number, path), expected);
    }

    // "/home/u/a/b.txt" was shown as "../u/a/b.txt": cut although it fitted.
    void shortFormCutPathsThatFitted()
    {
        for (const QString &path : {QStringLiteral("/home/u/a/b.txt"), QStringLiteral("/home/u/src/orvane/main.cpp"),
                                   QStringLiteral("/x/") + QString(RecentFiles::ShortFormLimit - 3, u'n')}) {
            QCOMPARE(path.size() <= RecentFiles::ShortFormLimit, true);
            QCOMPARE(RecentFiles::shortForm(path), path);
        }
        const QString over = QStringLiteral("/home/u/a/b/") + QString(RecentFiles::ShortFormLimit, u'n');
        QCOMPARE(RecentFiles::shortForm(over), QStringLiteral("../u/a/b/") + QString(RecentFiles::ShortFormLimit, u'n'));
    }

    void historyIgnoresLetterCase()
    {
        QTemporaryDir dir;
        const HistoryLists history(dir.path());
        for (const char *entry : {"Needle", "nEEDLE", "\xc3\x89t\xc3\xa9", "\xc3\xa9t\xc3\xa9", "other"})
            QVERIFY(!history.AddToHistory(QString::fromUtf8(entry), HistoryLists::SearchStrings));
        QCOMPARE(history.LoadHistory(HistoryLists::SearchStrings), QStringList({"Needle", "\u00c9t\u00e9", "other"}));
        QCOMPARE(TestSupport::readFile(dir.filePath("searchstrings")), QByteArray("Needle\r\n\xc9t\xe9\r\nother\r\n"));
        // Lists are separate files.
        QVERIFY(!history.IsInHistory(QStringLiteral("needle"), HistoryLists::ReplaceStrings));
    }

    void historyFiles()
    {
        QTemporaryDir dir;
        const HistoryLists history(dir.path());
        QCOMPARE(history.HistoryFilePath(4), dir.filePath("urls"));
        QCOMPARE(history.HistoryFilePath(5), QString());
        QVERIFY(!history.AddToHistory(QStringLiteral("x"), 5));
        // A hand-edited list: blank lines are not offered, the others keep their blanks.
        TestSupport::writeFile(dir, "urls", "one\r\n\r\n   \r\n two \r\n");
        QCOMPARE(history.LoadHistory(4), QStringList({"one", " two "}));
        for (const char *entry : {"x", "   ", "a\nb"})
            QVERIFY(!history.AddToHistory(QString::fromLatin1(entry), 4));
        QCOMPARE(history.LoadHistory(4), QStringList({"one", " two ", "x"}));
    }

    void openFilesRegister()
    {
        QTemporaryDir dir;
        const OpenFilesRegister opened(dir.path());
        QVERIFY(!opened.UnregisterOpenFile(path(1)));
        QVERIFY(!opened.RegisterOpenFile(path(1)));
        QVERIFY(!opened.RegisterOpenFile(path(2)));
        QVERIFY(!opened.RegisterOpenFile(path(1)));
        QVERIFY(!opened.RegisterOpenFile(QStringLiteral("Untitled")));
        QCOMPARE(TestSupport::readFile(opened.filePath()), (path(1) + "\r\n" + path(2) + "\r\n" + path(1) + "\r\n").toLatin1());
        QVERIFY(!opened.UnregisterOpenFile(path(1)));
        QVERIFY(!opened.isFileAllreadyOpened(path(1)));
        QVERIFY(opened.isFileAllreadyOpened(path(2)));
    }

    // Windows that close close together are one exit; a window closed long before is not part of it.
    void closedWindowsOfTheLastExit()
    {
        QTemporaryDir dir;
        const OpenFilesRegister opened(dir.path());
        const QDateTime t0 = QDateTime::fromString(QStringLiteral("2026-01-02T10:00:00.000Z"), Qt::ISODateWithMs);
        const auto closeAt = [&](int n, int line, int column, qint64 seconds) {
            QVERIFY(!opened.recordClosedWindow({path(n), line, column, t0.addSecs(seconds)}));
        };
        const auto reopened = [&] {
            QStringList places;
            for (const ClosedWindow &window : opened.windowsToReopen([](const QString &p) { return !p.contains("gone"); }))
                places << QStringLiteral("%1:%2:%3").arg(window.path).arg(window.line).arg(window.column);
            return places;
        };
        closeAt(1, 1, 1, 0);
        closeAt(2, 5, 3, 2 * 3600);    // closed long after: file1 was closed on its own
        closeAt(3, 2, 1, 2 * 3600 + 20);
        closeAt(4, 9, 9, 2 * 3600 + 45);   // each within the gap of the one before
        closeAt(2, 7, 2, 2 * 3600 + 50);   // the same file again: once, where it was last
        QCOMPARE(reopened(), QStringList({path(3) + ":2:1", path(4) + ":9:9", path(2) + ":7:2"}));
        // A clock set back starts a new exit; Untitled and a name with a line break are not recorded.
        closeAt(5, 1, 4, 60);
        QVERIFY(!opened.recordClosedWindow({QStringLiteral("Untitled"), 1, 1, t0.addSecs(61)}));
        QVERIFY(!opened.recordClosedWindow({QStringLiteral("/a\n/b"), 1, 1, t0.addSecs(62)}));
        QCOMPARE(reopened(), QStringList({path(5) + ":1:4"}));
        // Damaged lines are skipped, files that are gone are not reopened.
        TestSupport::writeFile(dir, "closed_windows",
                               "junk\r\n2026-01-02T10:00:00.000Z 0 1 /x\r\n2026-01-02T10:00:00.000Z 3 x /y\r\n"
                               "2026-01-02T10:00:00.000Z 2 2 /gone.txt\r\n2026-01-02T10:00:01.000Z 4 1 /my file.txt\r\n");
        QCOMPARE(reopened(), QStringList({"/my file.txt:4:1"}));
    }

    // Windows started together each re-read the lists under a lock before writing, so none drops
    // another's entry.
    void concurrentWindowsKeepEveryEntry()
    {
        for (int round = 0; round < 5; ++round) {
            QTemporaryDir dir;
            constexpr int Windows = 4;
            const qint64 startAt = QDateTime::currentMSecsSinceEpoch() + 700;
            std::vector<std::unique_ptr<QProcess>> children;
            for (int n = 1; n <= Windows; ++n) {
                children.push_back(std::make_unique<QProcess>());
                children.back()->start(QCoreApplication::applicationFilePath(),
                                       {QString::fromLatin1(kWriterArgument), dir.path(), QString::number(n), QString::number(startAt)});
            }
            for (auto &child : children) {
                QVERIFY(child->waitForFinished(30000));
                QCOMPARE(child->exitCode(), 0);
            }
            RecentFiles recent(dir.path());
            recent.LoadRecentFiles();
            const QStringList opened = ListFile::read(OpenFilesRegister(dir.path()).filePath()).value_or(QStringList());
            const QStringList searched = HistoryLists(dir.path()).LoadHistory(HistoryLists::SearchStrings);
            for (int n = 1; n <= Windows; ++n) {
                QVERIFY2(recent.IsRecentFile(path(n)), qPrintable(QStringLiteral("round %1: recent %2").arg(round).arg(n)));
                QVERIFY2(opened.contains(path(n)), qPrintable(QStringLiteral("round %1: opened %2").arg(round).arg(n)));
                QVERIFY2(searched.contains(path(n)), qPrintable(QStringLiteral("round %1: history %2").arg(round).arg(n)));
            }
            QCOMPARE(TestSupport::readFile(recent.filePath()).count("\r\n"), RecentFiles::Count);
        }
    }

    // A lock left by a process that died never blocks the next writer.
    void staleLockIsTakenOver()
    {
        QTemporaryDir dir;
        const OpenFilesRegister opened(dir.path());
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kHolderArgument), opened.filePath() + ".lock"});
        QVERIFY(holder.waitForReadyRead(10000));
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(QFile::exists(opened.filePath() + ".lock"));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(opened.RegisterOpenFile(path(1)), std::nullopt);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(opened.isFileAllreadyOpened(path(1)));
    }

    void unregisterFromLongRegister()
    {
        // Processes that end without unloading leave their lines behind, so the register grows.
        QTemporaryDir dir;
        const OpenFilesRegister opened(dir.path());
        QStringList lines;
        QStringList expected;
        for (int n = 0; n < 250; ++n) {
            const QString line = n % 50 == 7 ? path(0) : path(n);
            lines << line;
            if (line != path(0))
                expected << line;
        }
        TestSupport::writeFile(dir, "opened_files", lines.join("\r\n").toLatin1() + "\r\n");
        QVERIFY(!opened.UnregisterOpenFile(path(0)));
        QCOMPARE(TestSupport::readFile(opened.filePath()), (expected.join("\r\n") + "\r\n").toLatin1());
    }
};

int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], kWriterArgument) == 0)
        return runListWriter(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(), QByteArray(argv[4]).toLongLong());
    if (argc == 3 && qstrcmp(argv[1], kHolderArgument) == 0) {
        QLockFile lock(QString::fromLocal8Bit(argv[2]));
        if (!lock.lock())
            return 1;
        std::puts("locked");
        std::fflush(stdout);
        QThread::sleep(60);
        return 0;
    }
    QCoreApplication app(argc, argv);
    tst_Lists test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_lists.moc"
