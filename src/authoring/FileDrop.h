#pragma once

#include <QString>
#include <QStringList>

// What dropping files on the editor does, by the keys held: open them, or insert their paths
// (Shift), HTML references to them (Ctrl), their names (Alt) or their content (Shift+Ctrl).
namespace FileDrop {

enum class Action { Open, InsertText, InsertContent };

struct Plan {
    Action action = Action::Open;
    QString text;                  // for InsertText: the pieces joined with CR LF
};

// shift: the surface's modifier mask (1 Shift, 2 Ctrl, 4 Alt).
Plan plan(const QStringList &files, int shift);

} // namespace FileDrop
