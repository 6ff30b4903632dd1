#pragma once

#include "Settings.h"

#include <QRect>

class QWidget;

// The window's place in settings2.ini (twips) and on the screen (pixels).
namespace WindowPlacement {

double twipsPerPixel(const QWidget *widget);
// Where a normal window goes: the stored place, or centred in the available area.
QRect geometryFor(const Settings::Placement &placement, double twipsPerPixel, const QRect &available);
// The window's frame position and client size, in twips; a maximised or minimised window stores its state only.
Settings::Placement placementOf(const QRect &frame, const QSize &size, bool maximized, double twipsPerPixel);

// Applies and records a window's placement.
void apply(QWidget *window, const Settings::Placement &placement);
void store(const QWidget *window, Settings::Placement &placement);

// From now on no window of the program is shown larger than its screen's available area: text
// read from a file (a template name, a history entry) no longer widens a dialog past it.
void keepWindowsOnScreen();
// Narrows the controls whose wanted width exceeds the available area, then fits the window into it;
// a dialog still too large shows its controls in a scroll area.
void fitOnScreen(QWidget *window);
// The same for a given available area (of the window's screen).
void fitInto(QWidget *window, const QRect &area);

} // namespace WindowPlacement
