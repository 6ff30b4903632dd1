#include "Launcher.h"
#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

struct StartedProcess {
    QString program;
    QStringList arguments;
};

// Records instead of starting programs.
class LauncherGuard {
public:
    explicit LauncherGuard(bool succeed = true)
    {
        Launcher::setStarter([this, succeed](const QString &program, const QStringList &arguments) {
            started.append({program, arguments});
            return succeed;
        });
    }
    ~LauncherGuard() { Launcher::setStarter(nullptr); }
    QList<StartedProcess> started;
};

} // namespace

class TestReadFile : public QObject {
    Q_OBJECT

private slots:
    void loadsIntoTheSurface_data();
    void loadsIntoTheSurface();
    void missingFileBecomesUntitled();
    void outsideEditorForLargeFiles_data();
    void outsideEditorForLargeFiles();
    void fileOpenRules();
    void dropModifiers();
    void settingsAndListsWrittenOnClose();
};

void TestReadFile::loadsIntoTheSurface_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("os");
    QTest::addColumn<QString>("uc");
    QTest::newRow("LF") << QByteArray("int a;\nint b;\n") << "int a;\r\nint b;\r\n" << "UNIX" << "ASCII";
    QTest::newRow("mixed") << QByteArray("x\r\ny\nz") << "x\r\ny\r\nz" << "DOS" << "ASCII";
    QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFEh\0i\0", 6) << "hi" << "DOS" << "UNICODE";
    QTest::newRow("UTF-8 without mark") << QByteArray("\xC3\xA9t\xC3\xA9") << "\u00e9t\u00e9" << "DOS" << "UTF-8";
    const char binary[] = "\x01\0\r\n\n\r\xFF";
    QTest::newRow("binary") << QByteArray(binary, 7) << QString::fromLatin1(binary, 7) << "BINARY" << "ASCII";
    QTest::newRow("Latin-1") << QByteArray("caf\xE9") << QString::fromLatin1("caf\xE9") << "DOS" << "ASCII";
}

void TestReadFile::loadsIntoTheSurface()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, os);
    QFETCH(QString, uc);
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
    const QString path = writeFile(docs, QStringLiteral("doc.c"), bytes);
    frmMain window(app.path());
    window.ReadFile(path + QStringLiteral("  "), false);

    QCOMPARE(window.surface().text(), text);
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("lblOS"))->text(), os);
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("lblUC"))->text(), uc);
    QCOMPARE(window.strfilename, path);
    QVERIFY(window.isDocumentSaved);
    QCOMPARE(window.windowTitle(), QStringLiteral("doc.c @ ") + docs.path() + QStringLiteral(" - Orvane"));
    QVERIFY(window.openFiles.isFileAllreadyOpened(path));
    QVERIFY(prompter->asked.isEmpty());

    // Saving an unchanged document writes the same bytes back; mixed line ends come back as CR LF.
    QVERIFY(window.FileSave());
    QCOMPARE(readFile(path), QByteArray(QTest::currentDataTag()) == "mixed" ? QByteArray("x\r\ny\r\nz") : bytes);
}

void TestReadFile::missingFileBecomesUntitled()
{
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
    frmMain window(app.path());
    window.surface().setText(QStringLiteral("kept"));
    const QString missing = docs.filePath(QStringLiteral("nope.txt"));
    window.ReadFile(missing, false);
    QCOMPARE(prompter->asked.size(), 1);
    QCOMPARE(prompter->asked[0].text,
             QStringLiteral("Couldn't find ") + missing + QStringLiteral(", please make sure that you have typed the correct path."));
    QCOMPARE(window.surface().text(), QStringLiteral("kept"));
    QCOMPARE(window.strfilename, QStringLiteral("Untitled"));
    QCOMPARE(window.currentFolder, docs.path());
}

void TestReadFile::outsideEditorForLargeFiles_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("messages");
    QTest::newRow("the outside editor takes it") << "myeditor --new" << true << 1;
    QTest::newRow("outside editor cannot start: opens here, the user is told") << "missing-editor" << false << 2;
    QTest::newRow("none configured: opens here silently") << " " << true << 0;
}

void TestReadFile::outsideEditorForLargeFiles()
{
    QFETCH(QString, editor);
    QFETCH(bool, starts);
    QFETCH(int, messages);
    QTemporaryDir app;
    QTemporaryDir docs;
    const QString path = writeFile(docs, QStringLiteral("big.txt"), QByteArray(2000, 'x'));
    PrompterGuard prompter;
    LauncherGuard launcher(starts);
    frmMain window(app.path());
    window.settings.ThirdPartyEditorSize = 1000;
    window.settings.ThirdPartyEditorPath = editor;
    window.surface().setText(QStringLiteral("old"));
    window.ReadFile(path, false);
    const bool handedOver = starts && messages > 0;
    QCOMPARE(window.strfilename, handedOver ? QStringLiteral("Untitled") : path);
    QCOMPARE(window.surface().textLength(), handedOver ? 3 : 2000);
    QCOMPARE(prompter->asked.size(), messages);
    QCOMPARE(launcher.started.size(), messages > 0 ? 1 : 0);
    if (messages > 0) {
        const QStringList words = editor.split(QLatin1Char(' '));
        QCOMPARE(launcher.started[0].program, words[0]);
        QCOMPARE(launcher.started[0].arguments, words.mid(1) + QStringList{path});
        QCOMPARE(prompter->asked[0].title, QStringLiteral("Orvane, file too large"));
        QCOMPARE(prompter->asked[0].text, path + QStringLiteral(" has a file size of 2000 bytes and will be opened by ") + editor
                                              + QStringLiteral(".\r\n\r\nYou can change these settings under the options menu."
                                                               "\r\nYour current limit is 1000 bytes."));
    }
    if (messages > 1)
        QVERIFY(prompter->asked[1].text.contains(QStringLiteral("could not be started")));
}

void TestReadFile::fileOpenRules()
{
    QTemporaryDir app;
    QTemporaryDir docs;
    const QString a = writeFile(docs, QStringLiteral("a.txt"), "A");
    const QString b = writeFile(docs, QStringLiteral("b.txt"), "B");
    const QString c = writeFile(docs, QStringLiteral("c.txt"), "C");
    PrompterGuard prompter;
    LauncherGuard launcher;
    frmMain window(app.path());

    // An empty Untitled document takes the file even when files open in new windows.
    window.FileOpen(a);
    QCOMPARE(window.strfilename, a);
    // The current file again does nothing.
    window.FileOpen(a);
    QVERIFY(launcher.started.isEmpty());
    // Further files go to new processes; from the dialog the first in a window style, the rest after it.
    prompter->openAnswers << (b + QLatin1Char('\n') + c);
    window.FileOpen(QString());
    QCOMPARE(launcher.started.size(), 2);
    QCOMPARE(launcher.started[0].arguments, QStringList{b});
    QCOMPARE(launcher.started[1].arguments, QStringList{c});
    QCOMPARE(window.strfilename, a);

    // In this window: a changed document asks first; Cancel keeps everything.
    window.settings.OpenFilesInNewWindow = false;
    window.surface().setText(QStringLiteral("changed"));
    window.isDocumentSaved = false;
    prompter->answers << QMessageBox::Cancel;
    window.FileOpen(b);
    QCOMPARE(prompter->asked.last().text, QStringLiteral("Save changes to ") + a + QStringLiteral("?"));
    QCOMPARE(window.strfilename, a);
    prompter->answers << QMessageBox::No;
    window.FileOpen(b);
    QCOMPARE(window.strfilename, b);
    QVERIFY(!window.openFiles.isFileAllreadyOpened(a));
    QCOMPARE(window.recentFiles.entry(1), b);
    QCOMPARE(window.recentFiles.entry(2), a);
}

void TestReadFile::dropModifiers()
{
    QTemporaryDir app;
    QTemporaryDir docs;
    const QString png = writeFile(docs, QStringLiteral("logo.png"), "PNG");
    const QString css = writeFile(docs, QStringLiteral("main.css"), "body{}");
    const QString txt = writeFile(docs, QStringLiteral("notes.txt"), "line1\nline2");
    PrompterGuard prompter;
    LauncherGuard launcher;
    frmMain window(app.path());
    EditorSurface &s = window.surface();
    const QStringList files{png, css};

    window.surfaceDragOver(files, ShiftMask);
    QCOMPARE(window.lblToolTip->text(),
             QStringLiteral("Press Shift to insert filename, Ctrl to insert HTML tag, Shift+Ctrl to insert content"));
    window.surfaceDragDrop(files, ShiftMask);
    QCOMPARE(window.lblToolTip->text(), QString());
    QCOMPARE(s.text(), png + QStringLiteral("\r\n") + css);

    s.setText(QString());
    window.surfaceDragDrop(files, CtrlMask);
    QCOMPARE(s.text(), QStringLiteral("<img alt=\"logo.png\" src=\"./logo.png\">\r\n"
                                      "<link rel=\"stylesheet\" type=\"text/css\" href=\"./main.css\">"));

    s.setText(QStringLiteral("[]"));
    s.setSelStart(1);
    window.surfaceDragDrop({txt}, ShiftMask | CtrlMask);
    QCOMPARE(s.text(), QStringLiteral("[line1\r\nline2]"));
    QVERIFY(!window.isDocumentSaved);

    // No modifier opens the files: here the document is not empty, so new processes.
    window.surfaceDragDrop({txt}, 0);
    QCOMPARE(launcher.started.size(), 1);
}

void TestReadFile::settingsAndListsWrittenOnClose()
{
    QTemporaryDir app;
    QTemporaryDir docs;
    const QString a = writeFile(docs, QStringLiteral("a.txt"), "A");
    PrompterGuard prompter;
    {
        frmMain window(app.path());
        window.ReadFile(a, true);
        window.settings.TabWidth = 7;
        window.close();
    }
    QVERIFY(readFile(app.filePath(QStringLiteral("opened_files"))).isEmpty());

    frmMain again(app.path());
    QCOMPARE(again.settings.TabWidth, qint16(7));
    QCOMPARE(again.settings.LastOpenedFile, a);
    QCOMPARE(again.mnuFileRecent[0]->text(), QStringLiteral("&1 ") + RecentFiles::shortForm(a));
}

QTEST_MAIN(TestReadFile)
#include "tst_readfile.moc"
