#pragma once

#include "AppFolders.h"
#include "DocumentIndent.h"
#include "DocumentLanguageFlags.h"
#include "TextCodec.h"
#include "DocumentState.h"
#include "EditorSurface.h"
#include "LanguageDefinition.h"
#include "OpenFilesRegister.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "StatusBar.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTimer;
class Authoring;
class ChangeDetector;
class CommandController;
class EditController;
class LanguageMenu;
class TransformCommands;
class SearchHost;
class SearchWindows;
class ExternalTools;
class UndoHistory;
class Highlighter;
class LiveHighlighter;
class LanguageAssist;
class MainTypingHost;
class TypingAids;
class EditorChrome;
class MainOptionsHost;
class MainWindowHooks;
class ScintillaSurface;
class ScintillaView;
class MainViewerHost;
class ViewerWindows;
class DocumentCommands;
class MainDocumentHost;
class OutsideChanges;
class DocumentReader;
class DocumentSaver;
class RecoveryWriter;
struct RecoveryRecord;

// The main window: one document in the editor surface txtText, the status labels, the menus.
// The per-document state (strfilename, isDocumentSaved, the modes…) is the window's own; its parts
// in this folder change it, everyone else reads it and asks through operations.
class frmMain : public QMainWindow, public SurfaceEvents, private DocumentState {
    Q_OBJECT
public:
    explicit frmMain(const AppFolders &folders, QWidget *parent = nullptr);
    // One self-contained folder for the settings, the lists and the shipped data files.
    explicit frmMain(const QString &appFolder, QWidget *parent = nullptr)
        : frmMain(AppFolders::selfContained(appFolder), parent)
    {
    }
    ~frmMain() override;

    static constexpr const char *Title = "Orvane";

    // Where the lists and the user's own files go.
    QString appFolder() const { return m_appFolder; }
    const AppFolders &folders() const { return m_folders; }
    EditorSurface &surface();
    ScintillaView *txtText() const;

    // Documents
    void ReadFile(QString filename, bool byCommandLine);
    void FileOpen(const QString &path);
    // Save: to the document's own path when it exists, else Save As. False when cancelled or failed.
    bool FileSave();
    bool FileSaveAs();
    // Writes the text to path in the document's modes and makes path the document's path.
    bool WriteDocument(const QString &path);
    void InsertContentFromFile(const QString &path = QString());
    void AddHistory();

    // Window
    void updateTitle();
    void updateXY(int shift = 0);
    QString caption() const;

    // Settings
    void LoadMySettings2();
    void LoadMySettings(bool reload);
    std::optional<QString> SaveMySettings();
    void SaveMySettings2();

    Settings &settings() { return m_settings; }
    const Settings &settings() const { return m_settings; }
    // A setting changed outside the options dialog: settings.ini is written when the window closes.
    void noteSettingsChanged() { m_settingsChanged = true; }
    bool settingsChanged() const { return m_settingsChanged; }
    const RecentFiles &recentFiles() const { return m_recentFiles; }
    const OpenFilesRegister &openFiles() const { return m_openFiles; }
    const DocumentState &document() const { return *this; }

    // SurfaceEvents
    void surfaceChange() override;
    void surfaceSelectionChanged() override;
    void surfaceScrolled() override;
    void surfaceMouseUp(int button, int shift, int x, int y) override;
    void surfaceMouseDown(int button, int shift, int x, int y) override;
    void surfaceGotFocus() override;

    // The gutter PicLines, the current-line box and the tool bar.
    EditorChrome &chrome() { return *m_chrome; }
    // Gutter width and numbers, then the status bar: after a command moved the caret or the text.
    void refreshView();
    // The document differs from its file now: the caption and the commands follow.
    void markChanged();
    void surfaceDragOver(const QStringList &files, int shift) override;
    void surfaceDragDrop(const QStringList &files, int shift) override;
    void surfaceDragLeave() override;
    void surfaceTextDropped() override;
    void surfaceContextMenu(const QPoint &globalPos) override;
    void surfaceAboutToPaste() override;

    // Languages
    // Where new and edited definitions go; keywordsFolders() are read, the user's first.
    QString keywordsFolder() const;
    QStringList keywordsFolders() const;
    void LoadLanguage(const QString &fileName, bool renderNow);
    void RefreshHighlighting();
    void NoHighlighting();
    bool languageActive() const;
    LanguageMenu &languages() { return *m_languages; }
    const LanguageDefinition &language() const { return m_language; }
    const DocumentLanguageFlags &docFlags() const { return m_docFlags; }
    const DocumentIndent &indentation() const { return m_indentation; }
    Highlighter &highlighter() { return *m_highlighter; }
    LiveHighlighter &liveHighlighter() { return *m_live; }
    LanguageAssist &languageAssist() { return *m_assist; }
    CommandController &commands() { return *m_commands; }
    TypingAids &typingAids() { return *m_typing; }

    // Edit commands
    void Undo();
    void Crop();
    void CopyAsRichText(bool cut);
    EditController &edit() { return *m_edit; }
    UndoHistory &history() { return *m_history; }

    SearchWindows &search() { return *m_search; }
    ViewerWindows &viewers() { return *m_viewers; }
    ExternalTools &tools() { return *m_tools; }
    Authoring &authoring() { return *m_authoring; }

    TransformCommands &transforms() { return *m_transforms; }

    // The focus checks for changes made by other programs, run when the program becomes active.
    void runFocusChecks();
    ChangeDetector &changeDetector() { return *m_changes; }

    // The File menu's numbered entries from the recent files.
    void refreshRecentMenu();

    void SaveSelection();
    void ExportRichText();
    // The Save As name of an Untitled Java document: its class name and ".java".
    static QString javaClassFileName(const QString &text);

    void FileClose(bool prompt);
    // Recovery copies of the unsaved document; showing one left by a window that ended unsaved.
    RecoveryWriter &recovery() { return *m_recovery; }
    void RecoverDocument(const QString &file, const RecoveryRecord &record);
    void RevertToSaved();
    void DeleteFile();
    void ToggleLineNumbers();

    // The four conversions of the line-ending and encoding modes (and one to UTF-8).
    void ConvertDosToUnix();
    void ConvertUnixToDos();
    void ConvertAsciiToUnicode();
    void ConvertUnicodeToAscii();
    void ConvertToUtf8();

    // A hint in lblToolTip that returns to the idle text after 20 ticks of tmrToolTip.
    void showHint(const QString &text);
    StatusBar &statusLabels() { return *m_status; }
    QTimer *activate = nullptr;
    void toolTipTick();
    void refreshCapsLock();

    // Asks "Save changes to ...?" when the text differs from the saved copy; false on Cancel.
    bool confirmDiscard();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class MainDocumentHost;
    friend class MainOptionsHost;
    friend class MainSearchHost;
    friend class MainToolsHost;
    friend class MainTypingHost;
    friend class MainViewerHost;
    friend class MainWindowHooks;

    DocumentState &state() { return *this; }
    void buildMenus();
    // Connects a command of the menu table to its handler and enables it.
    QAction *wire(const char *name, const std::function<void()> &handler);
    void finishStartUp();
    StatusBar::SavedForm savedForm() const;

    Settings m_settings;
    bool m_settingsChanged = false;
    RecentFiles m_recentFiles;
    OpenFilesRegister m_openFiles;
    LanguageDefinition m_language;
    DocumentLanguageFlags m_docFlags;
    DocumentIndent m_indentation;
    QString m_appFolder;
    AppFolders m_folders;
    SettingsStore m_store;
    bool m_startedUp = false;
    void resetHistory();
    std::unique_ptr<UndoHistory> m_history;
    std::unique_ptr<ChangeDetector> m_changes;
    std::unique_ptr<MainWindowHooks> m_hooks;
    std::unique_ptr<Highlighter> m_highlighter;
    std::unique_ptr<SearchHost> m_searchHost;
    SearchWindows *m_search = nullptr;
    std::unique_ptr<MainViewerHost> m_viewerHost;
    ViewerWindows *m_viewers = nullptr;
    ExternalTools *m_tools = nullptr;
    std::unique_ptr<LiveHighlighter> m_live;
    std::unique_ptr<LanguageAssist> m_assist;
    std::unique_ptr<MainTypingHost> m_typingHost;
    std::unique_ptr<TypingAids> m_typing;
    std::unique_ptr<MainOptionsHost> m_options;
    std::unique_ptr<Authoring> m_authoring;
    std::unique_ptr<ScintillaSurface> m_surface;
    std::unique_ptr<EditorChrome> m_chrome;
    CommandController *m_commands = nullptr;
    StatusBar *m_status = nullptr;
    std::unique_ptr<LanguageMenu> m_languages;
    std::unique_ptr<TransformCommands> m_transforms;
    std::unique_ptr<EditController> m_edit;
    std::unique_ptr<OutsideChanges> m_outsideChanges;
    std::unique_ptr<MainDocumentHost> m_documentHost;
    std::unique_ptr<DocumentSaver> m_saver;
    std::unique_ptr<DocumentReader> m_reader;
    std::unique_ptr<DocumentCommands> m_documents;
    std::unique_ptr<RecoveryWriter> m_recovery;

public:
    // Menus (objectName as the program names them)
    QMenu *mnuFile = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileExit = nullptr;
    QList<QAction *> mnuFileRecent;    // mnuFile1 … mnuFile10
};
