#pragma once

#include <QIcon>
#include <QString>

class frmMain;

// What the program gives the desktop: its icon, its desktop entry, names for screen readers, the trash.
namespace DesktopIntegration {

// The icon theme's "orvane" (as installed), else the one built into the program.
QIcon programIcon();

// Before the first window: the desktop entry the windows belong to and their icon.
void prepareApplication();

// Accessible names of the editor, the gutter, the tool bar and the status labels; the editor's
// follows the document's file name.
void nameControls(frmMain &window);

// The accessible name of the editor for a document path: its file name.
QString editorName(const QString &documentPath);


} // namespace DesktopIntegration
