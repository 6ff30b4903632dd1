#include "CommandController.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QWidget>

CommandController::CommandController(QWidget *window, StateSource state)
    : QObject(window)
    , m_window(window)
    , m_state(std::move(state))
{
    for (const CommandInfo &info : CommandTable::commands()) {
        const QList<QKeySequence> keys = info.keys();
        if (info.keyShownOnly || keys.isEmpty())
            continue;
        auto *key = new QAction(window);
        key->setObjectName(QLatin1String(info.objectName) + QStringLiteral("Key"));
        key->setShortcuts(keys);
        key->setShortcutContext(Qt::WindowShortcut);
        window->addAction(key);
        const QByteArray name(info.objectName);
        connect(key, &QAction::triggered, this, [this, name] { runByKey(name); });
    }
    for (QMenu *menu : window->findChildren<QMenu *>())
        connect(menu, &QMenu::aboutToShow, this, &CommandController::refresh);
}

QAction *CommandController::wire(const char *name, std::function<void()> handler)
{
    QAction *action = CommandTable::findCommand(m_window, name);
    const QByteArray key(name);
    m_handlers.insert(key, std::move(handler));
    if (!action)
        return nullptr;
    if (const CommandInfo *info = CommandTable::commandInfo(name); info && (info->enable != Enable::Always || info->changesText))
        m_rules.push_back({action, info});
    connect(action, &QAction::triggered, this, [this, key] { run(key); });
    action->setEnabled(true);
    m_applied.reset();
    scheduleRefresh();
    return action;
}

bool CommandController::runByKey(const QByteArray &name)
{
    const CommandInfo *info = CommandTable::commandInfo(name.constData());
    if (!info || !m_handlers.contains(name) || !CommandTable::keyRuns(*info, m_state()))
        return false;
    run(name);
    return true;
}

void CommandController::run(const QByteArray &name)
{
    // Copied: a handler may rewire commands while it runs.
    const std::function<void()> handler = m_handlers.value(name);
    if (!handler)
        return;
    handler();
    if (m_after)
        m_after();
    scheduleRefresh();
}

void CommandController::refresh()
{
    m_refreshPending = false;
    const CommandState state = m_state();
    if (m_applied == state)
        return;
    m_applied = state;
    for (const auto &[action, info] : m_rules)
        action->setEnabled(CommandTable::isEnabled(*info, state));
}

void CommandController::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_refreshPending)
            refresh();
    });
}

QList<QKeySequence> CommandController::commandKeys()
{
    QList<QKeySequence> keys;
    for (const CommandInfo &info : CommandTable::commands()) {
        if (!info.keyShownOnly)
            keys += info.keys();
    }
    return keys;
}

QStringList CommandController::wiredWithoutRow() const
{
    QStringList names;
    for (auto it = m_handlers.cbegin(); it != m_handlers.cend(); ++it) {
        if (!CommandTable::commandInfo(it.key().constData()))
            names << QString::fromLatin1(it.key());
    }
    names.sort();
    return names;
}

QStringList CommandController::rowsWithoutHandler() const
{
    QStringList names;
    for (const CommandInfo &info : CommandTable::commands()) {
        if (!m_handlers.contains(QByteArray(info.objectName)))
            names << QString::fromLatin1(info.objectName);
    }
    return names;
}
