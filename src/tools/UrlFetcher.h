#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;

struct FetchResult {
    enum class Outcome {
        Ok,
        Failed,       // no connection, bad address, unsupported scheme, broken transfer
        HttpError,    // the server answered with an error status
        Cancelled,
        TimedOut,
        TooLarge,     // the body is larger than the editor holds; nothing is kept
    };
    Outcome outcome = Outcome::Failed;
    QString text;          // the decoded body; empty unless the outcome is Ok
    int httpStatus = 0;
    QString error;         // the network layer's description of a failure
    qint64 size = 0;       // TooLarge: the announced size, or what had arrived when the download stopped
    bool sizeKnown = false; // TooLarge: size is what the server announced

    // Something to insert: the whole body arrived and it is not empty.
    bool succeeded() const { return outcome == Outcome::Ok && !text.isEmpty(); }
};

// Downloads one address at a time. FetchUrl waits in a local event loop, so windows repaint
// and cancel() (a button of the waiting dialog) can end the download.
class UrlFetcher : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 30000;

    explicit UrlFetcher(QObject *parent = nullptr);
    ~UrlFetcher() override;

    // Follows redirects, never answers from a cache, shows the wait cursor while it waits.
    FetchResult FetchUrl(const QString &address);
    void cancel();
    bool isBusy() const { return m_reply != nullptr; }

    // The download ends when nothing arrives for this long.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }

    // A body over this many bytes is refused, as a file over it is not opened.
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    qint64 maxBytes() const { return m_maxBytes; }

    static constexpr const char *UserAgent = "Orvane";

signals:
    // total is -1 while the size is unknown.
    void progress(qint64 received, qint64 total);

private:
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    bool m_cancelled = false;
    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_maxBytes;
};
