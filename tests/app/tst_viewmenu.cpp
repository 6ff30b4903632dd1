#include "CommandTable.h"
#include "EditorSurface.h"
#include "ScintillaView.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

using Folders = WindowFolders;

struct Window : Folders, frmMain {
    Window() : frmMain(app.path())
    {
        show();
        settings().ShowBlanks = false;
    }
    void run(const char *command) { CommandTable::findCommand(this, command)->trigger(); }
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0)
    {
        return txtText()->SendScintilla(message, wParam, lParam);
    }
    // The colour drawn just after the end of the first line, in the middle of its row.
    QColor afterFirstLine()
    {
        const long end = send(QsciScintillaBase::SCI_GETLINEENDPOSITION, 0);
        const int x = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, end));
        const int y = int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, end));
        const QImage shown = txtText()->viewport()->grab().toImage();
        return shown.pixelColor(x + 4, y + int(send(QsciScintillaBase::SCI_TEXTHEIGHT, 0)) / 2);
    }
};

} // namespace

class TestViewMenu : public QObject {
    Q_OBJECT

private slots:
    void lineEndMarksShowTheSavedEnding();
    void zoomCommandsAndReset();
};

// The marks of line ends say what the saved file gets: LF for a UNIX document although the widget
// holds CR LF, CR LF after a conversion to DOS, and nothing once blanks are hidden.
void TestViewMenu::lineEndMarksShowTheSavedEnding()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.ReadFile(writeFile(w.docs, QStringLiteral("unix.txt"), "ab\nc\n"), false);
    const QColor background = w.afterFirstLine();
    w.run("mnuViewBlanks");
    QVERIFY(w.surface().blanksVisible());
    QCOMPARE(w.txtText()->lineEndMark(), QStringLiteral("LF"));
    QCOMPARE(w.send(QsciScintillaBase::SCI_GETVIEWEOL), 0L);
    QTRY_VERIFY(w.afterFirstLine() != background);

    w.ConvertUnixToDos();
    QVERIFY(w.txtText()->lineEndMark().isEmpty());
    QCOMPARE(w.send(QsciScintillaBase::SCI_GETVIEWEOL), 1L);
    w.ConvertDosToUnix();
    QCOMPARE(w.txtText()->lineEndMark(), QStringLiteral("LF"));

    w.ReadFile(writeFile(w.docs, QStringLiteral("dos.txt"), "ab\r\nc\r\n"), false);
    QVERIFY(w.txtText()->lineEndMark().isEmpty());
    QCOMPARE(w.send(QsciScintillaBase::SCI_GETVIEWEOL), 1L);
    w.ReadFile(writeFile(w.docs, QStringLiteral("unix2.txt"), "ab\nc\n"), false);
    w.run("mnuViewBlanks");
    QVERIFY(w.txtText()->lineEndMark().isEmpty());
    QCOMPARE(w.send(QsciScintillaBase::SCI_GETVIEWEOL), 0L);
    QTRY_COMPARE(w.afterFirstLine(), background);
}

// Zoom In and Out step as a notch of Ctrl+wheel does, by menu and by key, without touching the
// text; Reset returns to the settings' size.
void TestViewMenu::zoomCommandsAndReset()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.ReadFile(writeFile(w.docs, QStringLiteral("a.txt"), "abc\n"), false);
    const QString text = w.surface().text();
    const int height = w.surface().lineHeight();
    w.run("mnuViewZoomIn");
    w.run("mnuViewZoomIn");
    QCOMPARE(w.surface().zoom(), 2);
    QVERIFY(w.surface().lineHeight() > height);
    w.run("mnuViewZoomOut");
    QCOMPARE(w.surface().zoom(), 1);
    w.txtText()->setFocus();
    QTest::keyClick(w.txtText(), Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(w.txtText(), Qt::Key_Minus, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.surface().zoom(), -1);
    QTest::keyClick(w.txtText(), Qt::Key_Equal, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(w.txtText(), Qt::Key_Equal, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(w.surface().zoom(), 1);
    QTest::keyClick(w.txtText(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(w.surface().zoom(), 0);
    QCOMPARE(w.surface().lineHeight(), height);
    QCOMPARE(w.surface().text(), text);
}

QTEST_MAIN(TestViewMenu)
#include "tst_viewmenu.moc"
