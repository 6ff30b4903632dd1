#pragma once

#include <QList>
#include <QString>

#include <optional>

// Bookmarked one-based line numbers in the order they were set. They stay plain numbers: editing
// above a bookmark does not move it, and one may point past the end of a shortened document.
class Bookmarks {
public:
    void clear();
    // Sets or removes the bookmark of a line; the message for the status line.
    QString toggle(int line);
    // The line to go to, in the order the bookmarks were set; nothing when there are none.
    std::optional<int> next();
    std::optional<int> previous();

    bool isBookmarked(int line) const { return m_lines.contains(line); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    const QList<int> &lines() const { return m_lines; }

private:
    QList<int> m_lines;
    int m_index = 1;
};
