#include "LoadPreparation.h"

#include "DocumentReader.h"
#include "FileIO.h"
#include "MappedFile.h"
#include "Prefault.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LoadPreparation {

namespace {

// Below this a file loads in a blink; a thread of its own would cost more than it saves.
constexpr qint64 WorthPreparing = qint64(16) << 20;

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};

    static Identity of(const struct stat &info) { return {info.st_dev, info.st_ino, info.st_size, info.st_mtim}; }
    bool operator==(const Identity &other) const
    {
        return device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

struct Preparation {
    std::mutex lock;
    std::thread worker;
    Identity identity;
    std::optional<DecodePlan> plan;

    void join()
    {
        std::thread done;
        {
            const std::lock_guard guard(lock);
            done = std::move(worker);
        }
        if (done.joinable())
            done.join();
    }
    // A process that ends without loading (its file handed to a running window) still waits here.
    ~Preparation()
    {
        join();
        Prefault::releaseReserved();
    }
};

Preparation &preparation()
{
    static Preparation prepared;
    return prepared;
}

void prepare(int fd, Identity identity)
{
    const MappedFile mapped(fd, identity.size);
    ::close(fd);
    if (!mapped.data() || startsWithUtf16Mark(mapped.data(), qsizetype(identity.size)))
        return;
    const DecodePlan plan = planDecode(mapped.data(), qsizetype(identity.size));
    mapped.release(0, identity.size);
    if (mapped.torn() || plan.textBytes > MaxWidgetBytes)
        return;
    {
        const std::lock_guard guard(preparation().lock);
        preparation().identity = identity;
        preparation().plan = plan;
    }
    // The widget's text and its styles: two blocks of the same size. Memory another program needs
    // more is left alone: the load itself tells the user when there is too little.
    const qint64 room = widgetRoom(plan.textBytes) + 64;
    const qint64 available = DocumentReader::availableMemory();
    if (available < 0 || DocumentReader::memoryNeeded(identity.size) + room < available)
        Prefault::reserve(std::size_t(room), 2);
}

} // namespace

void start(const QString &path)
{
    const QByteArray native = FileIO::encodePath(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < WorthPreparing
        || info.st_size > DocumentReader::MaxFileBytes)
        return;
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return;
    }
    Preparation &prepared = preparation();
    prepared.join();
    const std::lock_guard guard(prepared.lock);
    prepared.plan.reset();
    try {
        prepared.worker = std::thread(prepare, fd, Identity::of(opened));
    } catch (const std::system_error &) {
        ::close(fd);
    }
}

std::optional<DecodePlan> take(int fd)
{
    Preparation &prepared = preparation();
    prepared.join();
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    const std::lock_guard guard(prepared.lock);
    if (!prepared.plan || !(prepared.identity == Identity::of(info)))
        return std::nullopt;
    return std::exchange(prepared.plan, std::nullopt);
}

void finish()
{
    Preparation &prepared = preparation();
    prepared.join();
    {
        const std::lock_guard guard(prepared.lock);
        prepared.plan.reset();
    }
    Prefault::releaseReserved();
}

qint64 widgetRoom(qint64 textBytes)
{
    // A megabyte of typing, and a little more for a large text: the room is written once (text
    // and styles) and so held in memory, 60 MB of a gigabyte's text at a thirty-second.
    return std::min<qint64>(textBytes + textBytes / 256 + (qint64(1) << 20), MaxWidgetBytes);
}

} // namespace LoadPreparation
