#pragma once

#include <QString>

// Notices, when the program becomes active again, that another program changed or deleted the open
// file or that another process saved the settings. It decides; the window asks and acts.
class ChangeDetector {
public:
    enum class DocumentAction {
        None,
        // Reload without asking and put the selection back.
        Reload,
        AskChanged,
        AskDeleted,
    };

    struct Checks {
        bool reloadRecentFiles = false;
        DocumentAction document = DocumentAction::None;
        // The selection to restore after a reload.
        int selStart = 0;
        int selLength = 0;
    };

    struct Options {
        bool disableFileChangeDetection = false;
        bool autoUpdateChangedFiles = false;
        // Edits not yet saved are never thrown away by a silent reload: the user is asked instead.
        bool unsavedEdits = false;
    };

    explicit ChangeDetector(const QString &settingsPath = {});

    void setSettingsPath(const QString &path);
    // After start-up and after this process saved or reloaded the settings.
    void recordSettingsTime();

    // The application-state signal: returns true when the checks are due (first activation after a
    // period without an active window).
    bool applicationActive(bool active);

    // ReadFile: the file time is recorded and a refused reload is forgotten.
    void documentLoaded(const QString &path);
    // After each write; the user's text is now what the file holds.
    void documentSaved(const QString &path);
    // A recovered document: the file as the lost window knew it, so a later change is told.
    void recordDocumentTime(const QString &stamp) { m_documentTime = stamp; m_declined = false; }
    void setLoading(bool loading) { m_loading = loading; }
    bool isLoading() const { return m_loading; }

    // Whether another process saved the settings since they were last read (and records the new
    // stamp). Asked before runChecks: the document checks read the settings.
    bool settingsChanged();
    Checks runChecks(const QString &path, int selStart, int selLength, const Options &options);

    // Modification time in nanoseconds and size: two saves within one second still differ.
    static QString fileStamp(const QString &path);

    // Yes to the deleted question: the text stays as an unsaved document, and only a file that
    // appears again under its name is news.
    void keepDeleted();
    // While the window's own question is open, focus changes are not activations.
    void setAsking(bool asking) { m_asking = asking; }

    // Answer No to the changed question, or No (discard) to the deleted one.
    void decline() { m_declined = true; }
    bool isDeclined() const { return m_declined; }
    QString documentTime() const { return m_documentTime; }

    static QString changedMessage(const QString &path);
    static QString changedTitle();
    static QString deletedMessage(const QString &path);
    static QString deletedTitle();

private:
    QString m_settingsPath;
    QString m_settingsTime;
    QString m_documentTime;
    bool m_wasInactive = false;
    bool m_declined = false;
    bool m_loading = false;
    bool m_asking = false;
};
