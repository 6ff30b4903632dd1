#include "EditController.h"

#include "EditCommands.h"
#include "EditorSurface.h"
#include "Prompter.h"
#include "Settings.h"
#include "UndoHistory.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

EditController::EditController(CommandContext &context, UndoHistory &history, Neighbours &neighbours)
    : m_context(context)
    , m_history(history)
    , m_neighbours(neighbours)
{
}

void EditController::Undo()
{
    m_neighbours.beforeRestore();
    m_history.undo();
    m_context.refreshView();
}

void EditController::Redo()
{
    m_neighbours.beforeRestore();
    m_history.redo();
    m_context.refreshView();
}

void EditController::Copy()
{
    EditorSurface &s = m_context.surface();
    const QString selected = EditCommands::selectionsText(s);
    if (selected.isEmpty())
        return;
    const QString text = EditCommands::copiedText(selected, m_context.isUnix());
    if (m_context.settings().CopyAsRichText && s.selectionCount() == 1)
        putRichText(selected, s.selStart(), s.selLength());
    else if (QMimeData *rectangle = s.selectionCount() > 1 ? s.rectangleData(text) : nullptr)
        QGuiApplication::clipboard()->setMimeData(rectangle);
    else
        QGuiApplication::clipboard()->setText(text);
}

void EditController::putRichText(const QString &text, int start, int length)
{
    EditorSurface &s = m_context.surface();
    const auto runs = s.formatRuns(start, length);
    QGuiApplication::clipboard()->setMimeData(
        EditCommands::richClipboardData(text, s.selRTF(), EditCommands::htmlOfRuns(text, runs)));
}

void EditController::Cut()
{
    m_context.addHistory();
    EditorSurface &s = m_context.surface();
    if (EditCommands::selectionsText(s).isEmpty())
        return;
    Copy();
    removeSelections();
}

void EditController::removeSelections()
{
    EditorSurface &s = m_context.surface();
    if (s.selectionCount() > 1)
        s.replaceEachSelection(QString());
    else
        s.setSelText(QString());
}

void EditController::Paste()
{
    const QString text = EditCommands::pastedText(QGuiApplication::clipboard()->text());
    if (text.isEmpty())
        return;
    m_context.addHistory();
    EditorSurface &s = m_context.surface();
    if (s.pasteRectangle()) {
        m_neighbours.afterPaste(text);
        return;
    }
    if (s.selectionCount() > 1)
        s.replaceEachSelection(text);
    else
        s.setSelText(text);
    s.setSelColor(m_context.settings().fcolor);
    s.setSelBold(m_context.settings().TextBold);
    m_neighbours.afterPaste(text);
}

void EditController::CopyAppend(bool cut)
{
    EditorSurface &s = m_context.surface();
    const QString selected = EditCommands::selectionsText(s);
    if (selected.isEmpty())
        return;
    if (cut)
        m_context.addHistory();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(EditCommands::appendedText(clipboard->text(), selected, m_context.isUnix()));
    if (cut)
        removeSelections();
}

void EditController::CopyAsRichText(bool cut)
{
    EditorSurface &s = m_context.surface();
    const QString selected = s.selText();
    if (selected.isEmpty())
        return;
    if (cut)
        m_context.addHistory();
    putRichText(selected, s.selStart(), s.selLength());
    if (cut)
        s.setSelText(QString());
}

void EditController::CopyColumn()
{
    const auto column = EditCommands::copyColumn(m_context.surface(), m_context.isUnix());
    QGuiApplication::clipboard()->setText(column.text);
    m_context.showHint(column.message);
}

void EditController::DeleteSelection()
{
    if (m_context.surface().selLength() == 0)
        return;
    m_context.addHistory();
    m_context.surface().setSelText(QString());
    m_context.textChanged();
}

void EditController::DeleteLine()
{
    m_context.addHistory();
    if (EditCommands::deleteLine(m_context.surface()))
        m_context.textChanged();
}

void EditController::Crop()
{
    if (m_context.surface().selLength() == 0)
        return;
    m_context.addHistory();
    EditCommands::crop(m_context.surface());
    m_context.textChanged();
}

void EditController::InsertDateTime()
{
    m_context.addHistory();
    m_context.surface().setSelText(EditCommands::dateTimeText());
}

void EditController::ClearUndoRedo()
{
    if (askUser(m_context.window(), EditCommands::clearHistoryQuestion(), EditCommands::clearHistoryTitle(),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Information)
        == QMessageBox::Yes)
        m_history.reset();
}

void EditController::registerCommands(const WireCommand &wire)
{
    EditorSurface &s = m_context.surface();
    wire("mnuEditUndo", [this] { Undo(); });
    wire("mnuEditRedo", [this] { Redo(); });
    wire("mnuEditCut", [this] { Cut(); });
    wire("mnuEditCopy", [this] { Copy(); });
    wire("mnuEditPaste", [this] { Paste(); });
    wire("mnuEditDelete", [this] { DeleteSelection(); });
    wire("mnuEditCutAppend", [this] { CopyAppend(true); });
    wire("mnuEditCopyAppend", [this] { CopyAppend(false); });
    wire("mnuEditCutAsRichText", [this] { CopyAsRichText(true); });
    wire("mnuEditCopyAsRichText", [this] { CopyAsRichText(false); });
    wire("mnuEditCopyColumn", [this] { CopyColumn(); });
    wire("mnuEditCopyFileName", [this] { QGuiApplication::clipboard()->setText(m_context.path()); });
    wire("mnuEditDeleteLine", [this] { DeleteLine(); });
    wire("mnuEditCrop", [this] { Crop(); });
    wire("mnuEditSelectWord", [&s] { EditCommands::selectWord(s); });
    wire("mnuEditSelectLine", [&s] { EditCommands::selectLine(s); });
    wire("mnuEditSelectAll", [&s] { EditCommands::selectAll(s); });
    wire("mnuEditDateTime", [this] { InsertDateTime(); });
    wire("mnuToolsClearUndoRedo", [this] { ClearUndoRedo(); });
}
