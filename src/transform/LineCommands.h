#pragma once

#include "CommandContext.h"
#include "LineEdits.h"

#include <optional>

// The Edit menu's line commands on the window's document: duplicate, move, join, comment.
class LineCommands {
public:
    explicit LineCommands(CommandContext &context);

    void DuplicateLine();
    void MoveLines(bool up);
    void JoinLines();
    void ToggleComment();

    void registerCommands(const WireCommand &wire);

private:
    // One snapshot, one replacement: the command is one undo step.
    void apply(const std::optional<LineEdits::Edit> &edit);

    CommandContext &m_context;
};
