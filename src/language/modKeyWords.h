#pragma once

#include "LanguageDefinition.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Finding, listing and loading language definitions in a keywords folder. Nothing here touches a
// window: the main window shows the results (menu, keyword list, hint, large-file question).
namespace modKeyWords {

// The characters after the last "." of the file name (the folder part never counts); empty without one.
QString fileExtension(const QString &fileName);

// The extension the language of a file is chosen by: its own, or "mk" for the names make looks for
// by default, which have none.
QString languageExtension(const QString &fileName);

// The ".kw" files of the folders in file-name order, so menus and the first match do not depend on
// the file system. A name in an earlier folder hides the same name in a later one: the user's own
// copy of a definition stands in for the shipped one.
QStringList definitionFiles(const QStringList &keywordsFolders);
inline QStringList definitionFiles(const QString &keywordsFolder) { return definitionFiles(QStringList{keywordsFolder}); }

struct FoundDefinition {
    QString path;
    QString languageName;
};
// The first definition whose "Extensions:" line lists the extension (letter case ignored).
std::optional<FoundDefinition> findDefinitionForExtension(const QStringList &keywordsFolders, const QString &extension);
inline std::optional<FoundDefinition> findDefinitionForExtension(const QString &keywordsFolder, const QString &extension)
{
    return findDefinitionForExtension(QStringList{keywordsFolder}, extension);
}

// The language for a file name: a fresh definition, inactive when no definition lists its extension.
LanguageDefinition loadLanguage(const QStringList &keywordsFolders, const QString &fileName);
inline LanguageDefinition loadLanguage(const QString &keywordsFolder, const QString &fileName)
{
    return loadLanguage(QStringList{keywordsFolder}, fileName);
}

// The name the menu handler loads so that the finder picks the first definition for a tag.
QString fileNameForMenuTag(const QString &tag);

struct LanguageMenuEntry {
    QString caption;        // "Name:"
    QString tag;            // first extension; empty when the line lists none
    bool matchesDocument = false;
    QString path;
};
// One entry per "Extensions:" line, in the order of definitionFiles.
QList<LanguageMenuEntry> languageMenuEntries(const QStringList &keywordsFolders, const QString &documentExtension);
inline QList<LanguageMenuEntry> languageMenuEntries(const QString &keywordsFolder, const QString &documentExtension)
{
    return languageMenuEntries(QStringList{keywordsFolder}, documentExtension);
}

// The first extension a definition file lists ("c" for "Extensions:c h"); empty without one.
QString firstExtension(const QString &definitionPath);

QString languageHint(const QString &languageName);
QString largeFileQuestion(const QString &fileName, qsizetype textLength, qsizetype limit);

struct RenderRequest {
    bool highlightingEnabled = true;    // enablesyntaxhighlightning
    bool renderNow = true;
    bool highlightingDeclined = false;
    bool promptWarningLargeFile = true; // PromptWarningLargeFile
    qsizetype textLength = 0;
    qsizetype colorFileSizeLimit = 0;   // ColorFileSizeLimit
};
enum class RenderDecision { None, AskFirst, Render };
// After a load: colour now, ask about a large file first, or leave the document plain.
RenderDecision renderDecision(const LanguageDefinition &language, const RenderRequest &request);

} // namespace modKeyWords
