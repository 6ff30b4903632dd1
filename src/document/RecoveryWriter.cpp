#include "RecoveryWriter.h"

#include "DocumentState.h"
#include "EditorSurface.h"

#include <QCoreApplication>
#include <QDateTime>

#include <future>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

RecoveryWriter::RecoveryWriter(const QString &folder, EditorSurface &surface, const DocumentState &state, Host &host,
                               QObject *parent)
    : QObject(parent)
    , m_store(folder)
    , m_surface(surface)
    , m_state(state)
    , m_host(host)
{
    // One thread: a removal queued after a write always comes after it on the disk.
    m_worker.setMaxThreadCount(1);
    m_pause.setSingleShot(true);
    m_longest.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &RecoveryWriter::dueNow);
    connect(&m_longest, &QTimer::timeout, this, &RecoveryWriter::dueNow);
    setTiming({});
}

RecoveryWriter::~RecoveryWriter()
{
    m_worker.waitForDone();
}

void RecoveryWriter::setTiming(Timing timing)
{
    m_pause.setInterval(timing.pauseMs);
    m_longest.setInterval(timing.longestMs);
    m_wholeCopyUpTo = timing.wholeCopyUpTo;
}

void RecoveryWriter::noteChange()
{
    m_pause.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void RecoveryWriter::noteCaret()
{
    if (!m_pause.isActive())
        m_pause.start();
}

void RecoveryWriter::documentSettled()
{
    m_pause.stop();
    m_longest.stop();
    m_again = false;
    removeCopy();
    // The window's record follows the new file (or its absence) when things rest.
    if (!m_finished)
        m_pause.start();
}

void RecoveryWriter::writeNow()
{
    m_pause.stop();
    m_longest.stop();
    dueNow();
}

void RecoveryWriter::recordWindow()
{
    const QString path = m_state.isUntitled() ? QString() : m_state.strfilename;
    const int caret = m_surface.selStart();
    if (path == m_windowPath && caret == m_windowCaret)
        return;
    const QString file = m_store.ownFile();
    if (file.isEmpty())
        return;
    m_windowPath = path;
    m_windowCaret = caret;
    const QString target = RecoveryStore::windowFileOf(file);
    if (path.isEmpty()) {
        m_worker.start([target] { RecoveryStore::removeFile(target); });
        return;
    }
    RecoveryRecord record;
    record.path = path;
    record.caret = caret;
    record.written = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    // Losing one of these loses no text: a failure is not told.
    m_worker.start([target, record] { RecoveryStore::write(target, record); });
}

void RecoveryWriter::dueNow()
{
    m_pause.stop();
    m_longest.stop();
    if (m_finished || m_state.isLoading)
        return;
    recordWindow();
    if (m_state.isDocumentSaved) {
        removeCopy();
        return;
    }
    if (m_writing) {
        m_again = true;
        return;
    }
    const QString file = m_store.ownFile();
    if (file.isEmpty()) {
        written(QStringLiteral("Couldn't make or lock a recovery file in %1").arg(m_store.folder()), false);
        return;
    }
    RecoveryRecord record;
    record.path = m_state.strfilename;
    record.encoding = m_state.encoding;
    record.utf8Bom = m_state.utf8Bom;
    record.isUnix = m_state.isUnix;
    record.isBinary = m_state.isBinary;
    record.caret = m_surface.selStart();
    record.written = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    if (!m_state.isUntitled())
        record.fileStamp = m_host.fileStamp();
    // The document's own text, lent: a large one is not copied for its recovery copy. A change
    // while it is written ends the loan; the copy on the disk stays the last whole one. Typing
    // that never pauses would cut every such copy short, so after one was, the next is taken whole
    // here at once: one key waits for a copy of the text in memory, never for the disk. A very
    // long text is not copied so: its next copy waits for the typing to pause.
    std::shared_ptr<TextLoan> text = m_surface.lendTextInPieces();
    if (m_copyFirst) {
        QByteArray copy;
        copy.reserve(text->size());
        if (text->append(0, text->size(), copy))
            text = std::make_shared<TextLoan>(std::move(copy));
    }
    m_writing = true;
    m_hasCopy = true;
    m_worker.start([this, file, record = std::move(record), text]() mutable {
        // Hashing and writing 50 MB must not take the processor from the window's thread.
        ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), 19);
        bool ended = false;
        const std::optional<QString> error = RecoveryStore::writeLent(file, record, *text, ended);
        text.reset();
        QMetaObject::invokeMethod(this, [this, error, ended] { written(error, ended); }, Qt::QueuedConnection);
    });
}

void RecoveryWriter::written(const std::optional<QString> &error, bool cutShort)
{
    m_writing = false;
    // The change that cut the copy short started the timers again: a text too long to copy
    // whole is written once they run out.
    m_copyFirst = cutShort && m_surface.textLength() <= m_wholeCopyUpTo;
    if (m_copyFirst && !m_finished)
        m_again = true;
    if (error && !m_toldFailure) {
        m_toldFailure = true;
        m_host.recoveryFailed(*error);
    }
    if (m_again) {
        m_again = false;
        dueNow();
    }
}

void RecoveryWriter::removeCopy()
{
    if (!m_hasCopy)
        return;
    m_hasCopy = false;
    const QString file = m_store.ownFile();
    if (!file.isEmpty())
        m_worker.start([file] { RecoveryStore::removeFile(file); });
}

void RecoveryWriter::waitForWrites()
{
    m_worker.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void RecoveryWriter::finish()
{
    m_finished = true;
    documentSettled();
    if (m_windowCaret >= 0)
        m_worker.start([file = RecoveryStore::windowFileOf(m_store.ownFile())] { RecoveryStore::removeFile(file); });
    m_worker.waitForDone();
}

std::optional<QString> RecoveryWriter::adopt(const QString &file)
{
    m_worker.waitForDone();
    auto error = m_store.adopt(file);
    if (!error)
        m_hasCopy = true;
    return error;
}
