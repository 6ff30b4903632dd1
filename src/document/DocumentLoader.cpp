#include "DocumentLoader.h"


#include <QDateTime>

#include <sys/stat.h>

#include <cstring>
#include <utility>

namespace {

// Pieces of this size keep the widget close behind the conversion; a few of them wait at most.
constexpr qsizetype PieceBytes = qsizetype(4) << 20;
constexpr std::size_t MaxWaiting = 3;
// The file is converted in slices cut after a line feed, so no line break straddles two of them.
constexpr qsizetype SliceBytes = qsizetype(8) << 20;

qsizetype sliceEnd(const char *data, qsizetype size, qsizetype from)
{
    if (size - from <= SliceBytes)
        return size;
    const char *lf = static_cast<const char *>(std::memchr(data + from + SliceBytes, '\n', std::size_t(size - from - SliceBytes)));
    return lf ? lf - data + 1 : size;
}

} // namespace

ConversionPipe::ConversionPipe(const char *data, qsizetype size, const DecodePlan &plan,
                               std::function<void(qsizetype)> consumed)
{
    m_thread = std::thread([this, data, size, plan, consumed = std::move(consumed)] {
        UnitIndex::Builder units;
        TextFingerprint::Builder print;
        QByteArray fill;
        auto sink = [&](const char *piece, qsizetype n) {
            while (n > 0) {
                if (fill.isNull())
                    fill.reserve(PieceBytes);
                const qsizetype take = std::min(n, PieceBytes - fill.size());
                fill.append(piece, take);
                piece += take;
                n -= take;
                if (fill.size() == PieceBytes)
                    push(std::exchange(fill, QByteArray()));
            }
        };
        auto hashed = [&](const char *piece, qsizetype n) {
            if (!plan.ascii)
                units.add(piece, n);
            print.add(piece, n);
            sink(piece, n);
        };
        const qsizetype skip = std::min(plan.skip, size);
        DecodePlan slicePlan = plan;
        slicePlan.skip = 0;
        for (qsizetype from = skip; from < size;) {
            {
                const std::lock_guard lock(m_mutex);
                if (m_stop)
                    break;
            }
            const qsizetype to = sliceEnd(data, size, from);
            convertForWidget(data + from, to - from, slicePlan, hashed, qsizetype(1) << 20);
            if (consumed)
                consumed(to);
            from = to;
        }
        if (!fill.isEmpty())
            push(std::move(fill));
        // This thread is ahead of the widget: the fingerprint costs the window nothing here.
        m_fingerprint = print.finish();
        if (!plan.ascii)
            m_units = units.finish();
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_changed.notify_all();
    });
}

ConversionPipe::~ConversionPipe()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ConversionPipe::push(QByteArray piece)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stop || m_ready.size() < MaxWaiting; });
    if (m_stop)
        return;
    m_ready.push_back(std::move(piece));
    lock.unlock();
    m_changed.notify_all();
}

ConversionPipe::Piece ConversionPipe::next(qsizetype maxSize)
{
    if (m_offset == m_current.size()) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_finished || !m_ready.empty(); });
        if (m_ready.empty()) {
            m_current = QByteArray();
        } else {
            m_current = std::move(m_ready.front());
            m_ready.pop_front();
        }
        m_offset = 0;
        lock.unlock();
        m_changed.notify_all();
        if (m_current.isEmpty()) {
            if (m_thread.joinable())
                m_thread.join();
            return {nullptr, 0};
        }
    }
    const Piece piece{m_current.constData() + m_offset, std::min(std::max<qsizetype>(1, maxSize), m_current.size() - m_offset)};
    m_offset += piece.size;
    m_given += piece.size;
    return piece;
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
