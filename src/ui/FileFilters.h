#pragma once

#include <QString>

// The program names its file-dialog filters by display text only ("All Files (*.*)",
// "Batch files (*.bat, *.cmd)"); the dialog needs patterns beside them.
namespace FileFilters {

// One dialog entry per ";;"-separated display text: the text, then the patterns its parentheses
// name, with "*.*" as "*" so that names without a dot are listed too. Shown with the dialog's
// filter details hidden, each entry reads as the display text alone.
QString dialogFilter(const QString &displayTexts);
// The display text of a dialog entry made by dialogFilter.
QString displayText(const QString &dialogEntry);
// The filter of the dialogs that choose a document: open, insert a file.
QString documentFiles();

} // namespace FileFilters
