#pragma once

#include "DocumentHost.h"

class ChangeDetector;
class DocumentIndent;
class CommandController;
struct DocumentLanguageFlags;
class LanguageMenu;
class RecentFiles;
class ScintillaSurface;
class StatusBar;
class UndoHistory;
class frmMain;
struct DocumentState;
struct LanguageDefinition;

// What the document commands borrow: the parts they touch directly, the window only for its
// caption and view (so a save reaches it once, at the end).
class MainDocumentHost : public DocumentHost {
public:
    struct Neighbours {
        ScintillaSurface &surface;
        Settings &settings;
        OpenFilesRegister &openFiles;
        RecentFiles &recentFiles;
        const DocumentState &state;
        LanguageDefinition &language;
        DocumentLanguageFlags &docFlags;
        DocumentIndent &indentation;
        StatusBar &status;
        UndoHistory &history;
        ChangeDetector &changes;
        LanguageMenu &languages;
    };

    MainDocumentHost(frmMain &window, Neighbours neighbours) : m_window(window), m_n(neighbours) {}
    // The command table, once the menus exist.
    void setCommands(CommandController *commands) { m_commands = commands; }

    EditorSurface &surface() override;
    Settings &settings() override;
    OpenFilesRegister &openFiles() override;
    QWidget *ownerWindow() override;
    void setToolTipText(const QString &text) override;
    void restoreToolTipText() override;
    void showHint(const QString &text) override;
    void showModes(const QString &lineEnding, const QString &encoding) override;
    void updateTitle() override;
    void refreshView() override;
    std::optional<QString> addRecentFile(const QString &path) override;
    void setLoading(bool loading) override;
    void resetHistory(qint64 fileSize) override;
    void addHistory() override;
    void documentLoaded(const QString &path) override;
    void documentSaved(const QString &path, bool extensionChanged) override;
    void documentClosed() override;
    bool isJavaDocument() const override;
    QString languageExtension() const override;

private:
    frmMain &m_window;
    Neighbours m_n;
    CommandController *m_commands = nullptr;
};
