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

// A kept symbol outside a change has the text it had: its name is the same when its length is.
bool same(const SymbolSpot &kept, const Symbol &found)
{
    return kept.offset == found.offset && kept.kind == found.kind && kept.level == found.level
        && kept.scoped == found.scoped && kept.length == found.name.size();
}

bool same(const Symbol &kept, const Symbol &found)
{
    return kept.offset == found.offset && kept.kind == found.kind && kept.level == found.level
        && kept.scoped == found.scoped && kept.name == found.name;
}

Symbol keptAs(const Symbol &found, const Symbol *)
{
    return found;
}

SymbolSpot keptAs(const Symbol &found, const SymbolSpot *)
{
    return SymbolSpot::of(found);
}

} // namespace

void SymbolIndex::set(SymbolReading symbols, const LanguageDefinition &language, SymbolScanner::Mode mode,
                      const EditorSurface &surface)
{
    m_spots = std::move(symbols.spots);
    m_headings = std::move(symbols.headings);
    m_language = language;
    m_mode = mode;
    m_lineCount = surface.lineCount();
    m_textLength = surface.textLength();
    m_known = true;
    m_pending = false;
}

void SymbolIndex::set(const QList<Symbol> &symbols, const LanguageDefinition &language, SymbolScanner::Mode mode,
                      const EditorSurface &surface)
{
    SymbolReading reading;
    if (mode == SymbolScanner::Mode::Code) {
        reading.spots.reserve(symbols.size());
        for (const Symbol &s : symbols)
            reading.spots << SymbolSpot::of(s);
    } else {
        reading.headings = symbols;
    }
    set(std::move(reading), language, mode, surface);
}

void SymbolIndex::clear()
{
    m_known = false;
    m_pending = false;
    m_spots.clear();
    m_headings.clear();
}

std::optional<QList<Symbol>> SymbolIndex::symbols(const LanguageDefinition &language, const QString &fileName,
                                                  const EditorSurface &surface)
{
    settle(surface);
    if (!m_known || !sameRules(language, m_language) || SymbolScanner::modeOf(language, fileName) != m_mode
        || surface.textLength() != m_textLength || surface.lineCount() != m_lineCount)
        return std::nullopt;
    if (m_mode != SymbolScanner::Mode::Code)
        return m_headings;
    QList<Symbol> named;
    named.reserve(m_spots.size());
    for (const SymbolSpot &s : m_spots)
        named << s.named(surface.textRange(s.offset, s.length));
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
    const int lines = surface.lineCount();
    if (!m_pending) {
        m_pendingFirst = first;
        m_pendingLast = last;
    } else {
        // The marked lines after this change moved with it.
        if (m_pendingLast > first)
            m_pendingLast = std::max(first, m_pendingLast + lines - m_linesNow);
        m_pendingFirst = std::min(m_pendingFirst, first);
        m_pendingLast = std::max(m_pendingLast, last);
    }
    m_linesNow = lines;
    m_pending = true;
}

void SymbolIndex::settle(const EditorSurface &surface)
{
    if (!m_pending)
        return;
    m_pending = false;
    if (m_mode == SymbolScanner::Mode::Code)
        follow(m_spots, surface, m_pendingFirst, m_pendingLast);
    else
        follow(m_headings, surface, m_pendingFirst, m_pendingLast);
}

template <typename Kept>
void SymbolIndex::follow(QList<Kept> &kept, const EditorSurface &surface, int first, int last)
{
    const int lineCount = surface.lineCount();
    const int textLength = surface.textLength();
    const int added = lineCount - m_lineCount;
    const int moved = textLength - m_textLength;
    m_lineCount = lineCount;
    m_textLength = textLength;
    // The lines the change touched, numbered as before it (symbol lines count from 1).
    const int oldLast = last - added;
    const auto split = std::partition_point(kept.begin(), kept.end(),
                                            [first](const Kept &s) { return s.line - 1 < first; });
    const auto after = std::partition_point(split, kept.end(),
                                            [oldLast](const Kept &s) { return s.line - 1 <= oldLast; });
    for (auto it = after; it != kept.end(); ++it) {
        it->line += added;
        it->offset += moved;
    }
    const qsizetype at = split - kept.begin();
    kept.erase(split, after);
    if (!reread(kept, surface, at))
        clear();
}

template <typename Kept>
bool SymbolIndex::reread(QList<Kept> &kept, const EditorSurface &surface, qsizetype split)
{
    const bool braces = SymbolScanner::followsBraces(m_language, m_mode);
    const auto anchor = [&](qsizetype i) { return !braces || kept.at(i).scoped; };
    const qsizetype count = kept.size();
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
        const int from = start < 0 ? 0 : surface.lineIndex(kept.at(start).line - 1);
        const int nextLine = end < count ? kept.at(end).line : m_lineCount;
        const int to = nextLine >= m_lineCount ? m_textLength : surface.lineIndex(nextLine);
        if (to - from > m_readLimit)
            return false;
        const int fromLine = start < 0 ? 0 : kept.at(start).line - 1;
        const int scopes = braces && start >= 0 ? kept.at(start).level : 0;
        QList<Symbol> found = SymbolScanner::scan(surface.textRange(from, to - from), m_language, m_mode, scopes);
        for (Symbol &s : found) {
            s.offset += from;
            s.line += fromLine;
        }
        // The first anchor before the change, and the first after it, that the reading finds as before.
        const auto foundAgain = [&](qsizetype i) {
            const auto it = std::lower_bound(found.begin(), found.end(), kept.at(i).offset,
                                             [](const Symbol &s, int offset) { return s.offset < offset; });
            return it != found.end() && same(kept.at(i), *it);
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
        const int low = before >= 0 ? kept.at(before).offset : -1;
        const qsizetype keepTo = before >= 0 ? before + 1 : 0;
        const qsizetype keepFrom = behind >= 0 ? behind : count;
        const int high = behind >= 0 ? kept.at(behind).offset : std::numeric_limits<int>::max();
        QList<Kept> middle;
        for (const Symbol &s : found)
            if (s.offset > low && s.offset < high)
                middle << keptAs(s, static_cast<const Kept *>(nullptr));
        kept.remove(keepTo, keepFrom - keepTo);
        kept.insert(keepTo, middle.size(), Kept());
        std::move(middle.begin(), middle.end(), kept.begin() + keepTo);
        return true;
    }
}
