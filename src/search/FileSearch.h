#pragma once

#include "FileMatcher.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTimer;
struct FileSearchRun;

struct FileSearchOptions {
    FileQuery query;
    QString folder;
    QString patterns;           // "*.c;*.h"; empty: every file
    bool skipHidden = true;     // folders whose name starts with "."
    bool skipBinary = true;     // files holding a NUL byte that are not UTF-16
    bool useGitignore = true;   // what ".gitignore" files exclude
    int threads = 0;            // 0: one per core
};

struct FileSearchSummary {
    qint64 filesSearched = 0;
    qint64 matchingFiles = 0;
    qint64 matchingLines = 0;
    qint64 unreadable = 0;      // files that could not be opened or read
    qint64 tooLarge = 0;        // files too large to decode for this search
    qint64 elapsedMs = 0;
    bool stopped = false;
};

// Searches a folder tree on worker threads (one per core): the threads walk the folders and read
// each file whole, or mapped when large, and hand the matching lines over in batches. The window's
// thread only takes the batches, a few times a second.
class FileSearch : public QObject {
    Q_OBJECT
public:
    explicit FileSearch(QObject *parent = nullptr);
    ~FileSearch() override;

    // An error text when the search cannot start (empty text, invalid expression, no such folder).
    std::optional<QString> start(const FileSearchOptions &options);
    // Cancels at once: nothing more is reported, the threads end after the file they are reading.
    void stop();
    bool isRunning() const;

    // "*.c;*.h" into single patterns; blanks and empty pieces are dropped.
    static QStringList splitPatterns(const QString &patterns);
    // Runs a whole search on this thread's caller, blocking; for tools without an event loop.
    static FileSearchSummary searchAll(const FileSearchOptions &options, QList<FileHits> *hits = nullptr);

signals:
    void found(const QList<FileHits> &batch);
    void finished(const FileSearchSummary &summary);

private:
    void collect();
    void joinThreads();

    std::shared_ptr<FileSearchRun> m_run;
    QTimer *m_poll = nullptr;
    QElapsedTimer m_clock;
};
