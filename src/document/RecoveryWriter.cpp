#include "RecoveryWriter.h"

#include "DocumentState.h"
#include "EditorSurface.h"

#include <QCoreApplication>
#include <QDateTime>

#include <future>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

RecoveryWriter::RecoveryWriter(const QString &folder, EditorSurface &surface, const DocumentState &state, Hooks hooks,
                               QObject *parent)
    : QObject(parent)
    , m_store(folder)
    , m_surface(surface)
    , m_state(state)
    , m_hooks(std::move(hooks))
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
}

void RecoveryWriter::noteChange()
{
    m_pause.start();
    if (!m_longest.isActive())
        m_longest.start();
}

void RecoveryWriter::documentSettled()
{
    m_pause.stop();
    m_longest.stop();
    m_again = false;
    removeCopy();
}

void RecoveryWriter::writeNow()
{
    m_pause.stop();
    m_longest.stop();
    dueNow();
}

void RecoveryWriter::dueNow()
{
    m_pause.stop();
    m_longest.stop();
    if (m_state.isDocumentSaved || m_state.isLoading) {
        removeCopy();
        return;
    }
    if (m_writing) {
        m_again = true;
        return;
    }
    const QString file = m_store.ownFile();
    if (file.isEmpty()) {
        written(QStringLiteral("Couldn't make or lock a recovery file in %1").arg(m_store.folder()));
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
    record.fileStamp = m_hooks.fileStamp ? m_hooks.fileStamp() : QString();
    // The copy the undo history shares; of a large document it is made on another thread.
    std::shared_future<QByteArray> text = m_surface.textSnapshotAsync();
    m_writing = true;
    m_hasCopy = true;
    m_worker.start([this, file, record = std::move(record), text]() mutable {
        // Hashing and writing 50 MB must not take the processor from the window's thread.
        ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), 10);
        record.text = text.get();
        const std::optional<QString> error = RecoveryStore::write(file, record);
        QMetaObject::invokeMethod(this, [this, error] { written(error); }, Qt::QueuedConnection);
    });
}

void RecoveryWriter::written(const std::optional<QString> &error)
{
    m_writing = false;
    if (error && !m_toldFailure && m_hooks.failed) {
        m_toldFailure = true;
        m_hooks.failed(*error);
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
    documentSettled();
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
