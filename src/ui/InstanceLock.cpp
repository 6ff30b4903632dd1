#include "InstanceLock.h"

#include "FileIO.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::InstanceLock(const QString &path)
{
    do
        m_fd = ::open(FileIO::encodePath(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    while (m_fd < 0 && errno == EINTR);
    // Without the file nothing can be told: count this process as the first.
    if (m_fd < 0)
        return;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        m_othersRunning = errno == EWOULDBLOCK;
    // Shared from now on, so the next process sees this one; waits only while another converts.
    while (::flock(m_fd, LOCK_SH) != 0 && errno == EINTR) {
    }
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString InstanceLock::defaultPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return QDir::temp().filePath(QStringLiteral("orvane-%1.instances").arg(::getuid()));
    return QDir(folder).filePath(QStringLiteral("orvane.instances"));
}
