#include "frmTip.h"

#include "Settings.h"
#include "ViewerParts.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using ViewerParts::make;

frmTip::frmTip(Settings &settings, const QString &tipsFile, QWidget *owner)
    : QDialog(owner)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *heading = make<QLabel>(this, "lblDidYouKnow", QStringLiteral("Did you know..."));
    QFont bigger = heading->font();
    bigger.setBold(true);
    bigger.setPointSizeF(bigger.pointSizeF() * 1.3);
    heading->setFont(bigger);
    lblTipText = make<QLabel>(this, "lblTipText");
    lblTipText->setWordWrap(true);
    lblTipText->setTextFormat(Qt::PlainText);
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText->setMinimumSize(360, 120);
    lblTipText->setFrameShape(QFrame::StyledPanel);
    lblTipText->setMargin(8);
    lblTipText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblTipXY = make<QLabel>(this, "lblTipXY");
    chkLoadTipsAtStartup = make<QCheckBox>(this, "chkLoadTipsAtStartup", QStringLiteral("&Show Tips at Startup"));
    Command1 = make<QPushButton>(this, "Command1", QStringLiteral("&Previous Tip"));
    cmdNextTip = make<QPushButton>(this, "cmdNextTip", QStringLiteral("&Next Tip"));
    cmdOK = make<QPushButton>(this, "cmdOK", QStringLiteral("OK"));
    cmdOK->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(lblTipText, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(chkLoadTipsAtStartup);
    bottom->addStretch();
    bottom->addWidget(lblTipXY);
    layout->addLayout(bottom);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(cmdNextTip);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);

    chkLoadTipsAtStartup->setChecked(settings.ShowTip);
    m_tips.setIndex(settings.CurrentTip);
    if (!LoadTips(tipsFile))
        lblTipText->setText(TipList::notFoundText(QFileInfo(tipsFile).fileName()));
    // Stepping through fewer than two tips would show nothing new.
    cmdNextTip->setEnabled(m_tips.count() > 1);
    Command1->setEnabled(m_tips.count() > 1);
    ViewerParts::setTopmost(this, settings.AlwaysOnTop);

    connect(cmdNextTip, &QPushButton::clicked, this, [this] {
        m_tips.next();
        DisplayCurrentTip();
        if (storeShownTip())
            emit tipShown();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        m_tips.previous();
        DisplayCurrentTip();
        if (storeShownTip())
            emit tipShown();
    });
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    // clicked, not toggled: only the user's click writes the settings.
    connect(chkLoadTipsAtStartup, &QCheckBox::clicked, this, [this](bool checked) {
        m_settings.ShowTip = checked;
        emit showTipChanged();
    });
}

bool frmTip::LoadTips(const QString &path)
{
    if (!m_tips.load(path))
        return false;
    DisplayCurrentTip();
    if (m_tips.count() == 0)
        lblTipText->setText(QStringLiteral("The tips file %1 holds no tips.").arg(QFileInfo(path).fileName()));
    return true;
}

bool frmTip::storeShownTip()
{
    if (m_tips.count() == 0 || m_settings.CurrentTip == m_tips.index())
        return false;
    m_settings.CurrentTip = m_tips.index();
    return true;
}

void frmTip::DisplayCurrentTip()
{
    if (m_tips.count() == 0)
        return;
    lblTipText->setText(m_tips.currentText());
    lblTipXY->setText(m_tips.positionText());
}
