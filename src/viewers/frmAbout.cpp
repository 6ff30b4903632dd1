#include "frmAbout.h"

#include "AboutInfo.h"
#include "ViewerParts.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

using ViewerParts::make;

frmAbout::frmAbout(const QString &iconPath, QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(AboutInfo::aboutCaption().chopped(3));
    setModal(true);
    lblTitle = make<QLabel>(this, "lblTitle", QLatin1String(AboutInfo::ProductName) + QLatin1Char(' ') + AboutInfo::version());
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblTitle->setFont(big);
    lblText = make<QLabel>(this, "lblText", AboutInfo::aboutText());
    lblText->setWordWrap(true);
    lblText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblText->setMinimumWidth(380);
    cmdOK = make<QPushButton>(this, "cmdOK", QStringLiteral("OK"));
    cmdOK->setDefault(true);

    auto *top = new QHBoxLayout;
    const QPixmap icon(iconPath);
    if (!icon.isNull()) {
        auto *picture = make<QLabel>(this, "picIcon");
        picture->setPixmap(icon.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        top->addWidget(picture, 0, Qt::AlignTop);
    }
    auto *texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblText);
    top->addLayout(texts, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}
