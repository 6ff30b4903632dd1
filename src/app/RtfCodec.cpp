#include "RtfCodec.h"
namespace RtfCodec {
QString write(const QString &text, const std::vector<FormatRun> &, const CharFormat &) { return "{\\rtf1 " + text + "}"; }
std::optional<RtfDocument> read(const QString &rtf, const CharFormat &d) {
  if (!rtf.startsWith("{\\rtf1 ")) return std::nullopt;
  RtfDocument doc; doc.text = rtf.mid(7, rtf.size() - 8); if (!doc.text.isEmpty()) doc.runs.push_back({int(doc.text.size()), d}); return doc; }
}
