#pragma once

#include <functional>

class ChangeDetector;
class EditorSurface;
class QWidget;
struct DocumentState;
struct Settings;

// What happens when the program becomes active again: settings another window saved are read
// first (they decide the rest), the recent files are re-read, and a file changed or deleted by
// another program is reloaded, asked about or kept.
class OutsideChanges {
public:
    struct Hooks {
        std::function<void()> reloadSettings;
        std::function<void()> reloadRecentFiles;
        std::function<void()> reloadDocument;   // ReadFile of the document's own path
        std::function<void()> markUnsaved;      // a deleted file kept as an unsaved document
        std::function<void()> closeDocument;
    };

    OutsideChanges(ChangeDetector &detector, DocumentState &state, EditorSurface &surface, const Settings &settings,
                   QWidget *owner, Hooks hooks);

    void run();

private:
    ChangeDetector &m_detector;
    DocumentState &m_state;
    EditorSurface &m_surface;
    const Settings &m_settings;
    QWidget *m_owner;
    Hooks m_hooks;
    bool m_running = false;
};
