#pragma once

#include "SymbolScanner.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class SearchWindows;

// Go to Symbol: the document's functions, classes and sections; typing filters the list, Enter or a
// double click goes to the chosen one.
class frmSymbols : public QDialog {
    Q_OBJECT
public:
    frmSymbols(SearchWindows &windows, QList<Symbol> symbols, QWidget *owner);

    QLineEdit *txtFilter;
    QListWidget *lstSymbols;
    QLabel *lblInfo;

    void goToChosen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyFilter();

    SearchWindows &m_windows;
    QList<Symbol> m_symbols;
};
