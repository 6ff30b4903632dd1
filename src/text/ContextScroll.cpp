#include "ContextScroll.h"

#include "EditorSurface.h"

#include <algorithm>

namespace ContextScroll {

void showWithContext(EditorSurface &surface, int offset)
{
    const int line = surface.getLineFromChar(std::clamp(offset, 0, surface.textLength()));
    const int visible = std::max(1, surface.visibleLineCount());
    const int context = std::min(ContextLines, (visible - 1) / 2);
    const int first = surface.firstVisibleLine();
    if (line < first + context)
        surface.setFirstVisibleLine(std::max(0, line - context));
    else if (line > first + visible - 1 - context)
        surface.setFirstVisibleLine(line - visible + 1 + context);
}

} // namespace ContextScroll
