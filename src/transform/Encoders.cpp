#include "Encoders.h"

#include "HexDigit.h"

#include <QByteArray>
#include <QStringDecoder>

#include <array>

namespace Encoders {

namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
constexpr quint8 kNotBase64 = 0xFF;

constexpr std::array<quint8, 128> makeBase64Values()
{
    std::array<quint8, 128> values{};
    values.fill(kNotBase64);
    for (int i = 0; i < 64; ++i)
        values[quint8(kBase64Alphabet[i])] = quint8(i);
    return values;
}
constexpr std::array<quint8, 128> kBase64Values = makeBase64Values();

quint8 base64Value(char16_t c)
{
    return c < 128 ? kBase64Values[c] : kNotBase64;
}

constexpr std::array<bool, 128> makeUrlEscaped()
{
    std::array<bool, 128> escaped{};
    for (int c = 0; c < 128; ++c) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        escaped[c] = !alnum;
    }
    return escaped;
}
constexpr std::array<bool, 128> kUrlEscaped = makeUrlEscaped();

QByteArray codesOf(QStringView s, TextEncoding encoding)
{
    if (encoding != TextEncoding::SingleByte)
        return s.toUtf8();
    const auto wide = std::find_if(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0xFF; });
    if (wide == s.end())
        return s.toLatin1();
    // Rare: characters the single-byte page cannot hold keep their UTF-8 bytes instead of a '?'.
    QByteArray bytes;
    bytes.reserve(s.size() + 16);
    qsizetype i = 0;
    while (i < s.size()) {
        qsizetype j = i;
        if (s[i].unicode() <= 0xFF) {
            while (j < s.size() && s[j].unicode() <= 0xFF)
                ++j;
            bytes += s.sliced(i, j - i).toLatin1();
        } else {
            while (j < s.size() && s[j].unicode() > 0xFF)
                ++j;
            bytes += s.sliced(i, j - i).toUtf8();
        }
        i = j;
    }
    return bytes;
}

QString textOf(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::SingleByte)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

char16_t *put(char16_t *dst, QStringView text)
{
    return std::copy(text.utf16(), text.utf16() + text.size(), dst);
}

} // namespace

QString URLEncode(QStringView s)
{
    qsizetype escapes = 0;
    for (const QChar c : s)
        escapes += c.unicode() < 128 && kUrlEscaped[c.unicode()];
    if (escapes == 0)
        return s.toString();
    QString out(s.size() + 2 * escapes, Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (const QChar qc : s) {
        const char16_t c = qc.unicode();
        if (c < 128 && kUrlEscaped[c]) {
            *dst++ = u'%';
            *dst++ = kHexDigits[c >> 4];
            *dst++ = kHexDigits[c & 0xF];
        } else {
            *dst++ = c;
        }
    }
    return out;
}

QString URLDecode(QStringView s, TextEncoding encoding)
{
    const bool unicode = encoding != TextEncoding::SingleByte;
    QString out(s.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *dst = begin;
    // A Unicode document decodes each run of escaped bytes together, as one UTF-8 sequence may span
    // several escapes. Runs of ASCII bytes (the usual case) need no decoder.
    QByteArray pending;
    bool pendingAscii = true;
    const auto flush = [&] {
        if (pendingAscii || pending.isEmpty()) {
            dst = std::copy(pending.cbegin(), pending.cend(), dst);
        } else {
            // One byte per escape and at most one character per byte: it fits where the escapes were.
            dst = put(dst, textOf(pending, encoding));
        }
        pending.resize(0);
        pendingAscii = true;
    };
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = s[i].unicode();
        if (c != u'%') {
            if (!pending.isEmpty())
                flush();
            *dst++ = c == u'+' ? u' ' : c;
            ++i;
            continue;
        }
        int value = 0;
        bool digits = true;
        qsizetype k = i + 1;
        for (; k < n && k <= i + 2; ++k) {
            const int digit = digits ? hexDigitValue(s[k].unicode()) : -1;
            if (digit < 0)
                digits = false;
            else
                value = value * 16 + digit;
        }
        if (unicode && value >= 0x80) {
            pendingAscii = false;
            pending.append(char(value));
        } else if (unicode && !pending.isEmpty()) {
            pending.append(char(value));
        } else {
            *dst++ = char16_t(value);
        }
        i = k;
    }
    if (!pending.isEmpty())
        flush();
    out.truncate(dst - begin);
    return out;
}

QString Base64Encode(QStringView s, TextEncoding encoding)
{
    const QByteArray bytes = codesOf(s, encoding);
    const auto *src = reinterpret_cast<const quint8 *>(bytes.constData());
    const qsizetype n = bytes.size();
    const qsizetype chars = (n + 2) / 3 * 4;
    QString out(chars + chars / 64 * 2, Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    qsizetype i = 0;
    int groups = 0;
    for (; i + 3 <= n; i += 3) {
        const quint32 v = quint32(src[i]) << 16 | quint32(src[i + 1]) << 8 | src[i + 2];
        dst[0] = kBase64Alphabet[v >> 18];
        dst[1] = kBase64Alphabet[(v >> 12) & 63];
        dst[2] = kBase64Alphabet[(v >> 6) & 63];
        dst[3] = kBase64Alphabet[v & 63];
        dst += 4;
        if (++groups == 16) {
            dst[0] = u'\r';
            dst[1] = u'\n';
            dst += 2;
            groups = 0;
        }
    }
    if (i < n) {
        const bool two = i + 1 < n;
        const quint32 v = quint32(src[i]) << 16 | (two ? quint32(src[i + 1]) << 8 : 0);
        dst[0] = kBase64Alphabet[v >> 18];
        dst[1] = kBase64Alphabet[(v >> 12) & 63];
        dst[2] = two ? char16_t(kBase64Alphabet[(v >> 6) & 63]) : u'=';
        dst[3] = u'=';
        dst += 4;
        if (++groups == 16) {
            dst[0] = u'\r';
            dst[1] = u'\n';
        }
    }
    return out;
}

QString Base64Decode(QStringView s, TextEncoding encoding)
{
    const char16_t *src = s.utf16();
    const qsizetype n = s.size();
    QByteArray bytes(n / 4 * 3 + 3, Qt::Uninitialized);
    auto *const begin = reinterpret_cast<quint8 *>(bytes.data());
    quint8 *dst = begin;

    const auto decodeGroup = [&dst](const char16_t g[4]) {
        quint32 v = 0;
        for (int k = 0; k < 4; ++k) {
            const quint8 value = base64Value(g[k]);
            if (value == kNotBase64 && !(g[k] == u'=' && k >= 2))
                return;
            v = v << 6 | (value == kNotBase64 ? 0 : value);
        }
        const int count = g[3] != u'=' ? 3 : g[2] == u'=' ? 1 : 2;
        const quint8 out[3] = {quint8(v >> 16), quint8(v >> 8), quint8(v)};
        dst = std::copy(out, out + count, dst);
    };

    char16_t group[4];
    int filled = 0;
    qsizetype i = 0;
    while (i < n) {
        if (filled == 0 && i + 4 <= n) {
            // The common case: four alphabet characters in a row.
            const quint32 a = base64Value(src[i]), b = base64Value(src[i + 1]), c = base64Value(src[i + 2]),
                          d = base64Value(src[i + 3]);
            if ((a | b | c | d) < 64) {
                const quint32 v = a << 18 | b << 12 | c << 6 | d;
                dst[0] = quint8(v >> 16);
                dst[1] = quint8(v >> 8);
                dst[2] = quint8(v);
                dst += 3;
                i += 4;
                continue;
            }
        }
        const char16_t c = src[i++];
        if (c == u'\r' || c == u'\n' || c == u'\t' || c == u' ')
            continue;
        group[filled++] = c;
        if (filled == 4) {
            decodeGroup(group);
            filled = 0;
        }
    }
    if (filled > 0) {
        std::fill(group + filled, group + 4, u'=');
        decodeGroup(group);
    }
    return textOf(QByteArrayView(begin, dst - begin), encoding);
}

QString ToL33t(QStringView s)
{
    const QString lower = s.toString().toLower();
    QString out(lower.size() + lower.count(u"\r\n"), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const qsizetype n = lower.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = lower[i].unicode();
        switch (c) {
        case u'\r':
            if (i + 1 < n && lower[i + 1] == u'\n')
                *dst++ = u'!';
            *dst++ = c;
            break;
        case u'a': *dst++ = u'4'; break;
        case u'e': *dst++ = u'3'; break;
        case u'g': *dst++ = u'6'; break;
        case u'i': *dst++ = u'!'; break;
        case u'o': *dst++ = u'0'; break;
        case u's': *dst++ = u'5'; break;
        case u't': *dst++ = u'7'; break;
        case u'z': *dst++ = u'2'; break;
        default: *dst++ = c;
        }
    }
    return out;
}

QString FromL33t(QStringView s)
{
    QString out = s.toString().toLower();
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *dst = begin;
    const qsizetype n = out.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = begin[i];
        switch (c) {
        case u'!':
            if (i + 2 < n && begin[i + 1] == u'\r' && begin[i + 2] == u'\n')
                break;
            *dst++ = u'i';
            break;
        case u'4': *dst++ = u'a'; break;
        case u'3': *dst++ = u'e'; break;
        case u'6': *dst++ = u'g'; break;
        case u'0': *dst++ = u'o'; break;
        case u'5': *dst++ = u's'; break;
        case u'7': *dst++ = u't'; break;
        case u'2': *dst++ = u'z'; break;
        default: *dst++ = c;
        }
    }
    out.truncate(dst - begin);
    return out;
}

} // namespace Encoders
