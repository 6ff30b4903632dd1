#pragma once

#include "ReplaceEngine.h"
#include "SearchDialogBase.h"

class QComboBox;
class QPushButton;
class SearchWindows;

// The modeless replace dialog; it stays open so occurrence after occurrence can be replaced.
class frmReplace : public SearchDialogBase {
    Q_OBJECT
public:
    explicit frmReplace(SearchWindows &windows, QWidget *owner);

    QComboBox *cboReplace;
    QPushButton *cmdReplace;
    QPushButton *cmdReplaceAll;

private:
    void findNext();
    // The one occurrence found, or all of them.
    void replace(bool all);
    ReplaceRequest request() const;
};
