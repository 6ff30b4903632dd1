#include "CommandTable.h"
#include "LineNumberGutter.h"
#include "picBracket.h"
#include "ScintillaSurface.h"
#include "SearchWindows.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

// Find, F3 and bookmarks as the main window offers them.
class TestMainSearch : public QObject {
    Q_OBJECT

private slots:
    void findThenRepeat();
    void bookmarksInTheGutter();
    void replaceGotoAndBracketByKeys();
};

void TestMainSearch::findThenRepeat()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    frmMain window(app.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    EditorSurface &s = window.surface();
    s.setText(QStringLiteral("alpha beta\r\ngamma beta"));
    window.txtText()->setFocus();
    QTest::keyClick(window.txtText(), Qt::Key_F, Qt::ControlModifier);
    QDialog *find = window.search().toolWindow();
    QVERIFY(find);
    QCOMPARE(find->objectName(), QStringLiteral("frmFind"));
    find->findChild<QComboBox *>(QStringLiteral("cboFind"))->setEditText(QStringLiteral("beta"));
    QTest::mouseClick(find->findChild<QPushButton *>(QStringLiteral("cmdFindNext")), Qt::LeftButton);
    QCOMPARE(s.selStart(), 6);
    QCOMPARE(s.selLength(), 4);
    QTRY_VERIFY(!window.search().toolWindow() || !window.search().toolWindow()->isVisible());

    // The window is active again, so F3 reaches its command.
    QTRY_VERIFY(window.isActiveWindow());
    QTest::keyClick(window.txtText(), Qt::Key_F3);
    QCOMPARE(s.selStart(), 18);
    QCOMPARE(s.selText(), QStringLiteral("beta"));
}

void TestMainSearch::bookmarksInTheGutter()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    frmMain window(app.path());
    EditorSurface &s = window.surface();
    s.setText(QStringLiteral("one\r\ntwo\r\nthree"));
    s.setSelStart(5);
    CommandTable::findCommand(&window, "mnuSearchToggleBookmark")->trigger();
    QCOMPARE(window.PicLines->rowText(1), QStringLiteral("*2"));
    QCOMPARE(window.PicLines->rowText(0), QStringLiteral(" 1"));
    s.setSelStart(0);
    CommandTable::findCommand(&window, "mnuSearchNextBookmark")->trigger();
    QCOMPARE(s.getLineFromChar(s.selStart()), 1);
}

// Ctrl+R replaces occurrence after occurrence, Ctrl+G goes to line and column, and a caret before a
// bracket shows the marker over its partner: all from the keyboard of the real window.
void TestMainSearch::replaceGotoAndBracketByKeys()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    frmMain window(app.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    EditorSurface &s = window.surface();
    s.setText(QStringLiteral("f(x) beta\r\n{ beta }\r\nbeta"));
    window.txtText()->setFocus();

    QTest::keyClick(window.txtText(), Qt::Key_R, Qt::ControlModifier);
    QDialog *replace = window.search().toolWindow();
    QVERIFY(replace);
    QCOMPARE(replace->objectName(), QStringLiteral("frmReplace"));
    replace->findChild<QComboBox *>(QStringLiteral("cboFind"))->setEditText(QStringLiteral("beta"));
    replace->findChild<QComboBox *>(QStringLiteral("cboReplace"))->setEditText(QStringLiteral("B"));
    auto *findNext = replace->findChild<QPushButton *>(QStringLiteral("cmdFindNext"));
    auto *replaceOne = replace->findChild<QPushButton *>(QStringLiteral("cmdReplace"));
    QTest::mouseClick(findNext, Qt::LeftButton);
    QCOMPARE(s.selText(), QStringLiteral("beta"));
    QTest::mouseClick(replaceOne, Qt::LeftButton);
    QTest::mouseClick(replaceOne, Qt::LeftButton);
    QCOMPARE(s.text(), QStringLiteral("f(x) B\r\n{ B }\r\nbeta"));
    QCOMPARE(s.selText(), QStringLiteral("beta"));
    replace->close();

    window.txtText()->setFocus();
    QTest::keyClick(window.txtText(), Qt::Key_G, Qt::ControlModifier);
    QDialog *gotoLine = window.search().toolWindow();
    QVERIFY(gotoLine);
    gotoLine->findChild<QLineEdit *>(QStringLiteral("txtLine"))->setText(QStringLiteral("2"));
    gotoLine->findChild<QLineEdit *>(QStringLiteral("txtColumn"))->setText(QStringLiteral("1"));
    QTest::mouseClick(gotoLine->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QCOMPARE(s.selStart(), 8);

    // Back onto "{" by the keyboard: the marker shows "}" over its partner.
    QTest::keyClick(window.txtText(), Qt::Key_Right);
    QTest::keyClick(window.txtText(), Qt::Key_Left);
    QTRY_VERIFY(window.search().marker() && window.search().marker()->isVisible());
    picBracket *marker = window.search().marker();
    QCOMPARE(marker->character(), QChar(u'}'));
    QCOMPARE(s.selStart(), 8);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.txtText(), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(s.selStart(), 12);
    QCOMPARE(s.selLength(), 1);
}

QTEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
