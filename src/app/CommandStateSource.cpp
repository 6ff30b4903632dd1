#include "CommandStateSource.h"

#include "TextCodec.h"
#include "CommandContext.h"
#include "DocumentState.h"
#include "EditCommands.h"
#include "EditorSurface.h"
#include "LanguageAssist.h"
#include "LanguageDefinition.h"
#include "SearchWindows.h"
#include "Settings.h"
#include "UndoHistory.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QMimeData>

CommandStateSource::CommandStateSource(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CommandStateSource::noteClipboard);
    noteClipboard();
}

void CommandStateSource::noteClipboard()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    m_clipboardText = mime && mime->hasText();
    emit clipboardChanged();
}

CommandState CommandStateSource::state() const
{
    const EditorSurface &s = m_parts.surface;
    const DocumentState &document = m_parts.document;
    const LanguageDefinition &language = m_parts.language;
    CommandState state;
    state.selection = s.selLength() > 0;
    state.clipboardText = m_clipboardText;
    state.canUndo = m_parts.history.canUndo();
    state.canRedo = m_parts.history.canRedo();
    state.named = document.strfilename != QLatin1String(DocumentState::Untitled);
    state.fileOnDisk = state.named && FileExists(document.strfilename);
    state.unsaved = !document.isDocumentSaved;
    state.searchText = m_parts.search.canFindAgain();
    state.bookmarks = m_parts.search.hasBookmarks();
    state.selectedLines = EditCommands::selectionHasInnerLineBreak(s);
    state.language = language.languageActive;
    state.highlighting = language.languageActive && m_parts.settings.enableSyntaxHighlightning;
    state.keywordList = m_parts.assist.hasEntries();
    state.lineComment = language.languageActive && !language.commentMarker().isEmpty();
    state.comment = language.languageActive && !CommentMarkers{language.commentMarker(), language.blockCommentStart,
                                                               language.blockCommentEnd}.isEmpty();
    state.textLocked = document.isLoading || !s.isEnabled();
    return state;
}
