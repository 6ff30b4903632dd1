#include "SymbolScanner.h"

#include "LanguageDefinition.h"
#include "TextCodec.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

bool isBreak(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// Words that open a block but never name one, whatever the language file lists.
const QSet<QString> &controlWords()
{
    static const QSet<QString> words{"if", "for", "while", "switch", "catch", "return", "sizeof", "do", "else",
                                     "try", "foreach", "using", "with", "lock", "synchronized", "elif", "unless",
                                     "until", "new", "delete", "throw", "case", "func", "function", "fn", "def",
                                     "defined", "alignof", "decltype", "typeof", "when", "match", "loop", "select"};
    return words;
}

struct Scanner {
    const QString &text;
    const LanguageDefinition &language;
    QString clean;          // the text with comments, strings and preprocessor lines blanked
    bool cFamily = true;
    QSet<QString> keywords;
    QList<Symbol> symbols;
    int openScopes = 0;
    const std::function<bool()> *goOn = nullptr;
    qsizetype steps = 0;
    bool stopped = false;

    // Polled every so many characters: a reading on a worker ends soon after it is cancelled.
    bool halted()
    {
        if (!stopped && goOn && (++steps & 0xFFFF) == 0)
            stopped = !(*goOn)();
        return stopped;
    }

    bool isKeyword(const QString &word) const
    {
        const QString lower = word.toLower();
        return controlWords().contains(lower) || keywords.contains(language.caseSensitive ? word : lower);
    }

    void blank(qsizetype from, qsizetype to)
    {
        for (qsizetype i = from; i < to && i < clean.size(); ++i)
            if (!isBreak(clean.at(i)))
                clean[i] = u' ';
    }

    void blankCommentsAndStrings()
    {
        clean = text;
        QStringList lineMarkers;
        const QString marker = language.languageActive ? language.commentMarker().trimmed() : QStringLiteral("//");
        if (!marker.isEmpty())
            lineMarkers << marker;
        QString blockStart = language.languageActive ? language.blockCommentStart : QStringLiteral("/*");
        QString blockEnd = language.languageActive ? language.blockCommentEnd : QStringLiteral("*/");
        if (blockEnd.isEmpty())
            blockStart.clear();
        QString quotes = QString(language.stringChar.isNull() ? QChar(u'"') : language.stringChar);
        if (marker != QStringLiteral("'") && !quotes.contains(u'\''))
            quotes += u'\'';
        if (!quotes.contains(u'"'))
            quotes += u'"';
        const Qt::CaseSensitivity cs = language.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
        // What a marker can start with, in both cases: the whole marker is compared only there.
        QString starts;
        const QStringList markers = QStringList(lineMarkers) << blockStart;
        for (const QString &m : markers)
            if (!m.isEmpty())
                starts += m.at(0).toLower() + QString(m.at(0).toUpper());
        const auto among = [](QChar c, const QString &set) {
            for (QChar s : set)
                if (c == s)
                    return true;
            return false;
        };
        const qsizetype size = text.size();
        bool lineStart = true;
        for (qsizetype i = 0; i < size;) {
            if (halted())
                return;
            const QChar c = text.at(i);
            if (isBreak(c)) {
                lineStart = true;
                ++i;
                continue;
            }
            if (lineStart && cFamily && c == u'#') {
                // A preprocessor line, with its continuations.
                qsizetype end = i;
                while (end < size && !(isBreak(text.at(end)) && (end == 0 || text.at(end - 1) != u'\\')))
                    ++end;
                blank(i, end);
                i = end;
                continue;
            }
            if (lineStart && !c.isSpace())
                lineStart = false;
            if (among(c, quotes)) {
                qsizetype end = i + 1;
                while (end < size && text.at(end) != c && !isBreak(text.at(end)))
                    end += text.at(end) == u'\\' ? 2 : 1;
                end = std::min(size, end + 1);
                blank(i + 1, end - 1);
                i = end;
                continue;
            }
            if (!among(c, starts)) {
                ++i;
                continue;
            }
            if (!blockStart.isEmpty() && QStringView(text).mid(i).startsWith(blockStart, cs)) {
                qsizetype end = text.indexOf(blockEnd, i + blockStart.size(), cs);
                end = end < 0 ? size : end + blockEnd.size();
                blank(i, end);
                i = end;
                continue;
            }
            bool comment = false;
            for (const QString &line : lineMarkers)
                comment = comment || QStringView(text).mid(i).startsWith(line, cs);
            if (comment) {
                qsizetype end = i;
                while (end < size && !isBreak(text.at(end)))
                    ++end;
                blank(i, end);
                i = end;
                continue;
            }
            ++i;
        }
    }

    void add(const QString &name, Symbol::Kind kind, qsizetype offset, int level, bool scoped = false)
    {
        symbols << Symbol{name, kind, int(offset), 1, level, scoped};
    }

    // The statement before a "{": a class, a function (its name is the word before a "(" at the
    // outer level that is no keyword), or neither.
    enum class Opens { Scope, Body };
    Opens statement(qsizetype from, qsizetype to, int level)
    {
        static const QRegularExpression classHead(QStringLiteral(
            "^\\s*(?:template\\s*<[^{]*>\\s*)?(?:(?:typedef|export|public|private|protected|internal|abstract|"
            "final|static|sealed|partial|data|pub|inline)\\s+)*(class|struct|union|enum|interface|namespace|trait|"
            "impl|record)\\b(?:\\s+(?:class|struct))?\\s*(?:\\[\\[[^\\]]*\\]\\]\\s*)?([A-Za-z_][\\w:.]*)?"));
        const QStringView stmt = QStringView(clean).mid(from, to - from);
        static const QLatin1StringView heads[] = {QLatin1StringView("class"),     QLatin1StringView("struct"),
                                                  QLatin1StringView("union"),     QLatin1StringView("enum"),
                                                  QLatin1StringView("interface"), QLatin1StringView("namespace"),
                                                  QLatin1StringView("trait"),     QLatin1StringView("impl"),
                                                  QLatin1StringView("record")};
        // The expression only where one of its words occurs and no parenthesis: most blocks are functions.
        const bool mayBeClass = !stmt.contains(u'(') && std::any_of(std::begin(heads), std::end(heads),
                                            [&](QLatin1StringView head) { return stmt.contains(head); });
        const QRegularExpressionMatch head = mayBeClass ? classHead.match(stmt.toString()) : QRegularExpressionMatch();
        if (head.hasMatch() && !stmt.contains(u'=')) {
            const QString what = head.captured(1);
            if (what == u"namespace")
                return Opens::Scope;
            if (!head.captured(2).isEmpty())
                add(head.captured(2), Symbol::Kind::Class, from + head.capturedStart(2), level, true);
            return what == u"enum" ? Opens::Body : Opens::Scope;
        }
        int depth = 0;
        for (qsizetype i = 0; i < stmt.size(); ++i) {
            const QChar c = stmt.at(i);
            if (c == u'=' && depth == 0 && !(i > 0 && (stmt.at(i - 1) == u'=' || stmt.at(i - 1) == u'!')))
                return Opens::Body;
            if (c == u')')
                --depth;
            if (c != u'(')
                continue;
            if (depth++ != 0)
                continue;
            qsizetype end = i;
            while (end > 0 && stmt.at(end - 1).isSpace())
                --end;
            qsizetype start = end;
            while (start > 0 && (isWordChar(stmt.at(start - 1)) || stmt.at(start - 1) == u':' || stmt.at(start - 1) == u'~'))
                --start;
            const QString name = stmt.mid(start, end - start).toString();
            const qsizetype tail = name.lastIndexOf(u':');
            const QString last = tail < 0 ? name : name.mid(tail + 1);
            if (last.isEmpty() || last.at(0).isDigit() || isKeyword(last) || name.startsWith(u':'))
                continue;
            add(name, Symbol::Kind::Function, from + start, level, true);
            return Opens::Body;
        }
        const QStringView words = stmt.trimmed();
        return words.isEmpty() || words == u"extern" ? Opens::Scope : Opens::Body;
    }

    void braces()
    {
        QList<Opens> stack(openScopes, Opens::Scope);
        int bodies = 0;
        qsizetype stmtStart = 0;
        for (qsizetype i = 0; i < clean.size() && !halted(); ++i) {
            const QChar c = clean.at(i);
            if (c == u'{') {
                const Opens opens = bodies > 0 ? Opens::Body : statement(stmtStart, i, int(stack.size()));
                stack << opens;
                bodies += opens == Opens::Body;
                stmtStart = i + 1;
            } else if (c == u'}') {
                if (!stack.isEmpty())
                    bodies -= stack.takeLast() == Opens::Body;
                stmtStart = i + 1;
            } else if (c == u';' && bodies == 0) {
                stmtStart = i + 1;
            }
        }
    }

    // Lines that start with a defining word: "def f", "Public Sub F", "function f", "class C".
    void definingWords()
    {
        static const QList<QLatin1StringView> functionWords{
            QLatin1StringView("def"), QLatin1StringView("function"),  QLatin1StringView("func"),
            QLatin1StringView("fn"),  QLatin1StringView("sub"),       QLatin1StringView("procedure"),
            QLatin1StringView("proc"), QLatin1StringView("method")};
        static const QList<QLatin1StringView> classWords{
            QLatin1StringView("class"), QLatin1StringView("module"), QLatin1StringView("interface"),
            QLatin1StringView("struct"), QLatin1StringView("trait"), QLatin1StringView("enum")};
        const qsizetype size = clean.size();
        for (qsizetype i = 0; i < size && !halted();) {
            qsizetype end = i;
            while (end < size && !isBreak(clean.at(end)))
                ++end;
            scanLine(i, end, functionWords, classWords);
            i = end + 1;
        }
    }

    void scanLine(qsizetype from, qsizetype to, const QList<QLatin1StringView> &functionWords,
                  const QList<QLatin1StringView> &classWords)
    {
        const auto among = [](QStringView word, const QList<QLatin1StringView> &list) {
            return std::any_of(list.begin(), list.end(),
                               [&](QLatin1StringView w) { return word.compare(w, Qt::CaseInsensitive) == 0; });
        };
        qsizetype i = from;
        const auto skipSpace = [&] {
            while (i < to && clean.at(i).isSpace())
                ++i;
        };
        const auto word = [&] {
            const qsizetype start = i;
            while (i < to && isWordChar(clean.at(i)))
                ++i;
            return QStringView(clean).mid(start, i - start);
        };
        for (int words = 0; words < 6; ++words) {
            skipSpace();
            const QStringView w = word();
            if (w.isEmpty())
                return;
            if (words == 0 && w.compare(QLatin1StringView("end"), Qt::CaseInsensitive) == 0)
                return;
            const bool isFunction = among(w, functionWords);
            if (isFunction || (!cFamily && among(w, classWords))) {
                skipSpace();
                const qsizetype at = i;
                while (i < to && (isWordChar(clean.at(i)) || clean.at(i) == u'.' || clean.at(i) == u':'))
                    ++i;
                QString name = clean.mid(at, i - at);
                while (name.endsWith(u':'))
                    name.chop(1);
                if (!name.isEmpty() && !name.at(0).isDigit())
                    add(name, isFunction ? Symbol::Kind::Function : Symbol::Kind::Class, at, 0);
                return;
            }
            // A shell function: "name() {".
            if (words == 0 && !cFamily && i < to && clean.at(i) == u'(') {
                const QString rest = clean.mid(i, to - i).simplified();
                if (rest.startsWith(QStringLiteral("() {")))
                    add(w.toString(), Symbol::Kind::Function, i - w.size(), 0);
            }
        }
    }

    void markdown()
    {
        bool fenced = false;
        const qsizetype size = text.size();
        qsizetype previousStart = -1;
        for (qsizetype i = 0; i < size;) {
            qsizetype end = i;
            while (end < size && !isBreak(text.at(end)))
                ++end;
            const QString line = text.mid(i, end - i);
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QStringLiteral("```")) || trimmed.startsWith(QStringLiteral("~~~"))) {
                fenced = !fenced;
            } else if (!fenced && line.startsWith(u'#')) {
                int level = 0;
                while (level < line.size() && line.at(level) == u'#')
                    ++level;
                if (level <= 6 && (level == line.size() || line.at(level).isSpace())) {
                    QString title = line.mid(level).trimmed();
                    while (title.endsWith(u'#'))
                        title.chop(1);
                    if (!title.trimmed().isEmpty())
                        add(title.trimmed(), Symbol::Kind::Heading, i + line.indexOf(title.trimmed()), level);
                }
            } else if (!fenced && previousStart >= 0 && !trimmed.isEmpty()
                       && (trimmed.count(u'=') == trimmed.size() || (trimmed.count(u'-') == trimmed.size() && trimmed.size() >= 2))) {
                // A line underlined with "=" or "-".
                const QString title = text.mid(previousStart, i - previousStart).trimmed();
                if (!title.isEmpty() && !title.startsWith(u'#'))
                    add(title, Symbol::Kind::Heading, previousStart, trimmed.at(0) == u'=' ? 1 : 2);
            }
            previousStart = trimmed.isEmpty() || fenced ? -1 : i;
            i = end;
            if (i < size && text.at(i) == u'\r')
                ++i;
            if (i < size && text.at(i) == u'\n')
                ++i;
        }
    }

    void html()
    {
        static const QRegularExpression heading(QStringLiteral("<h([1-6])\\b[^>]*>(.*?)</h\\1\\s*>"),
                                                QRegularExpression::CaseInsensitiveOption
                                                    | QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
        for (auto it = heading.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            QString title = m.captured(2).remove(tag).simplified();
            title.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            if (!title.isEmpty())
                add(title, Symbol::Kind::Heading, m.capturedStart(2), m.captured(1).toInt());
        }
    }

    void numberLines()
    {
        std::stable_sort(symbols.begin(), symbols.end(), [](const Symbol &a, const Symbol &b) { return a.offset < b.offset; });
        // Two ways of finding one definition give it once.
        symbols.erase(std::unique(symbols.begin(), symbols.end(),
                                  [](const Symbol &a, const Symbol &b) { return a.offset == b.offset; }),
                      symbols.end());
        int line = 1;
        qsizetype at = 0;
        for (Symbol &symbol : symbols) {
            for (; at < symbol.offset; ++at) {
                const QChar c = text.at(at);
                if (c == u'\n' || (c == u'\r' && (at + 1 >= text.size() || text.at(at + 1) != u'\n')))
                    ++line;
            }
            symbol.line = line;
        }
    }
};

} // namespace

namespace SymbolScanner {

Mode modeOf(const LanguageDefinition &language, const QString &fileName)
{
    const QString extension = ExtensionOf(fileName).toLower();
    const QString name = language.languageName.toLower();
    if (extension == u"md" || extension == u"markdown" || extension == u"mkd" || name == u"markdown")
        return Mode::Markdown;
    if (extension == u"htm" || extension == u"html" || extension == u"xhtml" || name == u"html")
        return Mode::Html;
    return language.languageActive && language.markup ? Mode::None : Mode::Code;
}

bool followsBraces(const LanguageDefinition &language, Mode mode)
{
    return mode == Mode::Code && (!language.languageActive || language.blockCommentStart == QStringLiteral("/*"));
}

QList<Symbol> scan(const QString &text, const LanguageDefinition &language, const QString &fileName)
{
    return scan(text, language, modeOf(language, fileName));
}

QList<Symbol> scan(const QString &text, const LanguageDefinition &language, Mode mode, int openScopes)
{
    return *scan(text, language, mode, openScopes, {});
}

std::optional<QList<Symbol>> scan(const QString &text, const LanguageDefinition &language, Mode mode, int openScopes,
                                  const std::function<bool()> &goOn)
{
    Scanner scanner{text, language, {}, true, {}, {}, openScopes, goOn ? &goOn : nullptr};
    if (mode == Mode::Markdown) {
        scanner.markdown();
    } else if (mode == Mode::Html) {
        scanner.html();
    } else if (mode == Mode::Code) {
        scanner.cFamily = followsBraces(language, mode);
        for (const QString &keyword : language.keywordEntries())
            scanner.keywords.insert(language.caseSensitive ? keyword : keyword.toLower());
        scanner.blankCommentsAndStrings();
        if (scanner.cFamily)
            scanner.braces();
        scanner.definingWords();
    }
    if (scanner.stopped)
        return std::nullopt;
    scanner.numberLines();
    return scanner.symbols;
}

bool matchesFilter(const Symbol &symbol, const QString &filter)
{
    const QStringList words = filter.split(u' ', Qt::SkipEmptyParts);
    return std::all_of(words.begin(), words.end(),
                       [&](const QString &word) { return symbol.name.contains(word, Qt::CaseInsensitive); });
}

} // namespace SymbolScanner
