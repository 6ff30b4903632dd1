#pragma once

#include "CommandTable.h"

#include <QObject>

class EditorSurface;
class LanguageAssist;
class SearchWindows;
class UndoHistory;
struct DocumentState;
struct LanguageDefinition;
struct Settings;

// What the command rules read of the window's parts, and whether the clipboard holds text,
// followed as other programs change it.
class CommandStateSource : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const EditorSurface &surface;
        const DocumentState &document;
        const Settings &settings;
        const LanguageDefinition &language;
        const UndoHistory &history;
        const SearchWindows &search;
        const LanguageAssist &assist;
    };

    CommandStateSource(const Parts &parts, QObject *parent);

    CommandState state() const;

signals:
    // The clipboard's content changed: the rules that read it want another look.
    void clipboardChanged();

private:
    void noteClipboard();

    Parts m_parts;
    bool m_clipboardText = false;
};
