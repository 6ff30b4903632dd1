#pragma once

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
    // What the window does for the answers.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void reloadSettings() = 0;
        virtual void reloadRecentFiles() = 0;
        virtual void reloadDocument() = 0;   // ReadFile of the document's own path
        virtual void markUnsaved() = 0;      // a deleted file kept as an unsaved document
        virtual void closeDocument() = 0;
    };

    OutsideChanges(ChangeDetector &detector, DocumentState &state, EditorSurface &surface, const Settings &settings,
                   QWidget *owner, Host &host);

    void run();

private:
    ChangeDetector &m_detector;
    DocumentState &m_state;
    EditorSurface &m_surface;
    const Settings &m_settings;
    QWidget *m_owner;
    Host &m_host;
    bool m_running = false;
};
