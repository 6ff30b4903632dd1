#include "frmReplace.h"

#include "SearchDialogParts.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"

#include <QLineEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

using SearchDialogParts::make;

frmReplace::frmReplace(SearchWindows &windows, QWidget *owner)
    : SearchDialogBase(windows, owner, QStringLiteral("frmReplace"), QStringLiteral("Replace"))
{
    auto *label1 = make<QLabel>(this, "Label1", QStringLiteral("&Find What :"));
    cboFind = SearchDialogParts::historyBox(this, "cboFind");
    label1->setBuddy(cboFind);
    auto *label2 = make<QLabel>(this, "Label2", QStringLiteral("&Replace With :"));
    cboReplace = SearchDialogParts::historyBox(this, "cboReplace");
    label2->setBuddy(cboReplace);
    // The boxes' own fields are what the keyboard lands in: they carry the labels too.
    cboFind->lineEdit()->setAccessibleName(QStringLiteral("Find What"));
    cboReplace->lineEdit()->setAccessibleName(QStringLiteral("Replace With"));
    chkMatchCase = make<QCheckBox>(this, "chkMatchCase", QStringLiteral("Match &Case"));
    chkRegExp = make<QCheckBox>(this, "chkRegExp", QStringLiteral("Regular E&xpression"));
    QGroupBox *frame = makeDirectionFrame();
    cmdFindNext = make<QPushButton>(this, "cmdFindNext", QStringLiteral("Find &Next"));
    cmdReplace = make<QPushButton>(this, "cmdReplace", QStringLiteral("R&eplace"));
    cmdReplaceAll = make<QPushButton>(this, "cmdReplaceAll", QStringLiteral("Replace &All"));
    cmdCancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("Cance&l"));
    cmdFindNext->setDefault(true);
    lblInfo = make<QLabel>(this, "lblInfo", QString());

    auto *grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(cboFind, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(cboReplace, 1, 1);
    auto *checks = new QVBoxLayout;
    checks->addWidget(chkMatchCase);
    checks->addWidget(chkRegExp);
    grid->addLayout(checks, 2, 0, 1, 2);
    grid->addWidget(frame, 3, 0, 1, 2);
    grid->addWidget(lblInfo, 4, 0, 1, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdFindNext);
    buttons->addWidget(cmdReplace);
    buttons->addWidget(cmdReplaceAll);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);

    cboReplace->addItems(windows.engine().histories().LoadHistory(HistoryLists::ReplaceStrings));
    cboReplace->setEditText(QString());
    finishSetup({cmdFindNext, cmdReplace, cmdReplaceAll});

    connect(cboReplace, &QComboBox::editTextChanged, this, [this] { m_historyAdded = false; });
    connect(cmdFindNext, &QPushButton::clicked, this, &frmReplace::findNext);
    connect(cmdReplace, &QPushButton::clicked, this, [this] { replace(false); });
    connect(cmdReplaceAll, &QPushButton::clicked, this, [this] { replace(true); });
}

ReplaceRequest frmReplace::request() const
{
    ReplaceRequest r;
    r.findText = cboFind->currentText();
    r.replacement = cboReplace->currentText();
    r.matchCase = chkMatchCase->isChecked();
    r.regExp = chkRegExp->isChecked();
    r.downward = optDown->isChecked();
    r.historyAdded = m_historyAdded;
    return r;
}

void frmReplace::findNext()
{
    const ReplaceRequest r = request();
    if (r.findText.isEmpty())
        return;
    FindEngine &engine = m_windows.engine();
    engine.state().MatchCase = r.matchCase;
    m_windows.host().settings().RegExpSearch = r.regExp;
    if (r.regExp) {
        lblInfo->setText(engine.FindRegExp(r.matchCase, r.findText, r.downward).info);
    } else {
        const FindOutcome outcome = engine.FindPlain(r.findText, r.matchCase, r.downward, m_historyAdded);
        m_historyAdded = outcome.historyAdded;
        lblInfo->setText(outcome.info);
    }
    m_windows.host().refreshStatusBar();
}

void frmReplace::replace(bool all)
{
    const ReplaceRequest r = request();
    if (r.findText.isEmpty())
        return;
    ReplaceEngine &replacer = m_windows.replacer();
    const FindOutcome outcome = all ? replacer.ReplaceAll(r) : replacer.Replace(r);
    m_historyAdded = outcome.historyAdded;
    lblInfo->setText(outcome.info);
    m_windows.host().refreshStatusBar();
}
