#include "MemorySurface.h"

#include "LineBreaks.h"
#include "Utf8Units.h"

#include <algorithm>

MemorySurface::MemorySurface()
    : m_palette{CharFormat{}}
    , m_lineStarts{0}
    , m_typing(m_palette.front())
{
}

int MemorySurface::formatIndex(const CharFormat &format)
{
    const auto it = std::find(m_palette.begin(), m_palette.end(), format);
    if (it != m_palette.end())
        return int(it - m_palette.begin());
    m_palette.push_back(format);
    return int(m_palette.size()) - 1;
}

CharFormat MemorySurface::resolved(int index) const
{
    return m_palette[std::size_t(index)];
}

void MemorySurface::notifyChange()
{
    if (m_events)
        m_events->surfaceChange();
}

void MemorySurface::rebuildLineStarts()
{
    m_lineStarts = lineStartsOf(m_text);
}

void MemorySurface::replaceRange(int start, int length, const QString &text, const std::vector<int> &formats)
{
    m_text.replace(start, length, text);
    m_formats.erase(m_formats.begin() + start, m_formats.begin() + start + length);
    m_formats.insert(m_formats.begin() + start, formats.begin(), formats.end());
    rebuildLineStarts();
}

void MemorySurface::setText(const QString &text)
{
    assign(insertable(text));
}

void MemorySurface::assign(const QString &text)
{
    m_text = text;
    m_formats.assign(std::size_t(text.size()), 0);
    rebuildLineStarts();
    m_selStart = 0;
    m_selLength = 0;
    m_firstVisibleLine = 0;
    m_typing = defaultFormat();
    notifyChange();
}

void MemorySurface::setTextUtf8(const QByteArray &utf8, bool)
{
    assign(utf8ToText(utf8));
}

void MemorySurface::beginBulkLoad(bool, qsizetype sizeHint)
{
    m_loading.clear();
    m_loading.reserve(sizeHint);
}

void MemorySurface::appendUtf8(const char *data, qsizetype length)
{
    m_loading.append(data, length);
}

void MemorySurface::endBulkLoad()
{
    assign(utf8ToText(m_loading));
    m_loading = QByteArray();
}

TextFingerprint MemorySurface::fingerprint() const
{
    const QByteArray utf8 = m_text.toUtf8();
    return TextFingerprint::of(utf8.constData(), utf8.size());
}

QString MemorySurface::textRange(int start, int length) const
{
    return m_text.mid(start, length);
}

int MemorySurface::characterStart(int offset) const
{
    offset = std::clamp(offset, 0, textLength());
    if (offset > 0 && offset < textLength() && m_text[offset].isLowSurrogate() && m_text[offset - 1].isHighSurrogate())
        return offset - 1;
    return offset;
}

void MemorySurface::setSelStart(int start)
{
    // A caret between the halves of a pair would split the character; the widget cannot hold one there either.
    m_selStart = characterStart(start);
    m_selLength = 0;
    m_typing = defaultFormat();
    const int line = getLineFromChar(m_selStart);
    if (line < m_firstVisibleLine)
        m_firstVisibleLine = line;
    else if (line >= m_firstVisibleLine + m_visibleLines)
        m_firstVisibleLine = line - m_visibleLines + 1;
}

void MemorySurface::setSelLength(int length)
{
    m_selLength = std::clamp(length, 0, textLength() - m_selStart);
    // A selection ending inside a pair takes the whole character.
    if (characterStart(m_selStart + m_selLength) < m_selStart + m_selLength)
        ++m_selLength;
}

void MemorySurface::setSelText(const QString &given)
{
    const QString text = insertable(given);
    const int index = formatIndex(m_typing);
    replaceRange(m_selStart, m_selLength, text, std::vector<int>(std::size_t(text.size()), index));
    m_selStart += int(text.size());
    m_selLength = 0;
    notifyChange();
}

CharFormat MemorySurface::selFormat() const
{
    if (m_selLength == 0)
        return m_typing;
    return resolved(m_formats[std::size_t(m_selStart)]);
}

template <typename Change> void MemorySurface::changeSelFormat(Change change)
{
    if (m_selLength == 0) {
        change(m_typing);
        return;
    }
    for (int i = m_selStart; i < m_selStart + m_selLength; ++i) {
        CharFormat format = resolved(m_formats[std::size_t(i)]);
        change(format);
        m_formats[std::size_t(i)] = formatIndex(format);
    }
}

void MemorySurface::setSelColor(OleColor color)
{
    changeSelFormat([color](CharFormat &f) { f.color = color; });
}

void MemorySurface::setSelBold(bool bold)
{
    changeSelFormat([bold](CharFormat &f) { f.bold = bold; });
}

void MemorySurface::setSelItalic(bool italic)
{
    changeSelFormat([italic](CharFormat &f) { f.italic = italic; });
}

void MemorySurface::setSelFontName(const QString &name)
{
    changeSelFormat([&name](CharFormat &f) { f.fontName = name; });
}

void MemorySurface::setSelFontSize(double size)
{
    changeSelFormat([size](CharFormat &f) { f.fontSize = size; });
}

void MemorySurface::applyFormatRuns(int start, const std::vector<FormatRun> &runs)
{
    int pos = std::clamp(start, 0, textLength());
    for (const FormatRun &run : runs) {
        const int index = formatIndex(run.format);
        const int end = std::min(textLength(), pos + std::max(0, run.length));
        std::fill(m_formats.begin() + pos, m_formats.begin() + end, index);
        pos = end;
    }
}

void MemorySurface::applyStyleBuffer(int start, const std::vector<quint8> &styles,
                                     const std::vector<CharFormat> &palette)
{
    std::vector<int> indices;
    indices.reserve(palette.size());
    for (const CharFormat &format : palette)
        indices.push_back(formatIndex(format));
    start = std::clamp(start, 0, textLength());
    const int end = int(std::min<qsizetype>(textLength(), start + qsizetype(styles.size())));
    for (int i = start; i < end; ++i) {
        const quint8 style = styles[std::size_t(i - start)];
        m_formats[std::size_t(i)] = style < indices.size() ? indices[style] : 0;
    }
    // The second unit of a pair follows the first, on both edges of the range.
    for (int i = std::max(start, 1); i < std::min(end + 1, textLength()); ++i) {
        if (m_text.at(i).isLowSurrogate() && m_text.at(i - 1).isHighSurrogate())
            m_formats[std::size_t(i)] = m_formats[std::size_t(i - 1)];
    }
}

std::vector<FormatRun> MemorySurface::formatRuns(int start, int length) const
{
    needStyles(start, length);
    std::vector<FormatRun> runs;
    start = std::clamp(start, 0, textLength());
    const int end = std::clamp(start + length, start, textLength());
    for (int i = start; i < end; ++i) {
        const CharFormat format = resolved(m_formats[std::size_t(i)]);
        if (!runs.empty() && runs.back().format == format)
            ++runs.back().length;
        else
            runs.push_back({1, format});
    }
    return runs;
}

CharFormat MemorySurface::formatAt(int offset) const
{
    if (offset < 0 || offset >= textLength())
        return defaultFormat();
    return resolved(m_formats[std::size_t(offset)]);
}

QString MemorySurface::textRTF() const
{
    return rtfOfRange(0, textLength());
}

void MemorySurface::setTextRTF(const QString &rtf)
{
    replaceWithRtf(rtf, true);
}

QString MemorySurface::selRTF() const
{
    return rtfOfRange(m_selStart, m_selLength);
}

void MemorySurface::setSelRTF(const QString &rtf)
{
    replaceWithRtf(rtf, false);
}

int MemorySurface::getLineFromChar(int offset) const
{
    return lineOfOffset(m_lineStarts, std::clamp(offset, 0, textLength()));
}

int MemorySurface::lineCount() const
{
    return int(m_lineStarts.size());
}

int MemorySurface::lineIndex(int line) const
{
    if (line < 0 || line >= lineCount())
        return -1;
    return m_lineStarts[std::size_t(line)];
}

void MemorySurface::setFirstVisibleLine(int line)
{
    m_firstVisibleLine = std::clamp(line, 0, lineCount() - 1);
}

void MemorySurface::scroll(ScrollKind kind)
{
    const int step = (kind == ScrollKind::PageUp || kind == ScrollKind::PageDown) ? m_visibleLines : 1;
    const bool down = kind == ScrollKind::LineDown || kind == ScrollKind::PageDown;
    setFirstVisibleLine(m_firstVisibleLine + (down ? step : -step));
}

bool MemorySurface::setTabStops(int dialogUnits)
{
    if (dialogUnits <= 0 || dialogUnits > 32767)
        return false;
    m_tabWidth = std::max(1, dialogUnits / 4);
    return true;
}

std::optional<QString> MemorySurface::saveFile(const QString &path, int format) const
{
    return writeFile(path, format);
}

void MemorySurface::setDefaultFormat(const CharFormat &format)
{
    const bool typingWasDefault = m_typing == m_palette.front();
    m_palette.front() = format;
    if (typingWasDefault)
        m_typing = format;
}

QPoint MemorySurface::caretPos() const
{
    const int line = getLineFromChar(m_selStart);
    return {(m_selStart - m_lineStarts[std::size_t(line)]) * 8, (line - m_firstVisibleLine) * lineHeight()};
}

qint64 MemorySurface::utf8Size(int start, int length) const
{
    start = std::clamp(start, 0, textLength());
    length = std::clamp(length, 0, textLength() - start);
    return QStringView(m_text).mid(start, length).toUtf8().size();
}

void MemorySurface::editEachSelection(const SelectionEditor &edit)
{
    const int start = selStart();
    const SelectionEdit e = edit(start, selLength());
    if (!e.unchanged)
        setSelText(e.text);
    setSelStart(start + e.selFrom);
    setSelLength(e.selLength);
}
