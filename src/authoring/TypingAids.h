#pragma once

#include "CommandContext.h"
#include "EditorSurface.h"

#include <QString>
#include <QStringList>
#include <QStringView>

struct LanguageDefinition;
class TypingHost;
struct Settings;
class QWidget;

// The editor's key handling: the typing aids (auto-indent, smart brace, pairs, tag completion,
// block indent, tabs as blanks, smart Home, overwrite mode), the undo steps of typing and the few
// keys no command owns. Every aid reads its switch from the settings at the moment of the key.
// Keys are Qt key codes; shift is the mask 1 Shift, 2 Ctrl, 4 Alt.
// The surface hands its keys straight here.
class TypingAids : public SurfaceKeys {
public:
    TypingAids(EditorSurface &surface, Settings &settings, TypingHost &host);

    bool keyDown(int key, int shift) override;
    int keyPress(int character) override;
    void keyUp(int key, int shift) override;

    // Reads the elements never closed automatically, one per line; a missing file empties the list.
    void AddIgnoreElements(const QString &path);
    const QStringList &ignoreElements() const { return m_ignore; }

    // The Tools menu's four switches; their check marks follow the settings whenever the menu opens.
    void registerCommands(const WireCommand &wire, QWidget *window);
    void ToggleAutoIndent();
    void ToggleSmartIndent();
    void ToggleInsertPairs();
    void ToggleHTMLCompletion();
    void refreshToolsMenu(QWidget *window) const;

    // Tags are completed where they are markup: in a markup language, or, without a language, in a
    // file whose extension is a markup one. Never in code, where "<" compares or includes.
    static bool tagsAreMarkup(const LanguageDefinition &language, const QString &path);
    // The tag a ">" typed after textBeforeCaret would close; empty when none.
    static QString closeTagName(QStringView textBeforeCaret);
    // Each line of block indented, or outdented, by one unit.
    static QString shiftLines(const QString &block, bool outdent, const QString &unit, int tabWidth);

private:
    bool ctrlAltShiftKey(int key);
    bool shortcutKey(int key, int shift);
    static bool takesSnapshotFirst(int key, int shift, bool wordSteps);
    void snapshot();
    QString indentUnit() const;
    QString indentationBeforeCaret() const;
    QString indentationBefore(int caret) const;
    // The aids at several carets at once: true, or 0, when they typed the key themselves.
    bool severalCaretsKey(int key, int shift);
    int severalCaretsPress(int character);
    void smartHome(bool extend);
    void lineStartHome(bool extend);
    void moveHome(int target, bool extend);
    void blockIndent(bool outdent);
    void smartBrace();
    void insertPair(const QString &open, const QString &close);
    bool completeTag();
    void toggle(bool &setting, const QString &hintPrefix);

    EditorSurface &m_surface;
    Settings &m_settings;
    TypingHost &m_host;
    QStringList m_ignore;
    bool m_snapshotTaken = false;
};
