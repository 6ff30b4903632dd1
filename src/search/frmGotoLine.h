#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class SearchWindows;

// The go-to-line dialog: line and column, with the line range of the document.
class frmGotoLine : public QDialog {
    Q_OBJECT
public:
    frmGotoLine(SearchWindows &windows, int currentLine, QWidget *owner);

    QLineEdit *txtLine;
    QLineEdit *txtColumn;
    QLabel *lblInfo;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ok();

    SearchWindows &m_windows;
    int m_line;
};
