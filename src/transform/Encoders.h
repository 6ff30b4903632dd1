#pragma once

#include "TextCodec.h"

#include <QString>
#include <QStringView>

// Base64, URL (percent) encoding and l33t, as the Tools menu's Encoding/Decoding commands apply them.
namespace Encoders {

// The document's encoding decides what a character's code is: a single-byte document uses Latin-1
// codes (a character above 255 counts as its UTF-8 bytes); a Unicode document always uses the UTF-8
// bytes of its text.

// Escapes '%' and every ASCII character that is not a letter or digit as %XX; characters from 128 up
// stay as they are, whatever the encoding.
QString URLEncode(QStringView s);
// '+' is a space; %XX is the byte XX. A malformed escape still swallows the two characters after the
// '%' and gives the value of the hex digits that lead them (0 when none do). In a Unicode document each
// run of escaped bytes is read as UTF-8 when valid, else as Latin-1.
QString URLDecode(QStringView s, TextEncoding encoding);

// RFC 4648 alphabet, '=' padding, CR LF after every 64 output characters.
QString Base64Encode(QStringView s, TextEncoding encoding);
// Ignores CR, LF, tab and space; skips invalid groups of four silently. In a Unicode document the
// bytes are read as UTF-8 when valid, else as Latin-1.
QString Base64Decode(QStringView s, TextEncoding encoding);

// Lower case, '!' before each CR LF, then a->4 e->3 g->6 i->! o->0 s->5 t->7 z->2.
QString ToL33t(QStringView s);
// Lower case, the '!' before each CR LF removed, then the substitutions reversed.
QString FromL33t(QStringView s);

} // namespace Encoders
