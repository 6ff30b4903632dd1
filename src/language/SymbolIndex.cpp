#include "SymbolIndex.h"

#include "EditorSurface.h"

#include <algorithm>
#include <limits>

namespace {

// What the reading of symbols takes from a language.
bool sameRules(const LanguageDefinition &a, const LanguageDefinition &b)
{
    return a.languageActive == b.languageActive && a.markup == b.markup && a.languageName == b.languageName
        && a.caseSensitive == b.caseSensitive && a.lineComment == b.lineComment
        && a.lineCommentText == b.lineCommentText && a.blockCommentStart == b.blockCommentStart
        && a.blockCommentEnd == b.blockCommentEnd && a.stringChar == b.stringChar
        && a.keywordListText == b.keywordListText;
}

bool same(const Symbol &a, const Symbol &b)
{
    // A kept symbol outside a change has the text it had: its name is the same when its length is.
    return a.offset == b.offset && a.kind == b.kind && a.level == b.level && a.scoped == b.scoped
        && a.nameLength() == b.nameLength() && (a.name.isNull() || b.name.isNull() || a.name == b.name);
}

} // namespace

void SymbolIndex::set(QList<Symbol> symbols, const LanguageDefinition &language, SymbolScanner::Mode mode,
                      const EditorSurface &surface)
{
    m_symbols = std::move(symbols);
    // Looked at first without writing: the list may be shared with its reader, and a write would copy it.
    if (mode == SymbolScanner::Mode::Code
        && std::any_of(m_symbols.cbegin(), m_symbols.cend(), [](const Symbol &s) { return !s.name.isNull(); })) {
        for (Symbol &s : m_symbols)
            s = s.withoutName();
    }
    m_language = language;
    m_mode = mode;
    m_lineCount = surface.lineCount();
    m_textLength = surface.textLength();
    m_known = true;
}

void SymbolIndex::clear()
{
    m_known = false;
    m_symbols.clear();
}

std::optional<QList<Symbol>> SymbolIndex::symbols(const LanguageDefinition &language, const QString &fileName,
                                                  const EditorSurface &surface) const
{
    if (!m_known || !sameRules(language, m_language) || SymbolScanner::modeOf(language, fileName) != m_mode
        || surface.textLength() != m_textLength || surface.lineCount() != m_lineCount)
        return std::nullopt;
    QList<Symbol> named = m_symbols;
    for (Symbol &s : named)
        if (s.name.isNull())
            s.name = surface.textRange(s.offset, s.length);
    return named;
}

void SymbolIndex::linesChanged(const EditorSurface &surface, int first, int last)
{
    if (!m_known)
        return;
    // A heading tag typed anywhere may pair with one far before or after it: no stretch around
    // the change is sure to hold all that changed.
    if (m_mode == SymbolScanner::Mode::Html) {
        clear();
        return;
    }
    const int lineCount = surface.lineCount();
    const int textLength = surface.textLength();
    const int added = lineCount - m_lineCount;
    const int moved = textLength - m_textLength;
    m_lineCount = lineCount;
    m_textLength = textLength;
    // The lines the change touched, numbered as before it (symbol lines count from 1).
    const int oldLast = last - added;
    const auto split = std::partition_point(m_symbols.begin(), m_symbols.end(),
                                            [first](const Symbol &s) { return s.line - 1 < first; });
    const auto after = std::partition_point(split, m_symbols.end(),
                                            [oldLast](const Symbol &s) { return s.line - 1 <= oldLast; });
    for (auto it = after; it != m_symbols.end(); ++it) {
        it->line += added;
        it->offset += moved;
    }
    const qsizetype at = split - m_symbols.begin();
    m_symbols.erase(split, after);
    if (!reread(surface, at))
        clear();
}

bool SymbolIndex::reread(const EditorSurface &surface, qsizetype split)
{
    const bool braces = SymbolScanner::followsBraces(m_language, m_mode);
    const auto anchor = [&](qsizetype i) { return !braces || m_symbols.at(i).scoped; };
    const qsizetype count = m_symbols.size();
    // The stretch starts at the line of an anchor before the change (or at the top) and ends
    // after the line of one after it (or at the end); it grows on both sides until the reading
    // finds a symbol on each side as before.
    qsizetype start = split;
    qsizetype end = split - 1;
    for (qsizetype grow = 1;; grow *= 2) {
        for (qsizetype n = 0; n < grow && start >= 0;) {
            --start;
            n += start < 0 || anchor(start);
        }
        for (qsizetype n = 0; n < grow && end < count;) {
            ++end;
            n += end >= count || anchor(end);
        }
        const int from = start < 0 ? 0 : surface.lineIndex(m_symbols.at(start).line - 1);
        const int nextLine = end < count ? m_symbols.at(end).line : m_lineCount;
        const int to = nextLine >= m_lineCount ? m_textLength : surface.lineIndex(nextLine);
        if (to - from > m_readLimit)
            return false;
        const int fromLine = start < 0 ? 0 : m_symbols.at(start).line - 1;
        const int scopes = braces && start >= 0 ? m_symbols.at(start).level : 0;
        QList<Symbol> found = SymbolScanner::scan(surface.textRange(from, to - from), m_language, m_mode, scopes);
        for (Symbol &s : found) {
            s.offset += from;
            s.line += fromLine;
        }
        // The first anchor before the change, and the first after it, that the reading finds as before.
        const auto foundAgain = [&](qsizetype i) {
            const auto it = std::lower_bound(found.begin(), found.end(), m_symbols.at(i).offset,
                                             [](const Symbol &s, int offset) { return s.offset < offset; });
            return it != found.end() && same(*it, m_symbols.at(i));
        };
        qsizetype before = -1;
        for (qsizetype i = std::max<qsizetype>(start, 0); i < split && before < 0; ++i)
            if (anchor(i) && foundAgain(i))
                before = i;
        qsizetype behind = -1;
        for (qsizetype i = split; i <= std::min(end, count - 1) && behind < 0; ++i)
            if (anchor(i) && foundAgain(i))
                behind = i;
        const bool startSettled = start < 0 || before >= 0;
        const bool endSettled = end >= count || behind >= 0;
        if (!startSettled || !endSettled)
            continue;
        // Up to and with the one before, and from the one behind, the symbols stay.
        const int low = before >= 0 ? m_symbols.at(before).offset : -1;
        const qsizetype keepTo = before >= 0 ? before + 1 : 0;
        const qsizetype keepFrom = behind >= 0 ? behind : count;
        const int high = behind >= 0 ? m_symbols.at(behind).offset : std::numeric_limits<int>::max();
        QList<Symbol> middle;
        const bool code = m_mode == SymbolScanner::Mode::Code;
        for (const Symbol &s : found)
            if (s.offset > low && s.offset < high)
                middle << (code ? s.withoutName() : s);
        m_symbols.remove(keepTo, keepFrom - keepTo);
        m_symbols.insert(keepTo, middle.size(), Symbol());
        std::move(middle.begin(), middle.end(), m_symbols.begin() + keepTo);
        return true;
    }
}
