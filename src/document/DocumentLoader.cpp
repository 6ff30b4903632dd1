#include "DocumentLoader.h"

#include "HugePages.h"

#include <QDateTime>

#include <sys/stat.h>

#include <cstring>

ConversionPipe::ConversionPipe(const char *data, qsizetype size, const DecodePlan &plan)
    // Each byte becomes at most two: a lone LF gains its CR, a Latin-1 character takes two bytes.
    : m_out(HugePages::uninitialized(plan.toCrLf || plan.expandLatin1 ? 2 * size : size))
    , m_buffer(m_out.data())
{
    m_thread = std::thread([this, data, size, plan] {
        qsizetype written = 0;
        UnitIndex::Builder units;
        // Small pieces keep the widget close behind the conversion.
        convertForWidget(data, size, plan, [this, &written, &units, ascii = plan.ascii](const char *piece, qsizetype n) {
            std::memcpy(m_buffer + written, piece, std::size_t(n));
            if (!ascii)
                units.add(m_buffer + written, n);
            written += n;
            {
                const std::lock_guard lock(m_mutex);
                m_ready.store(written, std::memory_order_release);
            }
            m_grown.notify_one();
        }, qsizetype(1) << 20);
        // This thread is ahead of the widget: the fingerprint costs the window nothing here.
        m_fingerprint = TextFingerprint::of(m_buffer, written);
        if (!plan.ascii)
            m_units = units.finish();
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_grown.notify_one();
    });
}

ConversionPipe::~ConversionPipe()
{
    if (m_thread.joinable())
        m_thread.join();
}

ConversionPipe::Piece ConversionPipe::next(qsizetype maxSize)
{
    qsizetype ready = m_ready.load(std::memory_order_acquire);
    if (ready == m_given) {
        std::unique_lock lock(m_mutex);
        m_grown.wait(lock, [this] { return m_finished || m_ready.load(std::memory_order_relaxed) > m_given; });
        ready = m_ready.load(std::memory_order_acquire);
    }
    const Piece piece{m_buffer + m_given, std::min(maxSize, ready - m_given)};
    m_given += piece.size;
    return piece;
}

QByteArray ConversionPipe::take()
{
    if (m_thread.joinable())
        m_thread.join();
    m_out.resize(m_ready.load(std::memory_order_acquire));
    return std::move(m_out);
}

QString FileTimeText(const QString &path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(FileIO::encodePath(path).constData(), &info) != 0)
        return {};
    const QDateTime t = QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec).toLocalTime();
    return QStringLiteral("%1%2%3-%4:%5:%6")
        .arg(t.date().year())
        .arg(t.date().month())
        .arg(t.date().day())
        .arg(t.time().hour())
        .arg(t.time().minute())
        .arg(t.time().second());
}
