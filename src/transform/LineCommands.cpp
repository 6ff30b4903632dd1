#include "LineCommands.h"

#include "EditorSurface.h"

LineCommands::LineCommands(CommandContext &context)
    : m_context(context)
{
}

void LineCommands::apply(const std::optional<LineEdits::Edit> &edit)
{
    if (!edit)
        return;
    EditorSurface &s = m_context.surface();
    if (edit->length == 0 && edit->replacement.isEmpty())
        return;
    m_context.addHistory();
    s.setSelStart(edit->start);
    s.setSelLength(edit->length);
    s.setSelText(edit->replacement);
    s.setSelStart(edit->selStart);
    s.setSelLength(edit->selLength);
    m_context.textChanged();
    if (m_context.highlightingActive())
        m_context.renderRange(edit->start + 1, int(edit->replacement.size()));
}

void LineCommands::DuplicateLine()
{
    const EditorSurface &s = m_context.surface();
    apply(LineEdits::duplicate(s.text(), s.selStart(), s.selLength()));
}

void LineCommands::MoveLines(bool up)
{
    const EditorSurface &s = m_context.surface();
    apply(LineEdits::moveLines(s.text(), s.selStart(), s.selLength(), up));
}

void LineCommands::JoinLines()
{
    const EditorSurface &s = m_context.surface();
    apply(LineEdits::joinLines(s.text(), s.selStart(), s.selLength()));
}

void LineCommands::ToggleComment()
{
    const EditorSurface &s = m_context.surface();
    apply(LineEdits::toggleComment(s.text(), s.selStart(), s.selLength(), m_context.commentMarkers()));
}

void LineCommands::registerCommands(const WireCommand &wire)
{
    wire("mnuEditDuplicateLine", [this] { DuplicateLine(); });
    wire("mnuEditMoveLineUp", [this] { MoveLines(true); });
    wire("mnuEditMoveLineDown", [this] { MoveLines(false); });
    wire("mnuEditJoinLines", [this] { JoinLines(); });
    wire("mnuEditToggleComment", [this] { ToggleComment(); });
}
