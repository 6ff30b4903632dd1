#include "modKeyWords.h"

#include "ListFile.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

namespace modKeyWords {

namespace {

const QLatin1String kName("Name:");
const QLatin1String kExtensions("Extensions:");

// Single-byte text, or UTF-8 where the editor had to write it so.
QStringList definitionLines(const QString &path)
{
    return ListFile::read(path).value_or(QStringList());
}

QStringList listedExtensions(const QString &line)
{
    return line.mid(kExtensions.size()).split(QLatin1Char(' '));
}

bool lists(const QStringList &extensions, const QString &extension)
{
    if (extension.isEmpty())
        return false;
    const QString wanted = extension.toLower();
    for (const QString &piece : extensions) {
        if (!piece.isEmpty() && piece.toLower() == wanted)
            return true;
    }
    return false;
}

} // namespace

QString fileExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString languageExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    if (name == QLatin1String("Makefile") || name == QLatin1String("GNUmakefile") || name == QLatin1String("makefile"))
        return QStringLiteral("mk");
    return fileExtension(fileName);
}

QStringList definitionFiles(const QStringList &keywordsFolders)
{
    QMap<QString, QString> byName;
    for (const QString &folder : keywordsFolders) {
        if (folder.isEmpty())
            continue;
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
        for (const QFileInfo &entry : entries) {
            if (entry.fileName().endsWith(QLatin1String(".kw"), Qt::CaseSensitive) && !byName.contains(entry.fileName()))
                byName.insert(entry.fileName(), entry.filePath());
        }
    }
    return byName.values();
}

std::optional<FoundDefinition> findDefinitionForExtension(const QStringList &keywordsFolders, const QString &extension)
{
    if (extension.isEmpty())
        return std::nullopt;
    for (const QString &path : definitionFiles(keywordsFolders)) {
        const QStringList lines = definitionLines(path);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (!lines.at(i).startsWith(kExtensions) || !lists(listedExtensions(lines.at(i)), extension))
                continue;
            // The name is the matching file's own, wherever its "Name:" line stands.
            std::optional<QString> name;
            for (qsizetype k = 0; k < lines.size(); ++k) {
                if (k > i && name)
                    break;
                if (lines.at(k).startsWith(kName))
                    name = lines.at(k).mid(kName.size());
            }
            return FoundDefinition{path, name.value_or(QString())};
        }
    }
    return std::nullopt;
}

LanguageDefinition loadLanguage(const QStringList &keywordsFolders, const QString &fileName)
{
    LanguageDefinition language;
    const auto found = findDefinitionForExtension(keywordsFolders, languageExtension(fileName));
    if (!found)
        return language;
    language.languageActive = true;
    language.languageName = found->languageName;
    language.definitionPath = found->path;
    language.applyLines(definitionLines(found->path));
    language.functionHelp = FunctionHelp::load(FunctionHelp::pathForDefinition(found->path));
    language.buildPatterns();
    return language;
}

QString fileNameForMenuTag(const QString &tag)
{
    return QStringLiteral("dummy.") + tag;
}

QList<LanguageMenuEntry> languageMenuEntries(const QStringList &keywordsFolders, const QString &documentExtension)
{
    QList<LanguageMenuEntry> entries;
    for (const QString &path : definitionFiles(keywordsFolders)) {
        QString caption = QFileInfo(path).completeBaseName();
        for (const QString &line : definitionLines(path)) {
            if (line.startsWith(kName)) {
                caption = line.mid(kName.size());
            } else if (line.startsWith(kExtensions)) {
                const QStringList extensions = listedExtensions(line);
                entries << LanguageMenuEntry{caption, extensions.value(0), lists(extensions, documentExtension), path};
            }
        }
    }
    return entries;
}

QString firstExtension(const QString &definitionPath)
{
    for (const QString &line : definitionLines(definitionPath)) {
        if (!line.startsWith(kExtensions))
            continue;
        for (const QString &piece : listedExtensions(line)) {
            if (!piece.isEmpty())
                return piece;
        }
        return {};
    }
    return {};
}

QString languageHint(const QString &languageName)
{
    return QStringLiteral("Press Ctrl+Space to get a list of available Key Words (") + languageName
        + QLatin1Char(')');
}

QString largeFileQuestion(const QString &fileName, qsizetype textLength, qsizetype limit)
{
    return QStringLiteral("%1 (%2 bytes) exceeds %3 bytes.\r\nAre you sure you want to enable highlighning?"
                          "\r\n\r\n(You can adjust these settings under the options dialog)")
        .arg(fileName, QString::number(textLength), QString::number(limit));
}

RenderDecision renderDecision(const LanguageDefinition &language, const RenderRequest &request)
{
    if (!language.languageActive || language.keywordListText.isEmpty() || !request.highlightingEnabled
        || !request.renderNow || request.highlightingDeclined)
        return RenderDecision::None;
    if (request.promptWarningLargeFile && request.textLength > request.colorFileSizeLimit)
        return RenderDecision::AskFirst;
    return RenderDecision::Render;
}

} // namespace modKeyWords
