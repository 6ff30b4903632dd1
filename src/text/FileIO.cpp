#include "FileIO.h"

#include "Utf8Units.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
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

// Short whatever the document's name: a name near the file system's limit must still save.
QByteArray temporaryName(const QByteArray &folder, const QByteArray &tail)
{
    return folder + (folder.endsWith('/') ? "" : "/") + ".orvane-" + tail;
}

constexpr char16_t EscapeBase = 0xDC00;

bool isEscape(char16_t c)
{
    return c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF;
}

} // namespace

QString decodePath(const QByteArray &native)
{
    const auto *p = reinterpret_cast<const unsigned char *>(native.constData());
    const qsizetype size = native.size();
    QString path;
    path.reserve(size);
    qsizetype run = 0;
    for (qsizetype i = 0; i < size;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        if (const int length = strictUtf8Length(p + i, size - i)) {
            i += length;
            continue;
        }
        path += QString::fromUtf8(native.constData() + run, i - run);
        path += QChar(char16_t(EscapeBase + p[i]));
        run = ++i;
    }
    path += QString::fromUtf8(native.constData() + run, size - run);
    return path;
}

QByteArray encodePath(const QString &path)
{
    QByteArray native;
    native.reserve(path.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < path.size() && QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            ++i;
            continue;
        }
        if (!isEscape(c))
            continue;
        native += QStringView(path).mid(run, i - run).toUtf8();
        native += char(c - EscapeBase);
        run = i + 1;
    }
    native += QStringView(path).mid(run).toUtf8();
    return native;
}

QString repairPath(const QString &path)
{
    if (!path.contains(QChar::ReplacementCharacter) || ::access(encodePath(path).constData(), F_OK) == 0)
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QStringLiteral(".") : path.left(std::max<qsizetype>(slash, 1));
    const QString name = path.mid(slash + 1);
    DIR *dir = ::opendir(encodePath(folder).constData());
    if (!dir)
        return path;
    QString found;
    int matches = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (QFile::decodeName(entryName) == name) {
            found = decodePath(entryName);
            ++matches;
        }
    }
    ::closedir(dir);
    if (matches != 1)
        return path;
    return slash < 0 ? found : path.left(slash + 1) + found;
}

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
    QByteArray native = encodePath(path);
    struct stat link {};
    if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char *resolved = ::realpath(native.constData(), nullptr)) {
            native = resolved;
            std::free(resolved);
        }
    }
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);

    struct stat old {};
    const bool existed = ::stat(native.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return QStringLiteral("Couldn't save %1: it is not a regular file").arg(path);
    // The rename below would replace a file its user may not write; only the folder is asked.
    if (existed && ::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
        return failure(path, errno);

    // An unnamed file first: a writer killed halfway leaves nothing behind, the old file stays whole.
    QByteArray tempName;
    int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    const bool unnamed = fd >= 0;
    if (!unnamed && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        tempName = temporaryName(folder, "XXXXXX");
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
            QByteArray name = temporaryName(folder, QByteArray::number(::getpid()) + '-' + QByteArray::number(attempt));
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
    // Without O_NONBLOCK, opening a pipe that has no writer waits for one.
    const int fd = ::open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(block, qsizetype(n));
    }
    ::close(fd);
    return bytes;
}

QList<QByteArrayView> splitByteLines(QByteArrayView data)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines << data.sliced(start, i - start);
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < data.size())
        lines << data.sliced(start);
    return lines;
}

QStringList readLines(const QString &path)
{
    const auto bytes = readAll(path);
    if (!bytes)
        return {};
    QStringList lines;
    for (const QByteArrayView line : splitByteLines(*bytes))
        lines << QString::fromLatin1(line);
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

Removal moveToTrash(const QString &path)
{
    if (QFile::moveToTrash(path))
        return Removal::Trashed;
    // moveToTrash also fails for a file that cannot be removed at all; only a file that is still
    // there and removable is deleted outright.
    if (!QFileInfo::exists(path))
        return Removal::Failed;
    return QFile::remove(path) ? Removal::Deleted : Removal::Failed;
}

} // namespace FileIO
