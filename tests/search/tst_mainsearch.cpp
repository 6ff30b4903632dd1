#include "CommandTable.h"
#include "EditorChrome.h"
#include "LineNumberGutter.h"
#include "picBracket.h"
#include "ScintillaSurface.h"
#include "SearchWindows.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

    // Escape, like every other way of closing, hands the regular-expression choice back.
    void escapeKeepsTheRegExpChoice()
    {
        MainWindow m;
        QVERIFY(m.show(QStringLiteral("abc")));
        for (const auto &[key, name] : {std::pair{Qt::Key_F, "frmFind"}, std::pair{Qt::Key_R, "frmReplace"}}) {
            for (const bool on : {true, false}) {
                QDialog *dialog = m.open(key, name);
                QVERIFY(dialog);
                auto *box = child<QCheckBox>(dialog, "chkRegExp");
                QCOMPARE(box->isChecked(), !on);
                box->setChecked(on);
                QTest::keyClick(child<QComboBox>(dialog, "cboFind"), Qt::Key_Escape);
                QTRY_VERIFY(!m.window.search().toolWindow() || !m.window.search().toolWindow()->isVisible());
                QCOMPARE(m.window.settings().RegExpSearch, on);
                m.window.txtText()->setFocus();
            }
        }
    }

    // A bare LF from a replacement or a decoder becomes the document's CR LF, and go to line, the
    // bookmarks and the lines window count the lines the window shows, in a binary document too.
    void replacedLineFeedBreaksTheLineModel()
    {
        MainWindow m;
        QVERIFY(m.show(QStringLiteral("one;two;three\r\nfour")));
        QDialog *replace = m.open(Qt::Key_R, "frmReplace");
        QVERIFY(replace);
        child<QCheckBox>(replace, "chkRegExp")->setChecked(true);
        child<QComboBox>(replace, "cboFind")->setEditText(QStringLiteral(";"));
        child<QComboBox>(replace, "cboReplace")->setEditText(QStringLiteral("\\n"));
        QTest::mouseClick(child<QPushButton>(replace, "cmdReplaceAll"), Qt::LeftButton);
        QCOMPARE(child<QLabel>(replace, "lblInfo")->text(), QStringLiteral("2 items replaced."));
        QCOMPARE(m.s.text(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
        replace->close();
        m.window.txtText()->setFocus();
        gotoLine(m, 3);
        QCOMPARE(m.s.selStart(), 10);
        CommandTable::findCommand(&m.window, "mnuSearchToggleBookmark")->trigger();
        m.s.setSelStart(0);
        QAction *next = CommandTable::findCommand(&m.window, "mnuSearchNextBookmark");
        QTRY_VERIFY(next->isEnabled());
        next->trigger();
        QCOMPARE(m.s.selStart(), 10);

        m.s.setText(QStringLiteral("a%0Ab"));
        CommandTable::findCommand(&m.window, "mnuToolsURLDecode")->trigger();
        QCOMPARE(m.s.text(), QStringLiteral("a\r\nb"));

        const char bytes[] = "x\0\ny\rz";
        m.window.ReadFile(writeFile(m.app, QStringLiteral("lone.bin"), QByteArray(bytes, 6)), false);
        QCOMPARE(m.s.text(), QString::fromLatin1(bytes, 6));
        QCOMPARE(m.s.lineCount(), 3);
        gotoLine(m, 3);
        QCOMPARE(m.s.selStart(), 5);
        QDialog *find = m.open(Qt::Key_F, "frmFind");
        QVERIFY(find);
        child<QCheckBox>(find, "chkListLines")->setChecked(true);
        child<QComboBox>(find, "cboFind")->setEditText(QStringLiteral("z"));
        QTest::mouseClick(child<QPushButton>(find, "cmdFindNext"), Qt::LeftButton);
        QDialog *lines = m.window.search().toolWindow();
        QVERIFY(lines && lines->objectName() == QLatin1String("frmLines"));
        auto *list = child<QListWidget>(lines, "lstLines");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("3\tz"));
    }

    // A place gone to is shown with lines of context around it, not on the view's edge.
    void foundLinesKeepTheirContext()
    {
        MainWindow m;
        QStringList lines;
        for (int i = 1; i <= 300; ++i)
            lines << QStringLiteral("line %1").arg(i);
        QVERIFY(m.show(lines.join(QStringLiteral("\r\n"))));
        const auto framed = [&m] {
            const int line = m.s.getLineFromChar(m.s.selStart());
            const int first = m.s.firstVisibleLine();
            return line >= first + 3 && line <= first + m.s.visibleLineCount() - 4;
        };
        QVERIFY(m.s.visibleLineCount() > 8);
        gotoLine(m, 150);
        QCOMPARE(m.s.getLineFromChar(m.s.selStart()), 149);
        QVERIFY(framed());

        m.s.setSelStart(m.s.lineIndex(200));
        m.s.setSelLength(0);
        CommandTable::findCommand(&m.window, "mnuSearchToggleBookmark")->trigger();
        m.s.setSelStart(m.s.lineIndex(10));
        QCoreApplication::processEvents();
        CommandTable::findCommand(&m.window, "mnuSearchNextBookmark")->trigger();
        QCOMPARE(m.s.getLineFromChar(m.s.selStart()), 200);
        QVERIFY(framed());

        QDialog *find = m.open(Qt::Key_F, "frmFind");
        QVERIFY(find);
        child<QComboBox>(find, "cboFind")->setEditText(QStringLiteral("line 260"));
        QTest::mouseClick(child<QPushButton>(find, "cmdFindNext"), Qt::LeftButton);
        QCOMPARE(m.s.getLineFromChar(m.s.selStart()), 259);
        QVERIFY(framed());
    }

private:
    static void gotoLine(MainWindow &m, int line)
    {
        QDialog *dialog = m.open(Qt::Key_G, "frmGotoLine");
        QVERIFY(dialog);
        // Its activation fills the line box: the number goes in after that.
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        child<QLineEdit>(dialog, "txtLine")->setText(QString::number(line));
        QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        m.window.txtText()->setFocus();
    }
};

QTEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
