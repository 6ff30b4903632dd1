#pragma once

#include "FileSearch.h"

#include <QDialog>

class FileResultsModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class SearchWindows;

// The modeless Find in Files window: what to find, where, which files; the results stream into
// the list as they are found, and Enter or a double click opens one in its window at its place.
class frmFindInFiles : public QDialog {
    Q_OBJECT
public:
    frmFindInFiles(SearchWindows &windows, QWidget *owner);

    QComboBox *cboFind;
    QLineEdit *txtFolder;
    QPushButton *cmdBrowse;
    QLineEdit *txtFiles;
    QCheckBox *chkMatchCase;
    QCheckBox *chkRegExp;
    QCheckBox *chkSkipHidden;
    QCheckBox *chkSkipBinary;
    QCheckBox *chkGitignore;
    QPushButton *cmdSearch;
    QPushButton *cmdStop;
    QPushButton *cmdClose;
    QListView *lstResults;
    QLabel *lblInfo;

    FileSearch &search() { return *m_search; }
    FileResultsModel &results() { return *m_model; }

    void startSearch();
    void openResult(const QModelIndex &index);

private:
    void showProgress();
    void searchFinished(const FileSearchSummary &summary);
    void updateButtons();

    SearchWindows &m_windows;
    FileSearch *m_search;
    FileResultsModel *m_model;
    qint64 m_lines = 0;
    qint64 m_files = 0;
};
