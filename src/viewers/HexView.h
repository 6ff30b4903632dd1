#pragma once

#include "TextCodec.h"

#include <QByteArray>
#include <QString>

// The hex view's text: the selection as the bytes the document would be saved as, the hex string
// of those bytes, and the mapping of selections between the two panes.
namespace HexView {

// How the document is stored, which decides its bytes.
struct StorageMode {
    TextEncoding encoding = TextEncoding::SingleByte;
    bool utf8Bom = false;
    bool unixEndings = false;
};

// The bytes of selected text in the document's storage mode. atDocumentStart adds the byte-order
// mark the file begins with (FF FE, or EF BB BF for UTF-8 with a mark). Single-byte storage shows
// '?' for a character it cannot hold, as saving would refuse it.
QByteArray ViewBytes(const QString &selected, const StorageMode &mode, bool atDocumentStart);

// Two upper-case hex digits and a space per byte: byte k is at positions 3k to 3k + 2.
QByteArray HexString(const QByteArray &bytes);

struct Range {
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const Range &) const = default;
};

// The hex digits of the selected bytes, without the trailing space; an empty selection marks the
// byte at the caret.
Range HexSelectionFor(Range bytes, qsizetype byteCount);
// The bytes whose digits the hex selection touches; an empty selection or one on a lone separator
// gives the byte it is in.
Range ByteSelectionFor(Range hex, qsizetype byteCount);

} // namespace HexView
