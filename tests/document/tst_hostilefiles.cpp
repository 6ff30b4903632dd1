#include "ChangeDetector.h"
#include "CommandLineOptions.h"
#include "CommandTable.h"
#include "DocumentHost.h"
#include "DocumentReader.h"
#include "DocumentSaver.h"
#include "DocumentState.h"
#include "FileIO.h"
#include "ListFile.h"
#include "MemorySurface.h"
#include "OpenFilesRegister.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "SingleInstance.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QAction>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <future>
#include <utility>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestSupport;

namespace {

class FakeHost : public DocumentHost {
public:
    explicit FakeHost(const QString &appFolder) : m_openFiles(appFolder) {}
    EditorSurface &surface() override { return m_surface; }
    Settings &settings() override { return m_settings; }
    OpenFilesRegister &openFiles() override { return m_openFiles; }
    QWidget *ownerWindow() override { return nullptr; }
    void setToolTipText(const QString &) override {}
    void restoreToolTipText() override {}
    void showHint(const QString &) override {}
    void showModes(const QString &, const QString &) override {}
    void updateTitle() override {}
    void refreshView() override {}
    std::optional<QString> addRecentFile(const QString &) override { return std::nullopt; }
    void setLoading(bool) override {}
    void resetHistory(qint64) override {}
    void addHistory() override {}
    void documentLoaded(const QString &) override {}
    void documentSaved(const QString &, bool) override {}
    void documentClosed() override {}
    bool isJavaDocument() const override { return false; }
    QString languageExtension() const override { return {}; }

    MemorySurface m_surface;
    Settings m_settings;
    OpenFilesRegister m_openFiles;
};

struct Editor {
    QTemporaryDir app;
    FakeHost host{app.path()};
    DocumentState state;
    DocumentSaver saver{host, state};
    DocumentReader reader{host, state, saver};
};

constexpr uid_t Nobody = 65534;

// File permission checks as an unprivileged user: root passes every one of them, so as root this
// thread takes nobody's file system identity (and loses the override with it).
struct ActingAsNobody {
    ActingAsNobody()
    {
        if (::geteuid() == 0)
            ::setfsuid(Nobody);
    }
    ~ActingAsNobody()
    {
        if (::geteuid() == 0)
            ::setfsuid(0);
    }
};

// A folder the acting user may write, holding path with the given mode, owned by that user.
QString ownedFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes, mode_t fileMode, mode_t folderMode)
{
    const QString folder = dir.path() + QStringLiteral("/own");
    QDir().mkpath(folder);
    const QString path = writeFile(dir, QStringLiteral("own/") + name, bytes);
    if (::geteuid() == 0) {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        ::chown(QFile::encodeName(folder).constData(), Nobody, Nobody);
        ::chown(QFile::encodeName(path).constData(), Nobody, Nobody);
    }
    ::chmod(QFile::encodeName(path).constData(), fileMode);
    ::chmod(QFile::encodeName(folder).constData(), folderMode);
    return path;
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    void fileShrinkingWhileItLoadsNeverCrashes()
    {
        Editor e;
        PrompterGuard prompter;
        QTemporaryDir docs;
        QByteArray bytes;
        for (int i = 0; bytes.size() < (8 << 20); ++i)
            bytes += "line " + QByteArray::number(i) + " of a file that another program cuts short\n";
        const QString path = writeFile(docs, QStringLiteral("t.txt"), bytes);
        // Cut down by another process once the loader has scanned the mapping and before it converts it.
        bool cut = false;
        DocumentReader::setStepObserver([&](const char *step) {
            if (qstrcmp(step, "read") == 0 && !std::exchange(cut, true))
                QCOMPARE(QProcess::execute(QStringLiteral("truncate"), {QStringLiteral("-s"), QStringLiteral("4096"), path}), 0);
        });
        e.reader.ReadFile(path, false);
        DocumentReader::setStepObserver({});
        QCOMPARE(e.state.strfilename, path);
        QCOMPARE(e.host.m_surface.text(), QString::fromLatin1(bytes.left(4096)).replace(u'\n', QStringLiteral("\r\n")));
        QVERIFY(prompter->asked.isEmpty());
    }

    void fileGrowingWhileItLoadsGivesTheBytesItHad()
    {
        Editor e;
        PrompterGuard prompter;
        QTemporaryDir docs;
        const QByteArray bytes = QByteArray(100000, 'a') + '\n';
        const QString path = writeFile(docs, QStringLiteral("log.txt"), bytes);
        DocumentReader::setStepObserver([&](const char *step) {
            if (qstrcmp(step, "read") == 0) {
                QFile log(path);
                QVERIFY(log.open(QIODevice::Append));
                log.write("more\n");
            }
        });
        e.reader.ReadFile(path, false);
        DocumentReader::setStepObserver({});
        QCOMPARE(e.host.m_surface.text(), QString::fromLatin1(QByteArray(100000, 'a') + "\r\n"));
        QVERIFY(prompter->asked.isEmpty());
    }

    void readOnlyFileIsNeverOverwritten_data()
    {
        QTest::addColumn<mode_t>("fileMode");
        QTest::addColumn<mode_t>("folderMode");
        QTest::newRow("file without write permission") << mode_t(0444) << mode_t(0755);
        QTest::newRow("no permission at all") << mode_t(0000) << mode_t(0755);
        QTest::newRow("folder forbids it") << mode_t(0644) << mode_t(0555);
    }
    void readOnlyFileIsNeverOverwritten()
    {
        QFETCH(mode_t, fileMode);
        QFETCH(mode_t, folderMode);
        Editor e;
        PrompterGuard prompter;
        QTemporaryDir docs;
        const QString path = ownedFile(docs, QStringLiteral("locked.txt"), "old\n", fileMode, folderMode);
        e.state.strfilename = path;
        e.host.m_surface.setText(QStringLiteral("new text"));
        e.state.isDocumentSaved = false;
        prompter->answers << QMessageBox::No;
        {
            const ActingAsNobody nobody;
            QVERIFY(!e.saver.FileSave());
        }
        QCOMPARE(prompter->asked.size(), 1);
        QCOMPARE(prompter->asked[0].text, QStringLiteral("Couldn't save ") + path
                     + QStringLiteral(": Permission denied\r\n\r\nDo you want to save it under another name?"));
        QCOMPARE(prompter->asked[0].title, QStringLiteral("Orvane"));
        QVERIFY(!e.state.isDocumentSaved);
        QCOMPARE(e.state.strfilename, path);
        ::chmod(QFile::encodeName(path).constData(), 0644);
        ::chmod(QFile::encodeName(docs.path() + QStringLiteral("/own")).constData(), 0755);
        QCOMPARE(readFile(path), QByteArray("old\n"));
    }

    void readOnlyFileOffersSaveAs()
    {
        Editor e;
        PrompterGuard prompter;
        QTemporaryDir docs;
        const QString path = ownedFile(docs, QStringLiteral("locked.txt"), "old\n", 0444, 0755);
        const QString other = docs.path() + QStringLiteral("/own/copy.txt");
        e.state.strfilename = path;
        e.host.m_surface.setText(QStringLiteral("new text"));
        prompter->answers << QMessageBox::Yes;
        prompter->saveAnswers << other;
        {
            const ActingAsNobody nobody;
            QVERIFY(e.saver.FileSave());
        }
        QCOMPARE(e.state.strfilename, other);
        QVERIFY(e.state.isDocumentSaved);
        QCOMPARE(readFile(other), QByteArray("new text"));
    }

    void nonUtf8FileNamesKeepTheirBytes()
    {
        QByteArray every;
        for (int b = 1; b < 256; ++b)
            every += char(b);
        for (const QByteArray &native : {QByteArray("/tmp/caf\xE9.txt"), QByteArray("\xC3\xA9\xED\xA0\x80\xF4\x90\x80\x80\xC0\xAF"),
                                         every, QByteArray("\xF0\x9F\x98\x80 ok")})
            QCOMPARE(FileIO::encodePath(FileIO::decodePath(native)), native);
        QCOMPARE(FileIO::decodePath("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));

        Editor e;
        PrompterGuard prompter;
        QTemporaryDir docs;
        const QByteArray native = QFile::encodeName(docs.path()) + "/caf\xE9.txt";
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        // Qt cannot name the file to remove it with the folder.
        const auto remove = qScopeGuard([&] { ::unlink(native.constData()); });
        QCOMPARE(::write(fd, "abc\n", 4), ssize_t(4));
        ::close(fd);
        char *argv[] = {const_cast<char *>("orvane"), const_cast<char *>(native.constData())};
        const QString path = CommandLineOptions::nativeArguments(2, argv).value(0);
        e.reader.ReadFile(path, false);
        QCOMPARE(e.host.m_surface.text(), QStringLiteral("abc\r\n"));
        // The change detector finds it too, rather than calling it deleted.
        QVERIFY(!ChangeDetector::fileStamp(path).isEmpty());
        e.host.m_surface.setText(QStringLiteral("changed\r\n"));
        QVERIFY(e.saver.FileSave());
        QVERIFY(::access((QFile::encodeName(docs.path()) + "/caf\xEF\xBF\xBD.txt").constData(), F_OK) != 0);
        QCOMPARE(FileIO::readAll(path), QByteArray("changed\n"));

        // What a dialog answers comes back as the file's own name.
        QCOMPARE(FileIO::repairPath(QFile::decodeName(native)), path);
        RecentFiles recent(e.app.path());
        QVERIFY(!recent.AddRecentFile(path));
        RecentFiles again(e.app.path());
        again.LoadRecentFiles();
        QCOMPARE(again.entry(1), path);
        QVERIFY(!e.host.m_openFiles.RegisterOpenFile(path));
        QVERIFY(e.host.m_openFiles.isFileAllreadyOpened(path));
        Settings settings;
        settings.LastOpenedFile = path;
        const SettingsStore store(e.app.path());
        QVERIFY(!store.SaveMySettings2(settings));
        QCOMPARE(store.LoadMySettings2(Settings()).LastOpenedFile, path);
        const QByteArray sibling = QFile::encodeName(docs.path()) + "/caf\xE8.txt";
        QVERIFY(SingleInstance::serverName(path) != SingleInstance::serverName(FileIO::decodePath(sibling)));
    }

    void windowSavesNamesTheSystemAllows()
    {
        QTemporaryDir app;
        QTemporaryDir docs;
        PrompterGuard prompter;
        frmMain window(app.path());
        const QByteArray folder = QFile::encodeName(docs.path());
        for (const QByteArray &name : {QByteArray("caf\xE9.txt"), QByteArray(251, 'n') + ".txt"}) {
            const QByteArray native = folder + '/' + name;
            const int fd = ::open(native.constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0);
            const auto remove = qScopeGuard([&] { ::unlink(native.constData()); });
            QCOMPARE(::write(fd, "abc\n", 4), ssize_t(4));
            ::close(fd);
            window.ReadFile(FileIO::decodePath(native), false);
            QCOMPARE(window.surface().text(), QStringLiteral("abc\r\n"));
            window.surface().setText(QStringLiteral("saved\r\n"));
            CommandTable::findCommand(&window, "mnuFileSave")->trigger();
            QVERIFY(window.document().isDocumentSaved);
            QCOMPARE(FileIO::readAll(FileIO::decodePath(native)), QByteArray("saved\n"));
            QVERIFY(prompter->asked.isEmpty());
        }
    }

    void longestFileNameSaves()
    {
        QTemporaryDir docs;
        const QString path = docs.path() + u'/' + QString(250, u'n') + QStringLiteral(".txt");
        QVERIFY(!FileIO::writeAtomically(path, QByteArray("first")));
        QVERIFY(!FileIO::writeAtomically(path, QByteArray("second")));
        QCOMPARE(readFile(path), QByteArray("second"));
        QCOMPARE(QDir(docs.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void fifoProgramFileNeverBlocks()
    {
        QTemporaryDir app;
        const QString path = app.path() + QStringLiteral("/settings.ini");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        auto read = std::async(std::launch::async, [&] { return FileIO::readAll(path).has_value(); });
        const bool answered = read.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        if (!answered) {
            // Lets the blocked reader end before the test fails.
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
            ::close(fd);
        }
        QVERIFY(answered);
        QVERIFY(!read.get());
        QVERIFY(FileIO::readLines(path).isEmpty());
        QVERIFY(!ListFile::read(path));
    }
};

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
