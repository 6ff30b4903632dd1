#pragma once

// Bytes of a file to the editor's text and back: encodings, line breaks, and the path helpers.

#include "FileIO.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The largest document a download or a search through files takes in whole.
constexpr qint64 MaxDocumentBytes = qint64(512) << 20;
// The largest text the editing widget holds: its positions are 32-bit, and it keeps two bytes spare.
constexpr qint64 MaxWidgetBytes = qint64(0x7FFFFFFF) - 2;

enum class TextEncoding { SingleByte, Utf8, Utf16 };
enum class LineEnding { Dos, Unix, Binary };

// A file's bytes turned into what the editor shows, with the modes that saving needs to write
// the same bytes back.
struct DecodedDocument {
    QByteArray utf8;          // the surface's text: CR LF line breaks unless the file is binary
    bool ascii = true;        // every byte of utf8 is below 0x80
    TextEncoding encoding = TextEncoding::SingleByte;
    bool utf8Bom = false;
    LineEnding lineEnding = LineEnding::Dos;
};

// How a file's bytes become the widget's text, decided by one scan of the bytes (not for UTF-16).
struct DecodePlan {
    TextEncoding encoding = TextEncoding::SingleByte;
    bool utf8Bom = false;
    LineEnding lineEnding = LineEnding::Dos;
    bool ascii = true;          // the converted text is pure ASCII
    qsizetype skip = 0;         // leading bytes that are not text (a UTF-8 mark)
    bool expandLatin1 = false;  // bytes above 0x7F are Latin-1 characters, written as two UTF-8 bytes
    bool toCrLf = true;
    qint64 textBytes = 0;       // the widget's text after the conversion, at most this many bytes
};

bool startsWithUtf16Mark(const char *data, qsizetype size);
DecodePlan planDecode(const char *data, qsizetype size);
// Streams the converted text to sink in pieces of about chunkSize bytes, so no second copy of a
// large file is ever held.
void convertForWidget(const char *data, qsizetype size, const DecodePlan &plan,
                      const std::function<void(const char *, qsizetype)> &sink, qsizetype chunkSize = qsizetype(1) << 22);

// Decodes in one pass over the bytes into the buffer the widget receives: FF FE means UTF-16;
// valid UTF-8 (pure ASCII included) without a NUL means UTF-8; anything else is one character
// per byte (Latin-1), so every byte survives.
DecodedDocument decodeDocument(const QByteArray &bytes);

// The bytes that store a document's text in its modes; nullopt when single-byte storage cannot
// hold a character of the text (the caller asks before anything is lost).
std::optional<QByteArray> encodeDocument(const QString &text, TextEncoding encoding, bool utf8Bom, bool unixEndings);

// The same from the widget's UTF-8 bytes, without building a QString for single-byte and UTF-8 documents.
std::optional<QByteArray> encodeDocumentUtf8(const QByteArray &utf8, TextEncoding encoding, bool utf8Bom, bool unixEndings);

// False when single-byte storage cannot hold a character of the text.
bool documentFitsEncoding(const QByteArray &utf8, TextEncoding encoding);
// What encodeDocumentUtf8 gives, handed to sink in pieces, for a text that fits its encoding.
// False when sink refused a piece.
bool writeDocumentUtf8(const QByteArray &utf8, TextEncoding encoding, bool utf8Bom, bool unixEndings, const FileIO::PieceWriter &sink);

bool IsUnixText(const QString &text);
// Every LF not already preceded by CR becomes CR LF; a lone CR stays.
QString ToCrLf(const QString &text);
// Every CR LF becomes LF.
QString ToLf(const QString &text);

// Path pieces with '/' as the separator.
QString FileNameOf(const QString &path);
QString FolderOf(const QString &path);
QString ExtensionOf(const QString &path);
bool FileExists(const QString &path);

// The label texts of the line-ending and encoding states.
QString lineEndingLabel(LineEnding ending);
// A UTF-8 document reads "ASCII" while its text is all ASCII.
QString encodingLabel(TextEncoding encoding, bool asciiText);
