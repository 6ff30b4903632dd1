#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <utility>

// Child widgets with their objectName, so tests and the program find them by name.
namespace NamedWidgets {

template <typename Widget, typename... Args>
Widget *make(QWidget *parent, const char *name, Args &&...args)
{
    auto *w = new Widget(std::forward<Args>(args)..., parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

inline QCheckBox *checkBox(const char *name, const QString &caption, QWidget *parent)
{
    return make<QCheckBox>(parent, name, caption);
}

// Never the dialog's default button: Enter in a field must not press it.
inline QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = make<QPushButton>(parent, name, caption);
    b->setAutoDefault(false);
    return b;
}

inline QLineEdit *lineEdit(const char *name, QWidget *parent)
{
    return make<QLineEdit>(parent, name);
}

} // namespace NamedWidgets
