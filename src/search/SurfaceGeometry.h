#pragma once

#include <QRect>

#include <optional>

class EditorSurface;
class QWidget;

// Pixel geometry of the editing widget behind a surface, for widgets laid over the text.
namespace SurfaceGeometry {

// The widget that shows the text, or nullptr for a surface without one.
QWidget *textArea(EditorSurface &surface);
// The cell of the character at offset inside textArea(); nothing when it is scrolled out of view.
std::optional<QRect> characterRect(EditorSurface &surface, int offset);

} // namespace SurfaceGeometry
