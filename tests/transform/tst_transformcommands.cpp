#include "CommandTable.h"
#include "StatusBar.h"
#include "TestSupport.h"
#include "UndoHistory.h"
#include "frmMain.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

// The Format and Tools commands as a user runs them from the menus, each undone afterwards.
class TestTransformCommands : public QObject {
    Q_OBJECT

private slots:
    void commandsChangeTextAndUndo_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("expected");
        QTest::newRow("upper case of the selection") << "mnuFormatToUpperCase" << "ab cd" << 3 << 2 << "ab CD";
        QTest::newRow("spaces to tabs, whole text") << "mnuFormatSpacesToTabs" << "      x" << 0 << 0 << "\t  x";
        QTest::newRow("base64 of the selection") << "mnuToolsBase64Encode" << "[Man]" << 1 << 3 << "[TWFu]";
        QTest::newRow("l33t whole text") << "mnuToolsl33t" << "Tiger\r\nzoo" << 0 << 0 << "7!63r!\r\n200";
        QTest::newRow("sort ascending") << "mnuToolsSortLines" << "b\r\nA\r\nc" << 0 << 0 << "A\r\nb\r\nc";
    }
    void commandsChangeTextAndUndo()
    {
        QFETCH(QString, command);
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, expected);
        QTemporaryDir app;
        PrompterGuard prompter;
        frmMain window(app.path());
        EditorSurface &s = window.surface();
        s.setText(text);
        window.history().reset();
        s.setSelStart(selStart);
        s.setSelLength(selLength);
        QAction *action = CommandTable::findCommand(&window, qPrintable(command));
        QVERIFY(action);
        action->setEnabled(true);
        action->trigger();
        QCOMPARE(s.text(), expected);
        QVERIFY(!window.document().isDocumentSaved);
        window.Undo();
        QCOMPARE(s.text(), text);
    }

    void wordCountAndWrap()
    {
        QTemporaryDir app;
        PrompterGuard prompter;
        frmMain window(app.path());
        window.surface().setText(QStringLiteral("a  b\r\nc"));
        prompter->answers << QMessageBox::Ok;
        CommandTable::findCommand(&window, "mnuToolsWordCount")->trigger();
        QCOMPARE(prompter->asked.size(), 1);
        QVERIFY(prompter->asked[0].text.contains(QStringLiteral("Words : \t\t\t3")));

        QAction *wrap = CommandTable::findCommand(&window, "mnuFormatWordWrap");
        wrap->trigger();
        QVERIFY(window.surface().wordWrap());
        QVERIFY(window.statusLabels().lblXY->text().endsWith(QStringLiteral("(WW)")));
        wrap->trigger();
        QVERIFY(!window.statusLabels().lblXY->text().endsWith(QStringLiteral("(WW)")));
    }

    // Blanks shown and the edge line are the user's choices: a new window over the same settings has them.
    void blanksAndEdgeLineAreKept()
    {
        QTemporaryDir app;
        PrompterGuard prompter;
        {
            frmMain window(app.path());
            QVERIFY(!window.surface().blanksVisible());
            QCOMPARE(window.surface().edgeColumn(), 0);
            QAction *blanks = CommandTable::findCommand(&window, "mnuViewBlanks");
            blanks->trigger();
            QVERIFY(window.surface().blanksVisible());
            QVERIFY(blanks->isChecked());

            prompter->inputAnswers << QStringLiteral("eighty") << QStringLiteral("80");
            prompter->answers << QMessageBox::Ok;
            CommandTable::findCommand(&window, "mnuViewEdgeLine")->trigger();
            QCOMPARE(prompter->asked.size(), 1);
            QCOMPARE(prompter->asked[0].text, QStringLiteral("Enter a column number from 0 to 1000."));
            QCOMPARE(window.surface().edgeColumn(), 80);
            QVERIFY(!window.SaveMySettings());
        }
        frmMain again(app.path());
        QVERIFY(again.surface().blanksVisible());
        QCOMPARE(again.surface().edgeColumn(), 80);
        QVERIFY(CommandTable::findCommand(&again, "mnuViewBlanks")->isChecked());
    }
};

QTEST_MAIN(TestTransformCommands)
#include "tst_transformcommands.moc"
