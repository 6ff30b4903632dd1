#pragma once

#include "CommandContext.h"

#include <QPointer>
#include <QString>

#include <functional>

class ArgumentTip;
class EditorSurface;
class KeywordList;
class QFont;
class QWidget;
struct LanguageDefinition;
struct Settings;

// The keyword list at the caret and the argument tip under it. The typing aids call these from
// the editor's key handlers; the list follows the entries of the current language.
class LanguageAssist {
public:
    // What an accepted entry asks of its neighbours; each does nothing by default.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void addHistory() {}
        virtual void rehighlightCurrentLine() {}
    };

    // editor: the editing widget; the list and the tip are placed beside it in its parent, inside its
    // area. loadedLength: the text length when the document was loaded or saved.
    LanguageAssist(EditorSurface &surface, const Settings &settings, const LanguageDefinition &language,
                   const qint64 &loadedLength, QWidget *editor, Host &host);
    ~LanguageAssist();
    LanguageAssist(const LanguageAssist &) = delete;
    LanguageAssist &operator=(const LanguageAssist &) = delete;

    // Places the keyword list at the caret; unless suppressShowing, shows it with the entry for
    // the word at the caret preselected and gives it the focus.
    void ShowListBox(bool suppressShowing);
    void hideList();
    bool listVisible() const;
    // Replaces the word at the caret by the selected entry.
    void insertEntry();

    // The tip for the function before the caret when "(" was typed (afterClosing false), or for
    // the call enclosing the caret after ")", Left, Right or a comma (true).
    void showTip(bool afterClosing);
    void hideTip();
    bool tipVisible() const;
    // After a menu command: the tip goes when the caret is no longer where it was shown.
    void caretMovedByCommand();

    // Whether the language has keywords or functions to list.
    bool hasEntries() const;
    // The keyword list command.
    void registerCommands(const WireCommand &wire);

    KeywordList *lstVariables() const { return m_list; }
    ArgumentTip *picArgs() const { return m_tip; }

    // Above this length at load no tips are shown (the undo history stops there too).
    static constexpr qint64 TipSizeLimit = 500000;

private:
    struct LineSlice {
        QString text;
        int start = 0;    // offset of text in the document
    };
    // The caret's line around the caret, at most Window characters either side.
    LineSlice caretLine(bool beforeCaretOnly) const;
    void syncEntries();
    void closeList();
    void typeLetter(const QString &letter);
    void place(QWidget *popup) const;
    void followCaret();
    QFont editorFont() const;

    static constexpr int Window = 10000;

    EditorSurface &m_surface;
    const Settings &m_settings;
    const LanguageDefinition &m_language;
    const qint64 &m_loadedLength;
    QPointer<QWidget> m_editor;
    QPointer<QWidget> m_caretWidget;
    Host &m_host;
    KeywordList *m_list = nullptr;
    ArgumentTip *m_tip = nullptr;
    int m_tipCaret = -1;
    QString m_listedKeywords;
    QString m_listedFunctions;
};
