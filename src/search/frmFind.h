#pragma once

#include "SearchDialogBase.h"

class QCheckBox;
class QPushButton;
class SearchWindows;

// The modeless find dialog.
class frmFind : public SearchDialogBase {
    Q_OBJECT
public:
    explicit frmFind(SearchWindows &windows, QWidget *owner);

    QCheckBox *chkListLines;
    QPushButton *cmdCountAll;

private:
    void findNext();
    void countAll();
};
