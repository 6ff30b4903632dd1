#pragma once

#include <QIcon>
#include <QKeySequence>
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
    QKeySequence alternateShortcut; // a second key for the same command (keyboard layouts differ)
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

const MenuInfo *menuInfo(const char *objectName);
const CommandInfo *commandInfo(const char *objectName);

// Number of recent-file entries (mnuFile1 … mnuFile10) and template items of the Insert menu.
inline constexpr int RecentFileCount = 10;
inline constexpr int TemplateCount = 10;
// objectName of template item index (0 … 9) of the array mnuInsertTemplates1.
QString templateItemName(int index);

// The text an action shows: the caption, plus the key after a tab when only shown.
QString actionText(const CommandInfo &command);

// Creates every menu (objectName set) and one action per command, parented to actionParent.
// All actions start disabled: the window enables each one when it connects its handler, so a
// command without one is never a silent no-op.
void buildMenuBar(QMenuBar *bar, QObject *actionParent);

// The action of a command built by buildMenuBar for this window; nullptr when there is none.
QAction *findCommand(QWidget *window, const char *name);

// The desktop theme's icon, or the shipped picture from appFolder/icons.
QIcon toolIcon(const ToolButtonInfo &button, const QString &appFolder);

} // namespace CommandTable
