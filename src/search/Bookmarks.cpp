#include "Bookmarks.h"

void Bookmarks::clear()
{
    m_lines.clear();
    m_index = 1;
}

QString Bookmarks::toggle(int line)
{
    if (m_lines.removeOne(line))
        return QStringLiteral("Bookmark Removed at Line ") + QString::number(line);
    m_lines.append(line);
    ++m_index;
    return QStringLiteral("Bookmark Set at Line ") + QString::number(line);
}

std::optional<int> Bookmarks::next()
{
    if (m_lines.isEmpty())
        return std::nullopt;
    ++m_index;
    if (m_index > m_lines.size() || m_index < 1)
        m_index = 1;
    return m_lines.at(m_index - 1);
}

std::optional<int> Bookmarks::previous()
{
    if (m_lines.isEmpty())
        return std::nullopt;
    --m_index;
    if (m_index < 1 || m_index > m_lines.size())
        m_index = int(m_lines.size());
    return m_lines.at(m_index - 1);
}
