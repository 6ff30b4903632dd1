#include "frmURL.h"

#include "Prompter.h"
#include "UrlFetcher.h"
#include "modURLRetrieve.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

frmURL::frmURL(QWidget *owner, UrlFetcher &fetcher, const QStringList &history, const QString &lastUrl,
               bool alwaysOnTop)
    : QDialog(owner), m_fetcher(fetcher)
{
    setObjectName(QStringLiteral("frmURL"));
    setWindowTitle(QStringLiteral("Open URL"));
    if (alwaysOnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);

    auto *label = new QLabel(QStringLiteral("Type the internet address of a document, and Orvane will fetch the data"),
                             this);
    label->setObjectName(QStringLiteral("lblURL"));
    label->setWordWrap(true);
    cboURL = new QComboBox(this);
    cboURL->setObjectName(QStringLiteral("cboURL"));
    cboURL->setEditable(true);
    cboURL->setInsertPolicy(QComboBox::NoInsert);
    cboURL->addItems(history);
    cboURL->setEditText(lastUrl);
    cboURL->setMinimumWidth(360);
    cboURL->setAccessibleName(QStringLiteral("Recent addresses"));
    cboURL->lineEdit()->setAccessibleName(QStringLiteral("Internet address"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblProgress, 1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(cboURL);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmURL::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmURL::reject);
    connect(&m_fetcher, &UrlFetcher::progress, this, [this](qint64 received, qint64 total) {
        const QLocale locale;
        lblProgress->setText(total > 0 ? locale.toString(received) + QStringLiteral(" of ") + locale.toString(total)
                                             + QStringLiteral(" bytes")
                                       : locale.toString(received) + QStringLiteral(" bytes"));
    });
}

QString frmURL::tooLargeMessage(const QString &address, const FetchResult &result, qint64 limit)
{
    const QLocale locale;
    return address + QStringLiteral(" is too large to insert: ") + (result.sizeKnown ? QString() : QStringLiteral("more than "))
        + locale.toString(result.sizeKnown ? result.size : limit) + QStringLiteral(" bytes. The editor holds up to ")
        + locale.toString(limit) + QStringLiteral(" bytes.");
}

void frmURL::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    cboURL->setFocus();
    cboURL->lineEdit()->selectAll();
}

void frmURL::reject()
{
    // Esc, the close box and Cancel end a running download first; the dialog closes afterwards.
    if (m_fetcher.isBusy()) {
        m_fetcher.cancel();
        return;
    }
    QDialog::reject();
}

void frmURL::setBusy(bool busy)
{
    cboURL->setEnabled(!busy);
    cmdOK->setEnabled(!busy);
}

void frmURL::cmdOK_Click()
{
    if (m_fetcher.isBusy())
        return;
    m_typed = cboURL->currentText();
    const QString address = modURLRetrieve::withScheme(m_typed);
    setBusy(true);
    lblProgress->clear();
    const FetchResult result = m_fetcher.FetchUrl(address);
    setBusy(false);
    lblProgress->clear();
    if (result.succeeded()) {
        m_text = result.text;
        accept();
        return;
    }
    askUser(this,
            result.outcome == FetchResult::Outcome::TooLarge ? tooLargeMessage(address, result, m_fetcher.maxBytes())
                                                             : QStringLiteral("Couldn't retrieve data from ") + address,
            QStringLiteral("Orvane"), QMessageBox::Ok, QMessageBox::Information);
    cboURL->setFocus();
    cboURL->lineEdit()->selectAll();
}
