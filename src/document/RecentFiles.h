#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The ten most recent documents, most recent first, kept in <appfolder>/lastfiles.dat and shared
// by every running process.
class RecentFiles {
public:
    static constexpr int Count = 10;

    explicit RecentFiles(QString appFolder);

    QString filePath() const;  // <folder>/lastfiles.dat

    // Replaces the entries by the file's first ten lines; a missing file empties the list.
    void LoadRecentFiles();
    // Moves or inserts the path at the top and rewrites the file; the error text on failure.
    std::optional<QString> AddRecentFile(const QString &path);
    bool IsRecentFile(const QString &path) const;

    // Ten entries; empty strings for unused ones.
    const QStringList &entries() const { return m_entries; }
    // Entry 1 … 10, empty when out of range.
    QString entry(int number) const;
    // Menu text of entry 1 … 10: "&1 " … "&9 ", "1&0 ", then the short form.
    QString caption(int number) const;

    static QString captionFor(int number, const QString &path);
    // Paths up to this many characters are shown whole.
    static constexpr int ShortFormLimit = 60;
    // A path longer than the limit: "../" and its last three folders and the file name, when it is
    // deeper than that; any other path whole, without trailing blanks.
    static QString shortForm(const QString &path);

private:
    QString m_appFolder;
    QStringList m_entries;
};
