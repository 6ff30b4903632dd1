#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

// The ASCII table: codes 1 to 255 with their values and names; inserts the chosen character.
class frmASCIITable : public QDialog {
    Q_OBJECT
public:
    explicit frmASCIITable(QWidget *owner);

    QListWidget *lstTable;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QPushButton *cmdInsertChar;
    QPushButton *cmdClose;

signals:
    // The user chose a row: text is the character to insert.
    void insertRequested(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void insertChosen();
};
