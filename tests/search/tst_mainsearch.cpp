#include "CommandTable.h"
#include "EditorChrome.h"
#include "LineNumberGutter.h"
#include "picBracket.h"
#include "ScintillaSurface.h"
#include "SearchWindows.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// The real main window holding a text, with the keyboard in the document.
struct MainWindow {
    QTemporaryDir app;
    PrompterGuard prompter;
    frmMain window{app.path()};
    EditorSurface &s = window.surface();

    bool show(const QString &text)
    {
        window.show();
        s.setText(text);
        window.txtText()->setFocus();
        return QTest::qWaitForWindowExposed(&window);
    }
    // Opens a search tool window by its key; null unless it is the expected one.
    QDialog *open(Qt::Key key, const char *name)
    {
        QTest::keyClick(window.txtText(), key, Qt::ControlModifier);
        QDialog *dialog = window.search().toolWindow();
        return dialog && dialog->objectName() == QLatin1String(name) ? dialog : nullptr;
    }
};

template <typename Child>
Child *child(QDialog *dialog, const char *name) { return dialog->findChild<Child *>(QLatin1String(name)); }

} // namespace

// Find, F3, replace, go to line, bookmarks and brackets as the main window offers them.
class TestMainSearch : public QObject {
    Q_OBJECT

private slots:
    void findThenRepeat()
    {
        MainWindow m;
        QVERIFY(m.show(QStringLiteral("alpha beta\r\ngamma beta")));
        QDialog *find = m.open(Qt::Key_F, "frmFind");
        QVERIFY(find);
        // An invalid pattern shows the engine's message and leaves the dialog open.
        child<QCheckBox>(find, "chkRegExp")->setChecked(true);
        child<QComboBox>(find, "cboFind")->setEditText(QStringLiteral("(beta"));
        QTest::mouseClick(child<QPushButton>(find, "cmdFindNext"), Qt::LeftButton);
        QVERIFY(child<QLabel>(find, "lblInfo")->text().endsWith(QStringLiteral(" (5017)")));
        QCOMPARE(m.window.search().toolWindow(), find);
        child<QCheckBox>(find, "chkRegExp")->setChecked(false);
        child<QComboBox>(find, "cboFind")->setEditText(QStringLiteral("beta"));
        QTest::mouseClick(child<QPushButton>(find, "cmdFindNext"), Qt::LeftButton);
        QCOMPARE(m.s.selStart(), 6);
        QTRY_VERIFY(!m.window.search().toolWindow() || !m.window.search().toolWindow()->isVisible());

        // The window is active again, so F3 reaches its command.
        QTRY_VERIFY(m.window.isActiveWindow());
        QTest::keyClick(m.window.txtText(), Qt::Key_F3);
        QCOMPARE(m.s.selStart(), 18);
        QCOMPARE(m.s.selText(), QStringLiteral("beta"));
    }

    void bookmarksInTheGutter()
    {
        MainWindow m;
        m.s.setText(QStringLiteral("one\r\ntwo\r\nthree"));
        m.s.setSelStart(5);
        CommandTable::findCommand(&m.window, "mnuSearchToggleBookmark")->trigger();
        QCOMPARE(m.window.chrome().PicLines->rowText(1), QStringLiteral("*2"));
        QCOMPARE(m.window.chrome().PicLines->rowText(0), QStringLiteral(" 1"));
        m.s.setSelStart(0);
        CommandTable::findCommand(&m.window, "mnuSearchNextBookmark")->trigger();
        QCOMPARE(m.s.getLineFromChar(m.s.selStart()), 1);
    }

    // Ctrl+R replaces occurrence after occurrence, Ctrl+G goes to line and column, and a caret before a
    // bracket shows the marker over its partner, which Ctrl+M selects.
    void replaceGotoAndBracketByKeys()
    {
        MainWindow m;
        QVERIFY(m.show(QStringLiteral("f(x) beta\r\n{ beta }\r\nbeta")));
        QDialog *replace = m.open(Qt::Key_R, "frmReplace");
        QVERIFY(replace);
        child<QComboBox>(replace, "cboFind")->setEditText(QStringLiteral("beta"));
        child<QComboBox>(replace, "cboReplace")->setEditText(QStringLiteral("B"));
        QTest::mouseClick(child<QPushButton>(replace, "cmdFindNext"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(replace, "cmdReplace"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(replace, "cmdReplace"), Qt::LeftButton);
        QCOMPARE(m.s.text(), QStringLiteral("f(x) B\r\n{ B }\r\nbeta"));
        QCOMPARE(m.s.selText(), QStringLiteral("beta"));
        replace->close();

        m.window.txtText()->setFocus();
        QDialog *gotoLine = m.open(Qt::Key_G, "frmGotoLine");
        QVERIFY(gotoLine);
        child<QLineEdit>(gotoLine, "txtLine")->setText(QStringLiteral("2"));
        child<QLineEdit>(gotoLine, "txtColumn")->setText(QStringLiteral("1"));
        QTest::mouseClick(child<QPushButton>(gotoLine, "cmdOK"), Qt::LeftButton);
        QCOMPARE(m.s.selStart(), 8);

        // Back onto "{" by the keyboard: the marker shows "}" over its partner.
        QTest::keyClick(m.window.txtText(), Qt::Key_Right);
        QTest::keyClick(m.window.txtText(), Qt::Key_Left);
        QTRY_VERIFY(m.window.search().marker() && m.window.search().marker()->isVisible());
        QCOMPARE(m.window.search().marker()->character(), QChar(u'}'));
        m.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m.window));
        QTest::keyClick(m.window.txtText(), Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(m.s.selStart(), 12);
        QCOMPARE(m.s.selLength(), 1);
    }
};

QTEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
