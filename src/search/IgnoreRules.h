#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

// The exclusions of ".gitignore" files: one file's rules, chained to those of the folders above.
// Paths are the system's bytes, absolute, with '/' separators.
class IgnoreRules {
public:
    struct Rule {
        QByteArray pattern;
        bool negated = false;       // "!pattern": includes again
        bool folderOnly = false;    // "pattern/"
        bool anchored = false;      // holds a '/': matched against the path below the file's folder
    };

    // The rules of folder/.gitignore on top of parent, and below them, when folder is a
    // repository's top, those of its .git/info/exclude; parent itself when the folder has none.
    static std::shared_ptr<const IgnoreRules> forFolder(const QByteArray &folder,
                                                        std::shared_ptr<const IgnoreRules> parent);
    // The rules of the repository folders above folder (up to the one holding ".git"), so a search
    // started in a sub-folder excludes what the repository excludes there.
    static std::shared_ptr<const IgnoreRules> above(const QByteArray &folder);
    // The rules of one file's text, for a file in folder.
    static std::shared_ptr<const IgnoreRules> parse(const QByteArray &folder, const QByteArray &text,
                                                    std::shared_ptr<const IgnoreRules> parent);

    // The text of .git/info/exclude when folder is a repository's top (or a work tree of one).
    static QByteArray repositoryExcludes(const QByteArray &folder);

    // The deepest file's last matching rule decides; a path no rule matches is kept.
    bool ignored(const QByteArray &path, bool folder) const;

    // Shell-style matching with '*', '?', "[...]" and "**" across folders; '*' stops at '/'.
    static bool globMatch(const char *pattern, const char *text);

private:
    QByteArray m_folder;
    QList<Rule> m_rules;
    std::shared_ptr<const IgnoreRules> m_parent;
};
