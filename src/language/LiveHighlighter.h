#pragma once

#include <QString>

#include <optional>

class Highlighter;
class EditorSurface;
struct Settings;
struct LanguageDefinition;

// Keeps the colouring up to date while the user types, pastes or drops text: each editing event
// re-renders the caret's line or the inserted block, never the whole document. The main window
// calls it from the surface's key handlers and after paste and drop.
class LiveHighlighter {
public:
    // A range of the document, start 1-based, as render range takes it.
    struct Range {
        int start = 1;
        int length = 0;
        bool operator==(const Range &) const = default;
    };

    LiveHighlighter(Highlighter &highlighter, const Settings &settings, const LanguageDefinition &language);

    // Key codes are Qt key codes; shift is the 1 Shift, 2 Ctrl, 4 Alt mask.
    // Enter without modifiers colours the line being finished, before the break is inserted.
    void onKeyDown(int qtKey, int shift);
    void onKeyUp(int qtKey, int shift);
    // A selection spanning lines was indented or outdented: start is zero-based, length the new one.
    void afterBlockIndent(int start, int length);
    // Call after the pasted text is in the document and the caret is behind it.
    void afterPaste(const QString &pasted);
    void afterDrop();
    // Also called by commands that changed the caret's line (keyword list, HTML colour, comments).
    void rehighlightCurrentLine();

    // The caret's line through the line break that ends it, or through the end of the text.
    static Range currentLineRange(const EditorSurface &surface);
    // The block a paste re-renders; nothing when the pasted text holds no CR LF after its first character.
    static std::optional<Range> pastedRange(int caretAfterPaste, const QString &pasted);
    // The virtual-key number the refresh table is written in.
    static int virtualKey(int qtKey);
    // Whether releasing a key re-renders the caret's line.
    static bool refreshOnKeyUp(int virtualKey, int shift);

    static constexpr int VkBack = 8, VkTab = 9, VkReturn = 13, VkShift = 16, VkControl = 17, VkMenu = 18,
                         VkPrior = 33, VkNext = 34, VkEnd = 35, VkHome = 36, VkLeft = 37, VkUp = 38,
                         VkRight = 39, VkDown = 40, VkInsert = 45, VkDelete = 46, VkF1 = 112, VkF16 = 127;

private:
    bool active() const;

    Highlighter &m_highlighter;
    const Settings &m_settings;
    const LanguageDefinition &m_language;
};
