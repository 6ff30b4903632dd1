#include "SearchDialogParts.h"

namespace SearchDialogParts {

void setUpToolWindow(QDialog *dialog, const QString &name, const QString &title, bool alwaysOnTop)
{
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(false);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, alwaysOnTop);
}

QComboBox *historyBox(QWidget *parent, const char *name)
{
    auto *box = make<QComboBox>(parent, name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(28);
    box->setCompleter(nullptr);
    return box;
}

} // namespace SearchDialogParts
