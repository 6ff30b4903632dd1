#include "frmFind.h"

#include "EditorSurface.h"
#include "SearchDialogParts.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"

#include <QLineEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

using SearchDialogParts::make;

frmFind::frmFind(SearchWindows &windows, QWidget *owner)
    : SearchDialogBase(windows, owner, QStringLiteral("frmFind"), QStringLiteral("Find"))
{
    auto *label = make<QLabel>(this, "Label1", QStringLiteral("&Find :"));
    cboFind = SearchDialogParts::historyBox(this, "cboFind");
    label->setBuddy(cboFind);
    // The box's own field is what the keyboard lands in: it carries the label too.
    cboFind->lineEdit()->setAccessibleName(QStringLiteral("Find"));
    chkMatchCase = make<QCheckBox>(this, "chkMatchCase", QStringLiteral("Match &Case"));
    chkRegExp = make<QCheckBox>(this, "chkRegExp", QStringLiteral("&Regular Expression"));
    chkListLines = make<QCheckBox>(this, "chkListLines", QStringLiteral("&List Lines Containing String"));
    QGroupBox *frame = makeDirectionFrame();
    cmdFindNext = make<QPushButton>(this, "cmdFindNext", QStringLiteral("Find &Next"));
    cmdCountAll = make<QPushButton>(this, "cmdCountAll", QStringLiteral("Count &All"));
    cmdCancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"));
    cmdFindNext->setDefault(true);
    lblInfo = make<QLabel>(this, "lblInfo", QString());

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(cboFind, 0, 1);
    auto *checks = new QVBoxLayout;
    checks->addWidget(chkMatchCase);
    checks->addWidget(chkRegExp);
    checks->addWidget(chkListLines);
    grid->addLayout(checks, 1, 0, 1, 2);
    grid->addWidget(frame, 2, 0, 1, 2);
    grid->addWidget(lblInfo, 3, 0, 1, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdFindNext);
    buttons->addWidget(cmdCountAll);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 4, 1);

    finishSetup({cmdFindNext, cmdCountAll});

    connect(cmdFindNext, &QPushButton::clicked, this, &frmFind::findNext);
    connect(cmdCountAll, &QPushButton::clicked, this, &frmFind::countAll);
}

void frmFind::findNext()
{
    const QString text = cboFind->currentText();
    if (text.isEmpty())
        return;
    SearchHost &host = m_windows.host();
    FindEngine &engine = m_windows.engine();
    host.settings().RegExpSearch = chkRegExp->isChecked();
    engine.state().MatchCase = chkMatchCase->isChecked();
    if (chkListLines->isChecked()) {
        engine.state().SearchText = text;
        engine.addSearchHistory(text, false);
        m_windows.LinesContaining();
        return;
    }
    if (chkRegExp->isChecked()) {
        lblInfo->setText(engine.FindRegExp(chkMatchCase->isChecked(), text, optDown->isChecked()).info);
    } else {
        const FindOutcome outcome = engine.FindPlain(text, chkMatchCase->isChecked(), optDown->isChecked(), m_historyAdded);
        m_historyAdded = outcome.historyAdded;
        lblInfo->setText(outcome.info);
        if (outcome.found) {
            host.refreshStatusBar();
            close();
            return;
        }
    }
    host.refreshStatusBar();
}

void frmFind::countAll()
{
    const QString text = cboFind->currentText();
    if (text.isEmpty())
        return;
    const bool matchCase = chkMatchCase->isChecked();
    const QString document = m_windows.host().surface().text();
    if (chkRegExp->isChecked()) {
        lblInfo->setText(FindEngine::countInfo(FindEngine::CountRegExpMatches(document, text, matchCase)));
    } else {
        lblInfo->setText(QString::number(FindEngine::CountOccurrences(document, text, matchCase))
                         + QStringLiteral(" occurences found."));
        focusFindBox();
    }
}
