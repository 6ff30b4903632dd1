#pragma once

class QWidget;

// The hidden key's joke: every caption of the program's windows in its l33t form.
namespace LeetCaptions {

// Menu items, labels, check boxes, buttons, frames and option buttons (named mnu, lbl, Lab, chk,
// Com, cmd, Fra, opt) of every top-level window; the key names after a menu item's tab stay readable.
void apply();

} // namespace LeetCaptions
