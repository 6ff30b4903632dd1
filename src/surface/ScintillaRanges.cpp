#include "ScintillaSurface.h"

#include "Utf8Units.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

QStringList ScintillaSurface::selectionTexts() const
{
    const int count = selectionCount();
    std::vector<std::pair<long, long>> ranges;
    ranges.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        ranges.emplace_back(send(QsciScintillaBase::SCI_GETSELECTIONNSTART, static_cast<unsigned long>(i)),
                            send(QsciScintillaBase::SCI_GETSELECTIONNEND, static_cast<unsigned long>(i)));
    // The widget numbers selections in the order they were made; a rectangle drawn upwards starts at its bottom.
    std::sort(ranges.begin(), ranges.end());
    QStringList texts;
    for (const auto &[start, end] : ranges) {
        const long length = std::max(0L, end - start);
        const char *data = reinterpret_cast<const char *>(
            send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), length));
        texts << (m_utf16Index ? utf8ToText(data, int(length)) : QString::fromLatin1(data, int(length)));
    }
    return texts;
}

void ScintillaSurface::Cells::setStyleIdsAt(qsizetype start, QByteArrayView ids)
{
    if (ids.isEmpty())
        return;
    m_view->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(start), 0L);
    m_view->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<unsigned long>(ids.size()), ids.data());
}

void ScintillaSurface::Cells::replaceBytes(qsizetype from, qsizetype length, QByteArrayView bytes)
{
    m_view->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(from), long(from + length));
    m_view->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()), bytes.data());
}

void ScintillaSurface::editEachSelection(const SelectionEditor &edit)
{
    struct Spot {
        long start = 0;
        long end = 0;
        long size = 0;     // bytes put in its place
        long anchor = 0;   // the selection afterwards, in bytes from start
        long caret = 0;
    };
    const int count = selectionCount();
    std::vector<Spot> spots;
    for (int i = 0; i < count; ++i)
        spots.push_back({send(QsciScintillaBase::SCI_GETSELECTIONNSTART, static_cast<unsigned long>(i)),
                         send(QsciScintillaBase::SCI_GETSELECTIONNEND, static_cast<unsigned long>(i))});
    std::sort(spots.begin(), spots.end(), [](const Spot &a, const Spot &b) { return a.start < b.start; });
    // From the last backwards: the selections not yet edited keep their positions.
    for (auto it = spots.rbegin(); it != spots.rend(); ++it) {
        const int start = toOffset(int(it->start));
        const int length = toOffset(int(it->end)) - start;
        const SelectionEdit e = edit(start, length);
        // A selection placed over text kept as it is counts its bytes in that text.
        const QString text = e.unchanged ? textRange(start, std::max(length, e.selFrom + e.selLength)) : e.text;
        const auto bytesOf = [&text](int units) {
            return long(QStringView(text).left(std::clamp(units, 0, int(text.size()))).toUtf8().size());
        };
        it->anchor = bytesOf(e.selFrom);
        it->caret = bytesOf(e.selFrom + e.selLength);
        if (e.unchanged) {
            it->size = it->end - it->start;
            continue;
        }
        const QByteArray utf8 = text.toUtf8();
        send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(it->start), it->end);
        m_view->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()),
                              utf8.constData());
        it->size = long(utf8.size());
    }
    long shift = 0;
    for (std::size_t i = 0; i < spots.size(); ++i) {
        const long base = spots[i].start + shift;
        shift += spots[i].size - (spots[i].end - spots[i].start);
        send(i == 0 ? QsciScintillaBase::SCI_SETSELECTION : QsciScintillaBase::SCI_ADDSELECTION,
             static_cast<unsigned long>(base + spots[i].caret), base + spots[i].anchor);
    }
}

void ScintillaSurface::setLfLineEnds(bool lf)
{
    if (lf == m_lfLineEnds)
        return;
    m_lfLineEnds = lf;
    setBlanksVisible(blanksVisible());
}

void ScintillaSurface::setZoom(int points)
{
    // The widget's own range, as Ctrl+wheel keeps it.
    send(QsciScintillaBase::SCI_SETZOOM, static_cast<unsigned long>(std::clamp(points, -10, 20)));
}

QMimeData *ScintillaSurface::rectangleData(const QString &rows) const
{
    if (send(QsciScintillaBase::SCI_GETSELECTIONMODE) == QsciScintillaBase::SC_SEL_STREAM)
        return nullptr;
    return m_view->rectangleMimeData(rows.toUtf8());
}

bool ScintillaSurface::pasteRectangle()
{
    // A binary document keeps its breaks as they are: the widget would convert the rows' breaks.
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (isBinaryDocument() || !data || !m_view->holdsRectangle(data))
        return false;
    send(QsciScintillaBase::SCI_PASTE);
    return true;
}
