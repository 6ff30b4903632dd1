#pragma once

#include "Settings.h"
#include "TemplateSource.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class EditorSurface;
class OptionsHost;
class QWidget;

// The options dialog's copy of everything it edits.
struct OptionsState {
    Settings edited;
    bool formatChanged = false;     // font name, bold, italic, text or highlight colour changed
    QString ignoreText;             // txtIgnore
    bool templatesChanged = false;
    QList<TemplateEntry> templates;
};

// The logic behind the dialog's Defaults and Apply, without a window.
class AppFolders;

namespace OptionsApply {

// The Defaults button: the listed controls back to their defaults, every other one as it is.
Settings defaults(const Settings &current);

// Copies what the dialog edits; the keys it has no control for keep the main window's values.
void copyEdited(const Settings &from, Settings &to);

// The plainly bound controls under root (check boxes, number and text fields, colour swatches),
// found by the objectName their key declares; converted controls are left to their page.
void loadControls(QWidget &root, const Settings &settings);
void storeControls(const QWidget &root, Settings &settings);

// The list the editor reads: the user's own, else the shipped one.
QString ignoreFilePath(const AppFolders &folders);
// The file's text for txtIgnore; empty when missing.
QString readIgnoreFile(const AppFolders &folders);

// The editor font of the settings on the whole text, the text colour only when recolour is set;
// the selection is kept and the surface redrawn once.
void applyEditorFont(EditorSurface &surface, const Settings &settings, bool recolour);

// Apply in its nine steps. The errors of the writes that failed, in order; the rest still ran.
QStringList apply(OptionsHost &host, OptionsState &state, const std::function<void()> &applyAssociations);

} // namespace OptionsApply
