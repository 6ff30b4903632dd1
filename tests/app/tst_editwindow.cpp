#include "CommandTable.h"
#include "EditorChrome.h"
#include "LineNumberGutter.h"
#include "FlatButton.h"
#include "ScintillaSurface.h"
#include "SearchWindows.h"
#include "StatusBar.h"
#include "TestSupport.h"
#include "UndoHistory.h"
#include "frmMain.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QLabel>
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
    void keysWorkWhateverMenusShowed();
    void menuStateFollowsTheDocument();
    void undoKeepsTheStateReturnedTo();
    void contextMenuIsTheEditMenu();
    void caretCrossesWideCharacters_data();
    void caretCrossesWideCharacters();
    void untouchedWindowClosesWithoutQuestion();
    void gutterRedrawsWhenItsRowsChange();
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

void rewriteLater(const QString &path, const QByteArray &bytes, int seconds = 5)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(file.open(QIODevice::Append));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
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
    QVERIFY(!window.document().isDocumentSaved);
}

void TestEditWindow::outsideChangeReloadsSilently()
{
    Window window("first version");
    window.settings().AutoUpdateChangedFiles = true;
    window.surface().setSelStart(6);
    window.surface().setSelLength(3);
    rewriteLater(window.path, "second version");
    activateAgain();
    QVERIFY(window.prompter->asked.isEmpty());
    QCOMPARE(window.surface().text(), QStringLiteral("second version"));
    QCOMPARE(window.surface().selStart(), 6);
    QCOMPARE(window.surface().selLength(), 3);

    // Unsaved edits are never thrown away without a question.
    window.surface().setSelText(QStringLiteral("mine"));
    rewriteLater(window.path, "third version", 10);
    window.prompter->answers << QMessageBox::No;
    activateAgain();
    QCOMPARE(window.prompter->asked.size(), 1);
    QCOMPARE(window.prompter->asked[0].title, QStringLiteral("File changed, reload file?"));
    QVERIFY(window.surface().text().contains(QStringLiteral("mine")));
}

namespace {

void showEveryMenu(frmMain &window)
{
    for (QMenu *menu : window.findChildren<QMenu *>()) {
        emit menu->aboutToShow();
        emit menu->aboutToHide();
    }
}

} // namespace

// Each state leaves some menu items greyed; none of that may cost a key its command.
void TestEditWindow::keysWorkWhateverMenusShowed()
{
    Window window("alpha beta alpha\ngamma\n");
    window.showExposed();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    ScintillaView *view = window.txtText();
    view->setFocus();
    EditorSurface &s = window.surface();

    // No search text, no bookmarks, no selection, nothing to undo: every menu greys something.
    showEveryMenu(window);
    for (const CommandInfo &info : CommandTable::commands()) {
        if (info.keyShownOnly || info.keys().isEmpty())
            continue;
        QAction *key = window.findChild<QAction *>(QLatin1String(info.objectName) + QStringLiteral("Key"));
        QVERIFY2(key && key->isEnabled() && key->shortcuts() == info.keys(), info.objectName);
    }

    // The Search menu seen first, then a search: F3 goes on to the next match.
    window.search().engine().state().SearchText = QStringLiteral("alpha");
    showEveryMenu(window);
    s.setSelStart(0);
    QTest::keyClick(view, Qt::Key_F3);
    QCOMPARE(s.selText(), QStringLiteral("alpha"));
    const int first = s.selStart();
    QTest::keyClick(view, Qt::Key_F3);
    QCOMPARE(s.selText(), QStringLiteral("alpha"));
    QVERIFY(s.selStart() != first);
    QTest::keyClick(view, Qt::Key_F3, Qt::ControlModifier);
    QCOMPARE(s.selStart(), first);

    // The Format menu seen without a selection, then F5 capitalizes a selection.
    s.setSelStart(6);
    showEveryMenu(window);
    s.setSelLength(4);
    QTest::keyClick(view, Qt::Key_F5, Qt::ShiftModifier);
    QCOMPARE(s.text().mid(6, 4), QStringLiteral("BETA"));

    // The Edit menu seen with one snapshot only: Ctrl+Z still undoes the typing.
    window.ReadFile(window.path, false);
    showEveryMenu(window);
    s.setSelStart(0);
    QTest::keyClicks(view, QStringLiteral("x"));
    showEveryMenu(window);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.text(), QStringLiteral("alpha beta alpha\r\ngamma\r\n"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(s.text(), QStringLiteral("xalpha beta alpha\r\ngamma\r\n"));

    // Bookmarks: F2 works once one exists, though the menu was seen without any.
    s.setSelStart(0);
    QTest::keyClick(view, Qt::Key_F2, Qt::ControlModifier);
    s.setSelStart(s.textLength());
    QTest::keyClick(view, Qt::Key_F2);
    QCOMPARE(s.selStart(), 0);

    // An Alt key that no command or menu takes types nothing.
    const QString before = s.text();
    QTest::keyClick(view, Qt::Key_Q, Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_J, Qt::AltModifier | Qt::ShiftModifier);
    QCOMPARE(s.text(), before);
}

void TestEditWindow::menuStateFollowsTheDocument()
{
    Window window("alpha");
    window.showExposed();
    EditorSurface &s = window.surface();
    QAction *copy = CommandTable::findCommand(&window, "mnuEditCopy");
    QAction *copyName = CommandTable::findCommand(&window, "mnuEditCopyFileName");
    QList<FlatButton *> buttons = window.findChildren<FlatButton *>(QStringLiteral("cmdCopy"));
    QCOMPARE(buttons.size(), 1);
    s.setSelStart(0);
    QCoreApplication::processEvents();
    QVERIFY(!copy->isEnabled());
    QVERIFY(!buttons[0]->isEnabled());
    QVERIFY(copyName->isEnabled());
    // No menu opens in between: the state alone greys and enables.
    s.setSelLength(3);
    QCoreApplication::processEvents();
    QVERIFY(copy->isEnabled());
    QVERIFY(buttons[0]->isEnabled());
    window.prompter->answers << QMessageBox::No;
    window.FileClose(true);
    QCoreApplication::processEvents();
    QVERIFY(!copyName->isEnabled());
}

void TestEditWindow::undoKeepsTheStateReturnedTo()
{
    Window window("");
    window.showExposed();
    ScintillaView *view = window.txtText();
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("aa bb"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.surface().text(), QStringLiteral("aa"));
    QTest::keyClicks(view, QStringLiteral("X"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.surface().text(), QStringLiteral("aa"));
    // Ctrl+Backspace deletes a word: undone like any other edit.
    QTest::keyClick(view, Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(window.surface().text(), QString());
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.surface().text(), QStringLiteral("aa"));
}

void TestEditWindow::contextMenuIsTheEditMenu()
{
    Window window("text");
    window.showExposed();
    ScintillaView *view = window.txtText();
    view->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted "));
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), view->viewport()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(view->viewport(), &event);
    auto *edit = window.findChild<QMenu *>(QStringLiteral("mnuEdit"));
    QTRY_VERIFY(edit->isVisible());
    QAction *paste = CommandTable::findCommand(&window, "mnuEditPaste");
    QVERIFY(paste->isEnabled());
    window.surface().setSelStart(0);
    paste->trigger();
    edit->hide();
    QCOMPARE(window.surface().text(), QStringLiteral("pasted text"));
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.surface().text(), QStringLiteral("text"));
}

void TestEditWindow::caretCrossesWideCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("character");
    QTest::newRow("emoji inside a line") << QByteArray("ab\xF0\x9F\x98\x80" "cd\n") << QStringLiteral("\U0001F600");
    QTest::newRow("emoji first in the file") << QByteArray("\xF0\x9F\x98\x80(x)\n") << QStringLiteral("\U0001F600");
    QTest::newRow("CJK extension B") << QByteArray("{\xF0\xA0\xAE\xB7}\n") << QStringLiteral("\U00020BB7");
    QTest::newRow("flag of two indicators") << QByteArray("[\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA]\n") << QStringLiteral("\U0001F1E9");
}

// With every aid on (bracket marker, current-line box, gutter), the caret crosses the character
// in every direction with keys and the mouse, selects it whole, and the file saves byte for byte.
void TestEditWindow::caretCrossesWideCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, character);
    Window window(bytes);
    window.settings().AutoUnderlineBracket = true;
    window.settings().ShowCurrentLine = true;
    window.settings().ShowLineNumbers = true;
    window.showExposed();
    ScintillaView *view = window.txtText();
    view->setFocus();
    EditorSurface &s = window.surface();
    const QString text = s.text();
    const int at = int(text.indexOf(character));
    QTest::keyClick(view, Qt::Key_End);
    for (int i = 0; i < text.size() + 2; ++i) {
        QTest::keyClick(view, Qt::Key_Left);
        QVERIFY(!text.at(s.selStart()).isLowSurrogate());
    }
    QCOMPARE(s.selStart(), 0);
    for (int i = 0; i < text.size() + 2; ++i) {
        QTest::keyClick(view, Qt::Key_Right);
        QVERIFY(s.selStart() == text.size() || !text.at(s.selStart()).isLowSurrogate());
    }
    s.setSelStart(at);
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(s.selText(), character);
    QTest::keyClick(view, Qt::Key_Left);
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Home, Qt::ShiftModifier);
    s.setSelStart(at + 1);
    QCOMPARE(s.selStart(), at);
    s.setSelLength(1);
    QCOMPARE(s.selText(), character);
    for (int x = 0; x < 80; x += 3)
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x, view->textHeight(0) / 2));
    QVERIFY(!text.at(std::min(s.selStart(), int(text.size()) - 1)).isLowSurrogate());
    window.prompter->saveAnswers << window.path;
    QVERIFY(window.FileSave());
    QCOMPARE(readFile(window.path), bytes);
}

void TestEditWindow::untouchedWindowClosesWithoutQuestion()
{
    {
        Folders folders;
        frmMain window(folders.app.path());
        QVERIFY(window.close());
        QCOMPARE(window.statusLabels().lblOS->text(), QStringLiteral("UNIX"));
        QCOMPARE(window.statusLabels().lblUC->text(), QStringLiteral("ASCII"));
        QVERIFY(folders.prompter->asked.isEmpty());
    }
    Window window("text");
    window.FileClose(true);
    QVERIFY(window.close());
    QVERIFY(window.prompter->asked.isEmpty());
}

namespace {

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

void TestEditWindow::gutterRedrawsWhenItsRowsChange()
{
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "line (a) and {b}\r\n";
    Window w(text);
    w.settings().ShowLineNumbers = true;
    w.showExposed();
    QWidget *gutter = w.chrome().PicLines;
    PaintCounter counter;
    gutter->installEventFilter(&counter);
    QWidget *view = w.txtText();
    QTest::keyClick(view, Qt::Key_End);
    QCoreApplication::processEvents();
    counter.paints = 0;
    // Typing within a line, beside brackets too, leaves the numbers as they are.
    QTest::keyClicks(view, QStringLiteral("xyz("));
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0);
    // Another caret row, a new line and a scroll each redraw them.
    QTest::keyClick(view, Qt::Key_Down);
    QTRY_VERIFY(counter.paints > 0);
    counter.paints = 0;
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(counter.paints > 0);
    counter.paints = 0;
    QTest::keyClick(view, Qt::Key_PageDown);
    QTRY_VERIFY(counter.paints > 0);
    QCOMPARE(w.chrome().PicLines->lastLineCount(), 202);
}

QTEST_MAIN(TestEditWindow)
#include "tst_editwindow.moc"
