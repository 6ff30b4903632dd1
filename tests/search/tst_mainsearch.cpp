#include "CommandTable.h"
#include "LineNumberGutter.h"
#include "ScintillaSurface.h"
#include "SearchWindows.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QComboBox>
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

    CommandTable::findCommand(&window, "mnuSearchFindNext")->trigger();
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

QTEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
