#include "ChangeDetector.h"
#include "RecoveryStore.h"
#include "RecoveryWriter.h"
#include "TestSupport.h"
#include "ScintillaView.h"
#include "frmMain.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

namespace {

// The built program on a display of its own (Xvfb), driven by real key presses (xdotool), in a
// scratch home, so its settings and recovery copies are the test's own.
class Session {
public:
    Session()
    {
        // Without -noreset the server starts over when its last client goes, and a program
        // started at that moment (the start right after the kill) finds no display.
        m_xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                             QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                             QStringLiteral("tcp"), QStringLiteral("-noreset")});
        for (QDeadlineTimer deadline(20000); !deadline.hasExpired() && !m_xvfb.canReadLine();)
            m_xvfb.waitForReadyRead(200);
        const QByteArray display = m_xvfb.readLine().trimmed();
        if (display.isEmpty())
            return;
        const QString bin = qEnvironmentVariable("ORVANE_BIN", TestSupport::appDir() + QStringLiteral("/orvane"));
        const QDir from = QFileInfo(bin).absoluteDir();
        QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
        for (const QString &file : from.entryList({"orvane", "libpalisade.so*"}, QDir::Files))
            QFile::copy(from.filePath(file), m_dir.filePath(QStringLiteral("bin/") + file));
        QDir(m_dir.path()).mkpath(QStringLiteral("home/config/orvane"));
        QDir(m_dir.path()).mkpath(QStringLiteral("docs"));
        QFile settings(m_dir.filePath(QStringLiteral("home/config/orvane/settings.ini")));
        if (settings.open(QIODevice::WriteOnly))
            settings.write("ShowTip=0\r\n");
        m_environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_environment.remove(QStringLiteral("ORVANE_FORWARDED"));
        m_environment.remove(QStringLiteral("ORVANE_RECOVER"));
        m_environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display));
        m_environment.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home/config")));
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("home/data")));
        m_environment.insert(QStringLiteral("XDG_STATE_HOME"), m_dir.filePath(QStringLiteral("home/state")));
        m_ready = QFileInfo(m_dir.filePath(QStringLiteral("bin/orvane"))).isExecutable();
    }
    ~Session()
    {
        for (const qint64 pid : m_windows)
            ::kill(pid_t(pid), SIGKILL);
        for (QProcess *process : m_processes) {
            process->kill();
            process->waitForFinished(5000);
        }
        qDeleteAll(m_processes);
        m_xvfb.kill();
        m_xvfb.waitForFinished(5000);
    }
    bool ready() const { return m_ready; }
    QString docs() const { return m_dir.filePath(QStringLiteral("docs")); }
    QString recoveryFolder() const { return m_dir.filePath(QStringLiteral("home/state/orvane/recovery")); }

    QProcess *start(const QStringList &arguments = {})
    {
        auto *process = new QProcess;
        m_processes << process;
        process->setProcessEnvironment(m_environment);
        process->setWorkingDirectory(docs());
        process->start(m_dir.filePath(QStringLiteral("bin/orvane")), arguments);
        process->waitForStarted(5000);
        return process;
    }

    QString xdotool(const QStringList &arguments) const
    {
        QProcess tool;
        tool.setProcessEnvironment(m_environment);
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(10000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }
    // A window with exactly this caption (xdotool's own search ignores letter case).
    QString windowNamed(const QString &caption) const
    {
        const QString pattern = QLatin1Char('^') + QRegularExpression::escape(caption) + QLatin1Char('$');
        const QStringList ids = xdotool({QStringLiteral("search"), QStringLiteral("--name"), pattern}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &id : ids)
            if (xdotool({QStringLiteral("getwindowname"), id}) == caption)
                return id;
        return {};
    }
    // The first window whose whole caption matches, within 20 s; empty when none came.
    QString waitForWindow(const QString &caption)
    {
        for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(100)) {
            const QString found = windowNamed(caption);
            if (!found.isEmpty()) {
                m_windows << xdotool({QStringLiteral("getwindowpid"), found}).toLongLong();
                return found;
            }
        }
        return {};
    }
    void press(const QString &window, const QString &keys) const
    {
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        xdotool({QStringLiteral("key"), keys});
    }
    void typeInto(const QString &window, const QString &text) const
    {
        press(window, QStringLiteral("ctrl+End"));
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
    }

private:
    QTemporaryDir m_dir;
    QProcess m_xvfb;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    QList<QProcess *> m_processes;
    QList<qint64> m_windows;
    bool m_ready = false;
};

QList<RecoveryRecord> copiesIn(const QString &folder)
{
    QList<RecoveryRecord> records;
    for (const QFileInfo &entry : QDir(folder).entryInfoList({QStringLiteral("*.recovery")}, QDir::Files, QDir::Name)) {
        auto read = RecoveryStore::read(entry.filePath());
        if (auto *record = std::get_if<RecoveryRecord>(&read))
            records << *record;
    }
    return records;
}

} // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT

private slots:
    void typedTextSurvivesAKill();
    void closingKeepsNoCopy();
    void recoveredFileChangedSinceIsTold();
};

void TestCrashRecovery::closingKeepsNoCopy()
{
    QTemporaryDir app;
    TestSupport::PrompterGuard prompter;
    const QString recovery = app.filePath(QStringLiteral("recovery"));
    {
        frmMain window(app.path());
        window.show();
        QTest::keyClicks(window.txtText(), QStringLiteral("abc"));
        window.recovery().writeNow();
        window.recovery().waitForWrites();
        QCOMPARE(copiesIn(recovery).size(), 1);
        QCOMPARE(copiesIn(recovery)[0].text, QByteArray("abc"));
        // File > Close, not saving.
        prompter->answers = {QMessageBox::No};
        window.FileClose(true);
        window.recovery().waitForWrites();
        QVERIFY(copiesIn(recovery).isEmpty());

        QTest::keyClicks(window.txtText(), QStringLiteral("def"));
        window.recovery().writeNow();
        window.recovery().waitForWrites();
        QCOMPARE(copiesIn(recovery).size(), 1);
        prompter->answers = {QMessageBox::No};
        QVERIFY(window.close());
    }
    QVERIFY2(copiesIn(recovery).isEmpty(), "closing the window left a recovery copy");
    QVERIFY(QDir(recovery).entryList(QDir::Files).isEmpty());
}

void TestCrashRecovery::recoveredFileChangedSinceIsTold()
{
    QTemporaryDir app;
    QTemporaryDir docs;
    TestSupport::PrompterGuard prompter;
    const QString path = TestSupport::writeFile(docs, QStringLiteral("a.txt"), "changed by another program\n");
    const QString copy = app.filePath(QStringLiteral("old.recovery"));
    RecoveryRecord record;
    record.path = path;
    record.isUnix = false;
    record.caret = 3;
    record.fileStamp = QStringLiteral("1.000000000/5");    // the file as the lost window knew it
    record.text = "mine\r\nunsaved";
    QCOMPARE(RecoveryStore::write(copy, record), std::nullopt);

    frmMain window(app.path());
    QVERIFY(window.recovery().store().claim(copy));
    prompter->answers = {QMessageBox::No};   // keep the recovered text
    window.RecoverDocument(copy, record);
    QCOMPARE(prompter->asked.size(), 1);
    QCOMPARE(prompter->asked[0].text, ChangeDetector::changedMessage(path));
    QCOMPARE(window.surface().textUtf8(), QByteArray("mine\r\nunsaved"));
    QCOMPARE(window.surface().selStart(), 3);
    QVERIFY(!window.document().isDocumentSaved);
    QVERIFY(!window.document().isUnix);
    QVERIFY(window.windowTitle().endsWith(QStringLiteral("[NOT SAVED]")));
    QCOMPARE(TestSupport::readFile(path), QByteArray("changed by another program\n"));
    // The copy is this window's now, kept until the document is saved.
    QVERIFY(!QFile::exists(copy));
    QVERIFY(QFile::exists(window.recovery().store().ownFile()));
    window.FileClose(false);
}

void TestCrashRecovery::typedTextSurvivesAKill()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs Xvfb and xdotool");
    Session session;
    if (!session.ready())
        QSKIP("no display or no built program");
    const QByteArray onDisk = "first line\n";
    const QString path = session.docs() + QStringLiteral("/a.txt");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(onDisk);
    }
    const QString docsCaption = QStringLiteral("a.txt @ ") + session.docs() + QStringLiteral(" - Orvane");

    QProcess *namedWindow = session.start({QStringLiteral("a.txt")});
    const QString first = session.waitForWindow(docsCaption);
    QVERIFY(!first.isEmpty());
    session.typeInto(first, QStringLiteral("typed into a file 42"));
    QProcess *untitledWindow = session.start();
    const QString second = session.waitForWindow(QStringLiteral("Untitled - Orvane"));
    QVERIFY(!second.isEmpty());
    session.typeInto(second, QStringLiteral("typed into Untitled 7"));
    // A window without unsaved changes comes back too.
    const QString other = session.docs() + QStringLiteral("/b.txt");
    {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("saved\n");
    }
    QProcess *savedWindow = session.start({QStringLiteral("b.txt")});
    QVERIFY(!session.waitForWindow(QStringLiteral("b.txt @ ") + session.docs() + QStringLiteral(" - Orvane")).isEmpty());
    QTest::qWait(3000);

    // A window started while they run asks nothing: their copies are theirs.
    QProcess *third = session.start();
    QTRY_COMPARE_WITH_TIMEOUT(third->state(), QProcess::Running, 5000);
    QTest::qWait(1500);
    QVERIFY2(session.windowNamed(QStringLiteral("Orvane")).isEmpty(), "a window of a running session asked about its copies");
    third->kill();

    namedWindow->kill();
    untitledWindow->kill();
    savedWindow->kill();
    QVERIFY(namedWindow->waitForFinished(5000) && untitledWindow->waitForFinished(5000) && savedWindow->waitForFinished(5000));
    QCOMPARE(TestSupport::readFile(path), onDisk);

    QProcess *afterKill = session.start();
    const QString question = session.waitForWindow(QStringLiteral("Orvane"));
    if (question.isEmpty()) {
        const QStringList shown = session.xdotool({QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral(".")})
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList captions;
        for (const QString &id : shown)
            captions << session.xdotool({QStringLiteral("getwindowname"), id});
        afterKill->waitForFinished(1000);
        const QString ended = afterKill->state() == QProcess::Running
            ? QStringLiteral("still running")
            : QStringLiteral("ended, %1 %2").arg(afterKill->exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed") : QStringLiteral("code"))
                  .arg(afterKill->exitCode());
        const QString seen = QStringLiteral("the start after the kill asked nothing (it is %1; stderr: %2); windows: %3; recovery folder: %4")
                                 .arg(ended, QString::fromLocal8Bit(afterKill->readAllStandardError()).right(2000),
                                      captions.join(QStringLiteral(" | ")),
                                      QDir(session.recoveryFolder()).entryList(QDir::Files).join(QStringLiteral(", ")));
        QFAIL(qPrintable(seen));
    }
    session.press(question, QStringLiteral("Return"));    // Recover
    const QString recoveredNamed = session.waitForWindow(QStringLiteral("a.txt* @ ") + session.docs()
                                                         + QStringLiteral(" - Orvane [NOT SAVED]"));
    const QString recoveredUntitled = session.waitForWindow(QStringLiteral("Untitled* - Orvane [NOT SAVED]"));
    QVERIFY2(!recoveredNamed.isEmpty(), "the named document came back saved or not at all");
    QVERIFY2(!recoveredUntitled.isEmpty(), "the Untitled document came back saved or not at all");
    QVERIFY2(!session.waitForWindow(QStringLiteral("b.txt @ ") + session.docs() + QStringLiteral(" - Orvane")).isEmpty(),
             "the window that was open without changes did not come back");
    QCOMPARE(TestSupport::readFile(path), onDisk);

    // The recovered windows keep copies of what they show.
    QTest::qWait(3000);
    QStringList texts;
    for (const RecoveryRecord &record : copiesIn(session.recoveryFolder()))
        texts << record.path + QLatin1Char('=') + QString::fromUtf8(record.text);
    texts.sort();
    QCOMPARE(texts, QStringList({path + QStringLiteral("=first line\r\ntyped into a file 42"),
                                 QStringLiteral("Untitled=typed into Untitled 7")}));

    // Saving writes exactly what the window shows; a saved document keeps no copy.
    session.press(recoveredNamed, QStringLiteral("ctrl+s"));
    QTRY_COMPARE_WITH_TIMEOUT(TestSupport::readFile(path), QByteArray("first line\ntyped into a file 42"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(copiesIn(session.recoveryFolder()).size(), 1, 10000);
}

QTEST_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
