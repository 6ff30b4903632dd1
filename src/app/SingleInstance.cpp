#include "SingleInstance.h"

#include "FileIO.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <cstdlib>

#include <unistd.h>

namespace {

const QByteArray kRaise = QByteArrayLiteral("raise\n");
const QByteArray kAck = QByteArrayLiteral("ok\n");
// A request is one short line; anything longer is not ours.
constexpr qsizetype kMaxRequest = 64;

// The path's bytes, resolved where it exists: two names differing only in bytes that are not
// UTF-8 are two documents.
QByteArray documentKey(const QString &path)
{
    if (char *resolved = ::realpath(FileIO::encodePath(path).constData(), nullptr)) {
        const QByteArray key(resolved);
        std::free(resolved);
        return key;
    }
    return FileIO::encodePath(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

} // namespace

SingleInstance::SingleInstance(QWidget *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
}

SingleInstance::~SingleInstance()
{
    stopListening();
}

QString SingleInstance::serverName(const QString &path)
{
    const QByteArray hash = QCryptographicHash::hash(documentKey(path), QCryptographicHash::Sha1);
    // Short enough for the socket path limit even under a long temporary folder.
    return QStringLiteral("orvane-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.toHex().left(24)));
}

bool SingleInstance::hasOwnerName(const QString &path)
{
    return path.contains(QLatin1Char('/'));
}

SingleInstance::HandOver SingleInstance::handOver(const QString &path, int ackTimeoutMs, std::optional<Launcher::Position> at)
{
    if (!hasOwnerName(path))
        return HandOver::NoOwner;
    const QString name = serverName(path);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(ackTimeoutMs)) {
        // Refused: nobody listens, a crashed process left its socket file behind.
        if (socket.error() == QLocalSocket::ConnectionRefusedError)
            QLocalServer::removeServer(name);
        return HandOver::NoOwner;
    }
    // "raise line column": older owners refuse it, so a place is only sent when one is asked for.
    socket.write(at ? "raise " + Launcher::positionText(*at).toLatin1() + '\n' : kRaise);
    socket.flush();
    QByteArray reply;
    while (!reply.contains('\n') && socket.waitForReadyRead(ackTimeoutMs))
        reply += socket.readAll();
    reply += socket.readAll();
    if (reply.startsWith(kAck))
        return HandOver::Raised;
    // Connected but silent: the owner is alive and busy (a long load, a running compiler); it
    // reads the request when it gets back to its event loop, so the file is still in good hands.
    // Only an owner that went away without answering leaves the file to this process.
    return socket.state() == QLocalSocket::ConnectedState ? HandOver::Raised : HandOver::NoOwner;
}

SingleInstance::Claim SingleInstance::follow(const QString &path)
{
    if (isListening() && documentKey(path) == documentKey(m_path) && hasOwnerName(path))
        return Claim::Listening;
    stopListening();
    if (!hasOwnerName(path))
        return Claim::NotListening;

    const QString name = serverName(path);
    // No socket options: with them the socket is renamed over an existing one, so a second
    // process would silently take the name from a live owner. A plain bind fails instead.
    auto *server = new QLocalServer(this);
    if (!server->listen(name)) {
        if (server->serverError() != QAbstractSocket::AddressInUseError) {
            delete server;
            return Claim::NotListening;
        }
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(200)) {
            probe.abort();
            delete server;
            return Claim::OwnedElsewhere;
        }
        QLocalServer::removeServer(name);
        if (!server->listen(name)) {
            delete server;
            return Claim::NotListening;
        }
    }
    QFile::setPermissions(server->fullServerName(), QFile::ReadOwner | QFile::WriteOwner);
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    m_server = server;
    m_path = path;
    return Claim::Listening;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::stopListening()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    m_path.clear();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequest) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    const QByteArray request = socket->readLine(kMaxRequest + 1);
    std::optional<Launcher::Position> at;
    if (request.startsWith("raise ") && request.endsWith('\n'))
        at = Launcher::parsePosition(QString::fromLatin1(request.mid(6).chopped(1)));
    if (request != kRaise && !at) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    raiseWindow();
    if (at)
        emit goToRequested(*at);
    socket->write(kAck);
    socket->flush();
    socket->disconnectFromServer();
}

void SingleInstance::raiseWindow()
{
    if (m_window) {
        if (m_window->isMinimized())
            m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }
    emit raised();
}
