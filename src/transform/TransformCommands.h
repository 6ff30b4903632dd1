#pragma once

#include "CommandContext.h"
#include "LineCommands.h"
#include "ViewCommands.h"

#include <QString>

#include <functional>

// The Format menu's and the Tools menu's text transformations, run on the main window's document.
class TransformCommands {
public:
    explicit TransformCommands(CommandContext &context);

    enum class Scope { Selection, SelectionOrText, WholeText };
    // Snapshot, replace the scope's text by f of it, refresh the window.
    void transformText(Scope scope, const std::function<QString(const QString &)> &f);
    void ChangeCase(const std::function<QString(const QString &)> &f);
    void ChangeIndent(bool add);
    void SortLines(bool ascending);
    void WordCount();
    void ToggleWordWrap();
    void ConvertTextToHTML();

    void registerCommands(const WireCommand &wire);

private:
    // Whole-text commands that may have changed the colouring re-render the document.
    void transformAndRefresh(const std::function<QString(const QString &)> &f);

    CommandContext &m_context;
    LineCommands m_lines;
    ViewCommands m_view;
};
