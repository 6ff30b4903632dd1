#include "SurfaceGeometry.h"

#include "ScintillaSurface.h"

namespace SurfaceGeometry {

QWidget *textArea(EditorSurface &surface)
{
    auto *scintilla = dynamic_cast<ScintillaSurface *>(&surface);
    return scintilla ? scintilla->view()->viewport() : nullptr;
}

std::optional<QRect> characterRect(EditorSurface &surface, int offset)
{
    auto *scintilla = dynamic_cast<ScintillaSurface *>(&surface);
    if (!scintilla || offset < 0 || offset >= surface.textLength())
        return std::nullopt;
    ScintillaView *view = scintilla->view();
    // Through the line index, so documents with non-ASCII text map offsets to bytes in O(log n).
    const int line = surface.getLineFromChar(offset);
    const long lineByte = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long position = view->SendScintilla(QsciScintillaBase::SCI_POSITIONRELATIVECODEUNITS,
                                              static_cast<unsigned long>(lineByte), long(offset - surface.lineIndex(line)));
    const long after = view->SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, static_cast<unsigned long>(position));
    const int x = int(view->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0ul, position));
    const int y = int(view->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0ul, position));
    const int xAfter = int(view->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0ul, after));
    const int height = surface.lineHeight();
    const QRect cell(x, y, qMax(1, xAfter - x), height);
    if (!view->viewport()->rect().contains(cell))
        return std::nullopt;
    return cell;
}

} // namespace SurfaceGeometry
