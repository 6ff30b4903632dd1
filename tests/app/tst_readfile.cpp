#include "Launcher.h"
#include "ScintillaSurface.h"
#include "StatusBar.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// A window with scratch folders that records programs instead of starting them.
struct Session {
    explicit Session(bool launches = true)
    {
        Launcher::setStarter([this, launches](const QString &program, const QStringList &arguments) {
            started.append(QStringList{program} + arguments);
            return launches;
        });
    }
    ~Session() { Launcher::setStarter(nullptr); }
    QString file(const QString &name, const QByteArray &bytes) { return writeFile(docs, name, bytes); }
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
    QList<QStringList> started; // each program, then its arguments
    frmMain window{app.path()};
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
    QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFEh\0i\0", 6) << "hi" << "UNIX" << "UNICODE";
    QTest::newRow("UTF-8 without mark") << QByteArray("\xC3\xA9t\xC3\xA9") << "\u00e9t\u00e9" << "UNIX" << "UTF-8";
    const char binary[] = "\x01\0\r\n\n\r\xFF";
    QTest::newRow("binary") << QByteArray(binary, 7) << QString::fromLatin1(binary, 7) << "BINARY" << "ASCII";
    QTest::newRow("Latin-1") << QByteArray("caf\xE9") << QString::fromLatin1("caf\xE9") << "UNIX" << "ASCII";
}

void TestReadFile::loadsIntoTheSurface()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, os);
    QFETCH(QString, uc);
    Session f;
    const QString path = f.file(QStringLiteral("doc.c"), bytes);
    f.window.ReadFile(path + QStringLiteral("  "), false);

    QCOMPARE(f.window.surface().text(), text);
    QCOMPARE(f.window.findChild<QLabel *>(QStringLiteral("lblOS"))->text(), os);
    QCOMPARE(f.window.findChild<QLabel *>(QStringLiteral("lblUC"))->text(), uc);
    QCOMPARE(f.window.document().strfilename, path);
    QVERIFY(f.window.document().isDocumentSaved);
    QCOMPARE(f.window.windowTitle(), QStringLiteral("doc.c @ ") + f.docs.path() + QStringLiteral(" - Orvane"));
    QVERIFY(f.window.openFiles().isFileAllreadyOpened(path));
    QVERIFY(f.prompter->asked.isEmpty());

    // Saving an unchanged document writes the same bytes back; mixed line ends come back as CR LF.
    QVERIFY(f.window.FileSave());
    QCOMPARE(readFile(path), QByteArray(QTest::currentDataTag()) == "mixed" ? QByteArray("x\r\ny\r\nz") : bytes);
}

void TestReadFile::missingFileBecomesUntitled()
{
    Session f;
    f.window.surface().setText(QStringLiteral("kept"));
    const QString missing = f.docs.filePath(QStringLiteral("nope.txt"));
    f.prompter->answers << QMessageBox::Ok;
    f.window.ReadFile(missing, false);
    QCOMPARE(f.prompter->asked.size(), 1);
    QCOMPARE(f.prompter->asked[0].text,
             QStringLiteral("Couldn't find ") + missing + QStringLiteral(", please make sure that you have typed the correct path."));
    QCOMPARE(f.window.surface().text(), QStringLiteral("kept"));
    QCOMPARE(f.window.document().strfilename, QStringLiteral("Untitled"));
    QCOMPARE(f.window.document().currentFolder, f.docs.path());
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
    Session f(starts);
    const QString path = f.file(QStringLiteral("big.txt"), QByteArray(2000, 'x'));
    // Off by default: this program opens and colours big files itself.
    f.window.settings().OpenFileInThirdPartyEditor = true;
    f.window.settings().ThirdPartyEditorSize = 1000;
    f.window.settings().ThirdPartyEditorPath = editor;
    f.window.surface().setText(QStringLiteral("old"));
    for (int n = 0; n < messages; ++n)
        f.prompter->answers << QMessageBox::Ok;
    f.window.ReadFile(path, false);
    const bool handedOver = starts && messages > 0;
    QCOMPARE(f.window.document().strfilename, handedOver ? QStringLiteral("Untitled") : path);
    QCOMPARE(f.window.surface().textLength(), handedOver ? 3 : 2000);
    QCOMPARE(f.prompter->asked.size(), messages);
    QCOMPARE(f.started.size(), messages > 0 ? 1 : 0);
    if (messages > 0) {
        const QStringList words = editor.split(QLatin1Char(' '));
        QCOMPARE(f.started[0], words + QStringList{path});
        QCOMPARE(f.prompter->asked[0].title, QStringLiteral("Orvane, file too large"));
        QCOMPARE(f.prompter->asked[0].text, path + QStringLiteral(" has a file size of 2000 bytes and will be opened by ") + editor
                                                + QStringLiteral(".\r\n\r\nYou can change these settings under the options menu."
                                                                 "\r\nYour current limit is 1000 bytes."));
    }
    if (messages > 1)
        QVERIFY(f.prompter->asked[1].text.contains(QStringLiteral("could not be started")));
}

void TestReadFile::fileOpenRules()
{
    Session f;
    const QString a = f.file(QStringLiteral("a.txt"), "A");
    const QString b = f.file(QStringLiteral("b.txt"), "B");
    const QString c = f.file(QStringLiteral("c.txt"), "C");

    // An empty Untitled document takes the file even when files open in new windows.
    f.window.FileOpen(a);
    QCOMPARE(f.window.document().strfilename, a);
    // The current file again does nothing.
    f.window.FileOpen(a);
    QVERIFY(f.started.isEmpty());
    // Further files go to new processes; from the dialog the first in a window style, the rest after it.
    f.prompter->openAnswers << (b + QLatin1Char('\n') + c);
    f.window.FileOpen(QString());
    QCOMPARE(f.started.size(), 2);
    QCOMPARE(f.started[0].mid(1), QStringList{b});
    QCOMPARE(f.started[1].mid(1), QStringList{c});

    // In this window: a changed document asks first; Cancel keeps everything.
    f.window.settings().OpenFilesInNewWindow = false;
    f.window.surface().setText(QStringLiteral("changed"));
    f.window.markChanged();
    f.prompter->answers << QMessageBox::Cancel;
    f.window.FileOpen(b);
    QCOMPARE(f.prompter->asked.size(), 1);
    QCOMPARE(f.window.document().strfilename, a);
    f.prompter->answers << QMessageBox::No;
    f.window.FileOpen(b);
    QCOMPARE(f.window.document().strfilename, b);
    QVERIFY(!f.window.openFiles().isFileAllreadyOpened(a));
    QCOMPARE(f.window.recentFiles().entry(1), b);
    QCOMPARE(f.window.recentFiles().entry(2), a);
}

void TestReadFile::dropModifiers()
{
    Session f;
    const QString png = f.file(QStringLiteral("logo.png"), "PNG");
    const QString css = f.file(QStringLiteral("main.css"), "body{}");
    const QString txt = f.file(QStringLiteral("notes.txt"), "line1\nline2");
    EditorSurface &s = f.window.surface();
    const QStringList files{png, css};

    f.window.surfaceDragOver(files, ShiftMask);
    QCOMPARE(f.window.statusLabels().lblToolTip->text(),
             QStringLiteral("Press Shift to insert filename, Ctrl to insert HTML tag, Shift+Ctrl to insert content"));
    f.window.surfaceDragDrop(files, ShiftMask);
    QCOMPARE(f.window.statusLabels().lblToolTip->text(), QString());
    QCOMPARE(s.text(), png + QStringLiteral("\r\n") + css);

    s.setText(QString());
    f.window.surfaceDragDrop(files, CtrlMask);
    QCOMPARE(s.text(), QStringLiteral("<img alt=\"logo.png\" src=\"./logo.png\">\r\n"
                                      "<link rel=\"stylesheet\" type=\"text/css\" href=\"./main.css\">"));

    s.setText(QString());
    f.window.surfaceDragDrop(files, AltMask);
    QCOMPARE(s.text(), QStringLiteral("logo.png\r\nmain.css"));

    s.setText(QStringLiteral("[]"));
    s.setSelStart(1);
    f.window.surfaceDragDrop({txt}, ShiftMask | CtrlMask);
    QCOMPARE(s.text(), QStringLiteral("[line1\r\nline2]"));
    QVERIFY(!f.window.document().isDocumentSaved);

    // No modifier opens the files: here the document is not empty, so new processes.
    f.window.surfaceDragDrop({txt}, 0);
    QCOMPARE(f.started.size(), 1);
}

void TestReadFile::settingsAndListsWrittenOnClose()
{
    Session f;
    const QString a = f.file(QStringLiteral("a.txt"), "A");
    f.window.ReadFile(a, true);
    f.window.settings().TabWidth = 7;
    f.window.close();
    QVERIFY(readFile(f.app.filePath(QStringLiteral("opened_files"))).isEmpty());

    frmMain again(f.app.path());
    QCOMPARE(again.settings().TabWidth, qint16(7));
    QCOMPARE(again.settings().LastOpenedFile, a);
    QCOMPARE(again.mnuFileRecent[0]->text(), QStringLiteral("&1 ") + RecentFiles::shortForm(a));
}

QTEST_MAIN(TestReadFile)
#include "tst_readfile.moc"
