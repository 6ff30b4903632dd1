#pragma once

#include "CommandContext.h"
#include "Highlighter.h"
#include "OutsideChanges.h"

class frmMain;

// What the main window's parts call back when they are done: the window operations each one
// borrows, bound to the window.
namespace MainWindowHooks {

// The hint label and its timer for the render messages; pending events run during long renders.
HighlightHost highlightHost(frmMain &window);
CommandContext commandContext(frmMain &window);
OutsideChanges::Hooks outsideChanges(frmMain &window);

} // namespace MainWindowHooks
