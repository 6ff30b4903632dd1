#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// QString::fromUtf8 drops a leading U+FEFF; a document keeps every character it holds.
inline QString utf8ToText(const char *data, qsizetype size)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(data, size));
}

inline QString utf8ToText(const QByteArray &utf8)
{
    return utf8ToText(utf8.constData(), utf8.size());
}

// The length of the strict UTF-8 sequence at p (no overlong forms, no surrogates, nothing above
// U+10FFFF), 0 when there is none.
inline int strictUtf8Length(const unsigned char *p, qsizetype left)
{
    const unsigned char c = p[0];
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    return length;
}

inline bool isAsciiBytes(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    }
    return true;
}

// Bytes and UTF-16 units of the character a UTF-8 lead byte opens. A stray byte counts as one
// character of one unit, as the widget's own index counts it.
struct Utf8Char {
    int bytes;
    int units;
};

inline Utf8Char utf8CharOf(unsigned char lead)
{
    if (lead < 0xC0)
        return {1, 1};
    if (lead < 0xE0)
        return {2, 1};
    if (lead < 0xF0)
        return {3, 1};
    if (lead < 0xF8)
        return {4, 2};
    return {1, 1};
}
