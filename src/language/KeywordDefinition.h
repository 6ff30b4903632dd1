#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A language definition as the language definition editor holds it: the fields of a ".kw" file
// and its function help table, read and written in the editor's own way.
struct KeywordDefinition {
    struct Help {
        QString name;   // lower case
        QString text;

        bool operator==(const Help &) const = default;
    };

    QString name = QStringLiteral("My Language");
    QString description;
    QString compiler;
    QString lineComment = QStringLiteral("//");   // as written, a colon as "\:"
    QString lineCommentText;   // the comment commands' marker where the line comment is a pattern
    QString blockCommentStart = QStringLiteral("/*");
    QString blockCommentEnd = QStringLiteral("*/");
    QString stringChar = QStringLiteral("\"");
    // Kept as written so that saving from the editor never drops them.
    QString stringChars;
    QString longStrings;
    QString stringEscape;
    QString foldIndent;
    QString foldOpen;
    QString foldClose;
    bool caseSensitive = false;
    bool wholeWord = false;
    bool markup = false;
    QStringList extensions;
    QStringList keywords;
    QStringList functions;
    QList<Help> help;

    bool operator==(const KeywordDefinition &) const = default;

    // The help text of a function, any letter case; empty when it has none.
    QString helpFor(const QString &function) const;
    // Stores (or replaces) the help text of a function.
    void setHelp(const QString &function, const QString &text);
    void removeHelp(const QString &function);

    // The editor's reader: each key found anywhere in the text ignoring case, its first occurrence,
    // the value from the first ":" after it to the end of that line.
    static KeywordDefinition fromText(const QString &kwText, const QStringList &helpLines);
    // nullopt when the ".kw" file cannot be read; a missing ".a" file gives no help.
    static std::optional<KeywordDefinition> read(const QString &path);

    QStringList kwLines() const;
    // One line per function with a help text: the name, three tabs, the text.
    QStringList helpLines() const;

    // ".kw.kw" becomes ".kw".
    static QString normalisedPath(const QString &path);
    // The ".a" file beside a ".kw" path.
    static QString helpPath(const QString &kwPath);
    // Writes both files (the ".a" file even when it gets no lines); the error text on failure.
    std::optional<QString> write(const QString &path) const;
};
