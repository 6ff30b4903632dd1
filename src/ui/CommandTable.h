#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <vector>

class QAction;
class QMenuBar;
class QObject;
class QWidget;

// The one place where the main window's menus, commands and tool-bar buttons are declared.
// The window builds its menu bar from these tables and then connects each command by name.

struct MenuInfo {
    const char *objectName = nullptr;
    const char *parent;         // nullptr: a menu of the menu bar
    QString caption;
    const char *before = nullptr; // a submenu goes in front of this item of its parent; nullptr: at the end
    bool separatorBefore = false;
};

// When a command can act, as the document's state tells.
enum class Enable {
    Always,
    Selection,          // a non-empty selection
    Clipboard,          // the clipboard holds text
    CanUndo,
    CanRedo,
    Named,              // the document has a path (not "Untitled")
    FileOnDisk,         // the document's path exists on disk
    Revertible,         // on disk and changed since the last save
    Closable,           // named or changed
    SearchText,         // a search string to look for again
    Bookmarks,          // at least one bookmark
    SelectedLines,      // the selection holds a line break after its first character
    Highlighting,       // a language is active and colouring is on
    Language,           // a language is active
    KeywordList,        // the language has keywords to list
    LineComment,        // the language has a line-comment marker
    Comment,            // the language has a line-comment marker or a block-comment pair
};

// The document's state that the enabling rules read; filled by the window whenever it changes.
struct CommandState {
    bool selection = false;
    bool clipboardText = false;
    bool canUndo = false;
    bool canRedo = false;
    bool named = false;
    bool fileOnDisk = false;
    bool unsaved = false;
    bool searchText = false;
    bool bookmarks = false;
    bool selectedLines = false;
    bool highlighting = false;
    bool language = false;
    bool keywordList = false;
    bool lineComment = false;
    bool comment = false;
    // The text may not change now (a file is loading into the surface): every command whose row
    // says it changes text is off together.
    bool textLocked = false;

    bool operator==(const CommandState &) const = default;
};

struct CommandInfo {
    const char *objectName = nullptr;
    const char *menu = nullptr; // objectName of the menu that holds the item
    QString caption;            // empty for items whose caption is set at run time
    QKeySequence shortcut;
    bool changesText = false;   // so that every text-changing command can be switched off together
    bool checkable = false;
    bool separatorBefore = false;
    // The key belongs to the editor's own key handling (Tab, Ctrl+Space): the menu shows it,
    // but the action does not take it, or typing would stop working.
    bool keyShownOnly = false;
    QList<QKeySequence> alternateShortcuts; // further keys for the same command (keyboard layouts differ)
    Enable enable = Enable::Always;
    // The key runs the command whatever its rule says; the rule only greys the menu item. These are
    // the editor's own keys (clipboard, undo, the HTML tags…), whose commands cope with any state.
    bool keyAlways = false;
    // Every key of the command, the main one first.
    QList<QKeySequence> keys() const
    {
        QList<QKeySequence> all;
        if (!shortcut.isEmpty())
            all << shortcut;
        return all + alternateShortcuts;
    }
};

struct ToolButtonInfo {
    const char *objectName = nullptr;
    const char *command;        // the menu action the button runs
    QString tip;
    QString iconThemeName;      // freedesktop icon name; the shipped icons/<name>.png is the fallback
};

namespace CommandTable {

// Menus in menu-bar order, each submenu after its parent.
const std::vector<MenuInfo> &menus();
// Commands in menu order.
const std::vector<CommandInfo> &commands();
const std::vector<ToolButtonInfo> &toolButtons();

const CommandInfo *commandInfo(const char *objectName);

// Number of recent-file entries (mnuFile1 … mnuFile10) and template items of the Insert menu.
inline constexpr int RecentFileCount = 10;
inline constexpr int TemplateCount = 10;
// objectName of template item index (0 … 9) of the array mnuInsertTemplates1.
QString templateItemName(int index);

// The text an action shows: the caption and, after a tab, its key.
QString actionText(const CommandInfo &command);

bool isEnabled(Enable rule, const CommandState &state);
// The rule, and off while the text is locked when the command changes text.
bool isEnabled(const CommandInfo &command, const CommandState &state);
// Whether a key of the command may run it now.
bool keyRuns(const CommandInfo &command, const CommandState &state);

// Creates every menu (objectName set) and one action per command, parented to actionParent.
// Menu actions carry no shortcut: keys belong to the window's key actions (CommandController),
// so a greyed menu item never takes its key with it. All actions start disabled: the window
// enables each one when it connects its handler, so a command without one is never a silent no-op.
void buildMenuBar(QMenuBar *bar, QObject *actionParent);

// The action of a command built by buildMenuBar for this window; nullptr when there is none.
QAction *findCommand(QWidget *window, const char *name);

// The desktop theme's icon, or the shipped picture from appFolder/icons.
QIcon toolIcon(const ToolButtonInfo &button, const QString &appFolder);

} // namespace CommandTable
