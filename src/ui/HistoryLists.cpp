#include "HistoryLists.h"

#include "ListFile.h"

#include <algorithm>

HistoryLists::HistoryLists(QString appFolder)
    : m_appFolder(std::move(appFolder))
{
}

QString HistoryLists::HistoryFilePath(int list) const
{
    switch (list) {
    case SearchStrings:
        return m_appFolder + QStringLiteral("/searchstrings");
    case ReplaceStrings:
        return m_appFolder + QStringLiteral("/replacestrings");
    case Commands:
        return m_appFolder + QStringLiteral("/commands");
    case Urls:
        return m_appFolder + QStringLiteral("/urls");
    default:
        return QString();
    }
}

bool HistoryLists::IsInHistory(const QString &text, int list) const
{
    const QString path = HistoryFilePath(list);
    if (path.isEmpty())
        return false;
    const QString wanted = text.toLower();
    const QStringList lines = ListFile::read(path).value_or(QStringList());
    return std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) { return line.toLower() == wanted; });
}

std::optional<QString> HistoryLists::AddToHistory(const QString &text, int list) const
{
    const QString path = HistoryFilePath(list);
    if (path.isEmpty() || text.trimmed().isEmpty() || text.contains(u'\r') || text.contains(u'\n'))
        return std::nullopt;
    const QString wanted = text.toLower();
    // Checked again under the lock: another window may have added it meanwhile.
    return ListFile::update(path, [&](QStringList &lines) {
        if (std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) { return line.toLower() == wanted; }))
            return false;
        lines << text;
        return true;
    });
}

QStringList HistoryLists::LoadHistory(int list) const
{
    const QString path = HistoryFilePath(list);
    if (path.isEmpty())
        return {};
    QStringList lines = ListFile::read(path).value_or(QStringList());
    lines.removeIf([](const QString &line) { return line.trimmed().isEmpty(); });
    return lines;
}
