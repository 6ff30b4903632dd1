#pragma once

#include "CommandTable.h"

#include <QByteArray>
#include <QHash>
#include <QObject>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QWidget;

// Runs the command table for one window. Menu actions are greyed from the document's state each
// time it changes (and when a menu opens); keys live on window-wide key actions that stay enabled,
// so a key never dies because a menu once showed its item greyed.
class CommandController : public QObject {
    Q_OBJECT
public:
    using StateSource = std::function<CommandState()>;

    // The window holds the menu actions built by CommandTable::buildMenuBar.
    CommandController(QWidget *window, StateSource state);

    // Connects a command to its handler and enables it; its menu action, nullptr without one.
    QAction *wire(const char *name, std::function<void()> handler);
    // Runs a command as its key does: false when it has no handler or its rule forbids it now.
    bool runByKey(const QByteArray &name);
    // Re-reads the state and sets every rule-bound menu action now.
    void refresh();
    // Many state changes in one event-loop turn make one refresh.
    void scheduleRefresh();
    // Called after every command, from the menu or a key (the window gives the editor the focus).
    void setAfterCommand(std::function<void()> after) { m_after = std::move(after); }

    // Names wired to a handler that the command table has no row for, and rows nobody wired: each
    // is a command that silently does nothing.
    QStringList wiredWithoutRow() const;
    QStringList rowsWithoutHandler() const;

    // Every key a command owns, so the editing widget can drop its own binding of it.
    static QList<QKeySequence> commandKeys();

private:
    void run(const QByteArray &name);

    QWidget *m_window;
    StateSource m_state;
    std::function<void()> m_after;
    QHash<QByteArray, std::function<void()>> m_handlers;
    std::vector<std::pair<QAction *, const CommandInfo *>> m_rules;
    bool m_refreshPending = false;
    // The state the rule-bound actions show; most keys change nothing a rule reads.
    std::optional<CommandState> m_applied;
};
