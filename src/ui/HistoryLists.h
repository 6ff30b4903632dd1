#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The input histories of the find, replace and open-URL dialogs: one entry per line, oldest first,
// no two entries that differ only in letter case.
class HistoryLists {
public:
    // The list numbers the dialogs pass.
    static constexpr int SearchStrings = 1;
    static constexpr int ReplaceStrings = 2;
    static constexpr int Commands = 3;
    static constexpr int Urls = 4;

    explicit HistoryLists(QString appFolder);

    // <folder>/searchstrings, replacestrings, commands or urls; empty for any other number.
    QString HistoryFilePath(int list) const;
    bool IsInHistory(const QString &text, int list) const;
    // Appends the text unless it is listed already; blank texts and texts with line breaks, which
    // the one-line-per-entry file cannot hold, are not added. The error text on failure.
    std::optional<QString> AddToHistory(const QString &text, int list) const;
    // The lines that are not blank, in file order; empty when the file is missing.
    QStringList LoadHistory(int list) const;

private:
    QString m_appFolder;
};
