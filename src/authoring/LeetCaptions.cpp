#include "LeetCaptions.h"

#include "Encoders.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace LeetCaptions {

namespace {

bool captioned(const QString &name)
{
    static const char *const prefixes[] = {"mnu", "lbl", "Lab", "chk", "Com", "cmd", "Fra", "opt"};
    for (const char *prefix : prefixes) {
        if (name.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

QString leet(const QString &caption)
{
    const qsizetype tab = caption.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return Encoders::ToL33t(caption);
    return Encoders::ToL33t(QStringView(caption).left(tab)) + caption.mid(tab);
}

} // namespace

void apply()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        QList<QObject *> objects = top->findChildren<QObject *>();
        objects.prepend(top);
        for (QObject *object : objects) {
            if (!captioned(object->objectName()))
                continue;
            if (auto *action = qobject_cast<QAction *>(object))
                action->setText(leet(action->text()));
            else if (auto *menu = qobject_cast<QMenu *>(object))
                menu->setTitle(leet(menu->title()));
            else if (auto *label = qobject_cast<QLabel *>(object))
                label->setText(leet(label->text()));
            else if (auto *button = qobject_cast<QAbstractButton *>(object))
                button->setText(leet(button->text()));
            else if (auto *frame = qobject_cast<QGroupBox *>(object))
                frame->setTitle(leet(frame->title()));
        }
    }
}

} // namespace LeetCaptions
