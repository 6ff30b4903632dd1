#include "UrlFetcher.h"

#include "TextCodec.h"
#include "modURLRetrieve.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

UrlFetcher::UrlFetcher(QObject *parent) : QObject(parent), m_maxBytes(MaxDocumentBytes) {}

UrlFetcher::~UrlFetcher()
{
    if (m_reply)
        m_reply->abort();
}

FetchResult UrlFetcher::FetchUrl(const QString &address)
{
    FetchResult result;
    if (m_reply) {
        result.error = QStringLiteral("Another download is running");
        return result;
    }
    const QUrl url = modURLRetrieve::urlFor(address);
    if (!url.isValid()) {
        result.error = url.errorString();
        return result;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(this);

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(UserAgent));

    WaitCursor wait;
    m_cancelled = false;
    bool timedOut = false;
    bool tooLarge = false;
    QByteArray body;
    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(m_timeoutMs);

    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    const auto refuse = [&](qint64 size, bool known) {
        tooLarge = true;
        result.size = size;
        result.sizeKnown = known;
        reply->abort();
    };
    connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (tooLarge)
            return;
        // Checked before the bytes are taken: a server that never stops must not fill the memory.
        const qint64 received = body.size() + reply->bytesAvailable();
        if (received > m_maxBytes)
            return refuse(received, false);
        body += reply->readAll();
        idle.start();
    });
    connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        idle.start();
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!tooLarge && announced.isValid() && announced.toLongLong() > m_maxBytes)
            refuse(announced.toLongLong(), true);
    });
    connect(reply, &QNetworkReply::downloadProgress, this, &UrlFetcher::progress);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(&idle, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    idle.start();
    if (!reply->isFinished())
        loop.exec();
    if (reply->isOpen() && !tooLarge) {
        const qint64 received = body.size() + reply->bytesAvailable();
        if (received > m_maxBytes) {
            tooLarge = true;
            result.size = received;
        } else {
            body += reply->readAll();
        }
    }
    m_reply = nullptr;

    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge) {
        body.clear();
        result.outcome = FetchResult::Outcome::TooLarge;
    } else if (timedOut) {
        result.outcome = FetchResult::Outcome::TimedOut;
    } else if (m_cancelled) {
        result.outcome = FetchResult::Outcome::Cancelled;
    } else if (result.httpStatus >= 400) {
        result.outcome = FetchResult::Outcome::HttpError;
    } else if (reply->error() != QNetworkReply::NoError) {
        result.outcome = FetchResult::Outcome::Failed;
    } else {
        result.outcome = FetchResult::Outcome::Ok;
        result.text = modURLRetrieve::decodeBody(body, reply->rawHeader("Content-Type"));
    }
    if (result.outcome != FetchResult::Outcome::Ok)
        result.error = reply->errorString();
    reply->deleteLater();
    return result;
}

void UrlFetcher::cancel()
{
    if (!m_reply)
        return;
    m_cancelled = true;
    m_reply->abort();
}
