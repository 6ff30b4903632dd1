#pragma once

#include "EditorSurface.h"

#include <QString>

#include <optional>
#include <vector>

struct RtfDocument {
    QString text;
    // Cover the text exactly; adjacent runs differ in format.
    std::vector<FormatRun> runs;
};

// The rich-text form of the surface: text plus per-character colour, bold, italic, font name and size.
// What write() produces, read() gives back exactly; RTF from other programs is read without losing text.
namespace RtfCodec {

using ::RtfDocument;

// Text not covered by runs gets defaultFormat; runs reaching past the text are cut.
QString write(const QString &text, const std::vector<FormatRun> &runs, const CharFormat &defaultFormat);

// nullopt when the input is not RTF at all; malformed RTF gives what could be read.
// Characters without explicit formatting get defaultFormat.
std::optional<RtfDocument> read(const QString &rtf, const CharFormat &defaultFormat);

} // namespace RtfCodec
