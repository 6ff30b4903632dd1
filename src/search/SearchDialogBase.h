#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class SearchWindows;

// What the find and replace windows share: a modeless window whose find box takes the focus
// whenever the window does, and which hands the regular-expression choice back when it closes.
class SearchDialogBase : public QDialog {
    Q_OBJECT
public:
    QComboBox *cboFind = nullptr;
    QCheckBox *chkMatchCase = nullptr;
    QCheckBox *chkRegExp = nullptr;
    QRadioButton *optUp = nullptr;
    QRadioButton *optDown = nullptr;
    QPushButton *cmdFindNext = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *lblInfo = nullptr;

protected:
    SearchDialogBase(SearchWindows &windows, QWidget *owner, const QString &name, const QString &title);

    // The direction frame holding optUp and optDown, downward chosen.
    QGroupBox *makeDirectionFrame();
    // Called once the controls exist: fills them from the last search and the selection, and wires
    // the ones every search window has. needFindText stay disabled while the find box is empty.
    void finishSetup(QList<QPushButton *> needFindText);
    void focusFindBox();

    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

    SearchWindows &m_windows;
    bool m_historyAdded = false;

private:
    void findTextChanged();

    QList<QPushButton *> m_needFindText;
};
