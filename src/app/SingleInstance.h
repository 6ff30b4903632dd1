#pragma once

#include "Launcher.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

// One document per process: every process listens on a local socket named after the path of the
// document it shows. A process started for a file that another process shows asks that process to
// come to the front and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class HandOver { Raised, NoOwner };
    enum class Claim { Listening, NotListening, OwnedElsewhere };

    // window is restored, raised and activated when another process hands its file over.
    explicit SingleInstance(QWidget *window, QObject *parent = nullptr);
    ~SingleInstance() override;

    // The socket name for a document path: per user, the same for every spelling of the path.
    static QString serverName(const QString &path);
    // Only documents with a path have an owner; "Untitled" has none.
    static bool hasOwnerName(const QString &path);

    // Asks the process that shows path to come to the front. A socket left by a crashed process
    // is removed and counts as no owner.
    // With at, the owner also moves its caret there.
    static HandOver handOver(const QString &path, int ackTimeoutMs = 1000, std::optional<Launcher::Position> at = std::nullopt);

    // Listens under the name of path (called whenever the document path changes); gives up the
    // previous name. A live owner of the name is left alone.
    Claim follow(const QString &path);

    QString listeningPath() const { return m_path; }
    bool isListening() const;

signals:
    // After the window was brought to the front for another process.
    void raised();
    // The process that handed over asked for this place in the document.
    void goToRequested(Launcher::Position at);

private:
    void acceptConnections();
    void readRequest(QLocalSocket *socket);
    void raiseWindow();
    void stopListening();

    QPointer<QWidget> m_window;
    QLocalServer *m_server = nullptr;
    QString m_path;
};
