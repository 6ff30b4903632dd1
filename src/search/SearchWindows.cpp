#include "SearchWindows.h"

#include "BracketMatcher.h"
#include "ContextScroll.h"
#include "EditorSurface.h"
#include "LineNavigation.h"
#include "PaletteColors.h"
#include "Prompter.h"
#include "SearchHost.h"
#include "Settings.h"
#include "FileIO.h"
#include "SymbolScanner.h"
#include "LanguageDefinition.h"
#include "Utf8Units.h"
#include "frmBookmarks.h"
#include "frmFindInFiles.h"
#include "frmSymbols.h"
#include "frmFind.h"
#include "frmGotoLine.h"
#include "frmLines.h"
#include "frmReplace.h"
#include "picBracket.h"

#include <QDialog>
#include <QFontMetrics>
#include <QPromise>
#include <QScopeGuard>
#include <algorithm>
#include <cstdlib>
#include <thread>

SearchWindows::SearchWindows(SearchHost &host, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_find(host.surface(), HistoryLists(host.appFolder()))
    , m_replace(m_find, host)
{
}

SearchWindows::~SearchWindows()
{
    if (m_symbolReading)
        m_symbolReading->future().cancel();
    delete m_tool.data();
    delete m_findInFiles.data();
    delete m_marker.data();
}

void SearchWindows::closeToolWindow()
{
    if (m_tool) {
        QDialog *old = m_tool;
        m_tool.clear();
        old->close();
    }
}

void SearchWindows::openTool(QDialog *window)
{
    m_tool = window;
    // Keys go back to the document when a tool window is done, even where no window manager
    // hands the activation back.
    connect(window, &QDialog::finished, this, [this] {
        if (QWidget *owner = m_host.ownerWindow(); owner && owner->isVisible()) {
            owner->activateWindow();
            m_host.surface().setFocus();
        }
    });
    window->show();
    window->raise();
    window->activateWindow();
}

void SearchWindows::setRegExpSearch(bool on)
{
    m_host.settings().RegExpSearch = on;
}

void SearchWindows::Find()
{
    closeToolWindow();
    openTool(new frmFind(*this, m_host.ownerWindow()));
}

void SearchWindows::FindNext()
{
    m_find.FindNextPlain();
    m_host.refreshStatusBar();
}

void SearchWindows::FindPrevious()
{
    m_find.FindPreviousPlain();
    m_host.refreshStatusBar();
}

void SearchWindows::Replace()
{
    closeToolWindow();
    openTool(new frmReplace(*this, m_host.ownerWindow()));
}

void SearchWindows::GotoLine()
{
    EditorSurface &surface = m_host.surface();
    const int current = surface.getLineFromChar(surface.selStart()) + 1;
    closeToolWindow();
    openTool(new frmGotoLine(*this, current, m_host.ownerWindow()));
}

void SearchWindows::LinesContaining()
{
    closeToolWindow();
    auto *window = new frmLines(*this, m_host.ownerWindow());
    openTool(window);
    if (const auto error = window->error()) {
        askUser(window,
                QStringLiteral("Regular Expression Error : ") + *error
                    + QStringLiteral("\r\n\r\nThe regular-expression engine is built into Orvane; "
                                     "reinstalling Orvane from your distribution's packages restores it."),
                QStringLiteral("Orvane"), QMessageBox::Ok, QMessageBox::Warning);
    }
}

void SearchWindows::ViewAllBookmarks()
{
    closeToolWindow();
    openTool(new frmBookmarks(*this, m_host.ownerWindow()));
}

void SearchWindows::goToLine(int line)
{
    EditorSurface &surface = m_host.surface();
    surface.setSelStart(LineNavigation::LineStart(line, surface.text()));
    ContextScroll::showWithContext(surface, surface.selStart());
    m_host.refreshStatusBar();
}

void SearchWindows::ToggleBookmark()
{
    EditorSurface &surface = m_host.surface();
    m_host.showHint(m_bookmarks.toggle(surface.getLineFromChar(surface.selStart()) + 1));
    m_host.redrawGutter();
}

void SearchWindows::NextBookmark()
{
    if (const auto line = m_bookmarks.next())
        goToLine(*line);
}

void SearchWindows::PreviousBookmark()
{
    if (const auto line = m_bookmarks.previous())
        goToLine(*line);
}

void SearchWindows::ClearAllBookmarks()
{
    m_bookmarks.clear();
    m_host.redrawGutter();
}

void SearchWindows::documentReset()
{
    m_bookmarks.clear();
    m_find.markDirty();
    onMouseEvent();
}

void SearchWindows::MatchBracket()
{
    const BracketMatch match = BracketMatcher::MatchBracket(m_host.surface(), true);
    if (!match.target)
        m_host.showHint(match.message);
    m_host.refreshStatusBar();
}

void SearchWindows::onMouseEvent()
{
    if (m_marker)
        m_marker->hide();
}

void SearchWindows::onCaretMoved(bool skipMarker)
{
    // The marker is hidden only where no partner is shown: hiding and showing it again on every
    // key would cost the window a relayout per key.
    bool placed = false;
    const auto hideUnlessPlaced = qScopeGuard([&] {
        if (!placed)
            onMouseEvent();
    });
    const Settings &settings = m_host.settings();
    EditorSurface &surface = m_host.surface();
    if (skipMarker || !settings.AutoUnderlineBracket || surface.selLength() >= 2 || m_host.isBinaryMode())
        return;
    const int caret = surface.selStart();
    if (caret >= surface.textLength())
        return;
    const QString under = surface.textRange(caret, 1);
    if (under.isEmpty())
        return;
    const auto partner = BracketMatcher::markerCharacter(under.at(0), m_host.isMarkupLanguage());
    if (!partner)
        return;
    // The target is found without moving the caret, so the view never scrolls to it and back.
    // The partner is nearly always close: the text around the caret answers without copying the
    // whole document on every caret move; only a partner beyond it needs the whole text.
    constexpr int Reach = 8192;
    const int from = std::max(0, caret - Reach);
    BracketMatch match = BracketMatcher::findMatch(surface.textRange(from, std::min(surface.textLength() - from, 2 * Reach)),
                                                   caret - from);
    if (match.target)
        *match.target += from;
    else if (from > 0 || surface.textLength() > 2 * Reach)
        match = BracketMatcher::findMatch(surface.text(), caret);
    if (!match.target) {
        m_host.showHint(match.message);
        return;
    }
    placed = placeMarker(*partner, *match.target);
}

bool SearchWindows::placeMarker(QChar partner, int target)
{
    EditorSurface &surface = m_host.surface();
    QWidget *area = surface.textArea();
    const auto cell = surface.characterRect(target);
    if (!area || !cell)
        return false;
    if (!m_marker)
        m_marker = new picBracket(area);
    const CharFormat format = surface.defaultFormat();
    QFont font(format.fontName);
    font.setPointSizeF(format.fontSize > 0 ? format.fontSize : 10);
    m_marker->setTextFont(font, format.bold);
    m_marker->setColors(PaletteColors::textColor(m_host.settings().fcolor1, surface.backColor()),
                        OleColors::toQColor(surface.backColor()));
    m_marker->setCharacter(partner);
    if (m_marker->geometry() != *cell)
        m_marker->setGeometry(*cell);
    if (!m_marker->isVisible()) {
        m_marker->show();
        m_marker->raise();
    }
    return true;
}

void SearchWindows::FindInFiles()
{
    if (!m_findInFiles)
        m_findInFiles = new frmFindInFiles(*this, m_host.ownerWindow());
    m_findInFiles->show();
    m_findInFiles->raise();
    m_findInFiles->activateWindow();
}

namespace {

// From this size Go to Symbol reads the text on a worker, so the window goes on taking keys.
constexpr int ReadAsideCharacters = 1 << 20;

} // namespace

void SearchWindows::GoToSymbol()
{
    closeToolWindow();
    // The colouring's list when it has one for the text as it is; else a reading of the whole text,
    // on a worker when the text is large.
    std::optional<QList<Symbol>> symbols = m_host.keptSymbols();
    if (!symbols && m_host.surface().textLength() >= ReadAsideCharacters) {
        // The colouring's reader reads the document's own text, without a copy, and keeps the list.
        if (!m_host.readSymbols([this] { GoToSymbol(); }))
            readSymbolsAside();
        return;
    }
    if (!symbols)
        symbols = SymbolScanner::scan(m_host.surface().text(), m_host.language(), m_host.documentPath());
    openTool(new frmSymbols(*this, std::move(*symbols), m_host.ownerWindow()));
}

void SearchWindows::readSymbolsAside()
{
    // One reading at a time: the list opens when it is done.
    if (m_symbolReading && m_symbolReading->isRunning())
        return;
    EditorSurface &surface = m_host.surface();
    m_symbolText = surface.fingerprint();
    QPromise<QList<Symbol>> promise;
    const QFuture<QList<Symbol>> future = promise.future();
    // The worker holds only its own copies: it may outlive this window.
    std::thread([promise = std::move(promise), utf8 = surface.textSnapshotAsync(), language = m_host.language(),
                 mode = SymbolScanner::modeOf(m_host.language(), m_host.documentPath())]() mutable {
        promise.start();
        const QByteArray bytes = utf8.get();
        std::optional<QList<Symbol>> found = SymbolScanner::scan(utf8ToText(bytes.constData(), bytes.size()), language,
                                                                 mode, 0, [&promise] { return !promise.isCanceled(); });
        if (found)
            promise.addResult(std::move(*found));
        promise.finish();
    }).detach();
    if (m_symbolReading)
        m_symbolReading.release()->deleteLater();
    m_symbolReading = std::make_unique<QFutureWatcher<QList<Symbol>>>();
    QFutureWatcher<QList<Symbol>> *reading = m_symbolReading.get();
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading] {
        const QFuture<QList<Symbol>> done = reading->future();
        if (done.isCanceled() || done.resultCount() == 0)
            return;
        // The text changed while it was read: its places would be wrong.
        if (m_host.surface().fingerprint() != m_symbolText) {
            readSymbolsAside();
            return;
        }
        closeToolWindow();
        openTool(new frmSymbols(*this, done.result(), m_host.ownerWindow()));
    });
    reading->setFuture(future);
}

void SearchWindows::goToPosition(Launcher::Position at)
{
    EditorSurface &surface = m_host.surface();
    const EditorSurface::LineText line = surface.lineWithoutBreak(at.line - 1);
    surface.setSelStart(line.start + std::clamp(at.column - 1, 0, int(line.text.size())));
    surface.setSelLength(0);
    m_host.refreshStatusBar();
    if (QWidget *owner = m_host.ownerWindow()) {
        owner->raise();
        owner->activateWindow();
    }
    surface.setFocus();
}

namespace {

// The same file whatever the spelling: both resolved where they exist.
bool sameFile(const QString &a, const QString &b)
{
    const auto resolved = [](const QString &path) {
        const QByteArray native = FileIO::encodePath(path);
        char *real = ::realpath(native.constData(), nullptr);
        if (!real)
            return native;
        const QByteArray result(real);
        std::free(real);
        return result;
    };
    return resolved(a) == resolved(b);
}

} // namespace

void SearchWindows::openFileAt(const QString &path, Launcher::Position at)
{
    const QString document = m_host.documentPath();
    if (document.contains(QLatin1Char('/')) && sameFile(document, path))
        goToPosition(at);
    else
        m_host.openElsewhere(path, at);
}

void SearchWindows::registerCommands(const WireCommand &wire)
{
    wire("mnuSearchFind", [this] { Find(); });
    wire("mnuSearchFindNext", [this] { FindNext(); });
    wire("mnuSearchFindPrev", [this] { FindPrevious(); });
    wire("mnuSearchReplace", [this] { Replace(); });
    wire("mnuSearchGotoLine", [this] { GotoLine(); });
    wire("mnuSearchMatchBracket", [this] { MatchBracket(); });
    wire("mnuSearchToggleBookmark", [this] { ToggleBookmark(); });
    wire("mnuSearchNextBookmark", [this] { NextBookmark(); });
    wire("mnuSearchPreviousBookmark", [this] { PreviousBookmark(); });
    wire("mnuSearchViewAllBookmarks", [this] { ViewAllBookmarks(); });
    wire("mnuSearchClearAllBookmarks", [this] { ClearAllBookmarks(); });
    wire("mnuSearchFindInFiles", [this] { FindInFiles(); });
    wire("mnuSearchGoToSymbol", [this] { GoToSymbol(); });
}
