#pragma once

class EditorSurface;

namespace ContextScroll {

// Lines kept visible above and below a place the program goes to.
inline constexpr int ContextLines = 3;

// Scrolls so that the line holding offset has ContextLines lines of the document above and below
// it in the view (fewer in a view too small for that); a line already shown so stays put. For a
// place found or gone to (Go to line, Find, a bookmark, a compiler message), never left on the
// view's edge.
void showWithContext(EditorSurface &surface, int offset);

} // namespace ContextScroll
