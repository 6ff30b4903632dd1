#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class UrlFetcher;
struct FetchResult;

// "Open URL": asks for an address and fetches it. Accepted once a body arrived; a failed
// download says so and the dialog stays open for another try. Cancel ends a running download.
class frmURL : public QDialog {
    Q_OBJECT
public:
    frmURL(QWidget *owner, UrlFetcher &fetcher, const QStringList &history, const QString &lastUrl, bool alwaysOnTop);

    // As typed, without the scheme that may have been added for the download.
    QString typedAddress() const { return m_typed; }
    // The downloaded text, line breaks as the server sent them.
    QString fetchedText() const { return m_text; }

    QComboBox *cboURL = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *lblProgress = nullptr;

    // A body over the limit: the address and the size, so the user knows why nothing came.
    static QString tooLargeMessage(const QString &address, const FetchResult &result, qint64 limit);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void cmdOK_Click();
    void setBusy(bool busy);

    UrlFetcher &m_fetcher;
    QString m_typed;
    QString m_text;
};
