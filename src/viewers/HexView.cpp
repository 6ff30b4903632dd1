#include "HexView.h"

#include <algorithm>

namespace HexView {

QByteArray ViewBytes(const QString &selected, const StorageMode &mode, bool atDocumentStart)
{
    const QString text = mode.unixEndings ? ToLf(selected) : selected;
    QByteArray out;
    switch (mode.encoding) {
    case TextEncoding::Utf16:
        if (atDocumentStart)
            out.append("\xFF\xFE", 2);
        out.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return out;
    case TextEncoding::Utf8:
        if (atDocumentStart && mode.utf8Bom)
            out.append("\xEF\xBB\xBF", 3);
        out.append(text.toUtf8());
        return out;
    case TextEncoding::SingleByte:
        break;
    }
    out.resize(text.size());
    char *write = out.data();
    for (const QChar c : text)
        *write++ = c.unicode() > 0xFF ? '?' : char(c.unicode());
    return out;
}

QByteArray HexString(const QByteArray &bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    // One allocation of the final size: the string of a 10 MB selection is 30 MB.
    QByteArray out(bytes.size() * 3, Qt::Uninitialized);
    char *write = out.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        write[0] = digits[value >> 4];
        write[1] = digits[value & 0x0F];
        write[2] = ' ';
        write += 3;
    }
    return out;
}

Range HexSelectionFor(Range bytes, qsizetype byteCount)
{
    const qsizetype start = std::clamp<qsizetype>(bytes.start, 0, byteCount);
    if (start == byteCount)
        return {start * 3, 0};
    const qsizetype length = std::clamp<qsizetype>(bytes.length, 1, byteCount - start);
    return {start * 3, length * 3 - 1};
}

Range ByteSelectionFor(Range hex, qsizetype byteCount)
{
    const qsizetype hexLength = byteCount * 3;
    const qsizetype start = std::clamp<qsizetype>(hex.start, 0, hexLength);
    const qsizetype length = std::clamp<qsizetype>(hex.length, 0, hexLength - start);
    qsizetype first = start / 3;
    // A selection that begins on the separator after a byte belongs to the byte that follows.
    if (length > 1 && start % 3 == 2)
        ++first;
    qsizetype last = length > 0 ? (start + length - 1) / 3 : first;
    last = std::max(last, first);
    if (first >= byteCount)
        return {byteCount, 0};
    last = std::min(last, byteCount - 1);
    return {first, last - first + 1};
}

} // namespace HexView
