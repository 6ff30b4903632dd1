#include "FileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO {

namespace {

QString failure(const QString &path, int error)
{
    return QStringLiteral("Couldn't save %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

// Each write is checked: a buffered writer reports a full disk too late or not at all.
bool writeWhole(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(std::min<qsizetype>(size, qsizetype(1) << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

std::optional<QString> writeAtomically(const QString &path, const QByteArray &bytes)
{
    return writeAtomically(path, [&bytes](const PieceWriter &write) { return write(bytes.constData(), bytes.size()); });
}

std::optional<QString> writeAtomically(const QString &path, const std::function<bool(const PieceWriter &)> &produce)
{
    // Past a size limit the kernel would end the program instead of failing the write.
    static const bool ignoringFileSizeSignal = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    Q_UNUSED(ignoringFileSizeSignal);

    // A symbolic link stays a link: the file it names is replaced.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && !info.symLinkTarget().isEmpty())
        target = info.symLinkTarget();
    const QByteArray native = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());

    struct stat old {};
    const bool existed = ::stat(native.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return QStringLiteral("Couldn't save %1: it is not a regular file").arg(path);

    // An unnamed file first: a writer killed halfway leaves nothing behind, the old file stays whole.
    QByteArray tempName;
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    const bool unnamed = fd >= 0;
    if (!unnamed && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        tempName = native + ".orvane-XXXXXX";
        fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    }
    if (fd < 0)
        return failure(path, errno);
    const auto abandon = [&](int error) {
        ::close(fd);
        if (!tempName.isEmpty())
            ::unlink(tempName.constData());
        return failure(path, error);
    };
    if (existed) {
        // The new file keeps the old one's permissions (and owner, where allowed).
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not the owner: the file becomes this user's, as any other rewrite would make it.
        }
        ::fchmod(fd, old.st_mode & 07777);
    } else if (!unnamed) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    int writeError = 0;
    const bool written = produce([fd, &writeError](const char *data, qsizetype size) {
        if (writeWhole(fd, data, size))
            return true;
        writeError = errno;
        return false;
    });
    if (!written)
        return abandon(writeError ? writeError : EIO);
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        for (int attempt = 0; tempName.isEmpty(); ++attempt) {
            QByteArray name = native + ".orvane-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(attempt);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                tempName = name;
            else if (errno != EEXIST || attempt > 100)
                return abandon(errno);
        }
    }
    if (::rename(tempName.constData(), native.constData()) != 0)
        return abandon(errno);
    tempName.clear();
    if (::close(fd) != 0)
        return failure(path, errno);
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

std::optional<QByteArray> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QStringList readLines(const QString &path)
{
    const auto bytes = readAll(path);
    if (!bytes)
        return {};
    QStringList lines;
    const QByteArray &data = *bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines << QString::fromLatin1(data.constData() + start, i - start);
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < data.size())
        lines << QString::fromLatin1(data.constData() + start, data.size() - start);
    return lines;
}

QByteArray joinLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toLatin1();
        out += "\r\n";
    }
    return out;
}

} // namespace FileIO
