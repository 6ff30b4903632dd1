#pragma once

#include "CommandContext.h"

#include <optional>

class EditorSurface;

// The View menu's display choices: blanks and line ends shown, the edge line for long lines, zoom.
class ViewCommands {
public:
    explicit ViewCommands(CommandContext &context);

    void ToggleBlanks();
    void ChooseEdgeColumn();
    // One point larger (+1) or smaller (-1), as a notch of Ctrl+wheel; 0 returns to the settings' size.
    void Zoom(int step);

    void registerCommands(const WireCommand &wire);

    // The column the user typed: 0 turns the edge line off; nothing for text that is not one.
    static std::optional<int> parseEdgeColumn(const QString &typed);
    static constexpr int MaxEdgeColumn = 1000;

private:
    CommandContext &m_context;
};
