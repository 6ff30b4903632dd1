#pragma once

#include "NamedWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

// Named controls for the search windows, so tests and the program find them by objectName.
namespace SearchDialogParts {

using NamedWidgets::make;

// Names a search tool window and makes it modeless, deleted on close, and on top when the user
// keeps the main window on top.
void setUpToolWindow(QDialog *dialog, const QString &name, const QString &title, bool alwaysOnTop);

// An editable drop-down list that keeps what is typed as typed.
QComboBox *historyBox(QWidget *parent, const char *name);

} // namespace SearchDialogParts
