#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "UndoHistory.h"
#include "frmMain.h"

#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class TestEditWindow : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoThroughKeys();
    void clipboardCommands();
    void outsideChangeAsksOnce();
    void outsideChangeReloadsSilently();
};

namespace {

struct Folders {
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
};

// A main window over its own application folder, with one document loaded and a scripted prompter.
struct Window : Folders, frmMain {
    QString path;
    explicit Window(const QByteArray &bytes) : frmMain(app.path()), path(writeFile(docs, QStringLiteral("a.txt"), bytes))
    {
        ReadFile(path, false);
    }
    void showExposed()
    {
        show();
        QVERIFY(QTest::qWaitForWindowExposed(this));
    }
};

void rewriteLater(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(file.open(QIODevice::Append));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
}

void activateAgain()
{
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
}

} // namespace

void TestEditWindow::undoAndRedoThroughKeys()
{
    Window window("loaded\n");
    window.showExposed();
    ScintillaView *view = window.txtText();
    view->setFocus();
    window.surface().setSelStart(6);
    QTest::keyClicks(view, QStringLiteral(" more"));
    QCOMPARE(window.surface().text(), QStringLiteral("loaded more\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.surface().text(), QStringLiteral("loaded\r\n"));
    QTest::keySequence(view, QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    QCOMPARE(window.surface().text(), QStringLiteral("loaded more\r\n"));

    // A command's snapshot keeps the formatting: undoing a crop brings the coloured text back.
    EditorSurface &s = window.surface();
    s.setSelStart(0);
    s.setSelLength(6);
    s.setSelColor(0x0000FF);
    window.AddHistory();
    s.setSelStart(7);
    s.setSelLength(4);
    window.Crop();
    QCOMPARE(s.text(), QStringLiteral("more"));
    window.Undo();
    QCOMPARE(s.text(), QStringLiteral("loaded more\r\n"));
    QCOMPARE(s.formatAt(0).color, OleColor(0x0000FF));
}

void TestEditWindow::clipboardCommands()
{
    Window window("");
    window.showExposed();
    ScintillaView *view = window.txtText();
    view->setFocus();
    EditorSurface &s = window.surface();
    s.setText(QStringLiteral("alpha beta\r\ngamma"));
    s.setSelStart(0);
    s.setSelLength(5);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("alpha"));
    s.setSelStart(s.textLength());
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(s.text(), QStringLiteral("alpha beta\r\ngammaalpha"));
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(s.selLength(), s.textLength());
    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(s.text(), QString());
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), QStringLiteral("alpha beta\r\ngammaalpha"));

    // Rich copies carry RTF and HTML beside the plain text.
    s.setSelStart(0);
    s.setSelLength(5);
    s.setSelColor(0x0000FF);
    window.CopyAsRichText(false);
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(mime->text(), QStringLiteral("alpha"));
    QVERIFY(mime->data(QStringLiteral("text/rtf")).startsWith("{\\rtf1"));
    QVERIFY(mime->html().contains(QStringLiteral("#ff0000"), Qt::CaseInsensitive));
}

void TestEditWindow::outsideChangeAsksOnce()
{
    Window window("one");
    const QString &path = window.path;
    rewriteLater(path, "two");
    window.prompter->answers << QMessageBox::No;
    activateAgain();
    QCOMPARE(window.prompter->asked.size(), 1);
    QCOMPARE(window.prompter->asked[0].title, QStringLiteral("File changed, reload file?"));
    QCOMPARE(window.prompter->asked[0].text,
             path + QStringLiteral(" has been modified by another application.\r\n\r\nDo you want to reload it?"));
    QCOMPARE(window.surface().text(), QStringLiteral("one"));

    // Deleted: Yes keeps the text as an unsaved document.
    window.ReadFile(path, false);
    QVERIFY(QFile::remove(path));
    window.prompter->answers << QMessageBox::Yes;
    activateAgain();
    QCOMPARE(window.prompter->asked.last().title, QStringLiteral("File deleted, keep file?"));
    QCOMPARE(window.surface().text(), QStringLiteral("two"));
    QVERIFY(!window.isDocumentSaved);
}

void TestEditWindow::outsideChangeReloadsSilently()
{
    Window window("first version");
    window.settings.AutoUpdateChangedFiles = true;
    window.surface().setSelStart(6);
    window.surface().setSelLength(3);
    rewriteLater(window.path, "second version");
    activateAgain();
    QVERIFY(window.prompter->asked.isEmpty());
    QCOMPARE(window.surface().text(), QStringLiteral("second version"));
    QCOMPARE(window.surface().selStart(), 6);
    QCOMPARE(window.surface().selLength(), 3);
}

QTEST_MAIN(TestEditWindow)
#include "tst_editwindow.moc"
