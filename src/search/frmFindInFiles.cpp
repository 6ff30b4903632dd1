#include "frmFindInFiles.h"

#include "EditorSurface.h"
#include "FileResultsModel.h"
#include "Prompter.h"
#include "SearchDialogParts.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"
#include "TextCodec.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

using SearchDialogParts::make;

namespace {

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 2) + QStringLiteral(" s");
}

QString counts(qint64 lines, qint64 files)
{
    return QStringLiteral("%1 matching line%2 in %3 file%4")
        .arg(lines)
        .arg(lines == 1 ? "" : "s")
        .arg(files)
        .arg(files == 1 ? "" : "s");
}

} // namespace

frmFindInFiles::frmFindInFiles(SearchWindows &windows, QWidget *owner)
    : QDialog(owner)
    , m_windows(windows)
    , m_search(new FileSearch(this))
    , m_model(new FileResultsModel(this))
{
    SearchHost &host = windows.host();
    SearchDialogParts::setUpToolWindow(this, QStringLiteral("frmFindInFiles"), QStringLiteral("Find in Files"),
                                       host.settings().AlwaysOnTop);
    auto *findLabel = make<QLabel>(this, "lblFind", QStringLiteral("&Find :"));
    cboFind = SearchDialogParts::historyBox(this, "cboFind");
    cboFind->addItems(windows.engine().histories().LoadHistory(HistoryLists::SearchStrings));
    findLabel->setBuddy(cboFind);
    auto *folderLabel = make<QLabel>(this, "lblFolder", QStringLiteral("F&older :"));
    txtFolder = make<QLineEdit>(this, "txtFolder");
    folderLabel->setBuddy(txtFolder);
    cmdBrowse = make<QPushButton>(this, "cmdBrowse", QStringLiteral("..."));
    auto *filesLabel = make<QLabel>(this, "lblFiles", QStringLiteral("File&s :"));
    txtFiles = make<QLineEdit>(this, "txtFiles");
    txtFiles->setText(QStringLiteral("*"));
    txtFiles->setToolTip(QStringLiteral("Patterns separated by \";\", such as *.c;*.h"));
    filesLabel->setBuddy(txtFiles);
    chkMatchCase = make<QCheckBox>(this, "chkMatchCase", QStringLiteral("Match &Case"));
    chkRegExp = make<QCheckBox>(this, "chkRegExp", QStringLiteral("&Regular Expression"));
    chkSkipHidden = make<QCheckBox>(this, "chkSkipHidden", QStringLiteral("Skip &hidden folders"));
    chkSkipBinary = make<QCheckBox>(this, "chkSkipBinary", QStringLiteral("Skip &binary files"));
    chkGitignore = make<QCheckBox>(this, "chkGitignore", QStringLiteral("Skip what .&gitignore excludes"));
    for (QCheckBox *box : {chkSkipHidden, chkSkipBinary, chkGitignore})
        box->setChecked(true);
    cmdSearch = make<QPushButton>(this, "cmdSearch", QStringLiteral("&Search"));
    cmdStop = make<QPushButton>(this, "cmdStop", QStringLiteral("S&top"));
    cmdClose = make<QPushButton>(this, "cmdClose", QStringLiteral("Close"));
    // Enter belongs to the find box and the list, never to a default button.
    for (QPushButton *button : {cmdBrowse, cmdSearch, cmdStop, cmdClose})
        button->setAutoDefault(false);
    lstResults = make<QListView>(this, "lstResults");
    lstResults->setModel(m_model);
    lstResults->setItemDelegate(new FileResultDelegate(lstResults));
    lstResults->setUniformItemSizes(true);
    lstResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblInfo = make<QLabel>(this, "lblInfo", QString());

    auto *grid = new QGridLayout;
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(cboFind, 0, 1, 1, 2);
    grid->addWidget(folderLabel, 1, 0);
    grid->addWidget(txtFolder, 1, 1);
    grid->addWidget(cmdBrowse, 1, 2);
    grid->addWidget(filesLabel, 2, 0);
    grid->addWidget(txtFiles, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto *checks = new QGridLayout;
    checks->addWidget(chkMatchCase, 0, 0);
    checks->addWidget(chkRegExp, 1, 0);
    checks->addWidget(chkSkipHidden, 0, 1);
    checks->addWidget(chkSkipBinary, 1, 1);
    checks->addWidget(chkGitignore, 2, 1);
    grid->addLayout(checks, 3, 0, 1, 3);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdStop);
    buttons->addWidget(cmdClose);
    buttons->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lstResults, 1);
    layout->addWidget(lblInfo);
    resize(760, 520);

    // The selection when it is one line, else the last search; the document's folder.
    EditorSurface &surface = host.surface();
    const QString selected = surface.selLength() > 0 ? surface.selText() : QString();
    const bool oneLine = !selected.contains(QLatin1Char('\n')) && !selected.contains(QLatin1Char('\r'));
    cboFind->setEditText(!selected.isEmpty() && oneLine ? selected : windows.engine().state().SearchText);
    const QString document = host.documentPath();
    txtFolder->setText(document.contains(QLatin1Char('/')) ? FolderOf(document) : QDir::currentPath());
    chkMatchCase->setChecked(windows.engine().state().MatchCase);
    chkRegExp->setChecked(host.settings().RegExpSearch);

    connect(cboFind->lineEdit(), &QLineEdit::returnPressed, this, &frmFindInFiles::startSearch);
    connect(cboFind, &QComboBox::editTextChanged, this, &frmFindInFiles::updateButtons);
    connect(cmdSearch, &QPushButton::clicked, this, &frmFindInFiles::startSearch);
    connect(cmdStop, &QPushButton::clicked, m_search, &FileSearch::stop);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdBrowse, &QPushButton::clicked, this, [this] {
        const QString folder = Prompter::instance().pickFolder(this, QStringLiteral("Find in Files"), txtFolder->text());
        if (!folder.isEmpty())
            txtFolder->setText(folder);
    });
    connect(lstResults, &QListView::activated, this, &frmFindInFiles::openResult);
    connect(m_search, &FileSearch::found, this, [this](const QList<FileHits> &batch) {
        for (const FileHits &file : batch)
            m_lines += file.lines.size();
        m_files += batch.size();
        m_model->append(batch);
        showProgress();
    });
    connect(m_search, &FileSearch::finished, this, &frmFindInFiles::searchFinished);
    updateButtons();
}

void frmFindInFiles::updateButtons()
{
    const bool running = m_search->isRunning();
    cmdSearch->setEnabled(!running && !cboFind->currentText().isEmpty());
    cmdStop->setEnabled(running);
}

void frmFindInFiles::startSearch()
{
    if (m_search->isRunning() || cboFind->currentText().isEmpty())
        return;
    FileSearchOptions options;
    options.query = FileQuery{cboFind->currentText(), chkRegExp->isChecked(), chkMatchCase->isChecked()};
    options.folder = QDir::cleanPath(txtFolder->text().trimmed());
    options.patterns = txtFiles->text();
    options.skipHidden = chkSkipHidden->isChecked();
    options.skipBinary = chkSkipBinary->isChecked();
    options.useGitignore = chkGitignore->isChecked();
    m_windows.setRegExpSearch(chkRegExp->isChecked());
    m_windows.engine().addSearchHistory(options.query.text, false);
    m_lines = m_files = 0;
    m_model->reset(options.folder);
    if (const auto error = m_search->start(options)) {
        lblInfo->setText(*error);
        updateButtons();
        return;
    }
    lblInfo->setText(QStringLiteral("Searching..."));
    updateButtons();
}

void frmFindInFiles::showProgress()
{
    lblInfo->setText(QStringLiteral("Searching... ") + counts(m_lines, m_files));
}

void frmFindInFiles::searchFinished(const FileSearchSummary &summary)
{
    QString text = counts(summary.stopped ? m_lines : summary.matchingLines, summary.stopped ? m_files : summary.matchingFiles);
    text += QStringLiteral(" (%1 files searched) in %2").arg(summary.filesSearched).arg(seconds(summary.elapsedMs));
    if (summary.unreadable > 0)
        text += QStringLiteral("; %1 could not be read").arg(summary.unreadable);
    if (summary.tooLarge > 0)
        text += QStringLiteral("; %1 too large for this search").arg(summary.tooLarge);
    if (m_model->truncated())
        text += QStringLiteral("; the list shows the first %1 lines").arg(FileResultsModel::MaxListedLines);
    lblInfo->setText(summary.stopped ? QStringLiteral("Stopped: ") + text : text);
    updateButtons();
}

void frmFindInFiles::openResult(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QString path = index.data(FileResultsModel::PathRole).toString();
    m_windows.openFileAt(path, Launcher::Position{index.data(FileResultsModel::LineRole).toInt(),
                                                  index.data(FileResultsModel::ColumnRole).toInt()});
}
