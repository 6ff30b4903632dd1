#pragma once

#include "ReplaceEngine.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class SearchWindows;

// The modeless replace dialog; it stays open so occurrence after occurrence can be replaced.
class frmReplace : public QDialog {
    Q_OBJECT
public:
    explicit frmReplace(SearchWindows &windows, QWidget *owner);

    QComboBox *cboFind;
    QComboBox *cboReplace;
    QCheckBox *chkMatchCase;
    QCheckBox *chkRegExp;
    QRadioButton *optUp;
    QRadioButton *optDown;
    QPushButton *cmdFindNext;
    QPushButton *cmdReplace;
    QPushButton *cmdReplaceAll;
    QPushButton *cmdCancel;
    QLabel *lblInfo;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void findTextChanged();
    void findNext();
    void replace();
    void replaceAll();
    void focusFindBox();
    ReplaceRequest request() const;

    SearchWindows &m_windows;
    bool m_historyAdded = false;
};
