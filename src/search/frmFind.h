#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class SearchWindows;

// The modeless find dialog.
class frmFind : public QDialog {
    Q_OBJECT
public:
    explicit frmFind(SearchWindows &windows, QWidget *owner);

    QComboBox *cboFind;
    QCheckBox *chkMatchCase;
    QCheckBox *chkRegExp;
    QCheckBox *chkListLines;
    QRadioButton *optUp;
    QRadioButton *optDown;
    QPushButton *cmdFindNext;
    QPushButton *cmdCountAll;
    QPushButton *cmdCancel;
    QLabel *lblInfo;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void findTextChanged();
    void findNext();
    void countAll();
    void focusFindBox();

    SearchWindows &m_windows;
    bool m_historyAdded = false;
};
