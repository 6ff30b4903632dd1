#pragma once

#include "CommandContext.h"
#include "DocumentLanguageFlags.h"
#include "FoldCommands.h"
#include "LanguageDefinition.h"

#include <functional>

class Highlighter;
class QMenu;

// The document's language: chosen from the file's extension or the Syntax menu, the question
// before colouring a large file, refreshing and removing the colouring.
class LanguageMenu {
public:
    LanguageMenu(CommandContext &context, LanguageDefinition &language, DocumentLanguageFlags &flags,
                 Highlighter &highlighter, QStringList keywordsFolders);

    void LoadLanguage(const QString &fileName, bool renderNow);
    void RefreshHighlighting();
    void NoHighlighting();
    // Rebuilds the language items of the Syntax menu (each time it opens).
    void buildLanguageMenu(QMenu *programming);
    bool highlightingActive() const;
    // The definition in effect, as loaded (the compiler runner and tests read and adjust it).
    LanguageDefinition &definition() { return m_language; }
    // Refresh and remove colouring; the language items of programming are rebuilt each time it opens.
    void registerCommands(const WireCommand &wire, QMenu *programming);

private:
    CommandContext &m_context;
    LanguageDefinition &m_language;
    DocumentLanguageFlags &m_flags;
    Highlighter &m_highlighter;
    QStringList m_keywordsFolders;
    FoldCommands m_folding;
};
