#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct Settings;

// Page setup: the four margins in twips.
class frmPrintDlg : public QDialog {
    Q_OBJECT
public:
    frmPrintDlg(Settings &settings, QWidget *owner);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLineEdit *txtLeft;
    QLineEdit *txtTop;
    QLineEdit *txtRight;
    QLineEdit *txtBottom;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ok();

    Settings &m_settings;
};
