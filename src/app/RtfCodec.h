#pragma once
#include "EditorSurface.h"
struct RtfDocument { QString text; std::vector<FormatRun> runs; };
namespace RtfCodec {
QString write(const QString &text, const std::vector<FormatRun> &runs, const CharFormat &defaultFormat);
std::optional<RtfDocument> read(const QString &rtf, const CharFormat &defaultFormat);
}
