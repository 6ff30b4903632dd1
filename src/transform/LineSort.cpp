#include "LineSort.h"

#include <QCollator>
#include <QList>

#include <algorithm>
#include <cstring>
#include <vector>

namespace LineSort {

namespace {

// Sorting compares keys, not lines: each line's key is made once (a collation key, or the case-folded
// UTF-8 in the C locale) and its first eight bytes are packed into an integer, so most comparisons
// are one integer compare on a contiguous array.
struct Entry {
    quint64 prefix;
    quint32 line;
    quint32 keyLength;
    qsizetype keyOffset;
};

quint64 packPrefix(const char *key, qsizetype length)
{
    quint64 prefix = 0;
    for (qsizetype k = 0; k < 8; ++k)
        prefix = prefix << 8 | (k < length ? quint8(key[k]) : 0);
    return prefix;
}

std::vector<QStringView> splitLines(QStringView text)
{
    std::vector<QStringView> lines;
    lines.reserve(text.size() / 32 + 1);
    qsizetype from = 0;
    for (;;) {
        const qsizetype brk = text.indexOf(u"\r\n", from);
        if (brk < 0) {
            lines.push_back(text.sliced(from));
            return lines;
        }
        lines.push_back(text.sliced(from, brk - from));
        from = brk + 2;
    }
}

bool isCLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// Keys for the C locale: simple case folding (as QString's case-insensitive compare does), as UTF-8,
// whose byte order is code point order.
void appendFoldedKey(QByteArray &keys, QStringView line)
{
    const qsizetype n = line.size();
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t c = line[i].unicode();
        if (c >= 0x80)
            break;
        keys.append(char(c >= u'A' && c <= u'Z' ? c + 32 : c));
    }
    if (i < n)
        keys.append(line.sliced(i).toString().toCaseFolded().toUtf8());
}

std::vector<quint32> orderInCLocale(const std::vector<QStringView> &lines)
{
    QByteArray keys;
    std::vector<Entry> entries(lines.size());
    for (size_t k = 0; k < lines.size(); ++k) {
        const qsizetype offset = keys.size();
        appendFoldedKey(keys, lines[k]);
        entries[k] = {0, quint32(k), quint32(keys.size() - offset), offset};
    }
    const char *const base = keys.constData();
    for (Entry &entry : entries)
        entry.prefix = packPrefix(base + entry.keyOffset, entry.keyLength);

    std::sort(entries.begin(), entries.end(), [base](const Entry &a, const Entry &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const quint32 shorter = std::min(a.keyLength, b.keyLength);
        if (shorter > 8) {
            const int cmp = std::memcmp(base + a.keyOffset + 8, base + b.keyOffset + 8, shorter - 8);
            if (cmp != 0)
                return cmp < 0;
        }
        if (a.keyLength != b.keyLength)
            return a.keyLength < b.keyLength;
        return a.line < b.line;
    });
    std::vector<quint32> order(entries.size());
    std::transform(entries.begin(), entries.end(), order.begin(), [](const Entry &e) { return e.line; });
    return order;
}

std::vector<quint32> orderByCollator(const std::vector<QStringView> &lines, const QLocale &locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(lines.size());
    for (const QStringView line : lines)
        keys.push_back(collator.sortKey(line.toString()));
    std::vector<quint32> order(lines.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = quint32(k);
    std::sort(order.begin(), order.end(), [&keys](quint32 a, quint32 b) {
        const int cmp = keys[a].compare(keys[b]);
        return cmp != 0 ? cmp < 0 : a < b;
    });
    return order;
}

} // namespace

QString SortLines(QStringView text, SortOrder order, const QLocale &locale)
{
    const std::vector<QStringView> lines = splitLines(text);
    std::vector<quint32> sorted = isCLocale(locale) ? orderInCLocale(lines) : orderByCollator(lines, locale);
    if (order == SortOrder::Descending)
        std::reverse(sorted.begin(), sorted.end());

    // Same length as the text: the same lines with the same number of breaks between them.
    QString out(text.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (size_t k = 0; k < sorted.size(); ++k) {
        if (k > 0) {
            *dst++ = u'\r';
            *dst++ = u'\n';
        }
        const QStringView line = lines[sorted[k]];
        dst = std::copy(line.utf16(), line.utf16() + line.size(), dst);
    }
    return out;
}

} // namespace LineSort
