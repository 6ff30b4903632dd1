#include "FoldScanner.h"

#include "HighlightPasses.h"

#include <algorithm>

namespace {

// A line's state: the block depth (low 12 bits) and what the line ends inside of (5 bits above).
enum Inside : int {
    Code = 0,
    BlockComment = 1,
    MarkupComment = 2,
    Tag = 3,        // a tag that opened no element ("<!DOCTYPE", "</p", "<br")
    OpeningTag = 4, // "/>" at its end closes the element again
    LongString = 8, // + the delimiter's index
};

constexpr int DepthBits = 12;
constexpr int DepthMask = (1 << DepthBits) - 1;
// Deeper than a level can show; the depth only saturates beyond it.
constexpr int MaxDepth = DepthMask;
constexpr int InsideMask = (1 << (FoldLevel::StateBits - DepthBits)) - 1;
static_assert(MaxDepth >= FoldLevel::NumberMask - FoldLevel::Base);
// Only the first long-string delimiters have a state of their own: no language has this many.
constexpr int MaxLongStrings = InsideMask + 1 - LongString;

int encode(int depth, int inside)
{
    return (inside << DepthBits) | std::clamp(depth, 0, MaxDepth);
}

int depthOf(int state)
{
    return state & DepthMask;
}

int insideOf(int state)
{
    return (state >> DepthBits) & InsideMask;
}

bool isWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
        || static_cast<unsigned char>(c) >= 0x80;
}

bool startsAt(QByteArrayView line, qsizetype i, const QByteArray &marker)
{
    return !marker.isEmpty() && line.sliced(i).startsWith(marker);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// Elements of HTML that never hold content, so they open no block.
bool isVoidElement(QByteArrayView name)
{
    static const char *const names[] = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
                                        "meta", "param", "source", "track", "wbr"};
    const QByteArray lower = name.toByteArray().toLower();
    return std::any_of(std::begin(names), std::end(names), [&lower](const char *n) { return lower == n; });
}

QList<QByteArray> utf8Words(const QStringList &words, bool caseSensitive)
{
    QList<QByteArray> out;
    for (const QString &word : words)
        out << (caseSensitive ? word : word.toLower()).toUtf8();
    return out;
}

constexpr int MaxLevel = FoldLevel::NumberMask - FoldLevel::Base;

// A closing brace or tag with nothing open is left alone, so it cannot spoil the blocks after it.
int closed(int depth)
{
    return std::max(0, depth - 1);
}

qsizetype skipBlanks(QByteArrayView line, qsizetype i)
{
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    return i;
}

// Closers that lead a line ("}", "} else {", "</div>", "*/") leave the line outside the block they
// close, so it stays shown when the block folds; a closer after text ("b; }") keeps its line inside.
struct Lowest {
    int value;
    qsizetype leadEnd;
    void closedAt(QByteArrayView line, qsizetype from, qsizetype to, int depth)
    {
        if (from > leadEnd)
            return;
        value = std::min(value, depth);
        leadEnd = skipBlanks(line, to);
    }
};
constexpr int TabStop = 8;

// "} else {" closes one block and opens the next on the same line: the line heads the second.
FoldScanner::Line finished(int start, const Lowest &lowest, int depth, int inside)
{
    FoldScanner::Line result;
    result.state = encode(depth, inside);
    result.level = std::max(0, std::min(start, lowest.value));
    result.header = std::max(0, depth) > result.level;
    return result;
}

} // namespace

FoldScanner::FoldScanner(const LanguageDefinition &language)
{
    if (!language.languageActive)
        return;
    m_mode = language.markup ? Mode::Markup : language.foldIndent ? Mode::Indent : Mode::Blocks;
    m_caseSensitive = language.caseSensitive;
    if (!language.stringChar.isNull())
        m_quotes << QString(language.stringChar).toUtf8();
    for (const QChar c : language.stringChars)
        m_quotes << QString(c).toUtf8();
    for (const QString &delimiter : language.longStrings.mid(0, MaxLongStrings))
        m_longStrings << delimiter.toUtf8();
    if (!language.stringEscape.isNull())
        m_escape = QString(language.stringEscape).toUtf8();
    // A marker that is a pattern cannot be told in the text without the engine; such lines still fold.
    m_lineComment = HighlightPasses::literalOf(language.lineComment).toUtf8();
    m_blockOpen = language.blockCommentStart.toUtf8();
    m_blockClose = language.blockCommentEnd.toUtf8();
    if (m_blockClose.isEmpty())
        m_blockOpen.clear();
    m_openWords = utf8Words(language.foldOpen, m_caseSensitive);
    m_closeWords = utf8Words(language.foldClose, m_caseSensitive);
    for (const QList<QByteArray> &markers : {m_quotes, m_longStrings, QList<QByteArray>{m_lineComment, m_blockOpen}}) {
        for (const QByteArray &marker : markers) {
            if (!marker.isEmpty())
                m_markerStart[static_cast<unsigned char>(marker.front())] = true;
        }
    }
}

LineFold FoldScanner::foldOf(const Line &line)
{
    int level = FoldLevel::Base + std::clamp(line.level, 0, MaxLevel);
    if (line.header)
        level |= FoldLevel::Header;
    if (line.white)
        level |= FoldLevel::White;
    return {level, line.state};
}

FoldScanner::Line FoldScanner::scan(QByteArrayView line, int stateBefore) const
{
    switch (m_mode) {
    case Mode::Blocks: return scanBlocks(line, stateBefore);
    case Mode::Markup: return scanMarkup(line, stateBefore);
    case Mode::Indent: return scanIndent(line, stateBefore);
    case Mode::None: break;
    }
    return {};
}

qsizetype FoldScanner::stringEnd(QByteArrayView line, qsizetype from, const QByteArray &delimiter) const
{
    for (qsizetype j = from; j < line.size(); ++j) {
        if (startsAt(line, j, m_escape)) {
            j += m_escape.size();
            continue;
        }
        if (startsAt(line, j, delimiter))
            return j + delimiter.size();
    }
    return -1;
}

qsizetype FoldScanner::markerAt(QByteArrayView line, qsizetype at, const QList<QByteArray> &markers)
{
    for (qsizetype k = 0; k < markers.size(); ++k) {
        if (startsAt(line, at, markers[k]))
            return k;
    }
    return -1;
}

bool FoldScanner::leaveLongString(QByteArrayView line, qsizetype &at, int &inside) const
{
    const qsizetype k = inside - LongString;
    const qsizetype end = k < m_longStrings.size() ? stringEnd(line, at, m_longStrings[k]) : line.size();
    if (end < 0)
        return false;
    at = end;
    inside = Code;
    return true;
}

bool FoldScanner::wordIn(QByteArrayView word, const QList<QByteArray> &words) const
{
    if (words.isEmpty())
        return false;
    const QByteArray key = m_caseSensitive ? word.toByteArray() : word.toByteArray().toLower();
    return words.contains(key);
}

FoldScanner::Line FoldScanner::scanBlocks(QByteArrayView line, int stateBefore) const
{
    int depth = depthOf(stateBefore);
    int inside = insideOf(stateBefore);
    const int start = depth;
    Lowest lowest{depth, skipBlanks(line, 0)};
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        if (inside == BlockComment) {
            const qsizetype close = line.indexOf(m_blockClose, i);
            if (close < 0)
                break;
            i = close + m_blockClose.size();
            inside = Code;
            lowest.closedAt(line, close, i, depth = closed(depth));
            continue;
        }
        if (inside >= LongString) {
            if (!leaveLongString(line, i, inside))
                break;
            continue;
        }
        const char c = line[i];
        if (m_markerStart[static_cast<unsigned char>(c)]) {
            if (const qsizetype k = markerAt(line, i, m_longStrings); k >= 0) {
                i += m_longStrings[k].size();
                inside = LongString + int(k);
                continue;
            }
            if (startsAt(line, i, m_blockOpen)) {
                i += m_blockOpen.size();
                inside = BlockComment;
                ++depth;
                continue;
            }
            if (startsAt(line, i, m_lineComment))
                break;
            if (const qsizetype k = markerAt(line, i, m_quotes); k >= 0) {
                const qsizetype end = stringEnd(line, i + m_quotes[k].size(), m_quotes[k]);
                // An unclosed quote is text, as the highlighter leaves it.
                i = end < 0 ? i + m_quotes[k].size() : end;
                continue;
            }
        }
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            lowest.closedAt(line, i, i + 1, depth = closed(depth));
        } else if (isWordByte(c) && (i == 0 || !isWordByte(line[i - 1]))) {
            qsizetype end = i;
            while (end < n && isWordByte(line[end]))
                ++end;
            const QByteArrayView word = line.sliced(i, end - i);
            if (wordIn(word, m_openWords))
                ++depth;
            else if (wordIn(word, m_closeWords))
                lowest.closedAt(line, i, end, depth = closed(depth));
            i = end;
            continue;
        }
        ++i;
    }
    return finished(start, lowest, depth, inside);
}

FoldScanner::Line FoldScanner::scanMarkup(QByteArrayView line, int stateBefore) const
{
    int depth = depthOf(stateBefore);
    int inside = insideOf(stateBefore);
    const int start = depth;
    Lowest lowest{depth, skipBlanks(line, 0)};
    const qsizetype n = line.size();
    qsizetype i = 0;
    const auto name = [&](qsizetype from) {
        qsizetype end = from;
        while (end < n && (isWordByte(line[end]) || line[end] == '-' || line[end] == ':' || line[end] == '.'))
            ++end;
        return end;
    };
    while (i < n) {
        if (inside == MarkupComment) {
            const qsizetype close = line.indexOf("-->", i);
            if (close < 0)
                break;
            i = close + 3;
            inside = Code;
            lowest.closedAt(line, close, i, depth = closed(depth));
            continue;
        }
        if (inside == Tag || inside == OpeningTag) {
            const char c = line[i];
            if (c == '"' || c == '\'') {
                const qsizetype end = line.indexOf(c, i + 1);
                i = end < 0 ? n : end + 1;
                continue;
            }
            if (c == '>') {
                if (inside == OpeningTag && i > 0 && line[i - 1] == '/')
                    lowest.closedAt(line, 0, i + 1, depth = closed(depth));
                inside = Code;
            }
            ++i;
            continue;
        }
        if (line[i] != '<') {
            ++i;
            continue;
        }
        if (line.sliced(i).startsWith("<!--")) {
            i += 4;
            inside = MarkupComment;
            ++depth;
            continue;
        }
        const char next = i + 1 < n ? line[i + 1] : '\0';
        if (next == '/') {
            const qsizetype end = name(i + 2);
            if (end > i + 2 && !isVoidElement(line.sliced(i + 2, end - i - 2))) {
                const qsizetype gt = line.indexOf('>', end);
                lowest.closedAt(line, i, gt < 0 ? end : gt + 1, depth = closed(depth));
            }
            i = end;
            inside = Tag;
        } else if (next == '!' || next == '?' || next == '%') {
            i += 2;
            inside = Tag;
        } else if (isWordByte(next)) {
            const qsizetype end = name(i + 1);
            const bool opens = !isVoidElement(line.sliced(i + 1, end - i - 1));
            if (opens)
                ++depth;
            i = end;
            inside = opens ? OpeningTag : Tag;
        } else {
            ++i;   // "a < b" in a script
        }
    }
    return finished(start, lowest, depth, inside);
}

FoldScanner::Line FoldScanner::scanIndent(QByteArrayView line, int stateBefore) const
{
    int inside = insideOf(stateBefore);
    Line result;
    // A line that starts inside a long string or comment belongs to the line that opened it.
    result.white = inside != Code;
    int indent = 0;
    qsizetype first = 0;
    for (; first < line.size() && isBlank(line[first]); ++first)
        indent = line[first] == '\t' ? (indent / TabStop + 1) * TabStop : indent + 1;
    // A comment line belongs to the block around it, wherever it starts.
    if (first == line.size() || startsAt(line, first, m_lineComment))
        result.white = true;
    result.level = indent;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        if (inside == BlockComment) {
            const qsizetype close = line.indexOf(m_blockClose, i);
            if (close < 0)
                break;
            i = close + m_blockClose.size();
            inside = Code;
            continue;
        }
        if (inside >= LongString) {
            if (!leaveLongString(line, i, inside))
                break;
            continue;
        }
        if (const qsizetype k = markerAt(line, i, m_longStrings); k >= 0) {
            i += m_longStrings[k].size();
            inside = LongString + int(k);
            continue;
        }
        if (startsAt(line, i, m_blockOpen)) {
            i += m_blockOpen.size();
            inside = BlockComment;
            continue;
        }
        if (startsAt(line, i, m_lineComment))
            break;
        if (const qsizetype k = markerAt(line, i, m_quotes); k >= 0) {
            const qsizetype end = stringEnd(line, i + m_quotes[k].size(), m_quotes[k]);
            i = end < 0 ? i + m_quotes[k].size() : end;
            continue;
        }
        ++i;
    }
    result.state = encode(0, inside);
    return result;
}

QByteArrayView FoldScanner::nextLine(QByteArrayView text, qsizetype &from)
{
    const qsizetype start = from;
    qsizetype i = start;
    while (i < text.size() && text[i] != '\n' && text[i] != '\r')
        ++i;
    const QByteArrayView line = text.sliced(start, i - start);
    if (i < text.size())
        i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    from = i;
    return line;
}

void FoldScanner::settleIndent(std::vector<LineFold> &folds, const std::vector<Line> &lines, int nextIndent)
{
    // From the end: each line compares itself with the first non-blank line below it.
    int below = nextIndent;
    for (std::size_t k = lines.size(); k-- > 0;) {
        Line line = lines[k];
        if (line.white) {
            line.level = below;
        } else {
            line.header = below > line.level;
            below = line.level;
        }
        folds[k] = foldOf(line);
    }
}

std::vector<LineFold> FoldScanner::levels(QByteArrayView text, int stateBefore) const
{
    std::vector<Line> lines;
    qsizetype at = 0;
    int state = stateBefore;
    // A text that ends in a line break ends with an empty line, as the surface counts lines.
    for (bool more = true; more;) {
        const qsizetype before = at;
        const QByteArrayView lineText = nextLine(text, at);
        more = at < text.size() || at > before + lineText.size();
        const Line line = scan(lineText, state);
        state = line.state;
        lines.push_back(line);
    }
    std::vector<LineFold> folds(lines.size());
    if (m_mode == Mode::Indent) {
        settleIndent(folds, lines, 0);
    } else {
        for (std::size_t k = 0; k < lines.size(); ++k)
            folds[k] = foldOf(lines[k]);
    }
    return folds;
}
