#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: product name and version, the libraries it is built on, the licence.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // iconPath: the program's picture, left out when it cannot be read.
    frmAbout(const QString &iconPath, QWidget *owner);

    QLabel *lblTitle;
    QLabel *lblText;
    QPushButton *cmdOK;
};
