#include "KeywordDefinition.h"

#include "FileIO.h"
#include "ListFile.h"

#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A line break or tab inside a value would end its line or field and corrupt the file.
QString oneLine(QString value)
{
    for (QChar &c : value) {
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    }
    return value;
}

// The loader splits the line comment at colons that are not written "\:".
QString escapeColons(const QString &marker)
{
    QString out;
    for (qsizetype i = 0; i < marker.size(); ++i) {
        if (marker.at(i) == u':' && (i == 0 || marker.at(i - 1) != u'\\'))
            out += QLatin1Char('\\');
        out += marker.at(i);
    }
    return out;
}

QString listValue(const QStringList &items)
{
    QString value;
    for (const QString &item : items)
        value += oneLine(item) + QLatin1Char(' ');
    return value;
}

// Single-byte where every character fits and the bytes read back as the same text, else UTF-8,
// so nothing is ever replaced or read back differently.
QByteArray programFileBytes(const QStringList &lines)
{
    const QString text = ListFile::joinLines(lines);
    const QByteArray bytes = ListFile::encode(text);
    return ListFile::decode(bytes) == text ? bytes : text.toUtf8();
}

QStringList splitBlanks(const QString &value)
{
    return value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool flagValue(const QString &value)
{
    return value.toLower() == QLatin1String("true") || value == QLatin1String("1");
}

// The value of a key: a line that starts with the key and a colon wins (so a description that
// mentions "name" cannot shadow the name); otherwise the key's first occurrence anywhere, with
// the value from the first colon after it to the end of that line.
QString keyValue(const QString &text, const QString &lowerText, const QString &key)
{
    const QString startKey = key + QLatin1Char(':');
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(kCrLf, lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (QStringView(lowerText).mid(lineStart, lineEnd - lineStart).startsWith(startKey))
            return text.mid(lineStart + startKey.size(), lineEnd - lineStart - startKey.size());
        lineStart = lineEnd + kCrLf.size();
    }
    // A longer key that starts with this one ("linecommenttext" for "linecomment") is not this key.
    qsizetype at = lowerText.indexOf(key);
    while (at >= 0 && at + key.size() < lowerText.size() && lowerText.at(at + key.size()).isLetter())
        at = lowerText.indexOf(key, at + 1);
    if (at < 0)
        return {};
    const qsizetype colon = text.indexOf(QLatin1Char(':'), at + key.size());
    if (colon < 0)
        return {};
    qsizetype end = text.indexOf(kCrLf, colon);
    if (end < 0)
        end = text.size();
    return text.mid(colon + 1, end - colon - 1);
}

} // namespace

QString KeywordDefinition::helpFor(const QString &function) const
{
    const QString wanted = function.toLower();
    for (const Help &entry : help) {
        if (entry.name == wanted)
            return entry.text;
    }
    return {};
}

void KeywordDefinition::setHelp(const QString &function, const QString &text)
{
    const QString wanted = function.toLower();
    for (Help &entry : help) {
        if (entry.name == wanted) {
            entry.text = text;
            return;
        }
    }
    help.append({wanted, text});
}

void KeywordDefinition::removeHelp(const QString &function)
{
    const QString wanted = function.toLower();
    help.removeIf([&wanted](const Help &entry) { return entry.name == wanted; });
}

KeywordDefinition KeywordDefinition::fromText(const QString &kwText, const QStringList &helpLines)
{
    const QString lower = kwText.toLower();
    const auto value = [&](const char *key) { return keyValue(kwText, lower, QLatin1String(key)); };
    KeywordDefinition d;
    d.name = value("name");
    d.description = value("description");
    d.lineComment = value("linecomment");
    d.lineCommentText = value("linecommenttext");
    d.blockCommentStart = value("blockcommentstart");
    d.blockCommentEnd = value("blockcommentend");
    d.compiler = value("compilerpath");
    d.stringChar = value("stringchar");
    d.stringChars = value("stringchars");
    d.longStrings = value("longstrings");
    d.stringEscape = value("stringescape");
    d.foldIndent = value("foldindent");
    d.foldOpen = value("foldopen");
    d.foldClose = value("foldclose");
    d.caseSensitive = flagValue(value("casesensitive"));
    d.wholeWord = flagValue(value("wholeword"));
    d.markup = flagValue(value("ismarkuplanguage"));
    d.extensions = splitBlanks(value("extensions"));
    d.keywords = splitBlanks(value("keyword1"));
    d.functions = splitBlanks(value("keyword2"));
    for (const QString &line : helpLines) {
        const qsizetype first = line.indexOf(QLatin1Char('\t'));
        if (first < 0)
            continue;
        const QString name = line.left(first);
        const QString text = line.mid(line.lastIndexOf(QLatin1Char('\t')) + 1);
        if (!name.isEmpty())
            d.help.append({name.toLower(), text});
    }
    return d;
}

std::optional<KeywordDefinition> KeywordDefinition::read(const QString &path)
{
    const std::optional<QStringList> lines = ListFile::read(path);
    if (!lines)
        return std::nullopt;
    return fromText(lines->join(kCrLf), ListFile::read(helpPath(path)).value_or(QStringList()));
}

QStringList KeywordDefinition::kwLines() const
{
    QStringList lines;
    lines << QStringLiteral("Name:") + oneLine(name) << QStringLiteral("Description:") + oneLine(description);
    const std::pair<const char *, QString> optional[] = {{"CompilerPath:", compiler},
                                                         {"LineComment:", escapeColons(lineComment)},
                                                         {"LineCommentText:", lineCommentText},
                                                         {"BlockCommentStart:", blockCommentStart},
                                                         {"BlockCommentEnd:", blockCommentEnd}};
    for (const auto &[key, text] : optional) {
        if (!text.isEmpty())
            lines << QLatin1String(key) + oneLine(text);
    }
    if (!extensions.isEmpty())
        lines << QStringLiteral("Extensions:") + listValue(extensions);
    lines << QStringLiteral("CaseSensitive:") + QLatin1String(caseSensitive ? "1" : "0");
    if (markup)
        lines << QStringLiteral("IsMarkupLanguage:1");
    if (!stringChar.isEmpty())
        lines << QStringLiteral("StringChar:") + oneLine(stringChar);
    const std::pair<const char *, QString> strings[] = {
        {"StringChars:", stringChars}, {"LongStrings:", longStrings}, {"StringEscape:", stringEscape},
        {"FoldIndent:", foldIndent},   {"FoldOpen:", foldOpen},       {"FoldClose:", foldClose}};
    for (const auto &[key, text] : strings) {
        if (!text.isEmpty())
            lines << QLatin1String(key) + oneLine(text);
    }
    lines << QStringLiteral("WholeWord:") + QLatin1String(wholeWord ? "1" : "0");
    if (!keywords.isEmpty())
        lines << QStringLiteral("KeyWord1:") + listValue(keywords);
    if (!functions.isEmpty())
        lines << QStringLiteral("KeyWord2:") + listValue(functions);
    return lines;
}

QStringList KeywordDefinition::helpLines() const
{
    QStringList lines;
    for (const Help &entry : help) {
        if (!entry.text.isEmpty() && !entry.name.isEmpty())
            lines << oneLine(entry.name) + QStringLiteral("\t\t\t") + oneLine(entry.text);
    }
    return lines;
}

QString KeywordDefinition::normalisedPath(const QString &path)
{
    QString result = path;
    result.replace(QStringLiteral(".kw.kw"), QStringLiteral(".kw"));
    return result;
}

QString KeywordDefinition::helpPath(const QString &kwPath)
{
    return kwPath.endsWith(QLatin1String(".kw")) ? kwPath.chopped(3) + QStringLiteral(".a") : kwPath + QStringLiteral(".a");
}

std::optional<QString> KeywordDefinition::write(const QString &path) const
{
    const QString target = normalisedPath(path);
    if (std::optional<QString> error = FileIO::writeAtomically(target, programFileBytes(kwLines())))
        return error;
    return FileIO::writeAtomically(helpPath(target), programFileBytes(helpLines()));
}
