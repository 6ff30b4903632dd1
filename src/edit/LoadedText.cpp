#include "LoadedText.h"

#include <algorithm>

namespace {

constexpr qsizetype BlockBytes = qsizetype(64) << 10;

} // namespace

LoadedText::LoadedText(StyleCells &cells, qsizetype length)
    : m_cells(cells)
    , m_length(length)
{
    restored();
}

void LoadedText::restored()
{
    m_blocks.clear();
    m_blocks.reserve(std::size_t((m_length + BlockBytes - 1) / BlockBytes));
    for (qsizetype at = 0; at < m_length; at += BlockBytes)
        m_blocks.push_back({at, std::min(BlockBytes, m_length - at), QByteArray(), false});
}

void LoadedText::copyOut(Block &block) const
{
    block.copy = m_cells.utf8Range(block.at, block.length);
    block.copied = true;
}

void LoadedText::beforeChange(qsizetype position, qsizetype length)
{
    // Blocks stay in order; those still in the widget are found by where they stand now.
    const qsizetype end = position + length;
    for (Block &block : m_blocks) {
        if (block.copied)
            continue;
        const qsizetype blockEnd = block.at + block.length;
        const bool reached = length > 0 ? block.at < end && blockEnd > position : block.at < position && blockEnd > position;
        if (reached)
            copyOut(block);
    }
}

void LoadedText::inserted(qsizetype position, qsizetype length)
{
    for (Block &block : m_blocks) {
        if (!block.copied && block.at >= position)
            block.at += length;
    }
}

void LoadedText::removed(qsizetype position, qsizetype length)
{
    for (Block &block : m_blocks) {
        if (!block.copied && block.at >= position + length)
            block.at -= length;
    }
}

QByteArray LoadedText::bytes() const
{
    QByteArray out;
    out.reserve(m_length);
    for (const Block &block : m_blocks)
        out += block.copied ? block.copy : m_cells.utf8Range(block.at, block.length);
    return out;
}

qsizetype LoadedText::bytesCopied() const
{
    qsizetype total = 0;
    for (const Block &block : m_blocks)
        total += block.copied ? block.length : 0;
    return total;
}
