#include "CommandController.h"
#include "CommandTable.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QAction>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace CommandTable;

namespace {

QString name(const char *s) { return QString::fromLatin1(s); }

// Alt plus the mnemonic letter of a caption, or an empty sequence.
QKeySequence mnemonicKey(const QString &caption)
{
    const qsizetype at = caption.indexOf(QLatin1Char('&'));
    if (at < 0 || at + 1 >= caption.size())
        return {};
    return QKeySequence(QStringLiteral("Alt+") + caption.at(at + 1).toUpper());
}

} // namespace

class TestCommandTable : public QObject {
    Q_OBJECT

private slots:
    void namesAreUniqueAndMenusDeclared();
    void keysAreUnique();
    void captionsAndKeys_data();
    void captionsAndKeys();
    void toolButtonsMatchTheirCommands();
    void everyRowHasAHandlerAndEveryHandlerARow();
    void textCommandsOffTogetherWhileTextIsLocked();
};

// A handler wired under a name the table lacks, or a row nobody wired, is a command that does nothing.
void TestCommandTable::everyRowHasAHandlerAndEveryHandlerARow()
{
    QTemporaryDir app;
    TestSupport::PrompterGuard prompter;
    frmMain window(app.path());
    QCOMPARE(window.commands().wiredWithoutRow(), QStringList());
    QCOMPARE(window.commands().rowsWithoutHandler(), QStringList());
}

void TestCommandTable::textCommandsOffTogetherWhileTextIsLocked()
{
    CommandState state;
    state.selection = true;
    state.clipboardText = true;
    int changing = 0;
    for (const CommandInfo &info : commands()) {
        if (!isEnabled(info, state))
            continue;
        state.textLocked = true;
        QCOMPARE(isEnabled(info, state), !info.changesText);
        QCOMPARE(keyRuns(info, state), !info.changesText && (info.keyAlways || isEnabled(info.enable, state)));
        state.textLocked = false;
        changing += info.changesText;
    }
    QVERIFY(changing > 40);
    QVERIFY(commandInfo("mnuEditPaste")->changesText);
    QVERIFY(!commandInfo("mnuFileSaveAs")->changesText);
}

void TestCommandTable::namesAreUniqueAndMenusDeclared()
{
    QSet<QString> names;
    for (const MenuInfo &menu : menus()) {
        QVERIFY2(!names.contains(name(menu.objectName)), menu.objectName);
        QVERIFY2(!menu.parent || names.contains(name(menu.parent)), menu.objectName);
        if (menu.before) {
            const CommandInfo *next = commandInfo(menu.before);
            QVERIFY2(next && name(next->menu) == name(menu.parent), menu.objectName);
        }
        names.insert(name(menu.objectName));
    }
    for (const CommandInfo &command : commands()) {
        QVERIFY2(!names.contains(name(command.objectName)), command.objectName);
        QVERIFY2(names.contains(name(command.menu)), command.objectName);
        names.insert(name(command.objectName));
    }
}

void TestCommandTable::keysAreUnique()
{
    // A key may open one menu or run one command, never two things at once; the first key of a
    // chord ("Ctrl+K, Ctrl+0") is nothing on its own.
    QSet<QKeySequence> chordStarts;
    for (const CommandInfo &command : commands()) {
        for (const QKeySequence &key : command.keys()) {
            if (key.count() > 1)
                chordStarts.insert(QKeySequence(key[0]));
        }
    }
    QHash<QKeySequence, QString> owner;
    const auto claim = [&owner, &chordStarts](const QKeySequence &key, const char *who) {
        const bool clash = key.count() > 2 || key[0].key() == Qt::Key_unknown || owner.contains(key)
            || (key.count() == 1 && chordStarts.contains(key));
        if (!key.isEmpty() && !clash)
            owner.insert(key, name(who));
        return key.isEmpty() || !clash;
    };
    for (const MenuInfo &menu : menus())
        QVERIFY2(menu.parent || claim(mnemonicKey(menu.caption), menu.objectName), menu.objectName);
    for (const CommandInfo &command : commands()) {
        for (const QKeySequence &key : command.keys())
            QVERIFY2(claim(key, command.objectName), qPrintable(name(command.objectName) + u' ' + key.toString()));
    }
}

void TestCommandTable::captionsAndKeys_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("key");
    const auto shown = [](const char *caption, QKeySequence key) {
        return QString::fromUtf8(caption) + u'\t' + key.toString(QKeySequence::NativeText);
    };
    const QKeySequence previous(Qt::CTRL | Qt::SHIFT | Qt::Key_F2);
    QTest::newRow("previous bookmark keeps its two blanks")
        << "mnuSearchPreviousBookmark" << shown("Pr&evious  Bookmark", previous) << previous;
    QTest::newRow("tenth template on Alt+0") << "mnuInsertTemplates1_9" << shown("", Qt::ALT | Qt::Key_0)
                                             << QKeySequence(Qt::ALT | Qt::Key_0);
    // Binding Tab to a key action would stop Tab from reaching the editor.
    QTest::newRow("Tab is only shown") << "mnuFormatAddIndent" << "Add &Indents\tTab" << QKeySequence();
    const QKeySequence crop(Qt::CTRL | Qt::SHIFT | Qt::Key_Y);
    QTest::newRow("crop from the key handler") << "mnuEditCrop" << shown("Cr&op", crop) << crop;
}

void TestCommandTable::captionsAndKeys()
{
    QFETCH(QString, command);
    QFETCH(QString, text);
    QFETCH(QKeySequence, key);
    QMainWindow window;
    buildMenuBar(window.menuBar(), &window);
    QAction *action = findCommand(&window, command.toLatin1().constData());
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    // The menu item shows the key; the key itself is the window's (a greyed item must not take it).
    QVERIFY(action->shortcut().isEmpty());
    const CommandInfo *info = commandInfo(command.toLatin1().constData());
    QCOMPARE(info->keyShownOnly ? QKeySequence() : info->shortcut, key);
}

void TestCommandTable::toolButtonsMatchTheirCommands()
{
    const QString data = TestSupport::sourceDir() + QStringLiteral("/data");
    for (const ToolButtonInfo &button : CommandTable::toolButtons()) {
        // The key a tip promises is the key of the command.
        const CommandInfo *info = commandInfo(button.command);
        QVERIFY2(info, button.objectName);
        const qsizetype open = button.tip.lastIndexOf(QLatin1Char('('));
        if (button.tip.endsWith(QLatin1Char(')')) && open > 0)
            QCOMPARE(info->shortcut, QKeySequence(button.tip.mid(open + 1, button.tip.size() - open - 2)));
        // The shipped icons stand in when the theme has none.
        for (const auto &[suffix, size] : {std::pair{QStringLiteral(".png"), 16}, std::pair{QStringLiteral("@2x.png"), 32}}) {
            const QImage image(data + QStringLiteral("/icons/") + button.iconThemeName + suffix);
            QVERIFY2(!image.isNull(), button.objectName);
            QCOMPARE(image.size(), QSize(size, size));
        }
        QVERIFY2(!toolIcon(button, data).pixmap(16).isNull(), button.objectName);
    }
}

QTEST_MAIN(TestCommandTable)
#include "tst_commandtable.moc"
