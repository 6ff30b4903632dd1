#include "frmPrintDlg.h"

#include "PrintFields.h"
#include "Settings.h"
#include "ViewerParts.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using ViewerParts::make;

frmPrintDlg::frmPrintDlg(Settings &settings, QWidget *owner)
    : QDialog(owner)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("frmPrintDlg"));
    setWindowTitle(QStringLiteral("Page Setup"));
    setModal(true);
    Label1 = make<QLabel>(this, "Label1", QStringLiteral("&Left Margin :"));
    txtLeft = make<QLineEdit>(this, "txtLeft", QStringLiteral("0"));
    Label2 = make<QLabel>(this, "Label2", QStringLiteral("&Top Margin :"));
    txtTop = make<QLineEdit>(this, "txtTop", QStringLiteral("0"));
    Label3 = make<QLabel>(this, "Label3", QStringLiteral("&Right Margin :"));
    txtRight = make<QLineEdit>(this, "txtRight", QStringLiteral("0"));
    Label4 = make<QLabel>(this, "Label4", QStringLiteral("&Bottom Margin :"));
    txtBottom = make<QLineEdit>(this, "txtBottom", QStringLiteral("0"));
    cmdOK = make<QPushButton>(this, "cmdOK", QStringLiteral("&OK"));
    cmdCancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("&Cancel"));
    cmdOK->setDefault(true);

    auto *grid = new QGridLayout(this);
    const std::pair<QLabel *, QLineEdit *> rows[] = {{Label1, txtLeft}, {Label2, txtTop}, {Label3, txtRight}, {Label4, txtBottom}};
    int row = 0;
    for (const auto &[label, box] : rows) {
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        ++row;
        box->installEventFilter(this);
        QLineEdit *field = box;
        connect(field, &QLineEdit::textChanged, field, [field](const QString &text) {
            const QString shown = PrintFields::marginText(text);
            if (shown != text)
                field->setText(shown);
        });
    }
    grid->addWidget(make<QLabel>(this, "lblUnit", QStringLiteral("Margins in twips (1440 to the inch).")), row++, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, row, 0, 1, 2);

    txtTop->setText(QString::number(settings.PrinterTop));
    txtLeft->setText(QString::number(settings.PrinterLeft));
    txtRight->setText(QString::number(settings.PrinterRight));
    txtBottom->setText(QString::number(settings.PrinterBottom));

    connect(cmdOK, &QPushButton::clicked, this, &frmPrintDlg::ok);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmPrintDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *box = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void frmPrintDlg::ok()
{
    m_settings.PrinterLeft = PrintFields::marginValue(txtLeft->text());
    m_settings.PrinterTop = PrintFields::marginValue(txtTop->text());
    m_settings.PrinterRight = PrintFields::marginValue(txtRight->text());
    m_settings.PrinterBottom = PrintFields::marginValue(txtBottom->text());
    accept();
}
