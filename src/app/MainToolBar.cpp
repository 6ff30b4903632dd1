#include "MainToolBar.h"

#include "CommandTable.h"
#include "FlatButton.h"

#include <QAction>
#include <QMainWindow>
#include <QToolBar>

namespace MainToolBar {

QToolBar *build(QMainWindow *window, const QString &appFolder, const std::function<void(const QString &)> &showHint,
                const std::function<void()> &afterClick)
{
    QToolBar *toolBar = window->addToolBar(QStringLiteral("Tool Bar"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->toggleViewAction()->setVisible(false);
    const QStringList separatedAfter{QStringLiteral("cmdSave"), QStringLiteral("cmdPaste"), QStringLiteral("cmdRedo"),
                                     QStringLiteral("cmdReplace")};
    for (const ToolButtonInfo &info : CommandTable::toolButtons()) {
        auto *button = new FlatButton(toolBar);
        button->setObjectName(QLatin1String(info.objectName));
        button->setCaption(QString());
        button->setPicAlign(3);
        button->setButtonStyle(1);
        button->setPicture(CommandTable::toolIcon(info, appFolder).pixmap(16, 16));
        button->setToolTip(info.tip);
        QAction *action = CommandTable::findCommand(window, info.command);
        button->setEnabled(action && action->isEnabled());
        if (action) {
            QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
            QObject::connect(button, &FlatButton::Click, action, [action, afterClick] {
                action->trigger();
                afterClick();
            });
        }
        const QString tip = info.tip;
        QObject::connect(button, &FlatButton::MouseOver, toolBar, [showHint, tip] { showHint(tip); });
        toolBar->addWidget(button);
        if (separatedAfter.contains(button->objectName())) {
            auto *separator = new FlatButton(toolBar);
            separator->setButtonType(9);
            toolBar->addWidget(separator);
        }
    }
    return toolBar;
}

} // namespace MainToolBar
