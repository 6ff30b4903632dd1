#include "CommandTable.h"
#include "TestSupport.h"

#include <QAction>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QtTest>

using namespace CommandTable;

namespace {

QString name(const char *s)
{
    return QString::fromLatin1(s);
}

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
    void namesAreUnique();
    void keysAreUnique();
    void everyItemHasItsMenu();
    void toolButtons_data();
    void toolButtons();
    void captionsAndKeys_data();
    void captionsAndKeys();
    void builtActionsStartDisabled();
    void submenusSitAmongTheirItems();
    void keysOfTheEditorAreOnlyShown();
    void iconsHaveFallbacks();
};

void TestCommandTable::namesAreUnique()
{
    QSet<QString> names;
    for (const MenuInfo &menu : menus()) {
        QVERIFY2(!names.contains(name(menu.objectName)), menu.objectName);
        names.insert(name(menu.objectName));
    }
    for (const CommandInfo &command : commands()) {
        QVERIFY2(!names.contains(name(command.objectName)), command.objectName);
        names.insert(name(command.objectName));
    }
    for (int i = 0; i < TemplateCount; ++i)
        QVERIFY(names.contains(templateItemName(i)));
    for (int n = 1; n <= RecentFileCount; ++n)
        QVERIFY(names.contains(QStringLiteral("mnuFile%1").arg(n)));
}

void TestCommandTable::keysAreUnique()
{
    // A key may open one menu or run one command, never two things at once.
    QHash<QKeySequence, QString> owner;
    const auto claim = [&owner](const QKeySequence &key, const QString &who) {
        if (key.isEmpty())
            return true;
        if (key.count() != 1 || key[0].key() == Qt::Key_unknown || owner.contains(key)) {
            qWarning() << key << "of" << who << "clashes with" << owner.value(key);
            return false;
        }
        owner.insert(key, who);
        return true;
    };
    for (const MenuInfo &menu : menus()) {
        if (!menu.parent)
            QVERIFY(claim(mnemonicKey(menu.caption), name(menu.objectName)));
    }
    for (const CommandInfo &command : commands()) {
        QVERIFY(claim(command.shortcut, name(command.objectName)));
        QVERIFY(claim(command.alternateShortcut, name(command.objectName)));
    }
}

void TestCommandTable::everyItemHasItsMenu()
{
    QSet<QString> declared;
    for (const MenuInfo &menu : menus()) {
        QVERIFY2(!menu.parent || declared.contains(name(menu.parent)), menu.objectName);
        if (menu.before) {
            const CommandInfo *next = commandInfo(menu.before);
            QVERIFY2(next && name(next->menu) == name(menu.parent), menu.objectName);
        }
        declared.insert(name(menu.objectName));
    }
    for (const CommandInfo &command : commands())
        QVERIFY2(declared.contains(name(command.menu)), command.objectName);
}

void TestCommandTable::toolButtons_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("icon");
    QTest::newRow("cmdNew") << "mnuFileNew" << "New Document (Ctrl+N)" << "document-new";
    QTest::newRow("cmdOpen") << "mnuFileOpen" << "Open an Existing File (Ctrl+O)" << "document-open";
    QTest::newRow("cmdSave") << "mnuFileSave" << "Save File (Ctrl+S)" << "document-save";
    QTest::newRow("cmdCut") << "mnuEditCut" << "Remove Selected Text and put it to Clipboard (Ctrl+X)" << "edit-cut";
    QTest::newRow("cmdCopy") << "mnuEditCopy" << "Copy Selected Text to Clipboard (Ctrl+C)" << "edit-copy";
    QTest::newRow("cmdPaste") << "mnuEditPaste" << "Insert Text from Clipboard (Ctrl+V)" << "edit-paste";
    QTest::newRow("cmdUndo") << "mnuEditUndo" << "Undo (Ctrl+Z)" << "edit-undo";
    QTest::newRow("cmdRedo") << "mnuEditRedo" << "Redo (Ctrl+Shift+Z)" << "edit-redo";
    QTest::newRow("cmdFind") << "mnuSearchFind" << "Search for a String (Ctrl+F)" << "edit-find";
    QTest::newRow("cmdReplace") << "mnuSearchReplace" << "Search and Replace (Ctrl+R)" << "edit-find-replace";
    QTest::newRow("cmdOptions") << "mnuFormatOptions" << "Adjust the Look and Feel of Orvane" << "preferences-system";
    QTest::newRow("cmdHelp") << "mnuHelpIndex" << "Help Contents (F1)" << "help-contents";
}

void TestCommandTable::toolButtons()
{
    QFETCH(QString, command);
    QFETCH(QString, tip);
    QFETCH(QString, icon);
    QCOMPARE(CommandTable::toolButtons().size(), size_t(12));
    const auto button = std::find_if(CommandTable::toolButtons().begin(), CommandTable::toolButtons().end(), [](const ToolButtonInfo &b) {
        return name(b.objectName) == QLatin1String(QTest::currentDataTag());
    });
    QVERIFY(button != CommandTable::toolButtons().end());
    QCOMPARE(name(button->command), command);
    QCOMPARE(button->tip, tip);
    QCOMPARE(button->iconThemeName, icon);
    // The key the tip promises is the key of the command.
    const CommandInfo *info = commandInfo(button->command);
    QVERIFY(info);
    const qsizetype open = tip.lastIndexOf(QLatin1Char('('));
    if (tip.endsWith(QLatin1Char(')')) && open > 0)
        QCOMPARE(info->shortcut, QKeySequence(tip.mid(open + 1, tip.size() - open - 2)));
}

void TestCommandTable::captionsAndKeys_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("key");
    QTest::newRow("previous bookmark keeps its two blanks")
        << "mnuSearchPreviousBookmark" << "Pr&evious  Bookmark" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F2);
    QTest::newRow("upper case key moved out of the caption")
        << "mnuFormatToUpperCase" << "T&o Upper Case" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5);
    QTest::newRow("start tag on the comma key") << "mnuInsertStartTag" << "&Start Tag" << QKeySequence(Qt::CTRL | Qt::Key_Comma);
    QTest::newRow("end tag on the period key") << "mnuInsertEndTag" << "&End Tag" << QKeySequence(Qt::CTRL | Qt::Key_Period);
    QTest::newRow("font plus") << "mnuInsertFontPlus" << "Font Size &+ 1" << QKeySequence(Qt::CTRL | Qt::Key_Plus);
    QTest::newRow("non-breaking space")
        << "mnuInsertNBSP" << "&Non-breaking Space" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Space);
    QTest::newRow("tenth template on Alt+0") << "mnuInsertTemplates1_9" << "" << QKeySequence(Qt::ALT | Qt::Key_0);
    QTest::newRow("crop from the key handler") << "mnuEditCrop" << "Cr&op" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y);
    QTest::newRow("no key given") << "mnuSearchClearAllBookmarks" << "Clear All B&ookmarks" << QKeySequence();
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
    QCOMPARE(action->shortcut(), key);
}

void TestCommandTable::builtActionsStartDisabled()
{
    QMainWindow window;
    buildMenuBar(window.menuBar(), &window);
    for (const CommandInfo &info : commands()) {
        QAction *action = findCommand(&window, info.objectName);
        QVERIFY2(action, info.objectName);
        QVERIFY2(!action->isEnabled(), info.objectName);
        QCOMPARE(action->isCheckable(), info.checkable);
        auto *menu = window.findChild<QMenu *>(name(info.menu));
        QVERIFY2(menu && menu->actions().contains(action), info.objectName);
    }
    QStringList topLevel;
    for (QAction *entry : window.menuBar()->actions())
        topLevel << entry->menu()->objectName();
    QCOMPARE(topLevel, QStringList({"mnuFile", "mnuEdit", "mnuSearch", "mnuFormat", "mnuInsert", "mnuTools",
                                    "mnuProgramming", "mnuHelp"}));
    QVERIFY(!findCommand(&window, "mnuNoSuchCommand"));
    QVERIFY(!findCommand(nullptr, "mnuFileNew"));
}

void TestCommandTable::submenusSitAmongTheirItems()
{
    QMainWindow window;
    buildMenuBar(window.menuBar(), &window);
    const auto indexIn = [&window](const char *menu, QAction *entry) {
        return window.findChild<QMenu *>(name(menu))->actions().indexOf(entry);
    };
    const auto submenu = [&window](const char *menu) { return window.findChild<QMenu *>(name(menu))->menuAction(); };
    const qsizetype conv = indexIn("mnuFile", submenu("mnuFileConv"));
    QVERIFY(conv > indexIn("mnuFile", findCommand(&window, "mnuFileClose")));
    QVERIFY(conv < indexIn("mnuFile", findCommand(&window, "mnuFilePageSetup")));
    QVERIFY(window.findChild<QMenu *>("mnuFile")->actions().at(conv - 1)->isSeparator());
    QVERIFY(window.findChild<QMenu *>("mnuFile")->actions().at(conv + 1)->isSeparator());
    QCOMPARE(indexIn("mnuInsert", submenu("mnuInsertHTML")), 0);
    QCOMPARE(window.findChild<QMenu *>("mnuInsert")->actions().last(), submenu("mnuInsertTemplates"));
}

void TestCommandTable::keysOfTheEditorAreOnlyShown()
{
    // Binding Tab to a menu action would stop Tab from reaching the editor.
    QMainWindow window;
    buildMenuBar(window.menuBar(), &window);
    QAction *indent = findCommand(&window, "mnuFormatAddIndent");
    QVERIFY(indent->shortcut().isEmpty());
    QCOMPARE(indent->text(), QStringLiteral("Add &Indents\tTab"));
    QVERIFY(findCommand(&window, "mnuSyntaxFunctionList")->shortcut().isEmpty());
    QCOMPARE(findCommand(&window, "mnuInsertFontPlus")->shortcuts().size(), 2);
}

void TestCommandTable::iconsHaveFallbacks()
{
    const QString data = TestSupport::sourceDir() + QStringLiteral("/data");
    for (const ToolButtonInfo &button : CommandTable::toolButtons()) {
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
