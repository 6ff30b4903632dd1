#include "TextCodec.h"

#include "Utf8Units.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool IsBinaryText(const QString &text)
{
    return text.contains(QChar(0));
}

// The top bit of each of eight bytes read as one word: set where a byte is not ASCII.
constexpr std::uint64_t HighBits = 0x8080808080808080ULL;

struct ByteScan {
    bool nul = false;
    bool high = false;
    bool crlf = false;
    qsizetype lineFeeds = 0;
};

// One pass over the whole file, sixteen bytes at a time where the processor has the instructions:
// at a gigabyte, each pass the file's bytes take is felt before the window shows the file.
ByteScan scan(const char *data, qsizetype size)
{
    ByteScan result;
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    __m128i any = zero;
    __m128i nuls = zero;
    unsigned crBefore = 0;
    while (i + 16 <= size) {
        // Line feeds are counted per byte lane, so at most 255 blocks before the lanes are summed.
        const qsizetype blocks = std::min<qsizetype>((size - i) / 16, 255);
        __m128i counts = zero;
        for (qsizetype b = 0; b < blocks; ++b, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
            any = _mm_or_si128(any, v);
            nuls = _mm_or_si128(nuls, _mm_cmpeq_epi8(v, zero));
            const __m128i isLf = _mm_cmpeq_epi8(v, lf);
            counts = _mm_sub_epi8(counts, isLf);
            if (!result.crlf) {
                const auto crs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
                result.crlf = (((crs << 1) | crBefore) & unsigned(_mm_movemask_epi8(isLf))) != 0;
                crBefore = crs >> 15;
            }
        }
        const __m128i sums = _mm_sad_epu8(counts, zero);
        result.lineFeeds += qsizetype(_mm_cvtsi128_si64(sums)) + qsizetype(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
    result.high = _mm_movemask_epi8(any) != 0;
    result.nul = _mm_movemask_epi8(nuls) != 0;
#endif
    for (; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        result.high = result.high || c >= 0x80;
        result.nul = result.nul || c == 0;
        if (c == '\n') {
            ++result.lineFeeds;
            result.crlf = result.crlf || (i > 0 && data[i - 1] == '\r');
        }
    }
    return result;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(const char *data, qsizetype size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    qsizetype i = 0;
    while (i < size) {
        // Runs of ASCII, which most text is, eight bytes at a time.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (!(word & HighBits)) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int length = strictUtf8Length(p + i, size - i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

// The line-break conversion in one pass: an LF without its CR gains one; every CR stays as it is.
template <typename Out, typename Char> class CrLfWriter {
public:
    explicit CrLfWriter(Out &out) : m_out(out) {}
    void put(Char c)
    {
        if (c == Char('\n') && !m_afterCr)
            m_out.append(Char('\r'));
        m_out.append(c);
        m_afterCr = c == Char('\r');
    }

private:
    Out &m_out;
    bool m_afterCr = false;
};

bool hasUnpairedSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

// A text without CR LF, also one without any line break, takes this platform's ending.
LineEnding lineEndingOf(bool nul, bool crlf)
{
    if (nul)
        return LineEnding::Binary;
    return crlf ? LineEnding::Dos : LineEnding::Unix;
}

} // namespace

bool startsWithUtf16Mark(const char *data, qsizetype size)
{
    return size >= 2 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xFE && size % 2 == 0;
}

DecodePlan planDecode(const char *data, qsizetype size)
{
    DecodePlan plan;
    const ByteScan s = scan(data, size);
    plan.lineEnding = lineEndingOf(s.nul, s.crlf);
    plan.toCrLf = plan.lineEnding != LineEnding::Binary;
    plan.ascii = !s.high;
    // Valid UTF-8, pure ASCII included, is this platform's text encoding.
    if (!s.nul && (!s.high || isValidUtf8(data, size))) {
        plan.encoding = TextEncoding::Utf8;
        if (size >= 3 && uchar(data[0]) == 0xEF && uchar(data[1]) == 0xBB && uchar(data[2]) == 0xBF) {
            plan.utf8Bom = true;
            plan.skip = 3;
            plan.ascii = !scan(data + 3, size - 3).high;
        }
    } else {
        plan.expandLatin1 = s.high;
    }
    // Every LF may gain a CR, every byte above 0x7F a second byte: the size decides whether the
    // widget can take the file before a byte of the document is touched.
    plan.textBytes = size - plan.skip;
    if (plan.toCrLf)
        plan.textBytes += s.lineFeeds;
    if (plan.expandLatin1)
        plan.textBytes += std::count_if(data, data + size, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return plan;
}

void convertForWidget(const char *data, qsizetype size, const DecodePlan &plan,
                      const std::function<void(const char *, qsizetype)> &sink, qsizetype chunkSize)
{
    data += plan.skip;
    size -= plan.skip;
    if (!plan.toCrLf && !plan.expandLatin1) {
        for (qsizetype at = 0; at < size; at += chunkSize)
            sink(data + at, std::min(chunkSize, size - at));
        return;
    }
    // Each input byte makes at most two output bytes.
    chunkSize = std::max<qsizetype>(chunkSize, 4);
    std::vector<char> buffer(std::size_t(chunkSize) + 4);
    char *const begin = buffer.data();
    char *out = begin;
    if (!plan.expandLatin1) {
        // Only line breaks change: the runs between line feeds are copied whole.
        bool afterCr = false;
        qsizetype i = 0;
        while (i < size) {
            const auto *lf = static_cast<const char *>(std::memchr(data + i, '\n', std::size_t(size - i)));
            const qsizetype runEnd = lf ? lf - data : size;
            for (qsizetype from = i; from < runEnd;) {
                const qsizetype room = chunkSize - 2 - (out - begin);
                if (room <= 0) {
                    sink(begin, out - begin);
                    out = begin;
                    continue;
                }
                const qsizetype n = std::min(room, runEnd - from);
                std::memcpy(out, data + from, std::size_t(n));
                out += n;
                from += n;
            }
            if (runEnd > i)
                afterCr = data[runEnd - 1] == '\r';
            if (!lf)
                break;
            // Only an LF without its CR gains one; a lone CR stays, so CR CR comes back as it was.
            if (!afterCr)
                *out++ = '\r';
            *out++ = '\n';
            afterCr = false;
            i = runEnd + 1;
            if (out - begin >= chunkSize - 2) {
                sink(begin, out - begin);
                out = begin;
            }
        }
        if (out > begin)
            sink(begin, out - begin);
        return;
    }
    bool afterCr = false;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (plan.toCrLf && c == '\n' && !afterCr)
            *out++ = '\r';
        afterCr = c == '\r';
        if (c >= 0x80) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else {
            *out++ = char(c);
        }
        if (out - begin >= chunkSize - 2) {
            sink(begin, out - begin);
            out = begin;
        }
    }
    if (out > begin)
        sink(begin, out - begin);
}

DecodedDocument decodeDocument(const QByteArray &bytes)
{
    DecodedDocument doc;
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();

    if (startsWithUtf16Mark(data, size)) {
        // Taken unit by unit: fromUtf16 would drop a second byte-order mark that belongs to the text.
        QString text(reinterpret_cast<const QChar *>(data + 2), (size - 2) / 2);
        // Text that UTF-16 cannot hold whole (a lone surrogate) stays single-byte so no byte is lost.
        if (!hasUnpairedSurrogate(text)) {
            doc.encoding = TextEncoding::Utf16;
            doc.lineEnding = lineEndingOf(IsBinaryText(text), text.contains(QLatin1String("\r\n")));
            if (doc.lineEnding != LineEnding::Binary)
                text = ToCrLf(text);
            doc.utf8 = text.toUtf8();
            doc.ascii = doc.utf8.size() == text.size();
            return doc;
        }
    }
    const DecodePlan plan = planDecode(data, size);
    doc.encoding = plan.encoding;
    doc.utf8Bom = plan.utf8Bom;
    doc.lineEnding = plan.lineEnding;
    doc.ascii = plan.ascii;
    doc.utf8.reserve(size + size / 8 + 1);
    convertForWidget(data, size, plan, [&doc](const char *chunk, qsizetype length) { doc.utf8.append(chunk, length); });
    return doc;
}

std::optional<QByteArray> encodeDocument(const QString &text, TextEncoding encoding, bool utf8Bom, bool unixEndings)
{
    const QString stored = unixEndings ? ToLf(text) : text;
    switch (encoding) {
    case TextEncoding::Utf16: {
        QByteArray bytes("\xFF\xFE");
        bytes.append(reinterpret_cast<const char *>(stored.utf16()), stored.size() * 2);
        return bytes;
    }
    case TextEncoding::Utf8:
        return (utf8Bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + stored.toUtf8();
    case TextEncoding::SingleByte:
        break;
    }
    for (const QChar c : stored) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
    }
    return stored.toLatin1();
}

namespace {

// Single-byte storage holds U+0080 to U+00FF only (two-byte UTF-8 led by C2 or C3).
bool singleByteHolds(const QByteArray &utf8)
{
    const auto *read = reinterpret_cast<const unsigned char *>(utf8.constData());
    const auto *end = read + utf8.size();
    for (; read < end; ++read) {
        if (*read < 0x80)
            continue;
        if ((*read != 0xC2 && *read != 0xC3) || read + 1 >= end)
            return false;
        ++read;
    }
    return true;
}

} // namespace

std::optional<QByteArray> encodeDocumentUtf8(const QByteArray &utf8, TextEncoding encoding, bool utf8Bom, bool unixEndings)
{
    if (encoding == TextEncoding::Utf16)
        return encodeDocument(utf8ToText(utf8), encoding, utf8Bom, unixEndings);
    if (!documentFitsEncoding(utf8, encoding))
        return std::nullopt;
    QByteArray out;
    out.reserve(utf8.size() + 3);
    writeDocumentUtf8(utf8, encoding, utf8Bom, unixEndings, [&out](const char *data, qsizetype size) {
        out.append(data, size);
        return true;
    });
    return out;
}

bool documentFitsEncoding(const QByteArray &utf8, TextEncoding encoding)
{
    return encoding != TextEncoding::SingleByte || singleByteHolds(utf8);
}

bool writeDocumentUtf8(const QByteArray &utf8, TextEncoding encoding, bool utf8Bom, bool unixEndings, const FileIO::PieceWriter &sink)
{
    if (encoding == TextEncoding::Utf16) {
        const auto bytes = encodeDocument(utf8ToText(utf8), encoding, utf8Bom, unixEndings);
        return bytes && sink(bytes->constData(), bytes->size());
    }
    if (encoding == TextEncoding::Utf8 && utf8Bom && !sink("\xEF\xBB\xBF", 3))
        return false;
    const bool singleByte = encoding == TextEncoding::SingleByte;
    // Converted a piece at a time: a large document is never held twice for its write.
    constexpr qsizetype Piece = qsizetype(1) << 16;
    char buffer[Piece];
    qsizetype filled = 0;
    const auto *read = reinterpret_cast<const unsigned char *>(utf8.constData());
    const auto *end = read + utf8.size();
    while (read < end) {
        if (filled == Piece) {
            if (!sink(buffer, filled))
                return false;
            filled = 0;
        }
        const unsigned char c = *read;
        if (c == '\r' && unixEndings && read + 1 < end && read[1] == '\n') {
            ++read;
            continue;
        }
        if (c >= 0x80 && singleByte && (c == 0xC2 || c == 0xC3) && read + 1 < end) {
            buffer[filled++] = char(((c & 0x03) << 6) | (read[1] & 0x3F));
            read += 2;
            continue;
        }
        buffer[filled++] = char(c);
        ++read;
    }
    return filled == 0 || sink(buffer, filled);
}

bool IsUnixText(const QString &text)
{
    return !text.contains(QLatin1String("\r\n")) && text.contains(QLatin1Char('\n'));
}

QString ToCrLf(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16 + 1);
    CrLfWriter<QString, QChar> writer(out);
    for (const QChar c : text)
        writer.put(c);
    return out;
}

QString ToLf(const QString &text)
{
    // One forward pass: replacing in place moves the rest of the text for every match.
    QString out(text.size(), Qt::Uninitialized);
    QChar *write = out.data();
    const QChar *read = text.constData();
    const QChar *end = read + text.size();
    for (; read < end; ++read) {
        if (*read == QLatin1Char('\r') && read + 1 < end && read[1] == QLatin1Char('\n'))
            continue;
        *write++ = *read;
    }
    out.truncate(write - out.constData());
    return out;
}

QString FileNameOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.mid(slash + 1);
}

QString FolderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString ExtensionOf(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

bool FileExists(const QString &path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(FileIO::encodePath(path).constData(), &info) == 0;
}

QString lineEndingLabel(LineEnding ending)
{
    switch (ending) {
    case LineEnding::Unix:
        return QStringLiteral("UNIX");
    case LineEnding::Binary:
        return QStringLiteral("BINARY");
    case LineEnding::Dos:
        break;
    }
    return QStringLiteral("DOS");
}

QString encodingLabel(TextEncoding encoding, bool asciiText)
{
    switch (encoding) {
    case TextEncoding::Utf16:
        return QStringLiteral("UNICODE");
    case TextEncoding::Utf8:
        return asciiText ? QStringLiteral("ASCII") : QStringLiteral("UTF-8");
    case TextEncoding::SingleByte:
        break;
    }
    return QStringLiteral("ASCII");
}
