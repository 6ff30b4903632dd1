#include "FileMatcher.h"

#include "FindEngine.h"
#include "TextCodec.h"

#include <algorithm>
#include <array>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool isAsciiText(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAsciiBytes(const char *data, qsizetype size)
{
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < size; ++i)
        if (uchar(data[i]) >= 0x80)
            return false;
    return true;
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

qsizetype countNewlines(const char *data, qsizetype size)
{
    qsizetype count = 0;
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        count += __builtin_popcount(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf))));
    }
#endif
    for (; i < size; ++i)
        count += data[i] == '\n';
    return count;
}

// Line ends as the editor sees them: CR LF, LF and a lone CR. Files without any CR take the fast
// paths, which only look for LF.
class ByteLines {
public:
    ByteLines(const char *data, qsizetype size)
        : m_data(data)
        , m_size(size)
        , m_hasCr(std::memchr(data, '\r', size_t(size)) != nullptr)
    {
    }

    qsizetype breaksIn(qsizetype from, qsizetype to) const
    {
        if (!m_hasCr)
            return countNewlines(m_data + from, to - from);
        qsizetype count = 0;
        for (qsizetype i = from; i < to; ++i) {
            if (m_data[i] == '\n')
                ++count;
            else if (m_data[i] == '\r' && (i + 1 >= m_size || m_data[i + 1] != '\n'))
                ++count;
        }
        return count;
    }

    qsizetype lineStart(qsizetype from, qsizetype at) const
    {
        if (!m_hasCr) {
            const void *lf = memrchr(m_data + from, '\n', size_t(at - from));
            return lf ? static_cast<const char *>(lf) - m_data + 1 : from;
        }
        for (qsizetype i = at; i > from; --i)
            if (m_data[i - 1] == '\n' || m_data[i - 1] == '\r')
                return i;
        return from;
    }

    qsizetype lineEnd(qsizetype at) const
    {
        if (!m_hasCr) {
            const void *lf = std::memchr(m_data + at, '\n', size_t(m_size - at));
            return lf ? static_cast<const char *>(lf) - m_data : m_size;
        }
        for (qsizetype i = at; i < m_size; ++i)
            if (m_data[i] == '\n' || m_data[i] == '\r')
                return i;
        return m_size;
    }

    qsizetype nextLine(qsizetype end) const
    {
        if (end >= m_size)
            return m_size;
        return end + ((m_data[end] == '\r' && end + 1 < m_size && m_data[end + 1] == '\n') ? 2 : 1);
    }

private:
    const char *m_data;
    qsizetype m_size;
    bool m_hasCr;
};

// Case-folded Horspool over ASCII letters; the needle is already lower case.
qsizetype findFolded(const char *data, qsizetype size, const QByteArray &needle, const std::array<qsizetype, 256> &shift)
{
    const qsizetype m = needle.size();
    const char last = needle.at(m - 1);
    for (qsizetype i = 0; i + m <= size;) {
        const char c = lowerAscii(data[i + m - 1]);
        if (c == last) {
            qsizetype k = 0;
            while (k < m - 1 && lowerAscii(data[i + k]) == needle.at(k))
                ++k;
            if (k == m - 1)
                return i;
        }
        i += shift[uchar(c)];
    }
    return -1;
}

// Long lines are shown around their first match, so one huge line does not flood the list.
LineHit makeHit(int line, const QString &text, QList<LineHit::Mark> marks)
{
    LineHit hit;
    hit.line = line;
    hit.column = marks.isEmpty() ? 1 : marks.first().start + 1;
    if (text.size() <= FileMatcher::MaxShownLine) {
        hit.text = text;
        hit.marks = std::move(marks);
        return hit;
    }
    const int from = std::max(0, marks.isEmpty() ? 0 : marks.first().start - FileMatcher::MaxShownLine / 4);
    hit.text = text.mid(from, FileMatcher::MaxShownLine);
    for (LineHit::Mark mark : marks) {
        mark.start -= from;
        if (mark.start >= hit.text.size())
            break;
        mark.length = std::min(mark.length, int(hit.text.size()) - mark.start);
        hit.marks << mark;
    }
    return hit;
}

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

void foldedShifts(const QByteArray &needle, std::array<qsizetype, 256> &shift)
{
    shift.fill(std::max<qsizetype>(1, needle.size()));
    for (qsizetype i = 0; i + 1 < needle.size(); ++i)
        shift[uchar(needle.at(i))] = needle.size() - 1 - i;
    for (int c = 'A'; c <= 'Z'; ++c)
        shift[c] = shift[c + 32];
}

// Where the group or class that starts at i ends (the index after it); -1 when unsure.
qsizetype skipGroup(const QString &p, qsizetype i)
{
    int depth = 0;
    for (; i < p.size(); ++i) {
        const QChar c = p.at(i);
        if (c == u'\\') {
            ++i;
        } else if (c == u'[') {
            // "[]" and "[^]" read differently in different dialects.
            qsizetype j = i + 1;
            if (j < p.size() && p.at(j) == u'^')
                ++j;
            if (j < p.size() && p.at(j) == u']')
                return -1;
            for (; j < p.size() && p.at(j) != u']'; ++j)
                if (p.at(j) == u'\\')
                    ++j;
            if (j >= p.size())
                return -1;
            i = j;
            if (depth == 0)
                return i + 1;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (--depth == 0)
                return i + 1;
            if (depth < 0)
                return -1;
        }
    }
    return -1;
}

} // namespace

QByteArray FileMatcher::requiredLiteral(const QString &p)
{
    QByteArray best;
    QByteArray run;
    const auto endRun = [&] {
        if (run.size() > best.size())
            best = run;
        run.clear();
    };
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p.at(i);
        if (c == u'|')
            return {};   // either side may match alone
        if (c == u'(' && i + 2 < p.size() && p.at(i + 1) == u'?' && p.at(i + 2) != u':' && p.at(i + 2) != u'='
            && p.at(i + 2) != u'!')
            return {};   // inline options could change what a letter or a blank means
        if (c == u'?' || c == u'*' || c == u'{') {
            // The atom before may be absent or repeated.
            if (!run.isEmpty())
                run.chop(1);
            endRun();
            if (c == u'{') {
                i = p.indexOf(u'}', i);
                if (i < 0)
                    return {};
            }
            ++i;
            continue;
        }
        if (c == u'(' || c == u'[') {
            endRun();
            i = skipGroup(p, i);
            if (i < 0)
                return {};
            continue;
        }
        QChar literal;
        qsizetype next = i + 1;
        if (c == u'\\') {
            if (next >= p.size())
                return {};
            const QChar escaped = p.at(next++);
            if (escaped.unicode() < 0x80 && !escaped.isLetterOrNumber())
                literal = escaped;
        } else if (c.unicode() >= 0x20 && c.unicode() < 0x80 && !QStringLiteral("^$.+)]}").contains(c)) {
            literal = c;
        }
        if (literal.isNull()) {
            endRun();
        } else {
            run += char(literal.unicode());
            // "a+" needs one "a", but what follows need not come right after it.
            if (next < p.size() && p.at(next) == u'+') {
                endRun();
                ++next;
            }
        }
        i = next;
    }
    endRun();
    return best;
}

bool FileMatcher::staysInLine(const QString &p)
{
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QChar c = p.at(i);
        // A control character could start a class range that takes in the line breaks.
        if (c.unicode() < 0x20)
            return false;
        if (c == u'[' && i + 1 < p.size() && p.at(i + 1) == u'^')
            return false;
        if (c == u'(' && i + 1 < p.size() && p.at(i + 1) == u'?' && (i + 2 >= p.size() || p.at(i + 2) != u':'))
            return false;
        if (c == u'\\') {
            if (++i >= p.size())
                return false;
            const QChar e = p.at(i);
            // Word characters, digits and word edges never take a line break; "." never does either.
            if (e.isLetterOrNumber() && e != u'd' && e != u'w' && e != u'b' && e != u'B')
                return false;
        }
    }
    return true;
}

FileMatcher::FileMatcher(const FileQuery &query)
    : m_query(query)
{
    if (m_query.regExp) {
        m_engine = FindEngine::newEngine(m_query.text, m_query.matchCase);
        if (!m_engine->isValid()) {
            m_error = FindEngine::engineError(*m_engine);
            return;
        }
        m_literal = requiredLiteral(m_query.text);
        m_lineBound = !m_literal.isEmpty() && staysInLine(m_query.text);
        if (!m_query.matchCase) {
            m_literal = m_literal.toLower();
            m_literalNeedsUnicodeFold = m_literal.contains('k') || m_literal.contains('s');
            foldedShifts(m_literal, m_literalShift);
        }
        return;
    }
    if (isAsciiText(m_query.text)) {
        m_asciiNeedle = m_query.text.toLatin1();
        if (!m_query.matchCase) {
            m_asciiNeedle = m_asciiNeedle.toLower();
            // KELVIN SIGN and LATIN SMALL LETTER LONG S fold to "k" and "s".
            m_needsUnicodeFold = m_asciiNeedle.contains('k') || m_asciiNeedle.contains('s');
            foldedShifts(m_asciiNeedle, m_shift);
        }
    }
}

FileMatcher::~FileMatcher() = default;

FileMatcher::Result FileMatcher::search(QByteArrayView bytes, bool skipBinary, const std::atomic<bool> *cancel)
{
    Result result;
    if (m_error || m_query.text.isEmpty())
        return result;
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    if (startsWithUtf16Mark(data, size)) {
        if (size > MaxDocumentBytes) {
            result.tooLarge = true;
            return result;
        }
        QString text(qsizetype((size - 2) / 2), Qt::Uninitialized);
        std::memcpy(text.data(), data + 2, size_t(text.size()) * 2);
        return searchText(text, cancel);
    }
    const bool hasNul = std::memchr(data, 0, size_t(size)) != nullptr;
    if (hasNul && skipBinary) {
        result.binary = true;
        return result;
    }
    // The editor's rule: valid UTF-8 without a NUL is UTF-8, anything else one byte per character.
    const auto utf8 = [&] { return !hasNul && bytes.isValidUtf8(); };
    const auto decoded = [&]() -> std::optional<QString> {
        if (size > MaxDocumentBytes)
            return std::nullopt;
        if (!utf8())
            return QString::fromLatin1(data, size);
        return bytes.startsWith(kUtf8Mark) ? QString::fromUtf8(bytes.sliced(3)) : QString::fromUtf8(bytes);
    };
    const auto searchDecoded = [&] {
        const std::optional<QString> text = decoded();
        if (!text) {
            Result skipped;
            skipped.tooLarge = true;
            return skipped;
        }
        return searchText(*text, cancel);
    };
    if (m_engine) {
        // Text every match holds rules out most files and lines before the expression runs.
        if (!m_literal.isEmpty() && (m_query.matchCase || !m_literalNeedsUnicodeFold || isAsciiBytes(data, size))) {
            const qsizetype skip = bytes.startsWith(kUtf8Mark) ? 3 : 0;
            if (findLiteral(data + skip, 0, size - skip) < 0)
                return result;
            if (m_lineBound)
                return searchLines(bytes, utf8(), cancel);
        }
        return searchDecoded();
    }
    if (!m_asciiNeedle.isEmpty()) {
        if (m_query.matchCase || !m_needsUnicodeFold || isAsciiBytes(data, size))
            return searchBytes(bytes, m_asciiNeedle, !m_query.matchCase, cancel);
        return searchDecoded();
    }
    if (!m_query.matchCase)
        return searchDecoded();
    if (utf8())
        return searchBytes(bytes, m_query.text.toUtf8(), false, cancel);
    const bool latin1 = std::all_of(m_query.text.begin(), m_query.text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    return latin1 ? searchBytes(bytes, m_query.text.toLatin1(), false, cancel) : result;
}

FileMatcher::Result FileMatcher::searchBytes(QByteArrayView bytes, const QByteArray &needle, bool fold,
                                             const std::atomic<bool> *cancel)
{
    Result result;
    const qsizetype skip = bytes.startsWith(kUtf8Mark) ? 3 : 0;
    const char *data = bytes.data() + skip;
    const qsizetype size = bytes.size() - skip;
    const qsizetype m = needle.size();
    const auto find = [&](qsizetype from, qsizetype to) -> qsizetype {
        if (to - from < m)
            return -1;
        if (fold) {
            const qsizetype at = findFolded(data + from, to - from, needle, m_shift);
            return at < 0 ? -1 : from + at;
        }
        const void *hit = memmem(data + from, size_t(to - from), needle.constData(), size_t(m));
        return hit ? static_cast<const char *>(hit) - data : -1;
    };
    std::optional<bool> utf8;
    const auto lineText = [&](qsizetype from, qsizetype length) {
        if (isAsciiBytes(data + from, length))
            return QString::fromLatin1(data + from, length);
        if (!utf8)
            utf8 = bytes.isValidUtf8();
        return *utf8 ? QString::fromUtf8(data + from, length) : QString::fromLatin1(data + from, length);
    };

    const ByteLines lines(data, size);
    qsizetype pos = 0;
    qsizetype counted = 0;
    qsizetype lineNo = 1;
    while (pos < size && !cancelled(cancel)) {
        const qsizetype at = find(pos, size);
        if (at < 0)
            break;
        const qsizetype start = lines.lineStart(pos, at);
        const qsizetype end = std::max(lines.lineEnd(at), std::min(size, at + m));
        lineNo += lines.breaksIn(counted, start);
        counted = start;
        const QString text = lineText(start, end - start);
        QList<LineHit::Mark> marks;
        for (qsizetype hit = at; hit >= 0; hit = find(hit + m, end)) {
            const int column = int(lineText(start, hit - start).size());
            marks << LineHit::Mark{column, int(lineText(hit, m).size())};
        }
        result.lines << makeHit(int(lineNo), text, std::move(marks));
        pos = lines.nextLine(end);
    }
    return result;
}

FileMatcher::Result FileMatcher::searchText(const QString &text, const std::atomic<bool> *cancel)
{
    Result result;
    QList<RegExp::Span> spans;
    if (m_engine) {
        spans = m_engine->Locate(text);
    } else {
        const Qt::CaseSensitivity cs = m_query.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
        for (qsizetype at = text.indexOf(m_query.text, 0, cs); at >= 0;
             at = text.indexOf(m_query.text, at + m_query.text.size(), cs))
            spans << RegExp::Span{at, m_query.text.size()};
    }
    const QChar *units = text.constData();
    const qsizetype size = text.size();
    const auto isBreak = [&](qsizetype i) { return units[i] == u'\n' || units[i] == u'\r'; };
    const auto afterBreak = [&](qsizetype i) {
        return i + ((units[i] == u'\r' && i + 1 < size && units[i + 1] == u'\n') ? 2 : 1);
    };
    qsizetype lineNo = 1;
    qsizetype lineStart = 0;
    for (qsizetype s = 0; s < spans.size() && !cancelled(cancel);) {
        const qsizetype at = spans.at(s).FirstIndex;
        // A last line break starts no further line, as the line tools count.
        if (at == size && size > 0 && isBreak(size - 1))
            break;
        for (qsizetype i = lineStart; i < at; ++i) {
            if (isBreak(i)) {
                ++lineNo;
                i = afterBreak(i) - 1;
                lineStart = i + 1;
            }
        }
        qsizetype end = at;
        while (end < size && !isBreak(end))
            ++end;
        QList<LineHit::Mark> marks;
        // A match at the line's break (an end-of-line anchor) belongs to this line.
        for (; s < spans.size() && spans.at(s).FirstIndex <= end; ++s)
            marks << LineHit::Mark{int(spans.at(s).FirstIndex - lineStart), int(spans.at(s).Length)};
        result.lines << makeHit(int(lineNo), text.mid(lineStart, end - lineStart), std::move(marks));
    }
    return result;
}

qsizetype FileMatcher::findLiteral(const char *data, qsizetype from, qsizetype to) const
{
    const qsizetype m = m_literal.size();
    if (to - from < m)
        return -1;
    if (!m_query.matchCase) {
        const qsizetype at = findFolded(data + from, to - from, m_literal, m_literalShift);
        return at < 0 ? -1 : from + at;
    }
    const void *hit = memmem(data + from, size_t(to - from), m_literal.constData(), size_t(m));
    return hit ? static_cast<const char *>(hit) - data : -1;
}

FileMatcher::Result FileMatcher::searchLines(QByteArrayView bytes, bool utf8, const std::atomic<bool> *cancel)
{
    Result result;
    const qsizetype skip = bytes.startsWith(kUtf8Mark) && utf8 ? 3 : 0;
    const char *data = bytes.data() + skip;
    const qsizetype size = bytes.size() - skip;
    const ByteLines lines(data, size);
    qsizetype pos = 0;
    qsizetype counted = 0;
    qsizetype lineNo = 1;
    while (pos < size && !cancelled(cancel)) {
        const qsizetype at = findLiteral(data, pos, size);
        if (at < 0)
            break;
        const qsizetype start = lines.lineStart(pos, at);
        const qsizetype end = lines.lineEnd(at);
        const QString text = utf8 ? QString::fromUtf8(data + start, end - start) : QString::fromLatin1(data + start, end - start);
        QList<LineHit::Mark> marks;
        for (const RegExp::Span &span : m_engine->Locate(text))
            marks << LineHit::Mark{int(span.FirstIndex), int(span.Length)};
        if (!marks.isEmpty()) {
            lineNo += lines.breaksIn(counted, start);
            counted = start;
            result.lines << makeHit(int(lineNo), text, std::move(marks));
        }
        pos = lines.nextLine(end);
    }
    return result;
}
