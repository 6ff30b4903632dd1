#include "SearchDialogParts.h"

namespace SearchDialogParts {

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
