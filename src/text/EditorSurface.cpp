#include "EditorSurface.h"

#include <QHashFunctions>

#include <algorithm>

EditorSurface::LineText EditorSurface::lineWithoutBreak(int line) const
{
    const int count = lineCount();
    line = std::clamp(line, 0, std::max(0, count - 1));
    const int start = lineIndex(line);
    const int end = line + 1 < count ? lineIndex(line + 1) : textLength();
    QString text = textRange(start, end - start);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return {start, text};
}

long long EditorSurface::sendMessage(int message, long long wParam, long long lParam)
{
    switch (message) {
    case EM_GETLINECOUNT:
        return lineCount();
    case EM_LINEINDEX:
        return lineIndex(static_cast<int>(wParam));
    case EM_GETFIRSTVISIBLELINE:
        return firstVisibleLine();
    case EM_SCROLL:
        if (wParam >= 0 && wParam <= 3)
            scroll(static_cast<ScrollKind>(wParam));
        return 0;
    case EM_SETTABSTOPS:
        // wParam is the count (always one here); lParam the stop in dialog units.
        return setTabStops(static_cast<int>(lParam)) ? 1 : 0;
    case EM_SETTARGETDEVICE:
        setWordWrap(lParam == 0);
        return 1;
    default:
        return 0;
    }
}

#include "FileIO.h"
#include "LineBreaks.h"
#include "RtfCodec.h"


QString EditorSurface::rtfOfRange(int start, int length) const
{
    return RtfCodec::write(textRange(start, length), formatRuns(start, length), defaultFormat());
}

void EditorSurface::replaceWithRtf(const QString &rtf, bool wholeDocument)
{
    auto doc = RtfCodec::read(rtf, defaultFormat());
    // Text that is not rich text goes in as it stands, as the control does.
    const QString text = doc ? doc->text : rtf;
    if (doc && !m_binaryDocument) {
        // An LF that gains its CR takes the CR into its run.
        int at = 0;
        for (FormatRun &run : doc->runs) {
            const int end = std::min(at + std::max(0, run.length), int(text.size()));
            for (int i = at; i < end; ++i) {
                if (text.at(i) == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
                    ++run.length;
            }
            at = end;
        }
    }
    int start = 0;
    if (wholeDocument) {
        setText(text);
    } else {
        start = selStart();
        setSelText(text);
    }
    if (doc)
        applyFormatRuns(start, doc->runs);
}

std::optional<QString> EditorSurface::writeFile(const QString &path, int format) const
{
    // Format 1 is the single-byte form: callers put one character per byte into the surface.
    const QByteArray bytes = format == 0 ? textRTF().toLatin1() : text().toLatin1();
    return FileIO::writeAtomically(path, bytes);
}

QString EditorSurface::insertable(const QString &text) const
{
    return m_binaryDocument ? text : withCrLfBreaks(text);
}

std::shared_future<QByteArray> EditorSurface::textSnapshotAsync() const
{
    return madeCopy(textSnapshot());
}

std::shared_ptr<TextLoan> EditorSurface::lendText() const
{
    return std::make_shared<TextLoan>(textSnapshot());
}

std::shared_future<QByteArray> EditorSurface::madeCopy(QByteArray copy)
{
    std::promise<QByteArray> ready;
    ready.set_value(std::move(copy));
    return ready.get_future().share();
}

namespace {
// Hashed in blocks at fixed offsets, so how the text was cut into pieces does not matter.
constexpr qsizetype FingerprintBlock = qsizetype(1) << 20;
} // namespace

TextFingerprint TextFingerprint::of(const char *data, qsizetype size)
{
    Builder builder;
    builder.add(data, size);
    return builder.finish();
}

void TextFingerprint::Builder::mix(const char *data, qsizetype size)
{
    m_first = qHashBits(data, std::size_t(size), m_first);
    m_second = qHashBits(data, std::size_t(size), m_second);
}

void TextFingerprint::Builder::add(const char *data, qsizetype size)
{
    m_size += size;
    while (size > 0) {
        if (m_partial.isEmpty() && size >= FingerprintBlock) {
            mix(data, FingerprintBlock);
            data += FingerprintBlock;
            size -= FingerprintBlock;
            continue;
        }
        if (m_partial.isEmpty())
            m_partial.reserve(FingerprintBlock);
        const qsizetype n = std::min(size, FingerprintBlock - m_partial.size());
        m_partial.append(data, n);
        data += n;
        size -= n;
        if (m_partial.size() == FingerprintBlock) {
            mix(m_partial.constData(), FingerprintBlock);
            m_partial.clear();
        }
    }
}

TextFingerprint TextFingerprint::Builder::finish()
{
    if (!m_partial.isEmpty())
        mix(m_partial.constData(), m_partial.size());
    m_partial = QByteArray();
    return {m_size, m_first, m_second};
}
