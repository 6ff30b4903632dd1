#include "LanguageDefinition.h"

#include <algorithm>

namespace {

QString secondField(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(':'));
    return fields.size() < 2 ? QString() : fields.at(1);
}

bool readFlag(const QString &value)
{
    return value.toUpper() == QLatin1String("TRUE") || value == QLatin1String("1");
}

bool startsWithExactly(const QString &line, QLatin1String key)
{
    return line.startsWith(key, Qt::CaseSensitive);
}

bool startsWithAnyCase(const QString &line, QLatin1String key)
{
    return line.startsWith(key, Qt::CaseInsensitive);
}

// A colon inside the marker is written "\:"; stars are escaped for the comment pattern.
QString lineCommentMarker(QString line)
{
    line.replace(QLatin1String("\\:"), QLatin1String("\\;"));
    QString marker = secondField(line);
    marker.replace(QLatin1String("*"), QLatin1String("\\*"));
    marker.replace(QLatin1String("\\;"), QLatin1String(":"));
    return marker;
}

// The pattern as plain text: escaped punctuation stands for itself; empty when it holds syntax.
QString plainTextOf(const QString &pattern)
{
    QString text;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\\')) {
            if (i + 1 >= pattern.size() || pattern.at(i + 1).isLetterOrNumber())
                return {};
            text += pattern.at(++i);
        } else if (QStringView(u"^$.|?*+()[]{}").contains(c)) {
            return {};
        } else {
            text += c;
        }
    }
    return text;
}

QStringList nonEmptyWords(const QString &listText)
{
    QStringList words = listText.split(QLatin1Char(' '));
    words.removeAll(QString());
    return words;
}

} // namespace

void LanguageDefinition::applyLine(const QString &line)
{
    if (startsWithExactly(line, QLatin1String("KeyWord1:"))) {
        keywordListText = line.mid(9);
    } else if (startsWithExactly(line, QLatin1String("KeyWord2:"))) {
        functionListText = line.mid(9);
    } else if (startsWithExactly(line, QLatin1String("LineCommentText:"))) {
        lineCommentText = line.mid(16);
    } else if (startsWithExactly(line, QLatin1String("LineComment:"))) {
        lineComment = lineCommentMarker(line);
    } else if (startsWithExactly(line, QLatin1String("BlockCommentStart:"))) {
        blockCommentStart = secondField(line).trimmed();
    } else if (startsWithExactly(line, QLatin1String("BlockCommentEnd:"))) {
        blockCommentEnd = secondField(line).trimmed();
    } else if (startsWithExactly(line, QLatin1String("CaseSensitive:"))) {
        caseSensitive = readFlag(secondField(line));
    } else if (startsWithAnyCase(line, QLatin1String("wholeword:"))) {
        wholeWord = readFlag(secondField(line));
    } else if (startsWithAnyCase(line, QLatin1String("ismarkuplanguage:"))) {
        markup = readFlag(secondField(line));
    } else if (startsWithAnyCase(line, QLatin1String("stringchar:"))) {
        // An empty value is never written; keeping the earlier value is the least surprising reading.
        const QString value = secondField(line);
        if (!value.isEmpty())
            stringChar = value.at(0);
    } else if (startsWithAnyCase(line, QLatin1String("stringchars:"))) {
        stringChars = line.mid(12).remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    } else if (startsWithAnyCase(line, QLatin1String("longstrings:"))) {
        longStrings = nonEmptyWords(line.mid(12));
        // The longest first, so that """ is not read as an empty "" string.
        std::stable_sort(longStrings.begin(), longStrings.end(),
                         [](const QString &a, const QString &b) { return a.size() > b.size(); });
    } else if (startsWithAnyCase(line, QLatin1String("stringescape:"))) {
        const QString value = line.mid(13).trimmed();
        stringEscape = value.isEmpty() ? QChar() : value.at(0);
    } else if (startsWithAnyCase(line, QLatin1String("foldindent:"))) {
        foldIndent = readFlag(line.mid(11).trimmed());
    } else if (startsWithAnyCase(line, QLatin1String("foldopen:"))) {
        foldOpen = nonEmptyWords(line.mid(9));
    } else if (startsWithAnyCase(line, QLatin1String("foldclose:"))) {
        foldClose = nonEmptyWords(line.mid(10));
    } else if (startsWithAnyCase(line, QLatin1String("compilerpath:"))) {
        compilerPath = line.mid(line.indexOf(QLatin1Char(':')) + 1);
    }
}

void LanguageDefinition::applyLines(const QStringList &lines)
{
    for (const QString &line : lines)
        applyLine(line);
}

QString LanguageDefinition::wordPattern(const QString &listText)
{
    QString words = listText;
    words.replace(QLatin1Char(' '), QLatin1String("\\b|\\b"));
    return QLatin1String("\\b") + words + QLatin1String("\\b");
}

void LanguageDefinition::buildPatterns()
{
    keywordPattern = keywordListText.isEmpty() ? QString() : wordPattern(keywordListText);
    functionPattern = functionListText.isEmpty() ? QString() : wordPattern(functionListText);
    keywordHyphen = keywordPattern.contains(QLatin1Char('-'));
    functionHyphen = functionPattern.contains(QLatin1Char('-'));
}

QStringList LanguageDefinition::keywordEntries() const
{
    return nonEmptyWords(keywordListText);
}

QStringList LanguageDefinition::functionEntries() const
{
    return nonEmptyWords(functionListText);
}

QStringList LanguageDefinition::variableListEntries() const
{
    QStringList entries;
    for (const QString &word : keywordEntries())
        entries << QLatin1String("@ ") + word;
    for (const QString &word : functionEntries())
        entries << QLatin1String("# ") + word;
    return entries;
}

QString LanguageDefinition::commentMarker() const
{
    if (!lineCommentText.isEmpty()) {
        const QChar last = lineCommentText.back();
        return last.isLetterOrNumber() || last == QLatin1Char('_') ? lineCommentText + QLatin1Char(' ')
                                                                   : lineCommentText;
    }
    const QString whole = plainTextOf(lineComment);
    if (!whole.isEmpty())
        return whole;
    const qsizetype bar = lineComment.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : plainTextOf(lineComment.left(bar));
}

void LanguageDefinition::resetToPlainText()
{
    // Name, definition path and compiler go too: a closed document's language must not be edited,
    // saved over or compiled with from an empty window.
    *this = LanguageDefinition{};
}

bool LanguageDefinition::isJava() const
{
    return languageName.toLower() == QLatin1String("java");
}
