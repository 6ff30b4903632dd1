#include "DocumentState.h"
#include "FileIO.h"
#include "MemorySurface.h"
#include "RecoveryOffer.h"
#include "RecoveryStore.h"
#include "RecoveryWriter.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// The window's side of a recovery: failures written down, copies shown here or started elsewhere.
struct FailureLog : RecoveryWriter::Host {
    QStringList failures;
    QString fileStamp() const override { return QStringLiteral("stamp"); }
    void recoveryFailed(const QString &error) override { failures << error; }
};

struct Windows : RecoveryOffer::Host {
    std::function<void(const RecoveryStore::Orphan &)> here;
    std::function<bool(const QString &)> elsewhere;
    QString shown;
    bool canRestoreHere() const override { return bool(here); }
    QString shownHere() const override { return shown; }
    void restoreHere(const RecoveryStore::Orphan &orphan) override { here(orphan); }
    bool startElsewhere(const QString &file) override { return elsewhere(file); }
};

RecoveryRecord sampleRecord()
{
    RecoveryRecord record;
    record.path = FileIO::decodePath(QByteArray("/docs/caf\xe9 notes.txt"));   // a name that is not UTF-8
    record.encoding = TextEncoding::SingleByte;
    record.utf8Bom = false;
    record.isUnix = false;
    record.isBinary = true;
    record.caret = 7;
    record.written = QStringLiteral("2026-01-02T03:04:05.006Z");
    record.fileStamp = QStringLiteral("1700000000.000000001/12");
    static constexpr char text[] = "line\r\n\0nul\n\n\xc3\xa9 end";
    record.text = QByteArray(text, sizeof text - 1);
    return record;
}

// A lock as a process that has ended leaves it behind.
void writeDeadLock(const QString &file)
{
    QProcess ended;
    ended.start(QStringLiteral("sleep"), {QStringLiteral("0.1")});
    QVERIFY(ended.waitForStarted());
    const qint64 pid = ended.processId();
    QVERIFY(ended.waitForFinished());
    QFile lock(file + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\norvane\n" + QSysInfo::machineHostName().toUtf8() + "\n");
}

void makeOlder(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT

private slots:
    void copyRoundTripsAndDamageIsRefused_data();
    void copyRoundTripsAndDamageIsRefused();
    void copyFromLentTextIsTheSame();
    void onlyCopiesOfEndedWindowsAreOffered();
    void writerKeepsACopyOnlyWhileUnsaved();
    void fullDiskIsToldOnce();
    void typingThatNeverPausesStillGetsACopy_data();
    void typingThatNeverPausesStillGetsACopy();
    void answersToTheQuestion();
    void windowsThatWereOpenComeBack();
};

void TestRecovery::copyRoundTripsAndDamageIsRefused_data()
{
    QTest::addColumn<int>("at");       // byte to change; -1 none, -2 cut the last byte
    QTest::newRow("intact") << -1;
    QTest::newRow("a byte of the text flipped") << -3;
    QTest::newRow("cut short") << -2;
    QTest::newRow("the caret changed") << -4;
    QTest::newRow("the checksum changed") << 30;
}

void TestRecovery::copyRoundTripsAndDamageIsRefused()
{
    QFETCH(int, at);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.recovery"));
    const RecoveryRecord record = sampleRecord();
    QCOMPARE(RecoveryStore::write(file, record), std::nullopt);
    QCOMPARE(TestSupport::readFile(file), RecoveryStore::encode(record));
    QByteArray bytes = TestSupport::readFile(file);
    if (at == -2)
        bytes.chop(1);
    else if (at == -3)
        bytes[bytes.size() - 3] = 'X';
    else if (at == -4)
        bytes.replace("caret 7", "caret 9");
    else if (at >= 0)
        bytes[at] = bytes[at] == 'a' ? 'b' : 'a';
    QFile::remove(file);
    QCOMPARE(FileIO::writeAtomically(file, bytes), std::nullopt);
    const auto read = RecoveryStore::read(file);
    if (at == -1) {
        const auto *back = std::get_if<RecoveryRecord>(&read);
        QVERIFY(back);
        QCOMPARE(RecoveryStore::encode(*back), RecoveryStore::encode(record));
    } else {
        QVERIFY2(std::holds_alternative<QString>(read), "a damaged copy was read as complete");
    }
}

// A copy written piece by piece from the document's lent bytes is the copy write() makes; a loan
// ended before the writing leaves the last whole copy on the disk and reports no failure.
void TestRecovery::copyFromLentTextIsTheSame()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.recovery"));
    RecoveryRecord record = sampleRecord();
    for (const qsizetype size : {qsizetype(0), qsizetype(31), qsizetype(3 << 20) + 5}) {
        QByteArray text(size, 'a');
        for (qsizetype i = 0; i < size; i += 97)
            text[i] = char('0' + i % 10);
        // Whole, and in two stretches as the widget lends its buffer around the gap.
        const TextLoan whole(QByteArray(text.constData(), text.size()));
        const qsizetype cut = size / 3;
        const TextLoan stretches(text.constData(), cut, text.constData() + cut, size - cut);
        for (const TextLoan *loan : {&whole, &stretches}) {
            bool ended = true;
            record.text = QByteArray();
            QCOMPARE(RecoveryStore::writeLent(file, record, *loan, ended), std::nullopt);
            QVERIFY(!ended);
            record.text = text;
            QCOMPARE(TestSupport::readFile(file), RecoveryStore::encode(record));
        }
    }
    TextLoan gone(QByteArray("changed"));
    gone.end();
    bool ended = false;
    QCOMPARE(RecoveryStore::writeLent(file, record, gone, ended), std::nullopt);
    QVERIFY(ended);
    QCOMPARE(TestSupport::readFile(file), RecoveryStore::encode(record));
}

void TestRecovery::onlyCopiesOfEndedWindowsAreOffered()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    RecoveryStore running(folder);
    RecoveryStore other(folder);
    QVERIFY(!running.ownFile().isEmpty());
    QVERIFY2(running.ownFile() != other.ownFile(), "two windows share a recovery file");
    QCOMPARE(RecoveryStore::write(running.ownFile(), sampleRecord()), std::nullopt);

    RecoveryRecord older = sampleRecord();
    older.path = QStringLiteral("/docs/older.txt");
    const QString killed = folder + QStringLiteral("/1-a.recovery");
    QCOMPARE(RecoveryStore::write(killed, older), std::nullopt);
    writeDeadLock(killed);
    const QString unlocked = folder + QStringLiteral("/2-b.recovery");
    QCOMPARE(RecoveryStore::write(unlocked, sampleRecord()), std::nullopt);
    const QString damaged = folder + QStringLiteral("/3-c.recovery");
    QCOMPARE(FileIO::writeAtomically(damaged, RecoveryStore::encode(sampleRecord()).chopped(2)), std::nullopt);
    writeDeadLock(damaged);
    const QString lonely = folder + QStringLiteral("/4-d.recovery");
    writeDeadLock(lonely);
    // Oldest first.
    makeOlder(killed);

    RecoveryStore starting(folder);
    const RecoveryStore::Found found = starting.claimOrphans();
    QCOMPARE(found.orphans.size(), 2);
    QCOMPARE(found.orphans[0].file, killed);
    QCOMPARE(found.orphans[0].record.path, QStringLiteral("/docs/older.txt"));
    QCOMPARE(found.orphans[1].file, unlocked);
    QCOMPARE(found.damaged.size(), 1);
    QCOMPARE(found.damaged[0].file, damaged + QStringLiteral(".damaged"));
    QVERIFY(QFile::exists(damaged + QStringLiteral(".damaged")));
    QVERIFY2(!QFile::exists(lonely + QStringLiteral(".lock")), "the lock of an ended window without a copy stayed");
    QVERIFY(QFile::exists(running.ownFile() + QStringLiteral(".lock")));

    // Claimed: a second window starting now offers nothing, not even the damaged copy again.
    RecoveryStore second(folder);
    const RecoveryStore::Found none = second.claimOrphans();
    QVERIFY(none.orphans.isEmpty());
    QVERIFY(none.damaged.isEmpty());
    starting.release(unlocked);
    QCOMPARE(second.claimOrphans().orphans.size(), 1);

    QCOMPARE(starting.adopt(killed), std::nullopt);
    QVERIFY(!QFile::exists(killed));
    QCOMPARE(std::get<RecoveryRecord>(RecoveryStore::read(starting.ownFile())).path, QStringLiteral("/docs/older.txt"));
}

void TestRecovery::writerKeepsACopyOnlyWhileUnsaved()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    MemorySurface surface;
    DocumentState state;
    FailureLog log;
    QStringList &failures = log.failures;
    RecoveryWriter writer(folder, surface, state, log);
    writer.setTiming({20, 100});

    surface.setText(QStringLiteral("typed text"));
    surface.setSelStart(5);
    writer.noteChange();
    QTest::qWait(100);
    writer.waitForWrites();
    QVERIFY2(!QFile::exists(writer.store().ownFile()), "a document without changes got a recovery copy");

    state.isDocumentSaved = false;
    state.strfilename = QStringLiteral("/docs/a.txt");
    writer.noteChange();
    QTRY_VERIFY(QFile::exists(writer.store().ownFile()));
    writer.waitForWrites();
    const auto copy = std::get<RecoveryRecord>(RecoveryStore::read(writer.store().ownFile()));
    QCOMPARE(copy.text, QByteArray("typed text"));
    QCOMPARE(copy.caret, 5);
    QCOMPARE(copy.path, QStringLiteral("/docs/a.txt"));
    QCOMPARE(copy.fileStamp, QStringLiteral("stamp"));

    // Saved, closed, reverted or reloaded: the copy goes, also one still being written.
    surface.setText(QStringLiteral("more"));
    writer.writeNow();
    state.isDocumentSaved = true;
    writer.documentSettled();
    writer.waitForWrites();
    QVERIFY(!QFile::exists(writer.store().ownFile()));

    state.isDocumentSaved = false;
    writer.writeNow();
    writer.waitForWrites();
    QVERIFY(QFile::exists(writer.store().ownFile()));
    // The window's file and caret are kept beside, also once the document is saved.
    state.isDocumentSaved = true;
    surface.setSelStart(2);
    writer.noteCaret();
    QTRY_COMPARE(std::get<RecoveryRecord>(RecoveryStore::read(RecoveryStore::windowFileOf(writer.store().ownFile()))).caret, 2);
    writer.finish();
    QVERIFY2(!QFile::exists(writer.store().ownFile()), "a clean end left a recovery copy");
    QVERIFY2(!QFile::exists(RecoveryStore::windowFileOf(writer.store().ownFile())), "a clean end left a window record");
    QVERIFY(failures.isEmpty());
}

// Lends its own bytes, as the editing widget does: a key ends every loan.
struct LendingSurface : MemorySurface {
    mutable std::vector<std::shared_ptr<TextLoan>> loans;
    QByteArray bytes;
    std::shared_ptr<TextLoan> lendText() const override
    {
        loans.push_back(std::make_shared<TextLoan>(bytes.constData(), bytes.size()));
        return loans.back();
    }
    int textLength() const override { return int(bytes.size()); }
    void type(char c)
    {
        for (const auto &loan : loans)
            loan->end();
        loans.clear();
        bytes += c;
    }
};

void TestRecovery::typingThatNeverPausesStillGetsACopy_data()
{
    QTest::addColumn<qint64>("wholeCopyUpTo");
    QTest::newRow("copied whole") << (qint64(64) << 20);
    // A copy of a text this long would hold the window and double its memory: it waits instead.
    QTest::newRow("too long to copy whole") << (qint64(1) << 20);
}

void TestRecovery::typingThatNeverPausesStillGetsACopy()
{
    QFETCH(qint64, wholeCopyUpTo);
    const bool copiedWhole = wholeCopyUpTo > 16 << 20;
    QTemporaryDir dir;
    LendingSurface surface;
    surface.bytes = QByteArray(16 << 20, 'a');
    surface.bytes.reserve(32 << 20);
    DocumentState state;
    state.isDocumentSaved = false;
    FailureLog log;
    RecoveryWriter writer(dir.filePath(QStringLiteral("recovery")), surface, state, log);
    writer.setTiming({5, 5, wholeCopyUpTo});
    writer.noteChange();
    const QString file = writer.store().ownFile();
    // A key every millisecond for two seconds: each one ends the loan of the copy being written.
    QElapsedTimer typing;
    typing.start();
    bool writtenWhileTyping = false;
    while (typing.elapsed() < 2000) {
        surface.type('b');
        writer.noteChange();
        QTest::qWait(1);
        writtenWhileTyping = writtenWhileTyping || QFile::exists(file);
    }
    QCOMPARE(writtenWhileTyping, copiedWhole);
    writer.setTiming({60 * 1000, 60 * 1000, wholeCopyUpTo});
    writer.waitForWrites();
    if (copiedWhole) {
        const auto copy = std::get<RecoveryRecord>(RecoveryStore::read(file));
        QVERIFY(copy.text.size() > 16 << 20);
        QCOMPARE(copy.text, surface.bytes.left(copy.text.size()));
    }
    // The first pause brings the copy up to date either way.
    writer.setTiming({5, 60 * 1000, wholeCopyUpTo});
    writer.noteChange();
    QTRY_VERIFY(QFile::exists(file));
    writer.waitForWrites();
    QTRY_COMPARE(std::get<RecoveryRecord>(RecoveryStore::read(file)).text, surface.bytes);
    QVERIFY(log.failures.isEmpty());
}

void TestRecovery::fullDiskIsToldOnce()
{
    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir mountPoint;
    if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                    QStringLiteral("size=64k"), QStringLiteral("tmpfs"), mountPoint.path()})
        != 0)
        QSKIP("this machine does not let a test mount a tmpfs");
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mountPoint.path()}); });
    MemorySurface surface;
    DocumentState state;
    state.isDocumentSaved = false;
    FailureLog log;
    const QStringList &failures = log.failures;
    RecoveryWriter writer(mountPoint.path(), surface, state, log);
    surface.setText(QString(300000, QLatin1Char('x')));
    for (int attempt = 0; attempt < 3; ++attempt) {
        writer.writeNow();
        writer.waitForWrites();
    }
    QCOMPARE(failures.size(), 1);
    QVERIFY2(failures[0].contains(QStringLiteral("No space left on device")), qPrintable(failures[0]));
    QCOMPARE(surface.text().size(), 300000);
    QVERIFY(filesIn(mountPoint.path()).filter(QRegularExpression(QStringLiteral("recovery$"))).isEmpty());
}

void TestRecovery::answersToTheQuestion()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    QDir().mkpath(folder);
    const QString first = folder + QStringLiteral("/1-a.recovery");
    const QString second = folder + QStringLiteral("/2-b.recovery");
    const auto leaveCopies = [&] {
        RecoveryRecord named = sampleRecord();
        named.path = QStringLiteral("/docs/a.txt");
        RecoveryRecord untitled = sampleRecord();
        untitled.path = QStringLiteral("Untitled");
        QCOMPARE(RecoveryStore::write(first, named), std::nullopt);
        QCOMPARE(RecoveryStore::write(second, untitled), std::nullopt);
        makeOlder(first);
    };
    QStringList restored;
    QStringList started;
    Windows hooks;
    hooks.here = [&](const RecoveryStore::Orphan &orphan) { restored << orphan.record.path; };
    hooks.elsewhere = [&](const QString &file) {
        started << file;
        return true;
    };
    TestSupport::PrompterGuard prompter;
    leaveCopies();

    {
        // Later: kept, and no other window of the session asks about them.
        RecoveryStore store(folder);
        prompter->answers = {QMessageBox::No};
        QCOMPARE(RecoveryOffer::run(store, nullptr, hooks), RecoveryOffer::Answer::Later);
        QCOMPARE(prompter->asked.size(), 1);
        QVERIFY(prompter->asked[0].text.startsWith(QStringLiteral("Orvane was closed without saving changes to:\n\n/docs/a.txt (")));
        QVERIFY(prompter->asked[0].text.contains(QStringLiteral("\nUntitled (")));
        QVERIFY(prompter->asked[0].text.endsWith(QStringLiteral("\n\nRecover them?")));
        RecoveryStore other(folder);
        QCOMPARE(RecoveryOffer::run(other, nullptr, hooks), RecoveryOffer::Answer::Nothing);
        QCOMPARE(prompter->asked.size(), 1);
    }
    {
        // Discard, then No to the second question: still kept.
        RecoveryStore store(folder);
        prompter->answers = {QMessageBox::Discard, QMessageBox::No};
        QCOMPARE(RecoveryOffer::run(store, nullptr, hooks), RecoveryOffer::Answer::Later);
        QVERIFY(QFile::exists(first) && QFile::exists(second));
    }
    {
        RecoveryStore store(folder);
        prompter->answers = {QMessageBox::Yes};
        QCOMPARE(RecoveryOffer::run(store, nullptr, hooks), RecoveryOffer::Answer::Recover);
        QCOMPARE(restored, QStringList{QStringLiteral("/docs/a.txt")});
        QCOMPARE(started, QStringList{second});
        // The window started for it can claim it.
        RecoveryStore child(folder);
        QVERIFY(child.claim(second));
    }
    {
        RecoveryStore store(folder);
        prompter->answers = {QMessageBox::Discard, QMessageBox::Yes};
        QCOMPARE(RecoveryOffer::run(store, nullptr, hooks), RecoveryOffer::Answer::Discard);
        QVERIFY(filesIn(folder).filter(QRegularExpression(QStringLiteral("recovery$"))).isEmpty());
    }
    QVERIFY(prompter->answers.isEmpty());
}

void TestRecovery::windowsThatWereOpenComeBack()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    QDir().mkpath(folder);
    const QString open = TestSupport::writeFile(dir, QStringLiteral("open.txt"), "x");
    const auto endedWindow = [&](const QString &name, const QString &path) {
        const QString file = folder + QLatin1Char('/') + name;
        RecoveryRecord record;
        record.path = path;
        record.caret = 1;
        RecoveryStore::write(RecoveryStore::windowFileOf(file), record);
        writeDeadLock(file);
        return file;
    };
    const QString window = endedWindow(QStringLiteral("1-a.recovery"), open);
    endedWindow(QStringLiteral("2-b.recovery"), dir.filePath(QStringLiteral("gone.txt")));
    endedWindow(QStringLiteral("3-c.recovery"), open);
    TestSupport::PrompterGuard prompter;
    QList<RecoveryStore::Orphan> restored;
    Windows hooks;
    hooks.here = [&](const RecoveryStore::Orphan &orphan) { restored << orphan; };
    hooks.elsewhere = [](const QString &) { return true; };
    {
        RecoveryStore store(folder);
        prompter->answers = {QMessageBox::Yes};
        QCOMPARE(RecoveryOffer::run(store, nullptr, hooks), RecoveryOffer::Answer::Recover);
        QCOMPARE(prompter->asked.size(), 1);
        QCOMPARE(prompter->asked[0].text,
                 QStringLiteral("Orvane was closed while these files were open:\n\n") + open + QStringLiteral("\n\nOpen them again?"));
        QCOMPARE(restored.size(), 1);
        QCOMPARE(restored[0].file, window);
        QVERIFY(restored[0].windowOnly);
        QCOMPARE(restored[0].record.caret, 1);
    }
    // Asked about once: a file that is gone and a second window of the same file were cleared away.
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("1-a.recovery.window")});
    // A file this window shows already gets no second window and no question.
    endedWindow(QStringLiteral("4-d.recovery"), open);
    hooks.shown = open;
    {
        RecoveryStore store(folder);
        QCOMPARE(RecoveryOffer::run(store, nullptr, hooks), RecoveryOffer::Answer::Nothing);
    }
    QCOMPARE(prompter->asked.size(), 1);
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("1-a.recovery.window")});
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
