#pragma once

#include "FunctionHelp.h"

#include <QChar>
#include <QString>
#include <QStringList>

// The current language: what a ".kw" file says plus the patterns built from it.
struct LanguageDefinition {
    QString keywordListText;        // "KeyWord1:" as written, each keyword followed by a blank
    QString functionListText;       // "KeyWord2:"
    QString lineComment;            // ready for a pattern: "*" escaped, "\:" turned into ":"
    QString lineCommentText;        // "LineCommentText:": what a comment starts with, as plain text
    QString blockCommentStart;
    QString blockCommentEnd;
    bool caseSensitive = false;
    bool wholeWord = false;
    bool markup = false;
    QChar stringChar;               // null when the language has none
    // Further string forms, each key optional (a definition without them reads as before):
    QString stringChars;            // "StringChars:" more quotes of one-line strings, as "'`"
    QStringList longStrings;        // "LongStrings:" delimiters of strings that may span lines
    QChar stringEscape;             // "StringEscape:" the character that escapes the next one in a string
    // Folding, each key optional: "FoldIndent:1" folds by indentation; "FoldOpen:" and "FoldClose:"
    // list the words that open and close a block (as "begin" and "end"), beside braces.
    bool foldIndent = false;
    QStringList foldOpen;
    QStringList foldClose;
    bool languageActive = false;
    QString languageName;
    QString keywordPattern;
    QString functionPattern;
    bool keywordHyphen = false;     // the pattern holds "-": highlight on a copy with "-" as "_"
    bool functionHyphen = false;
    QString definitionPath;
    QString compilerPath;
    FunctionHelp functionHelp;

    // Applies one line of a ".kw" file; lines matching no key are ignored, later keys win.
    void applyLine(const QString &line);
    void applyLines(const QStringList &lines);
    // Builds the keyword and function patterns and their hyphen flags from the list texts.
    void buildPatterns();
    // "\bw1\b|\bw2\b|...": words go in unescaped.
    static QString wordPattern(const QString &listText);

    QStringList keywordEntries() const;     // the non-empty keywords in file order
    QStringList functionEntries() const;
    // The keyword list box: "@ " + each keyword, then "# " + each function.
    QStringList variableListEntries() const;

    // What Insert/Remove Line Comment put before a line: "LineCommentText:" (a word marker gets a
    // blank after it, so "REM" never runs into the line), else the line comment pattern when it, or
    // its first alternative, is plain text. Empty when neither gives plain text: a pattern is never
    // inserted into the document.
    QString commentMarker() const;

    // Strings, comments and the markers in them are read left to right, as the language does:
    // set by any of the keys above.
    bool lexicalStrings() const { return !stringChars.isEmpty() || !longStrings.isEmpty() || !stringEscape.isNull(); }

    // A new empty document: no language, nothing coloured.
    void resetToPlainText();
    bool isJava() const;
};
