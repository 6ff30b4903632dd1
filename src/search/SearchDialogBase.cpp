#include "SearchDialogBase.h"

#include "EditorSurface.h"
#include "SearchDialogParts.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>

using SearchDialogParts::make;

SearchDialogBase::SearchDialogBase(SearchWindows &windows, QWidget *owner, const QString &name, const QString &title)
    : QDialog(owner)
    , m_windows(windows)
{
    SearchDialogParts::setUpToolWindow(this, name, title, windows.host().settings().AlwaysOnTop);
}

QGroupBox *SearchDialogBase::makeDirectionFrame()
{
    auto *frame = make<QGroupBox>(this, "Frame1", QStringLiteral("Direction"));
    optUp = make<QRadioButton>(frame, "optUp", QStringLiteral("&Up"));
    optDown = make<QRadioButton>(frame, "optDown", QStringLiteral("&Down"));
    optDown->setChecked(true);
    auto *directions = new QHBoxLayout(frame);
    directions->addWidget(optUp);
    directions->addWidget(optDown);
    return frame;
}

void SearchDialogBase::finishSetup(QList<QPushButton *> needFindText)
{
    m_needFindText = std::move(needFindText);
    SearchHost &host = m_windows.host();
    const FindEngine &engine = m_windows.engine();
    cboFind->addItems(engine.histories().LoadHistory(HistoryLists::SearchStrings));
    const QString selected = host.surface().selText();
    cboFind->setEditText(!selected.isEmpty() ? selected : engine.state().SearchText);
    optUp->setChecked(engine.state().SearchBackwards);
    chkMatchCase->setChecked(engine.state().MatchCase);
    chkRegExp->setChecked(host.settings().RegExpSearch);
    findTextChanged();

    connect(cboFind, &QComboBox::editTextChanged, this, &SearchDialogBase::findTextChanged);
    connect(cboFind, &QComboBox::activated, this, &SearchDialogBase::findTextChanged);
    connect(chkMatchCase, &QCheckBox::clicked, this, [this] { m_windows.markDirty(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    // Escape, the close box, Cancel and another tool window opening all end in finished; the box
    // also follows at once, so the choice holds even when the main window goes with the dialog open.
    const auto handBack = [this] { m_windows.setRegExpSearch(chkRegExp->isChecked()); };
    connect(chkRegExp, &QCheckBox::toggled, this, handBack);
    connect(this, &QDialog::finished, this, handBack);
}

void SearchDialogBase::findTextChanged()
{
    const bool any = !cboFind->currentText().isEmpty();
    for (QPushButton *button : std::as_const(m_needFindText))
        button->setEnabled(any);
    m_historyAdded = false;
    m_windows.markDirty();
}

void SearchDialogBase::focusFindBox()
{
    cboFind->setFocus();
    cboFind->lineEdit()->selectAll();
}

void SearchDialogBase::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    focusFindBox();
}

void SearchDialogBase::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        focusFindBox();
}
