#include "frmHEX.h"

#include "BytePane.h"
#include "ViewerParts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

using ViewerParts::make;

frmHEX::frmHEX(const QFont &font, QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmHEX"));
    setWindowTitle(QStringLiteral("HEX String"));
    setModal(true);
    txtASCII = make<BytePane>(this, "txtASCII");
    txtHEX = make<BytePane>(this, "txtHEX");
    txtASCII->setAccessibleName(QStringLiteral("Characters"));
    txtHEX->setAccessibleName(QStringLiteral("Hexadecimal"));
    lblHex = make<QLabel>(this, "lblHex", QStringLiteral("HEX:"));
    cmdClose = make<QPushButton>(this, "cmdClose", QStringLiteral("&Close"));
    txtASCII->setFont(font);
    txtHEX->setFont(font);

    auto *grid = new QGridLayout(this);
    grid->addWidget(lblHex, 0, 1);
    grid->addWidget(txtHEX, 1, 1);
    grid->addWidget(txtASCII, 1, 0);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(0, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    grid->addLayout(buttons, 2, 0, 1, 2);
    cmdClose->setDefault(true);

    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(txtASCII, &BytePane::released, this, &frmHEX::followCharacters);
    connect(txtHEX, &BytePane::released, this, &frmHEX::followHex);
    // Rows hold the same bytes in both panes, so they scroll together.
    connect(txtASCII->verticalScrollBar(), &QScrollBar::valueChanged, txtHEX->verticalScrollBar(), &QScrollBar::setValue);
    connect(txtHEX->verticalScrollBar(), &QScrollBar::valueChanged, txtASCII->verticalScrollBar(), &QScrollBar::setValue);
}

void frmHEX::loadText(const QString &selected, const HexView::StorageMode &mode, bool atDocumentStart)
{
    QByteArray bytes = HexView::ViewBytes(selected, mode, atDocumentStart);
    txtHEX->setContent(HexView::HexString(bytes), 3 * BytesPerRow, BytesPerRow);
    txtASCII->setContent(std::move(bytes), BytesPerRow);
    resize(txtASCII->sizeHint().width() + txtHEX->sizeHint().width() + 40, 420);
}

void frmHEX::followCharacters()
{
    const HexView::Range hex = HexView::HexSelectionFor({txtASCII->selStart(), txtASCII->selLength()}, txtASCII->length());
    txtHEX->setSelStart(hex.start);
    txtHEX->setSelLength(hex.length);
}

void frmHEX::followHex()
{
    const HexView::Range bytes = HexView::ByteSelectionFor({txtHEX->selStart(), txtHEX->selLength()}, txtASCII->length());
    txtASCII->setSelStart(bytes.start);
    txtASCII->setSelLength(bytes.length);
}
