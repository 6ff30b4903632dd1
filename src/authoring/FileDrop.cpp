#include "FileDrop.h"

#include "TextCodec.h"
#include "EditorSurface.h"
#include "FileLinks.h"

namespace FileDrop {

Plan plan(const QStringList &files, int shift)
{
    const bool withShift = shift & ShiftMask;
    const bool withCtrl = shift & CtrlMask;
    if (withShift && withCtrl)
        return {Action::InsertContent, QString()};
    QStringList pieces;
    if (withShift) {
        pieces = files;
    } else if (withCtrl) {
        for (const QString &file : files)
            pieces << MakeFileLink(file, FileNameOf(file));
    } else if (shift & AltMask) {
        for (const QString &file : files)
            pieces << FileNameOf(file);
    } else {
        return {Action::Open, QString()};
    }
    return {Action::InsertText, pieces.join(QStringLiteral("\r\n"))};
}

} // namespace FileDrop
