#include "UnitIndex.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr quint64 High = 0x8080808080808080ULL;

int unitsOf(unsigned char c)
{
    if ((c & 0xC0) == 0x80)
        return 0;
    return c >= 0xF0 && c < 0xF8 ? 2 : 1;
}

// The sum of the eight byte lanes of a word.
qsizetype laneSum(quint64 lanes)
{
    lanes = (lanes & 0x00FF00FF00FF00FFULL) + ((lanes >> 8) & 0x00FF00FF00FF00FFULL);
    return qsizetype((lanes * 0x0001000100010001ULL) >> 48);
}

} // namespace

UnitIndex::Spot UnitIndex::counted(Spot from, const char *data, qsizetype size)
{
    // Eight bytes at a time: the top bit of each byte of a mask marks a continuation byte, or a
    // four-byte lead (top four bits set, the fifth clear). The marks add up in byte lanes, summed
    // before a lane can overflow.
    qsizetype continuation = 0;
    qsizetype fourByte = 0;
    qsizetype i = 0;
    while (i + 8 <= size) {
        quint64 continuationLanes = 0;
        quint64 fourByteLanes = 0;
        for (int k = 0; k < 255 && i + 8 <= size; ++k, i += 8) {
            quint64 w;
            std::memcpy(&w, data + i, 8);
            continuationLanes += (w & ~(w << 1) & High) >> 7;
            fourByteLanes += (w & (w << 1) & (w << 2) & (w << 3) & ~(w << 4) & High) >> 7;
        }
        continuation += laneSum(continuationLanes);
        fourByte += laneSum(fourByteLanes);
    }
    for (; i < size; ++i) {
        const int units = unitsOf(static_cast<unsigned char>(data[i]));
        continuation += units == 0;
        fourByte += units == 2;
    }
    from.byte += size;
    from.chars += size - continuation;
    from.units += size - continuation + fourByte;
    return from;
}

void UnitIndex::Builder::add(const char *data, qsizetype size)
{
    while (size > 0) {
        const qsizetype n = std::min(size, BlockBytes - m_at.byte % BlockBytes);
        m_at = counted(m_at, data, n);
        data += n;
        size -= n;
        if (m_at.byte % BlockBytes == 0)
            m_marks.push_back(m_at);
    }
}

UnitIndex UnitIndex::Builder::finish()
{
    UnitIndex index;
    if (m_marks.size() > 1 && m_marks.back() == m_at)
        m_marks.pop_back();
    index.m_marks = std::move(m_marks);
    index.m_end = m_at;
    m_marks = {Spot{}};
    m_at = {};
    return index;
}

UnitIndex UnitIndex::of(const char *data, qsizetype size)
{
    Builder builder;
    builder.add(data, size);
    return builder.finish();
}

std::size_t UnitIndex::markBefore(qsizetype byte) const
{
    const auto it = std::upper_bound(m_marks.begin(), m_marks.end(), byte,
                                     [](qsizetype b, const Spot &s) { return b < s.byte; });
    return std::size_t(it - m_marks.begin()) - 1;
}

UnitIndex::Spot UnitIndex::at(qsizetype byte, const Reader &read) const
{
    byte = std::clamp<qsizetype>(byte, 0, m_end.byte);
    if (byte == m_end.byte)
        return m_end;
    Spot from = m_marks[markBefore(byte)];
    if (m_last.byte <= byte && m_last.byte > from.byte)
        from = m_last;
    if (from.byte == byte)
        return from;
    m_last = counted(from, read(from.byte, byte - from.byte), byte - from.byte);
    return m_last;
}

UnitIndex::Spot UnitIndex::holding(qsizetype unit, const Reader &read) const
{
    if (unit >= m_end.units)
        return m_end;
    unit = std::max<qsizetype>(unit, 0);
    const auto it = std::upper_bound(m_marks.begin(), m_marks.end(), unit,
                                     [](qsizetype u, const Spot &s) { return u < s.units; });
    Spot spot = *(it - 1);
    if (m_last.units <= unit && m_last.byte > spot.byte)
        spot = m_last;
    const qsizetype stop = it == m_marks.end() ? m_end.byte : it->byte;
    const char *data = read(spot.byte, stop - spot.byte);
    const qsizetype base = spot.byte;
    // Eight bytes hold at most nine units (seven and a four-byte lead): as many eights as there
    // are nines still to go hold none of the one asked for.
    for (qsizetype eights = (unit - spot.units) / 9; eights > 0; eights = (unit - spot.units) / 9) {
        const qsizetype n = std::min(eights * 8, (stop - spot.byte) & ~qsizetype(7));
        if (n <= 0)
            break;
        spot = counted(spot, data + (spot.byte - base), n);
    }
    while (spot.byte < stop) {
        const int u = unitsOf(static_cast<unsigned char>(data[spot.byte - base]));
        if (u > 0 && spot.units + u > unit)
            break;
        ++spot.byte;
        spot.units += u;
        spot.chars += u > 0;
    }
    m_last = spot;
    return spot;
}

void UnitIndex::inserted(qsizetype byte, const char *text, qsizetype length, const Reader &read)
{
    if (length <= 0)
        return;
    m_last = {};
    const Spot grown = count(text, length);
    const std::size_t k = markBefore(byte);
    for (std::size_t i = k + 1; i < m_marks.size(); ++i)
        m_marks[i] += grown;
    m_end += grown;

    // A stretch grown past two blocks, by a paste or by long typing in one place, gets checkpoints
    // of its own again.
    const Spot start = m_marks[k];
    const qsizetype stop = k + 1 < m_marks.size() ? m_marks[k + 1].byte : m_end.byte;
    if (stop - start.byte <= 2 * BlockBytes)
        return;
    const char *data = read(start.byte, stop - start.byte);
    std::vector<Spot> fresh;
    Spot at = start;
    for (qsizetype next = start.byte + BlockBytes; next + BlockBytes / 2 < stop; next += BlockBytes) {
        at = counted(at, data + (at.byte - start.byte), next - at.byte);
        fresh.push_back(at);
    }
    m_marks.insert(m_marks.begin() + std::ptrdiff_t(k + 1), fresh.begin(), fresh.end());
}

void UnitIndex::deleting(qsizetype byte, qsizetype length, const Reader &read)
{
    const Spot from = at(byte, read);
    m_deletion = {from, at(byte + std::max<qsizetype>(0, length), read), true};
}

void UnitIndex::deleted()
{
    if (!m_deletion.pending)
        return;
    m_deletion.pending = false;
    m_last = {};
    const Spot from = m_deletion.from;
    const Spot to = m_deletion.to;
    Spot gone = to;
    gone -= from;
    // The first checkpoint is the start of the text, never after from.
    auto first = m_marks.begin() + std::ptrdiff_t(markBefore(from.byte) + 1);
    auto last = std::lower_bound(first, m_marks.end(), to.byte, [](const Spot &s, qsizetype b) { return s.byte < b; });
    // A checkpoint at the end of the deleted stretch lands on one at its start.
    if (last != m_marks.end() && last->byte == to.byte && (first - 1)->byte == from.byte)
        ++last;
    for (auto it = m_marks.erase(first, last); it != m_marks.end(); ++it)
        *it -= gone;
    m_end -= gone;
}
