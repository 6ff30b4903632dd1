#include "DocumentCommands.h"
#include "DocumentHost.h"
#include "DocumentReader.h"
#include "DocumentSaver.h"
#include "DocumentState.h"
#include "FileFilters.h"
#include "LoadPreparation.h"
#include "MemorySurface.h"
#include "OpenFilesRegister.h"
#include "Settings.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

namespace {

// The document commands without a window: a memory surface, and the labels and lists recorded.
class FakeHost : public DocumentHost {
public:
    explicit FakeHost(const QString &appFolder) : m_openFiles(appFolder) {}
    EditorSurface &surface() override { return m_surface; }
    Settings &settings() override { return m_settings; }
    OpenFilesRegister &openFiles() override { return m_openFiles; }
    QWidget *ownerWindow() override { return nullptr; }
    void setToolTipText(const QString &text) override { toolTips << text; }
    void restoreToolTipText() override {}
    void showHint(const QString &text) override { hints << text; }
    void showModes(const QString &lineEnding, const QString &encoding) override
    {
        os = lineEnding;
        uc = encoding;
    }
    void updateTitle() override {}
    void refreshView() override {}
    std::optional<QString> addRecentFile(const QString &) override { return std::nullopt; }
    void setLoading(bool) override {}
    void resetHistory(qint64) override {}
    void addHistory() override {}
    void documentLoaded(const QString &) override {}
    void documentSaved(const QString &, bool) override {}
    void documentClosed() override {}
    bool isJavaDocument() const override { return java; }
    QString languageExtension() const override { return extension; }

    MemorySurface m_surface;
    Settings m_settings;
    OpenFilesRegister m_openFiles;
    QString os;
    QString uc;
    QStringList hints;
    QStringList toolTips;
    bool java = false;
    QString extension;
};

// Records where each save dialog starts and what it proposes.
class DialogRecorder : public ScriptedPrompter {
public:
    QString saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &folder,
                     const QString &defaultName, QString *selectedFilter) override
    {
        dialogs << QStringList{title, filter, folder, defaultName};
        return ScriptedPrompter::saveFile(parent, title, filter, folder, defaultName, selectedFilter);
    }
    QList<QStringList> dialogs;
};

struct Documents {
    explicit Documents(DialogRecorder *recorder)
        : prompter(recorder)
    {
        Prompter::setInstance(std::unique_ptr<Prompter>(recorder));
        saver.resetDocumentState(state.strfilename);
    }
    ~Documents() { Prompter::setInstance(nullptr); }
    DialogRecorder *prompter;
    QTemporaryDir app;
    FakeHost host{app.path()};
    DocumentState state;
    DocumentSaver saver{host, state};
    DocumentReader reader{host, state, saver};
    DocumentCommands commands{host, state, reader, saver};
};

} // namespace

class TestDocumentCommands : public QObject {
    Q_OBJECT

private slots:
    void untouchedDocumentAsksNothing();
    void saveDialogsStart_data();
    void saveDialogsStart();
    void savedBytes_data();
    void savedBytes();
    void failedSaveKeepsTheDocument();
    void refusedFiles_data();
    void refusedFiles();
    void progressWhileOpening();
    void preparedFileLoadsAsItIsNow();
    void filterNamesShownOnce();
};

void TestDocumentCommands::untouchedDocumentAsksNothing()
{
    Documents docs(new DialogRecorder);
    QVERIFY(docs.saver.confirmDiscard());
    docs.commands.FileClose(true);
    QVERIFY(docs.saver.confirmDiscard());
    QVERIFY(docs.prompter->asked.isEmpty());
    QCOMPARE(docs.host.os, QStringLiteral("UNIX"));
    QCOMPARE(docs.host.uc, QStringLiteral("ASCII"));
    // A changed one asks.
    docs.host.m_surface.setText(QStringLiteral("x"));
    docs.prompter->answers << QMessageBox::Cancel;
    QVERIFY(!docs.saver.confirmDiscard());
    QCOMPARE(docs.prompter->asked.size(), 1);
}

void TestDocumentCommands::saveDialogsStart_data()
{
    QTest::addColumn<QString>("path");           // the document's path, relative to a scratch folder
    QTest::addColumn<QString>("currentFolder");  // "" none, "scratch" the scratch folder
    QTest::addColumn<bool>("useFolder");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("folder");         // "scratch", "initial" or "documents"
    QTest::addColumn<QString>("name");
    QTest::newRow("named document: its folder and name") << "a/report.old.txt" << "" << true << "" << "scratch/a" << "report.old.txt";
    QTest::newRow("Untitled, last folder used first") << "Untitled" << "scratch" << true << "" << "scratch" << "Untitled.txt";
    QTest::newRow("Untitled, InitialFolder with UseFolder") << "Untitled" << "" << true << "c" << "initial" << "Untitled.c";
    QTest::newRow("Untitled started from /: Documents, never /") << "Untitled" << "" << false << "py" << "documents" << "Untitled.py";
    QTest::newRow("Untitled started from a folder of the user's: that folder") << "Untitled" << "" << false << "" << "start" << "Untitled.txt";
}

void TestDocumentCommands::saveDialogsStart()
{
    QFETCH(QString, path);
    QFETCH(QString, currentFolder);
    QFETCH(bool, useFolder);
    QFETCH(QString, extension);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QTemporaryDir scratch;
    QDir(scratch.path()).mkpath(QStringLiteral("a"));
    QTemporaryDir initial;
    Documents docs(new DialogRecorder);
    docs.state.strfilename = path == QLatin1String("Untitled") ? path : scratch.filePath(path);
    docs.state.currentFolder = currentFolder.isEmpty() ? QString() : scratch.path();
    docs.host.m_settings.UseFolder = useFolder;
    docs.host.m_settings.InitialFolder = initial.path();
    docs.host.extension = extension;
    // The process's start folder counts only when the user can write it and it is not "/".
    QTemporaryDir start;
    const QString startedIn = QDir::currentPath();
    QDir::setCurrent(folder == QLatin1String("start") ? start.path() : QStringLiteral("/"));
    const auto back = qScopeGuard([&] { QDir::setCurrent(startedIn); });
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString expected = folder == QLatin1String("initial") ? initial.path()
        : folder == QLatin1String("start")                      ? start.path()
        : folder == QLatin1String("documents")                  ? (QFileInfo(documents).isDir() ? documents : QDir::homePath())
                                                                : scratch.path() + folder.mid(7);
    docs.prompter->saveAnswers << QString() << QString() << QString();
    QVERIFY(!docs.saver.FileSaveAs());
    docs.saver.SaveSelection();
    docs.saver.ExportRichText();
    QCOMPARE(docs.prompter->dialogs.size(), 3);
    QCOMPARE(docs.prompter->dialogs[0], (QStringList{"Save As", "All Files (*.*)", expected, name}));
    QCOMPARE(docs.prompter->dialogs[1], (QStringList{"Save As", "All Files (*.*)", expected, "Untitled.txt"}));
    QCOMPARE(docs.prompter->dialogs[2][2], expected);
    QCOMPARE(docs.prompter->dialogs[2][3], path == QLatin1String("Untitled") ? QStringLiteral("Untitled.rtf")
                                                                              : QStringLiteral("report.rtf"));
}

void TestDocumentCommands::savedBytes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("typed");       // appended to the loaded text
    QTest::addColumn<int>("conversion");      // 0 none, 1 DOS to UNIX, 2 UNIX to DOS
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QString>("os");
    QTest::addColumn<QString>("uc");
    QTest::newRow("new document: UTF-8 and LF") << QByteArray() << QString::fromUtf8("caf\u00e9\r\n") << 0
                                                << QByteArray("caf\xC3\xA9\n") << "UNIX" << "UTF-8";
    QTest::newRow("ASCII file takes UTF-8") << QByteArray("x\r\n") << QString::fromUtf8("\u00e9") << 0
                                            << QByteArray("x\r\n\xC3\xA9") << "DOS" << "UTF-8";
    QTest::newRow("Latin-1 file stays byte for byte") << QByteArray("caf\xE9\r\n") << "!" << 0
                                                      << QByteArray("caf\xE9\r\n!") << "DOS" << "ASCII";
    QTest::newRow("binary, DOS to UNIX: saved as the label says") << QByteArray("a\0\r\nb\r", 6) << "" << 1
                                                                  << QByteArray("a\0\nb\r", 5) << "UNIX" << "ASCII";
    QTest::newRow("binary unconverted stays as it was") << QByteArray("a\0\r\nb\n", 6) << "" << 0
                                                        << QByteArray("a\0\r\nb\n", 6) << "BINARY" << "ASCII";
    QTest::newRow("CR CR survives UNIX to DOS") << QByteArray("a\r\rb\n") << "" << 2 << QByteArray("a\r\rb\r\n") << "DOS" << "ASCII";
}

void TestDocumentCommands::savedBytes()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, typed);
    QFETCH(int, conversion);
    QFETCH(QByteArray, saved);
    QFETCH(QString, os);
    QFETCH(QString, uc);
    QTemporaryDir dir;
    Documents docs(new DialogRecorder);
    const QString path = writeFile(dir, QStringLiteral("doc.txt"), file);
    if (!file.isEmpty())
        docs.reader.ReadFile(path, false);
    EditorSurface &s = docs.host.surface();
    s.setSelStart(s.textLength());
    s.setSelText(typed);
    if (conversion == 1)
        docs.commands.ConvertDosToUnix();
    else if (conversion == 2)
        docs.commands.ConvertUnixToDos();
    QVERIFY(docs.saver.WriteDocument(path));
    QCOMPARE(readFile(path), saved);
    QCOMPARE(docs.host.os, os);
    QCOMPARE(docs.host.uc, uc);
    QVERIFY(docs.prompter->asked.isEmpty());
}

void TestDocumentCommands::failedSaveKeepsTheDocument()
{
    QTemporaryDir dir;
    Documents docs(new DialogRecorder);
    const QString path = writeFile(dir, QStringLiteral("doc.txt"), "old\n");
    docs.reader.ReadFile(path, false);
    docs.host.surface().setText(QStringLiteral("new\r\n"));
    docs.state.isDocumentSaved = false;
    const QString elsewhere = dir.filePath(QStringLiteral("gone/doc.txt"));
    docs.prompter->answers << QMessageBox::Ok;
    QVERIFY(!docs.saver.WriteDocument(elsewhere));
    QCOMPARE(docs.prompter->asked.size(), 1);
    QCOMPARE(docs.prompter->asked[0].text, QStringLiteral("Couldn't save %1: No such file or directory").arg(elsewhere));
    QCOMPARE(docs.state.strfilename, path);
    QVERIFY(!docs.state.isDocumentSaved);
    QVERIFY(docs.saver.textDiffersFromSaved());
    QCOMPARE(readFile(path), QByteArray("old\n"));
}

void TestDocumentCommands::refusedFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("memory");
    QTest::addColumn<QString>("message");  // %1 the path
    QTest::newRow("FIFO") << "fifo" << qint64(-1) << "%1 is not a regular file (it is a device, a pipe or a socket), so it is not opened.";
    QTest::newRow("device") << "/dev/zero" << qint64(-1) << "%1 is not a regular file (it is a device, a pipe or a socket), so it is not opened.";
    QTest::newRow("folder") << "folder" << qint64(-1) << "%1 is a folder, not a file.";
    QTest::newRow("3 GB sparse file") << "sparse" << qint64(-1)
                                      << "%1 is too large to open: 3,221,225,472 bytes. The editor holds files of up to 2,147,483,645 bytes.";
    // Up to the widget's own limit a file opens when the memory can take it: about three bytes a byte.
    QTest::newRow("1 GB file, memory enough") << "gigabyte" << (qint64(4) << 30) << "";
    QTest::newRow("1 GB file, 2 GB free") << "gigabyte" << (qint64(2) << 30)
                                          << "%1 is too large for the memory available: 1,073,741,824 bytes (2,147,483,648 bytes of memory are free).";
    QTest::newRow("more than the memory") << "small" << qint64(1000)
                                          << "%1 is too large for the memory available: 1,000 bytes (1,000 bytes of memory are free).";
    QTest::newRow("ordinary file") << "small" << qint64(-1) << "";
}

void TestDocumentCommands::refusedFiles()
{
    QFETCH(QString, kind);
    QFETCH(qint64, memory);
    QFETCH(QString, message);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir dir;
    QString path = kind.startsWith(u'/') ? kind : dir.filePath(kind);
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(kind));
    else if (kind == QLatin1String("sparse"))
        QVERIFY(QFile(writeFile(dir, kind, "")).resize(qint64(3) << 30));
    else if (kind == QLatin1String("gigabyte"))
        QVERIFY(QFile(writeFile(dir, kind, "")).resize(qint64(1) << 30));
    else if (kind == QLatin1String("small"))
        writeFile(dir, kind, QByteArray(1000, 'x'));
    const auto refused = DocumentReader::refusal(path, memory);
    QCOMPARE(refused.value_or(QString()), message.isEmpty() ? QString() : message.arg(path));
    if (kind == QLatin1String("fifo")) {
        // In the window's reader too, at once: opening the pipe would wait for a writer.
        Documents docs(new DialogRecorder);
        docs.prompter->answers << QMessageBox::Ok;
        docs.reader.ReadFile(path, false);
        QCOMPARE(docs.prompter->asked.size(), 1);
        QCOMPARE(docs.prompter->asked[0].text, message.arg(path));
        QVERIFY(docs.state.isUntitled());
    }
}

// A C file of about this many megabytes, one short line repeated.
static QByteArray linesOfC(int megabytes)
{
    QByteArray bytes;
    while (bytes.size() < megabytes * 1024 * 1024)
        bytes += "int value = 42; /* a line of C */\n";
    return bytes;
}

// A file of several pieces tells how far its reading is, in the status bar, and clears it at the end.
void TestDocumentCommands::progressWhileOpening()
{
    QTemporaryDir dir;
    Documents docs(new DialogRecorder);
    const QByteArray bytes = linesOfC(13);
    const QString path = writeFile(dir, QStringLiteral("big.c"), bytes);
    docs.reader.ReadFile(path, false);
    QCOMPARE(docs.host.surface().textLength(), bytes.size() + bytes.count('\n'));
    const QStringList shown = docs.host.toolTips;
    QCOMPARE(shown.first(), QStringLiteral("Opening big.c, please wait.."));
    QCOMPARE(shown.last(), QString());
    QList<int> percents;
    for (const QString &text : shown) {
        static const QRegularExpression progress(QStringLiteral("^Opening big\\.c, please wait\\.\\. (\\d+)%$"));
        if (const auto match = progress.match(text); match.hasMatch())
            percents << match.captured(1).toInt();
    }
    QVERIFY2(percents.size() >= 3, qPrintable(shown.join(u'|')));
    QVERIFY(std::is_sorted(percents.begin(), percents.end()));
    QVERIFY(percents.last() <= 99 && percents.last() >= 90);
}

// A file scanned ahead while the window is built loads as the scan saw it; one that changed since
// (here it gained Latin-1 bytes, which change how it converts) is scanned again.
void TestDocumentCommands::preparedFileLoadsAsItIsNow()
{
    QTemporaryDir dir;
    Documents docs(new DialogRecorder);
    const QByteArray bytes = linesOfC(17);
    const QString path = writeFile(dir, QStringLiteral("big.c"), bytes);
    const auto loadedAs = [&docs](const QByteArray &file) {
        return docs.host.surface().text() == QString::fromUtf8(decodeDocument(file).utf8);
    };

    LoadPreparation::start(path);
    docs.reader.ReadFile(path, false);
    QVERIFY(loadedAs(bytes));

    LoadPreparation::start(path);
    const QByteArray changed = bytes + "caf\xE9\n";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(changed), changed.size());
    file.close();
    docs.reader.ReadFile(path, false);
    QVERIFY(loadedAs(changed));
    QVERIFY(docs.host.surface().text().endsWith(QStringLiteral("caf\u00E9\r\n")));

    // Prepared, then another file opened: the other file's own scan counts.
    const QString small = writeFile(dir, QStringLiteral("small.txt"), "\xE9t\xE9\n");
    LoadPreparation::start(path);
    docs.reader.ReadFile(small, false);
    QCOMPARE(docs.host.surface().text(), QStringLiteral("\u00E9t\u00E9\r\n"));
    QVERIFY(docs.prompter->asked.isEmpty());
    // As a process that hands its file to a running window does: it ends with the preparation
    // done and its memory still set aside, and ends cleanly.
    LoadPreparation::start(path);
    QVERIFY(!LoadPreparation::take(-1));
}

void TestDocumentCommands::filterNamesShownOnce()
{
    QCOMPARE(FileFilters::dialogFilter(DocumentReader::openFilter()).split(QStringLiteral(";;")).mid(0, 3),
             (QStringList{"All Files (*.*) (*)", "Text Files (*.txt) (*.txt)", "Batch files (*.bat, *.cmd) (*.bat *.cmd)"}));
    QCOMPARE(FileFilters::displayText(QStringLiteral("Batch files (*.bat, *.cmd) (*.bat *.cmd)")),
             QStringLiteral("Batch files (*.bat, *.cmd)"));
    QVERIFY(!DocumentReader::openFilter().contains(QStringLiteral("(*)")));
}

QTEST_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"
