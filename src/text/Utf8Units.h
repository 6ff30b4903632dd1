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
