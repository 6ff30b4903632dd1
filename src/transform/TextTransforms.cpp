#include "TextTransforms.h"

#include <QChar>

#include <algorithm>

namespace TextTransforms {

namespace {

bool isWordSeparator(char16_t c)
{
    return c == 0 || c == u'\t' || c == u'\n' || c == 0x0B || c == 0x0C || c == u'\r' || c == u' ';
}

// Applies fn to each code point, keeping surrogate pairs together; simple case mappings never
// change the length, so the result is written in place.
template <typename Fn>
QString mapCodePoints(QStringView s, Fn fn)
{
    QString out(s.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1].unicode())) {
            const char32_t mapped = fn(QChar::surrogateToUcs4(c, s[i + 1].unicode()), i);
            if (QChar::requiresSurrogates(mapped)) {
                dst[i] = QChar::highSurrogate(mapped);
                dst[i + 1] = QChar::lowSurrogate(mapped);
            } else {
                // Not produced by Unicode's simple mappings, but keep the length if it ever is.
                dst[i] = s[i].unicode();
                dst[i + 1] = s[i + 1].unicode();
            }
            ++i;
        } else {
            const char32_t mapped = fn(c, i);
            dst[i] = QChar::requiresSurrogates(mapped) ? c : char16_t(mapped);
        }
    }
    return out;
}

struct LineLayout {
    QStringView body;    // without the final CR LF
    bool endsWithBreak;
    qsizetype lineCount; // lines of body
};

LineLayout layoutOf(QStringView s)
{
    const bool endsWithBreak = s.endsWith(u"\r\n");
    const QStringView body = endsWithBreak ? s.chopped(2) : s;
    return {body, endsWithBreak, body.count(u"\r\n") + 1};
}

void copyTo(char16_t *&dst, QStringView piece)
{
    std::copy(piece.utf16(), piece.utf16() + piece.size(), dst);
    dst += piece.size();
}

// Calls fn(piece) for each CR LF separated piece of body, writing CR LF between pieces.
template <typename Fn>
char16_t *eachLine(QStringView body, char16_t *dst, Fn fn)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype brk = body.indexOf(u"\r\n", from);
        const QStringView piece = body.sliced(from, (brk < 0 ? body.size() : brk) - from);
        fn(dst, piece);
        if (brk < 0)
            return dst;
        *dst++ = u'\r';
        *dst++ = u'\n';
        from = brk + 2;
    }
}

} // namespace

QString ToUpperCase(QStringView s)
{
    return s.toString().toUpper();
}

QString ToLowerCase(QStringView s)
{
    return s.toString().toLower();
}

QString Capitalize(QStringView s)
{
    return mapCodePoints(s, [s](char32_t c, qsizetype i) {
        const bool startsWord = i == 0 || isWordSeparator(s[i - 1].unicode());
        return startsWord ? QChar::toUpper(c) : QChar::toLower(c);
    });
}

QString InvertCase(QStringView s)
{
    return mapCodePoints(s, [](char32_t c, qsizetype) {
        return QChar::toUpper(c) == c ? QChar::toLower(c) : QChar::toUpper(c);
    });
}

QString AddIndentToLines(QStringView s, QStringView indent)
{
    const LineLayout layout = layoutOf(s);
    QString out(layout.body.size() + layout.lineCount * indent.size() + (layout.endsWithBreak ? 2 : 0),
                Qt::Uninitialized);
    char16_t *dst = eachLine(layout.body, reinterpret_cast<char16_t *>(out.data()),
                             [indent](char16_t *&d, QStringView piece) {
                                 copyTo(d, indent);
                                 copyTo(d, piece);
                             });
    if (layout.endsWithBreak)
        copyTo(dst, u"\r\n");
    return out;
}

QString RemoveIndentFromLines(QStringView s, int blanks)
{
    const LineLayout layout = layoutOf(s);
    QString out(s.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *dst = eachLine(layout.body, begin, [blanks](char16_t *&d, QStringView piece) {
        if (!piece.isEmpty() && piece.front() == u'\t') {
            piece = piece.sliced(1);
        } else {
            qsizetype n = 0;
            while (n < std::max(1, blanks) && n < piece.size() && piece[n] == u' ')
                ++n;
            piece = piece.sliced(n);
        }
        copyTo(d, piece);
    });
    if (layout.endsWithBreak)
        copyTo(dst, u"\r\n");
    out.truncate(dst - begin);
    return out;
}

QString TrimTrailingBlanks(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *dst = begin;
    char16_t *blankRun = nullptr; // where the current run of trailing candidates starts
    for (const QChar qc : s) {
        const char16_t c = qc.unicode();
        if (c == u' ' || c == u'\t') {
            if (!blankRun)
                blankRun = dst;
        } else if (c == u'\r' || c == u'\n') {
            if (blankRun)
                dst = blankRun;
            blankRun = nullptr;
        } else {
            blankRun = nullptr;
        }
        *dst++ = c;
    }
    if (blankRun)
        dst = blankRun;
    out.truncate(dst - begin);
    return out;
}

QString TabsToSpaces(QStringView s, int tabWidth)
{
    if (tabWidth < 1)
        return s.toString();
    const qsizetype tabs = s.count(u'\t');
    if (tabs == 0)
        return s.toString();
    QString out(s.size() + tabs * (tabWidth - 1), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    qsizetype from = 0;
    for (;;) {
        const qsizetype tab = s.indexOf(u'\t', from);
        copyTo(dst, s.sliced(from, (tab < 0 ? s.size() : tab) - from));
        if (tab < 0)
            break;
        dst = std::fill_n(dst, tabWidth, u' ');
        from = tab + 1;
    }
    return out;
}

QString SpacesToTabs(QStringView s, int tabWidth)
{
    if (tabWidth < 1)
        return s.toString();
    QString out(s.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *dst = begin;
    qsizetype run = 0;
    for (const QChar qc : s) {
        const char16_t c = qc.unicode();
        if (c == u' ') {
            *dst++ = c;
            if (++run == tabWidth) {
                dst -= tabWidth;
                *dst++ = u'\t';
                run = 0;
            }
        } else {
            run = 0;
            *dst++ = c;
        }
    }
    out.truncate(dst - begin);
    return out;
}

} // namespace TextTransforms
