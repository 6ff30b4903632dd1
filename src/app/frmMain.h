#pragma once

#include "DocumentLanguageFlags.h"
#include "DocumentLoader.h"
#include "DocumentState.h"
#include "EditorSurface.h"
#include "LanguageDefinition.h"
#include "OpenFilesRegister.h"
#include "RecentFiles.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;
class ChangeDetector;
class SearchHost;
class SearchWindows;
class CurrentLineBox;
class UndoHistory;
class Highlighter;
class LiveHighlighter;
class LineNumberGutter;
class ScintillaSurface;
class ScintillaView;
class DocumentCommands;
class DocumentReader;
class DocumentSaver;

// The main window: one document in the editor surface txtText, the status labels, the menus.
// The per-document state (strfilename, isDocumentSaved, the modes…) is the window's own.
class frmMain : public QMainWindow, public SurfaceEvents, public DocumentState {
    Q_OBJECT
public:
    // appFolder holds the settings, the lists and the shipped data files.
    explicit frmMain(const QString &appFolder, QWidget *parent = nullptr);
    ~frmMain() override;

    static constexpr const char *Title = "Orvane";

    QString appFolder() const { return m_appFolder; }
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
    void SaveMySettings();
    void SaveMySettings2();
    void applySettings();

    Settings settings;
    QString LastModifiedSettings;
    bool settingsChanged = false;
    RecentFiles recentFiles;
    OpenFilesRegister openFiles;

    // SurfaceEvents
    void surfaceChange() override;
    void surfaceSelectionChanged() override;
    void surfaceScrolled() override;
    void surfaceKeyUp(int &key, int &shift) override;
    void surfaceMouseUp(int button, int shift, int x, int y) override;
    void surfaceMouseDown(int button, int shift, int x, int y) override;
    void surfaceGotFocus() override;
    void surfaceKeyDown(int &key, int &shift) override;

    LineNumberGutter *PicLines = nullptr;
    CurrentLineBox *lineBox = nullptr;
    // Re-fits the gutter to the line count and redraws it when the count changed.
    void fitGutter();
    void layoutWindow();
    void surfaceDragOver(const QStringList &files, int shift) override;
    void surfaceDragDrop(const QStringList &files, int shift) override;
    void surfaceTextDropped() override;

    // Languages
    QString keywordsFolder() const;
    void LoadLanguage(const QString &fileName, bool renderNow);
    void RefreshHighlighting();
    void NoHighlighting();
    void buildLanguageMenu();
    bool languageActive() const;
    LanguageDefinition language;
    DocumentLanguageFlags docFlags;
    Highlighter &highlighter() { return *m_highlighter; }
    LiveHighlighter &liveHighlighter() { return *m_live; }

    // Edit commands
    void Undo();
    void Redo();
    void Copy();
    void Cut();
    void Paste();
    void CopyAppend(bool cut);
    void CopyAsRichText(bool cut);
    void CopyColumn();
    void DeleteSelection();
    void DeleteLine();
    void Crop();
    void InsertDateTime();
    void ClearUndoRedo();
    UndoHistory &history() { return *m_history; }

    SearchWindows &search() { return *m_search; }

    // Text transformations
    enum class Scope { Selection, SelectionOrText, WholeText };
    // Snapshot, replace the scope's text by f of it, and re-colour as the command needs.
    void transformText(Scope scope, const std::function<QString(const QString &)> &f);
    void ChangeCase(const std::function<QString(const QString &)> &f);
    void ChangeIndent(bool add);
    void SortLines(bool ascending);
    void WordCount();
    void ToggleWordWrap();
    void ConvertTextToHTML();
    bool selectionHasInnerLineBreak() const;

    // The focus checks for changes made by other programs, run when the program becomes active.
    void runFocusChecks();
    ChangeDetector &changeDetector() { return *m_changes; }

    void SaveSelection();
    void ExportRichText();
    // The Save As name of an Untitled Java document: its class name and ".java".
    static QString javaClassFileName(const QString &text);

    void FileClose(bool prompt);
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
    QString toolTipCaption;
    QTimer *tmrToolTip = nullptr;
    QTimer *activate = nullptr;
    int toolTipTicks = 0;
    void toolTipTick();
    void refreshCapsLock();

    // Asks "Save changes to ...?" when the text differs from the saved copy; false on Cancel.
    bool confirmDiscard();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void refreshFileMenu();
    // Connects a command of the menu table to its handler and enables it.
    QAction *wire(const char *name, const std::function<void()> &handler);
    void buildStatusBar();
    void refreshRecentMenu();
    void setToolTipText(const QString &text);
    void applyPlacement();
    void finishStartUp();
    void storePlacement();

    QString m_appFolder;
    SettingsStore m_store;
    bool m_startedUp = false;
    void refreshEditMenu();
    void putRichText(const QString &text, int start, int length);
    void resetHistory();
    std::unique_ptr<UndoHistory> m_history;
    std::unique_ptr<ChangeDetector> m_changes;
    std::unique_ptr<Highlighter> m_highlighter;
    std::unique_ptr<SearchHost> m_searchHost;
    SearchWindows *m_search = nullptr;
    std::unique_ptr<LiveHighlighter> m_live;
    std::unique_ptr<ScintillaSurface> m_surface;
    class DocumentHostImpl;
    std::unique_ptr<DocumentHostImpl> m_documentHost;
    std::unique_ptr<DocumentSaver> m_saver;
    std::unique_ptr<DocumentReader> m_reader;
    std::unique_ptr<DocumentCommands> m_documents;

public:
    // Status bar labels and menus (objectName as the program names them)
    QLabel *lblToolTip = nullptr;
    QLabel *lblXY = nullptr;
    QLabel *lblSize = nullptr;
    QLabel *lblOS = nullptr;
    QLabel *lblUC = nullptr;
    QLabel *lblINS = nullptr;
    QLabel *lblCaps = nullptr;
    QToolBar *toolBar = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileExit = nullptr;
    QList<QAction *> mnuFileRecent;    // mnuFile1 … mnuFile10
};
