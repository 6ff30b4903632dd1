#pragma once

#include "CommandContext.h"

#include "Bookmarks.h"
#include "Launcher.h"
#include "EditorSurface.h"
#include "SymbolScanner.h"
#include "FindEngine.h"
#include "ReplaceEngine.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class SearchHost;
#include "picBracket.h"

// The search and navigation commands of the main window, their session state (search state,
// expression cache, bookmarks) and the five modeless tool windows, of which at most one is open.
class SearchWindows : public QObject {
    Q_OBJECT
public:
    explicit SearchWindows(SearchHost &host, QObject *parent = nullptr);
    ~SearchWindows() override;

    SearchHost &host() { return m_host; }
    FindEngine &engine() { return m_find; }
    ReplaceEngine &replacer() { return m_replace; }
    Bookmarks &bookmarks() { return m_bookmarks; }

    // Menu commands
    // Connects the Search menu's commands through wire.
    void registerCommands(const WireCommand &wire);

    void Find();                 // mnuSearchFind, Ctrl+F
    void FindNext();             // mnuSearchFindNext, F3
    void FindPrevious();         // mnuSearchFindPrev, Ctrl+F3
    void Replace();              // mnuSearchReplace, Ctrl+R
    void GotoLine();             // mnuSearchGotoLine, Ctrl+G
    void LinesContaining();      // from the find dialog with "List Lines Containing String"
    void ToggleBookmark();       // mnuSearchToggleBookmark, Ctrl+F2
    void NextBookmark();         // mnuSearchNextBookmark, F2
    void PreviousBookmark();     // mnuSearchPreviousBookmark, Ctrl+Shift+F2
    void ViewAllBookmarks();     // mnuSearchViewAllBookmarks, Shift+F2
    void ClearAllBookmarks();    // mnuSearchClearAllBookmarks
    void MatchBracket();         // mnuSearchMatchBracket, Ctrl+M
    void FindInFiles();          // mnuSearchFindInFiles, Ctrl+Shift+F
    void GoToSymbol();           // mnuSearchGoToSymbol, Ctrl+Shift+O

    // Caret to a line and column (from 1), each kept within the document.
    void goToPosition(Launcher::Position at);
    // A result of Find in Files: here when this window shows the file, else in its own window.
    void openFileAt(const QString &path, Launcher::Position at);
    QDialog *findInFilesWindow() const { return m_findInFiles; }

    // Enabled states of the Search menu.
    bool canFindAgain() const { return !m_find.state().SearchText.isEmpty(); }
    bool hasBookmarks() const { return !m_bookmarks.isEmpty(); }

    // Keys in the editor and undo snapshots invalidate the match list.
    void markDirty() { m_find.markDirty(); }
    // A document was opened or started: bookmarks cleared, match list invalid.
    void documentReset();
    // For the line-number gutter: the zero-based row carries a bookmark.
    bool isBookmarkedRow(int row) const { return m_bookmarks.isBookmarked(row + 1); }

    // The status-bar refresh on every caret move: hides the bracket marker and, unless skipped,
    // shows it over the partner of the bracket at the caret.
    void onCaretMoved(bool skipMarker = false);
    // A mouse event in the editor hides the marker.
    void onMouseEvent();
    picBracket *marker() const { return m_marker; }

    // The open tool window, if any.
    QDialog *toolWindow() const { return m_tool; }
    void closeToolWindow();

    // The RegExpSearch setting follows the dialog's box whenever a dialog closes.
    void setRegExpSearch(bool on);

private:
    void openTool(QDialog *window);
    // Go to Symbol without a kept list on a large text: a worker reads it, the list opens after.
    void readSymbolsAside();
    void goToLine(int line);
    // False when the target is not on screen.
    bool placeMarker(QChar partner, int target);

    SearchHost &m_host;
    FindEngine m_find;
    ReplaceEngine m_replace;
    Bookmarks m_bookmarks;
    QPointer<QDialog> m_tool;
    // Not one of the tool windows: it stays open beside them while its search runs.
    QPointer<QDialog> m_findInFiles;
    QPointer<picBracket> m_marker;
    std::unique_ptr<QFutureWatcher<QList<Symbol>>> m_symbolReading;
    TextFingerprint m_symbolText;
};
