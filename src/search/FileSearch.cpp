#include "FileSearch.h"

#include "FileIO.h"
#include "IgnoreRules.h"

#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Files up to this size are read into a buffer; larger ones are mapped.
constexpr qint64 kReadWholeLimit = qint64(64) << 20;

struct WorkItem {
    QByteArray path;
    bool folder = false;
    std::shared_ptr<const IgnoreRules> rules;
};

} // namespace

struct FileSearchRun {
    FileSearchOptions options;
    QList<QByteArray> patterns;
    std::atomic<bool> cancel{false};

    std::mutex queueMutex;
    std::condition_variable wake;
    std::vector<WorkItem> queue;
    int busy = 0;

    std::mutex resultMutex;
    QList<FileHits> pending;
    std::atomic<qint64> files{0};
    std::atomic<qint64> matchingFiles{0};
    std::atomic<qint64> matchingLines{0};
    std::atomic<qint64> unreadable{0};
    std::atomic<qint64> tooLarge{0};
    std::atomic<int> running{0};
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point ended;
    std::function<void()> onFinished;   // called on the last worker thread
    std::vector<std::thread> threads;

    void work();
    std::optional<WorkItem> next();
    void listFolder(const WorkItem &item, std::vector<WorkItem> &out);
    void searchFile(const QByteArray &path, FileMatcher &matcher, QByteArray &buffer);
    bool nameWanted(const char *name) const;
    void join()
    {
        for (std::thread &thread : threads)
            if (thread.joinable())
                thread.join();
        threads.clear();
    }
    FileSearchSummary summary() const
    {
        FileSearchSummary s;
        s.filesSearched = files;
        s.matchingFiles = matchingFiles;
        s.matchingLines = matchingLines;
        s.unreadable = unreadable;
        s.tooLarge = tooLarge;
        s.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(ended - started).count();
        s.stopped = cancel;
        return s;
    }
};

std::optional<WorkItem> FileSearchRun::next()
{
    std::unique_lock lock(queueMutex);
    wake.wait(lock, [this] { return cancel || !queue.empty() || busy == 0; });
    if (cancel || queue.empty()) {
        wake.notify_all();
        return std::nullopt;
    }
    WorkItem item = std::move(queue.back());
    queue.pop_back();
    ++busy;
    return item;
}

bool FileSearchRun::nameWanted(const char *name) const
{
    if (patterns.isEmpty())
        return true;
    for (const QByteArray &pattern : patterns)
        if (::fnmatch(pattern.constData(), name, 0) == 0)
            return true;
    return false;
}

void FileSearchRun::listFolder(const WorkItem &item, std::vector<WorkItem> &out)
{
    std::shared_ptr<const IgnoreRules> rules = item.rules;
    if (options.useGitignore)
        rules = IgnoreRules::forFolder(item.path, rules);
    DIR *dir = ::opendir(item.path.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    std::vector<WorkItem> folders;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        // Links are not followed, as the command-line tools do by default: no loops, no file twice.
        if (type != DT_DIR && type != DT_REG)
            continue;
        const bool folder = type == DT_DIR;
        if (folder && ((options.skipHidden && name[0] == '.') || (options.useGitignore && std::strcmp(name, ".git") == 0)))
            continue;
        if (!folder && !nameWanted(name))
            continue;
        QByteArray path = item.path;
        if (!path.endsWith('/'))
            path += '/';
        path += name;
        if (rules && rules->ignored(path, folder))
            continue;
        (folder ? folders : out).push_back(WorkItem{std::move(path), folder, rules});
    }
    ::closedir(dir);
    // Taken from the back: the files of this folder before its sub-folders.
    out.insert(out.begin(), std::make_move_iterator(folders.begin()), std::make_move_iterator(folders.end()));
}

void FileSearchRun::searchFile(const QByteArray &path, FileMatcher &matcher, QByteArray &buffer)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        ++unreadable;
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    ++files;
    FileMatcher::Result result;
    if (info.st_size > kReadWholeLimit) {
        void *mapped = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped == MAP_FAILED) {
            ++unreadable;
            ::close(fd);
            return;
        }
        ::madvise(mapped, size_t(info.st_size), MADV_SEQUENTIAL);
        result = matcher.search(QByteArrayView(static_cast<const char *>(mapped), qsizetype(info.st_size)),
                                options.skipBinary, &cancel);
        ::munmap(mapped, size_t(info.st_size));
    } else {
        // Read to the end, not to the size seen: a file that grows meanwhile is read as it is now.
        qsizetype size = 0;
        buffer.resize(std::max<qsizetype>(buffer.size(), qsizetype(info.st_size) + 1));
        for (;;) {
            if (size == buffer.size())
                buffer.resize(buffer.size() * 2);
            const ssize_t got = ::read(fd, buffer.data() + size, size_t(buffer.size() - size));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                ++unreadable;
                ::close(fd);
                return;
            }
            if (got == 0)
                break;
            size += got;
        }
        result = matcher.search(QByteArrayView(buffer.constData(), size), options.skipBinary, &cancel);
    }
    ::close(fd);
    tooLarge += result.tooLarge;
    if (result.lines.isEmpty() || cancel)
        return;
    ++matchingFiles;
    matchingLines += result.lines.size();
    FileHits hits{FileIO::decodePath(path), std::move(result.lines)};
    std::lock_guard lock(resultMutex);
    pending << std::move(hits);
}

void FileSearchRun::work()
{
    FileMatcher matcher(options.query);
    QByteArray buffer;
    std::vector<WorkItem> found;
    while (std::optional<WorkItem> item = next()) {
        found.clear();
        if (item->folder)
            listFolder(*item, found);
        else
            searchFile(item->path, matcher, buffer);
        std::lock_guard lock(queueMutex);
        for (WorkItem &child : found)
            queue.push_back(std::move(child));
        --busy;
        wake.notify_all();
    }
    if (--running == 0) {
        ended = std::chrono::steady_clock::now();
        if (onFinished)
            onFinished();
    }
}

namespace {

std::optional<QString> check(const FileSearchOptions &options)
{
    if (options.query.text.isEmpty())
        return QStringLiteral("Type the text to find.");
    if (const auto error = FileMatcher(options.query).error())
        return *error;
    struct stat info {};
    if (options.folder.isEmpty() || ::stat(FileIO::encodePath(options.folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("Folder not found: ") + options.folder;
    return std::nullopt;
}

std::shared_ptr<FileSearchRun> startRun(const FileSearchOptions &options, std::function<void()> onFinished)
{
    auto run = std::make_shared<FileSearchRun>();
    run->options = options;
    for (const QString &pattern : FileSearch::splitPatterns(options.patterns))
        run->patterns << FileIO::encodePath(pattern);
    QByteArray root = FileIO::encodePath(options.folder);
    while (root.size() > 1 && root.endsWith('/'))
        root.chop(1);
    run->queue.push_back(WorkItem{root, true, options.useGitignore ? IgnoreRules::above(root) : nullptr});
    run->onFinished = std::move(onFinished);
    const int count = options.threads > 0 ? options.threads : std::max(1, QThread::idealThreadCount());
    run->running = count;
    run->started = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        run->threads.emplace_back([raw = run.get()] { raw->work(); });
    return run;
}

} // namespace

QStringList FileSearch::splitPatterns(const QString &patterns)
{
    QStringList result;
    for (const QString &piece : patterns.split(QLatin1Char(';'))) {
        const QString pattern = piece.trimmed();
        if (!pattern.isEmpty())
            result << pattern;
    }
    return result;
}

FileSearchSummary FileSearch::searchAll(const FileSearchOptions &options, QList<FileHits> *hits)
{
    if (check(options))
        return {};
    const auto run = startRun(options, {});
    run->join();
    if (hits)
        *hits = std::move(run->pending);
    return run->summary();
}

FileSearch::FileSearch(QObject *parent)
    : QObject(parent)
    , m_poll(new QTimer(this))
{
    // Often enough that results appear as found, seldom enough that the window stays idle.
    m_poll->setInterval(60);
    connect(m_poll, &QTimer::timeout, this, &FileSearch::collect);
}

FileSearch::~FileSearch()
{
    if (m_run)
        m_run->cancel = true;
    joinThreads();
}

void FileSearch::joinThreads()
{
    if (m_run) {
        m_run->wake.notify_all();
        m_run->join();
    }
}

std::optional<QString> FileSearch::start(const FileSearchOptions &options)
{
    stop();
    joinThreads();
    m_run.reset();
    if (auto error = check(options))
        return error;
    m_run = startRun(options, [this] { QMetaObject::invokeMethod(this, &FileSearch::collect, Qt::QueuedConnection); });
    m_poll->start();
    return std::nullopt;
}

void FileSearch::stop()
{
    if (!isRunning())
        return;
    m_poll->stop();
    {
        std::lock_guard lock(m_run->queueMutex);
        m_run->cancel = true;
    }
    m_run->wake.notify_all();
    FileSearchSummary summary = m_run->summary();
    summary.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now()
                                                                              - m_run->started).count();
    summary.stopped = true;
    emit finished(summary);
}

bool FileSearch::isRunning() const
{
    return m_run && !m_run->cancel && m_poll->isActive();
}

void FileSearch::collect()
{
    if (!isRunning())
        return;
    const bool done = m_run->running == 0;
    QList<FileHits> batch;
    {
        std::lock_guard lock(m_run->resultMutex);
        batch.swap(m_run->pending);
    }
    if (!batch.isEmpty())
        emit found(batch);
    if (done) {
        m_poll->stop();
        m_run->join();
        emit finished(m_run->summary());
    }
}
