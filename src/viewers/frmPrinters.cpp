#include "frmPrinters.h"

#include "PrintFields.h"
#include "PrintSession.h"
#include "Prompter.h"
#include "QtPrinterDevice.h"
#include "Settings.h"
#include "ViewerParts.h"
#include "modPrint.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>

using ViewerParts::make;

namespace {

const QString kTitle = QStringLiteral("Orvane");

modPrint::Margins marginsOf(const Settings &settings)
{
    return {double(settings.PrinterLeft), double(settings.PrinterRight), double(settings.PrinterTop),
            double(settings.PrinterBottom)};
}

} // namespace

frmPrinters::frmPrinters(EditorSurface &surface, const Settings &settings, PrintSession &session,
                         const QString &documentName, QWidget *owner)
    : QDialog(owner)
    , m_surface(surface)
    , m_settings(settings)
    , m_session(session)
    , m_documentName(documentName)
{
    setObjectName(QStringLiteral("frmPrinters"));
    setWindowTitle(QStringLiteral("Select Printer..."));
    setModal(true);
    lstPrinters = make<QListWidget>(this, "lstPrinters");
    lstPrinters->setAccessibleName(QStringLiteral("Printers"));
    Label1 = make<QLabel>(this, "Label1", QStringLiteral("Copies"));
    txtCopies = make<QLineEdit>(this, "txtCopies", QStringLiteral("1"));
    VScroll1 = make<QScrollBar>(this, "VScroll1", Qt::Vertical);
    cmdOK = make<QPushButton>(this, "cmdOK", QStringLiteral("&OK"));
    cmdCancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("&Cancel"));
    cmdPreview = make<QPushButton>(this, "cmdPreview", QStringLiteral("Pre&view..."));
    cmdOK->setDefault(true);
    Label1->setBuddy(txtCopies);
    txtCopies->setMaximumWidth(60);
    VScroll1->setRange(1, PrintFields::MaxCopies);
    VScroll1->setFixedHeight(txtCopies->sizeHint().height());

    auto *grid = new QGridLayout(this);
    grid->addWidget(lstPrinters, 0, 0, 1, 4);
    grid->addWidget(Label1, 1, 0);
    auto *copies = new QHBoxLayout;
    copies->setSpacing(0);
    copies->addWidget(txtCopies);
    copies->addWidget(VScroll1);
    copies->addStretch();
    grid->addLayout(copies, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdPreview);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 2, 0, 1, 4);
    resize(380, 260);

    connect(txtCopies, &QLineEdit::textChanged, this, [this](const QString &text) {
        const QString shown = PrintFields::copiesText(text);
        if (shown != text)
            txtCopies->setText(shown);
    });
    connect(VScroll1, &QScrollBar::valueChanged, this,
            [this](int position) { txtCopies->setText(QString::number(PrintFields::copiesForSpinner(position))); });
    connect(cmdOK, &QPushButton::clicked, this, &frmPrinters::ok);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdPreview, &QPushButton::clicked, this, &frmPrinters::preview);
    connect(lstPrinters, &QListWidget::itemDoubleClicked, this, &frmPrinters::ok);

    FillPrinterList();
}

frmPrinters::~frmPrinters() = default;

void frmPrinters::FillPrinterList()
{
    const QString remembered = m_session.printerName;
    lstPrinters->clear();
    m_installed = QPrinterInfo::availablePrinterNames();
    lstPrinters->addItems(PrintFields::printerEntries(m_installed));
    const int selected = PrintFields::selectedEntry(m_installed, remembered, m_session.toPdf);
    if (selected >= 0)
        lstPrinters->setCurrentRow(selected);
    VScroll1->setValue(VScroll1->maximum());
}

void frmPrinters::takeSelection()
{
    const int k = lstPrinters->currentItem() && lstPrinters->currentItem()->isSelected() ? lstPrinters->currentRow() : -1;
    if (k < 0)
        return;
    if (k < m_installed.size()) {
        m_session.printerName = m_installed[k];
        m_session.toPdf = false;
    } else {
        m_session.toPdf = true;
    }
}

std::unique_ptr<QPrinter> frmPrinters::makePrinter(const QString &pdfFile) const
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QFileInfo(m_documentName).fileName());
    if (m_session.toPdf) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfFile);
    } else {
        printer->setPrinterName(m_session.printerName);
    }
    return printer;
}

void frmPrinters::ok()
{
    takeSelection();
    if (!m_session.toPdf && m_session.printerName.isEmpty()) {
        askUser(this, QStringLiteral("Couldn't find any installed printers"), kTitle, QMessageBox::Ok,
                QMessageBox::Information);
        accept();
        return;
    }
    const int copies = PrintFields::copies(txtCopies->text());
    QString pdfFile;
    if (m_session.toPdf) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString proposed = m_session.lastPdfFile.isEmpty() ? PrintFields::proposedPdfName(m_documentName, folder)
                                                                 : m_session.lastPdfFile;
        pdfFile = Prompter::instance().saveFile(this, QStringLiteral("Print to PDF file"),
                                                QStringLiteral("PDF files (*.pdf)"), QFileInfo(proposed).path(),
                                                QFileInfo(proposed).fileName(), nullptr);
        if (pdfFile.isEmpty()) {
            reject();
            return;
        }
        if (QFileInfo(pdfFile).suffix().isEmpty())
            pdfFile += QStringLiteral(".pdf");
        m_session.lastPdfFile = pdfFile;
    }
    std::unique_ptr<QPrinter> printer = makePrinter(pdfFile);
    // The copies of a PDF go one after the other into the one file.
    QtPrinterDevice device(*printer, m_session.toPdf);
    for (const modPrint::PrintOutcome &outcome : modPrint::PrintCopies(m_surface, device, marginsOf(m_settings), copies)) {
        if (outcome.result == modPrint::PrintResult::NothingPrinted)
            askUser(this, modPrint::outcomeMessage(outcome), kTitle, QMessageBox::Ok, QMessageBox::NoIcon);
        else if (outcome.result == modPrint::PrintResult::PrinterFailed)
            askUser(this, outcome.error, kTitle, QMessageBox::Ok, QMessageBox::Critical);
    }
    const QString error = device.finish();
    if (!error.isEmpty())
        askUser(this, error, kTitle, QMessageBox::Ok, QMessageBox::Critical);
    accept();
}

void frmPrinters::preview()
{
    const PrintSession before = m_session;
    takeSelection();
    std::unique_ptr<QPrinter> printer = makePrinter(QString());
    // Previewing chooses nothing: the choice is made by OK.
    m_session = before;
    if (printer->outputFormat() == QPrinter::PdfFormat)
        printer->setOutputFormat(QPrinter::NativeFormat);
    QPrintPreviewDialog dialog(printer.get(), this);
    dialog.setObjectName(QStringLiteral("frmPrintPreview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *target) {
        QtPrinterDevice device(*target);
        modPrint::PrintCopies(m_surface, device, marginsOf(m_settings), 1);
    });
    dialog.exec();
}
