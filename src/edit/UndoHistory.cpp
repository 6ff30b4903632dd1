#include "UndoHistory.h"

#include "Utf8Units.h"

#include <QObject>

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

// Pieces of about this many bytes: a one-character edit copies one piece, every other piece is shared.
constexpr int TargetChunk = 4096;
constexpr int MaxChunk = 2 * TargetChunk;
constexpr int MinChunk = TargetChunk / 4;

// UTF-16 code units a UTF-8 byte starts: continuation bytes none, four-byte sequences two.
int unitsOfByte(unsigned char byte)
{
    if ((byte & 0xC0) == 0x80)
        return 0;
    return byte >= 0xF0 ? 2 : 1;
}

} // namespace

// One piece of the document: its UTF-8 bytes and, per byte, the id of its format.
struct UndoHistory::Chunk {
    QByteArray bytes;
    QByteArray ids;
    bool ascii = true;
    // The block bytes is cut from, when it is a view into one copy of a whole document.
    QByteArray backing;
};

struct UndoHistory::Image {
    std::vector<std::shared_ptr<const Chunk>> chunks;
    // starts[i] is the offset of chunk i; the last entry is the length.
    std::vector<int> starts{0};

    int length() const { return starts.back(); }
    bool ascii() const
    {
        return std::all_of(chunks.begin(), chunks.end(), [](const auto &c) { return c->ascii; });
    }
    QByteArray bytes() const
    {
        QByteArray out;
        out.reserve(length());
        for (const auto &c : chunks)
            out += c->bytes;
        return out;
    }
    QByteArray ids() const
    {
        QByteArray out;
        out.reserve(length());
        for (const auto &c : chunks)
            out += c->ids;
        return out;
    }
    void append(std::shared_ptr<const Chunk> chunk)
    {
        starts.push_back(starts.back() + int(chunk->bytes.size()));
        chunks.push_back(std::move(chunk));
    }
};

namespace {

using Image = UndoHistory::Image;
using Chunk = UndoHistory::Chunk;

// Length of the start that the image shares with the given bytes (and ids, when given).
int commonPrefix(const Image &image, const char *bytes, const char *ids, int length)
{
    int done = 0;
    for (const auto &chunk : image.chunks) {
        const int n = std::min(int(chunk->bytes.size()), length - done);
        const char *b = chunk->bytes.constData();
        const char *d = chunk->ids.constData();
        if (n == chunk->bytes.size() && std::memcmp(b, bytes + done, std::size_t(n)) == 0
            && (!ids || std::memcmp(d, ids + done, std::size_t(n)) == 0)) {
            done += n;
            continue;
        }
        int i = 0;
        while (i < n && b[i] == bytes[done + i] && (!ids || d[i] == ids[done + i]))
            ++i;
        return done + i;
    }
    return done;
}

// Length of the end shared with the given bytes, at most limit.
int commonSuffix(const Image &image, const char *bytes, const char *ids, int length, int limit)
{
    int done = 0;
    for (auto it = image.chunks.rbegin(); it != image.chunks.rend() && done < limit; ++it) {
        const Chunk &chunk = **it;
        const int size = int(chunk.bytes.size());
        const int n = std::min(size, limit - done);
        const char *b = chunk.bytes.constData() + size - n;
        const char *d = chunk.ids.constData() + size - n;
        const int at = length - done - n;
        if (std::memcmp(b, bytes + at, std::size_t(n)) == 0 && (!ids || std::memcmp(d, ids + at, std::size_t(n)) == 0)) {
            done += n;
            continue;
        }
        int i = n - 1;
        while (i >= 0 && b[i] == bytes[at + i] && (!ids || d[i] == ids[at + i]))
            --i;
        return done + (n - 1 - i);
    }
    return std::min(done, limit);
}

std::shared_ptr<const Chunk> makeChunk(const char *bytes, const char *ids, int length)
{
    auto chunk = std::make_shared<Chunk>();
    chunk->bytes = QByteArray(bytes, length);
    chunk->ids = QByteArray(ids, length);
    chunk->ascii = isAsciiBytes(bytes, length);
    return chunk;
}

// The base with [prefix, length - suffix) of the base replaced by mid: pieces wholly outside are shared.
std::shared_ptr<const Image> derive(const Image &base, int prefix, int suffix, const char *midBytes, const char *midIds,
                                    int midLength)
{
    const int count = int(base.chunks.size());
    const int tailStart = base.length() - suffix;
    int first = int(std::upper_bound(base.starts.begin(), base.starts.end(), prefix) - base.starts.begin()) - 1;
    int last = int(std::lower_bound(base.starts.begin(), base.starts.end(), tailStart) - base.starts.begin());
    first = std::min(first, count);
    last = std::max(last, first);

    QByteArray bytes;
    QByteArray ids;
    if (first < count) {
        const Chunk &head = *base.chunks[std::size_t(first)];
        const int keep = prefix - base.starts[std::size_t(first)];
        bytes.append(head.bytes.constData(), keep);
        ids.append(head.ids.constData(), keep);
    }
    bytes.append(midBytes, midLength);
    ids.append(midIds, midLength);
    if (last > first && last <= count) {
        const Chunk &tail = *base.chunks[std::size_t(last - 1)];
        const int from = tailStart - base.starts[std::size_t(last - 1)];
        bytes.append(tail.bytes.constData() + from, tail.bytes.size() - from);
        ids.append(tail.ids.constData() + from, tail.ids.size() - from);
    }
    // Edits in one place would otherwise leave ever smaller pieces behind.
    if (bytes.size() < MinChunk && first > 0) {
        --first;
        bytes.prepend(base.chunks[std::size_t(first)]->bytes);
        ids.prepend(base.chunks[std::size_t(first)]->ids);
    } else if (bytes.size() < MinChunk && last < count) {
        bytes.append(base.chunks[std::size_t(last)]->bytes);
        ids.append(base.chunks[std::size_t(last)]->ids);
        ++last;
    }

    auto image = std::make_shared<Image>();
    image->chunks.reserve(std::size_t(count + bytes.size() / TargetChunk + 2));
    image->starts.reserve(image->chunks.capacity() + 1);
    for (int i = 0; i < first; ++i)
        image->append(base.chunks[std::size_t(i)]);
    const int size = int(bytes.size());
    const int pieces = size <= MaxChunk ? 1 : (size + TargetChunk - 1) / TargetChunk;
    for (int p = 0; p < pieces && size > 0; ++p) {
        const int from = int(qint64(size) * p / pieces);
        const int to = int(qint64(size) * (p + 1) / pieces);
        image->append(makeChunk(bytes.constData() + from, ids.constData() + from, to - from));
    }
    for (int i = last; i < count; ++i)
        image->append(base.chunks[std::size_t(i)]);
    return image;
}

} // namespace

UndoHistory::UndoHistory(EditorSurface &surface)
    : m_surface(surface)
    , m_native(surface.styleCells())
    , m_slots(std::size_t(Capacity + 1))
    , m_palette{CharFormat{}}
{
    if (m_native) {
        // A second listener beside the surface's own: the ranges tell which pieces a snapshot must read.
        m_connection = m_native->onModified(
            [this](int position, StyleChanges kind, int length) { trackModification(position, kind, length); });
    }
    reset();
}

UndoHistory::~UndoHistory()
{
    QObject::disconnect(m_connection);
}

void UndoHistory::trackModification(int position, StyleChanges kind, int length)
{
    if (m_loaded && !m_restoringLoaded) {
        if (kind.testFlag(StyleChange::BeforeRemove))
            m_loaded->beforeChange(position, length);
        else if (kind.testFlag(StyleChange::BeforeInsert))
            m_loaded->beforeChange(position, 0);
        if (kind.testFlag(StyleChange::Insert))
            m_loaded->inserted(position, length);
        else if (kind.testFlag(StyleChange::Remove))
            m_loaded->removed(position, length);
    }
    const bool insert = kind.testFlag(StyleChange::Insert);
    const bool remove = kind.testFlag(StyleChange::Remove);
    const bool style = kind.testFlag(StyleChange::Style);
    if (!insert && !remove && !style)
        return;
    if (insert || remove)
        ++m_textEventsSeen;
    if (m_dirtyStart < 0) {
        m_dirtyStart = position;
        m_dirtyEnd = remove ? position : position + length;
        return;
    }
    if (insert && m_dirtyEnd > position)
        m_dirtyEnd += length;
    if (remove && m_dirtyEnd > position)
        m_dirtyEnd = std::max(position, m_dirtyEnd - length);
    m_dirtyStart = std::min(m_dirtyStart, position);
    m_dirtyEnd = std::max(m_dirtyEnd, remove ? position : position + length);
}

void UndoHistory::forgetTracking(bool stylesKnown)
{
    m_dirtyStart = -1;
    m_dirtyEnd = -1;
    m_textEventsSeen = 0;
    m_changeEvents = 0;
    m_stylesTracked = stylesKnown && m_native;
}

void UndoHistory::noteChange()
{
    ++m_changeEvents;
    if (m_restoring)
        m_restoring = false;
    else
        m_changed = true;
}

QByteArray UndoHistory::genericIds(const QByteArray &bytes)
{
    QByteArray ids(bytes.size(), '\0');
    const CharFormat defaultFormat = m_surface.defaultFormat();
    const std::vector<FormatRun> runs = m_surface.formatRuns(0, m_surface.textLength());
    const bool ascii = bytes.size() == m_surface.textLength();
    int lastIndex = 0;
    auto idOf = [&](const CharFormat &format) {
        if (format == defaultFormat)
            return 0;
        if (lastIndex > 0 && m_palette[std::size_t(lastIndex)] == format)
            return lastIndex;
        const auto it = std::find(m_palette.begin() + 1, m_palette.end(), format);
        if (it != m_palette.end())
            lastIndex = int(it - m_palette.begin());
        else if (m_palette.size() < 256) {
            m_palette.push_back(format);
            lastIndex = int(m_palette.size()) - 1;
        } else {
            // One byte per id: beyond 255 distinct formats the rest come back in the default format.
            return 0;
        }
        return lastIndex;
    };
    char *out = ids.data();
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.constData());
    qsizetype at = 0;
    for (const FormatRun &run : runs) {
        const char id = char(idOf(run.format));
        if (ascii) {
            const qsizetype n = std::min<qsizetype>(run.length, bytes.size() - at);
            std::memset(out + at, id, std::size_t(std::max<qsizetype>(0, n)));
            at += std::max<qsizetype>(0, n);
            continue;
        }
        int units = run.length;
        while (at < bytes.size() && (units > 0 || unitsOfByte(in[at]) == 0)) {
            units -= unitsOfByte(in[at]);
            out[at++] = id;
        }
    }
    return ids;
}

std::shared_ptr<const UndoHistory::Image> UndoHistory::capture()
{
    static const Image empty;
    const Image &base = m_base ? *m_base : empty;
    std::shared_ptr<const Image> image;
    if (m_native) {
        const QByteArrayView text = m_native->utf8();
        const int length = int(text.size());
        const char *bytes = text.constData();
        if (m_stylesTracked && m_textEventsSeen == m_changeEvents && m_base) {
            // The widget told which bytes changed: a snapshot after a key reads those, never the
            // whole text.
            int start = length;
            int end = length;
            if (m_dirtyStart >= 0) {
                start = std::clamp(m_dirtyStart, 0, length);
                end = std::clamp(m_dirtyEnd, start, length);
            }
            const int tail = std::min(length - end, base.length() - start);
            end = length - tail;
            const QByteArray ids = m_native->styleIds(start, end - start);
            image = derive(base, start, tail, bytes + start, ids.constData(), end - start);
        } else {
            // Something changed the styles unseen (a whole-text replacement): compare every style.
            const QByteArray ids = m_native->styleIds(0, length);
            const int start = commonPrefix(base, bytes, ids.constData(), length);
            const int tail = commonSuffix(base, bytes, ids.constData(), length, std::min(base.length(), length) - start);
            image = derive(base, start, tail, bytes + start, ids.constData() + start, length - start - tail);
        }
    } else {
        const QByteArray bytes = m_surface.textUtf8();
        const QByteArray ids = genericIds(bytes);
        const int length = int(bytes.size());
        const int start = commonPrefix(base, bytes.constData(), ids.constData(), length);
        const int tail = commonSuffix(base, bytes.constData(), ids.constData(), length,
                                      std::min(base.length(), length) - start);
        image = derive(base, start, tail, bytes.constData() + start, ids.constData() + start, length - start - tail);
    }
    m_base = image;
    forgetTracking(true);
    return image;
}

std::shared_ptr<const UndoHistory::Image> UndoHistory::plainImage(const QByteArray &bytes)
{
    // Cut straight from the copy, and every piece's ids point at one shared run of zeros: a loaded
    // document of 50 MB costs its bytes once, not its bytes and ids and a copy of both.
    static const QByteArray zeros(MaxChunk, '\0');
    const int size = int(bytes.size());
    auto image = std::make_shared<Image>();
    const int pieces = (size + TargetChunk - 1) / TargetChunk;
    image->chunks.reserve(std::size_t(pieces));
    image->starts.reserve(std::size_t(pieces) + 1);
    for (int from = 0; from < size; from += TargetChunk) {
        const int length = std::min(TargetChunk, size - from);
        auto chunk = std::make_shared<Chunk>();
        chunk->backing = bytes;
        chunk->bytes = QByteArray::fromRawData(bytes.constData() + from, length);
        chunk->ids = QByteArray::fromRawData(zeros.constData(), length);
        chunk->ascii = isAsciiBytes(chunk->bytes.constData(), length);
        image->append(std::move(chunk));
    }
    return image;
}

void UndoHistory::settleBase()
{
    if (!m_pendingBase.valid())
        return;
    m_slots[0].image = m_pendingBase.get();
    m_base = m_slots[0].image;
    m_pendingBase = {};
}

std::shared_ptr<const UndoHistory::Image> UndoHistory::imageAt(std::size_t index) const
{
    if (index == 0 && m_pendingBase.valid())
        return m_pendingBase.get();
    return m_slots[index].image;
}

void UndoHistory::reset()
{
    m_pendingBase = {};
    m_slots.assign(std::size_t(Capacity + 1), Slot{});
    m_position = 0;
    m_topMark = 0;
    m_slots[0] = {m_surface.selStart(), m_surface.selLength(), nullptr};
    m_base = nullptr;
    m_loaded.reset();
    // A large text is cut into records on another thread, also when its copy is ready.
    constexpr qsizetype CutAside = qsizetype(1) << 20;
    if (m_native && m_fileSize > SizeLimit) {
        // No snapshots for it: record 0 is the widget's own text, copied block by block only as
        // edits are about to change it.
        m_loaded = std::make_unique<LoadedText>(*m_native, m_native->utf8().size());
        m_changed = false;
        m_restoring = false;
        m_onRecord = false;
        forgetTracking(false);
        return;
    }
    const std::shared_future<QByteArray> copy = m_surface.textSnapshotAsync();
    if (copy.wait_for(std::chrono::seconds(0)) == std::future_status::ready && copy.get().size() < CutAside) {
        m_slots[0].image = plainImage(copy.get());
        m_base = m_slots[0].image;
    } else {
        m_pendingBase = std::async(std::launch::async, [copy] { return plainImage(copy.get()); }).share();
    }
    m_changed = false;
    m_restoring = false;
    m_onRecord = false;
    // The surface may already be coloured: the next snapshot reads every style.
    forgetTracking(false);
}

void UndoHistory::store(int index)
{
    m_slots[std::size_t(index)] = {m_surface.selStart(), m_surface.selLength(), capture()};
}

void UndoHistory::clearAbove(int index)
{
    for (std::size_t i = std::size_t(std::max(0, index)); i < m_slots.size(); ++i)
        m_slots[i] = Slot{};
}

UndoHistory::SnapshotResult UndoHistory::AddHistory()
{
    if (m_fileSize > SizeLimit)
        return {};
    settleBase();
    // The record the user went back to stays; the new state goes above it.
    if (m_onRecord) {
        ++m_position;
        m_onRecord = false;
    }
    store(m_position);
    ++m_position;
    // A new edit ends the redo branch: redoing into it would drop the edit.
    clearAbove(m_position);
    if (m_position > Capacity - 1) {
        --m_position;
        std::rotate(m_slots.begin(), m_slots.begin() + 1, m_slots.end());
        m_slots.back() = Slot{};
        m_topMark = m_position;
    }
    return {true, m_position >= 2};
}

bool UndoHistory::undo()
{
    settleBase();
    m_restoring = true;
    if (m_changed) {
        if (m_fileSize > SizeLimit) {
            // No snapshots for large documents, but the edits undone stay one Redo away.
            store(1);
            clearAbove(2);
            m_position = 1;
            m_onRecord = false;
        } else {
            AddHistory();
            --m_position;
        }
    }
    m_changed = false;
    m_position = std::max(0, m_position - 1);
    const Slot slot = m_slots[std::size_t(m_position)];
    if (m_position == 0 && m_loaded) {
        restoreLoaded(slot);
        m_onRecord = true;
        return true;
    }
    if (!slot.image) {
        m_restoring = false;
        return false;
    }
    restore(slot);
    m_onRecord = true;
    return true;
}

bool UndoHistory::redo()
{
    // Redoing over edits made since the last snapshot would lose them.
    if (!canRedo())
        return false;
    settleBase();
    m_restoring = true;
    ++m_position;
    restore(m_slots[std::size_t(m_position)]);
    m_onRecord = true;
    return true;
}

bool UndoHistory::canUndo() const
{
    return m_position >= 1;
}

bool UndoHistory::canRedo() const
{
    const std::size_t next = std::size_t(m_position + 1);
    return !m_changed && next < m_slots.size() && m_slots[next].image != nullptr;
}

std::vector<FormatRun> UndoHistory::runsOf(const Image &image) const
{
    std::vector<FormatRun> runs;
    const CharFormat defaultFormat = m_surface.defaultFormat();
    for (const auto &chunk : image.chunks) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(chunk->bytes.constData());
        const char *ids = chunk->ids.constData();
        for (qsizetype i = 0; i < chunk->bytes.size(); ++i) {
            const int units = unitsOfByte(bytes[i]);
            if (units == 0)
                continue;
            const auto id = std::size_t(static_cast<unsigned char>(ids[i]));
            const CharFormat &format = id == 0 || id >= m_palette.size() ? defaultFormat : m_palette[id];
            if (!runs.empty() && runs.back().format == format)
                runs.back().length += units;
            else
                runs.push_back({units, format});
        }
    }
    return runs;
}

void UndoHistory::putBack(const QByteArray &bytes)
{
    const QByteArrayView now = m_native->utf8();
    const qsizetype common = std::min(now.size(), bytes.size());
    qsizetype prefix = std::mismatch(now.begin(), now.begin() + common, bytes.begin()).first - now.begin();
    qsizetype suffix = 0;
    while (suffix < common - prefix && now[now.size() - 1 - suffix] == bytes[bytes.size() - 1 - suffix])
        ++suffix;
    // Whole characters only: the widget's character index never sees half of one come or go.
    const auto continues = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    while (prefix > 0 && ((prefix < now.size() && continues(now[prefix]))
                          || (prefix < bytes.size() && continues(bytes[prefix]))))
        --prefix;
    while (suffix > 0 && continues(now[now.size() - suffix]))
        --suffix;
    if (prefix == now.size() && prefix == bytes.size())
        return;
    m_native->replaceBytes(prefix, now.size() - prefix - suffix,
                           QByteArrayView(bytes).sliced(prefix, bytes.size() - prefix - suffix));
}

void UndoHistory::putBackStyles(const QByteArray &ids)
{
    const QByteArray now = m_native->styleIds(0, int(ids.size()));
    const qsizetype first = std::mismatch(now.begin(), now.end(), ids.begin()).first - now.begin();
    if (first == ids.size())
        return;
    qsizetype end = ids.size();
    while (end > first && now[end - 1] == ids[end - 1])
        --end;
    m_native->setStyleIdsAt(first, QByteArrayView(ids).sliced(first, end - first));
}

void UndoHistory::restore(const Slot &slot)
{
    const Image &image = *slot.image;
    const QByteArray ids = image.ids();
    m_surface.setVisible(false);
    if (m_native) {
        // Only what differs is rewritten, as an edit would: folds, bookmarks and the view elsewhere
        // stay, and the widget's style numbers never change meaning.
        putBack(image.bytes());
        putBackStyles(ids);
    } else {
        m_surface.setTextUtf8(image.bytes(), image.ascii());
        if (!std::all_of(ids.begin(), ids.end(), [](char c) { return c == 0; }))
            m_surface.applyFormatRuns(0, runsOf(image));
    }
    m_surface.setSelStart(slot.selStart);
    m_surface.setSelLength(slot.selLength);
    m_surface.setVisible(true);
    m_surface.setFocus();
    // A surface that reports no change must not leave the flag to swallow the user's next edit, and
    // one that reports the restore as several changes must not count it as the user's.
    m_restoring = false;
    m_changed = false;
    m_base = slot.image;
    forgetTracking(true);
}

void UndoHistory::restoreLoaded(const Slot &slot)
{
    const QByteArray bytes = m_loaded->bytes();
    m_surface.setVisible(false);
    // The widget takes back the very text the blocks describe: none of them is copied for it.
    m_restoringLoaded = true;
    putBack(bytes);
    m_restoringLoaded = false;
    m_loaded->restored();
    m_surface.setSelStart(slot.selStart);
    m_surface.setSelLength(slot.selLength);
    m_surface.setVisible(true);
    m_surface.setFocus();
    m_restoring = false;
    m_changed = false;
    m_base = nullptr;
    forgetTracking(true);
}

int UndoHistory::recordCount() const
{
    int count = 0;
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        count += imageAt(i) != nullptr || (i == 0 && m_loaded);
    return count;
}

std::optional<UndoHistory::Record> UndoHistory::record(int index) const
{
    if (index < 0 || index >= int(m_slots.size()))
        return std::nullopt;
    const Slot &slot = m_slots[std::size_t(index)];
    if (index == 0 && m_loaded)
        return Record{slot.selStart, slot.selLength, QString::fromUtf8(m_loaded->bytes()), {}};
    const std::shared_ptr<const Image> image = imageAt(std::size_t(index));
    if (!image)
        return std::nullopt;
    Record out;
    out.selStart = slot.selStart;
    out.selLength = slot.selLength;
    out.text = QString::fromUtf8(image->bytes());
    if (!m_native)
        out.runs = runsOf(*image);
    return out;
}

qsizetype UndoHistory::bytesHeld() const
{
    // Each allocation also costs its header; 32 bytes is what glibc and QArrayData add together.
    constexpr qsizetype Overhead = 32;
    std::unordered_set<const Image *> images;
    std::unordered_set<const Chunk *> chunks;
    qsizetype total = qsizetype(m_slots.capacity() * sizeof(Slot));
    auto count = [&](const Image *image) {
        if (!image || !images.insert(image).second)
            return;
        total += qsizetype(sizeof(Image)) + Overhead * 3 + qsizetype(image->chunks.capacity() * sizeof(image->chunks[0]))
            + qsizetype(image->starts.capacity() * sizeof(int));
        for (const auto &chunk : image->chunks) {
            if (chunks.insert(chunk.get()).second)
                total += qsizetype(sizeof(Chunk)) + Overhead * 3 + chunk->bytes.capacity() + chunk->ids.capacity();
        }
    };
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        count(imageAt(i).get());
    count(m_base.get());
    if (m_loaded)
        total += m_loaded->bytesCopied();
    return total;
}
