#include "RecentFiles.h"

#include "ListFile.h"

RecentFiles::RecentFiles(QString appFolder)
    : m_appFolder(std::move(appFolder))
    , m_entries(Count)
{
}

QString RecentFiles::filePath() const
{
    return m_appFolder + QStringLiteral("/lastfiles.dat");
}

void RecentFiles::LoadRecentFiles()
{
    // Stale entries would survive a shorter, hand-edited file otherwise.
    const QStringList lines = ListFile::readPaths(filePath()).value_or(QStringList());
    for (int i = 0; i < Count; ++i)
        m_entries[i] = i < lines.size() ? lines.at(i) : QString();
}

std::optional<QString> RecentFiles::AddRecentFile(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    // Merged with what other processes wrote since this one last read the list.
    QStringList merged;
    const auto error = ListFile::updatePaths(filePath(), [&](QStringList &lines) {
        lines = lines.mid(0, Count);
        while (lines.size() < Count)
            lines << QString();
        const qsizetype existing = lines.indexOf(path);
        lines.removeAt(existing >= 0 ? existing : Count - 1);
        lines.prepend(path);
        merged = lines;
        return true;
    });
    if (error) {
        // The menu still shows the file; the list on disk stays as it was.
        const qsizetype existing = m_entries.indexOf(path);
        m_entries.removeAt(existing >= 0 ? existing : Count - 1);
        m_entries.prepend(path);
        return error;
    }
    m_entries = merged;
    return std::nullopt;
}

bool RecentFiles::IsRecentFile(const QString &path) const
{
    return m_entries.contains(path);
}

QString RecentFiles::entry(int number) const
{
    return number >= 1 && number <= Count ? m_entries.at(number - 1) : QString();
}

QString RecentFiles::caption(int number) const
{
    return captionFor(number, entry(number));
}

QString RecentFiles::captionFor(int number, const QString &path)
{
    const QString prefix = number == 10 ? QStringLiteral("1&0 ") : u'&' + QString::number(number) + u' ';
    // A single '&' in a file name would be taken for a mnemonic and vanish from the menu.
    return prefix + QString(shortForm(path)).replace(u'&', QStringLiteral("&&"));
}

QString RecentFiles::shortForm(const QString &path)
{
    QString whole = path;
    while (whole.endsWith(u' '))
        whole.chop(1);
    if (whole.size() <= ShortFormLimit)
        return whole;
    qsizetype cut = whole.size();
    for (int found = 0; found < 4; ++found) {
        cut = cut > 0 ? whole.lastIndexOf(u'/', cut - 1) : -1;
        if (cut < 0)
            return whole;
    }
    return QStringLiteral("../") + whole.mid(cut + 1);
}
