#include "Highlighter.h"

#include "BackgroundRender.h"
#include "CodeHighlighter.h"
#include "FoldUpdater.h"
#include "EditorSurface.h"
#include "HighlightFormats.h"
#include "MarkupHighlighter.h"
#include "RenderClock.h"
#include "Settings.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <tuple>

const QString Highlighter::RenderingCaption = QStringLiteral("Rendering document, please wait");

namespace {

HighlightHost &noHost()
{
    static HighlightHost none;
    return none;
}

constexpr qint64 ApplySliceMs = 8;

// Locks the surface for a bulk change and puts its selection back afterwards. Selection and
// visibility are only touched when they changed, so the view does not jump.
class SurfaceLock {
public:
    SurfaceLock(EditorSurface &surface, bool hide)
        : m_surface(surface), m_selStart(surface.selStart()), m_selLength(surface.selLength()),
          m_wasVisible(surface.isVisible()), m_hidden(hide && m_wasVisible)
    {
        if (m_hidden)
            m_surface.setVisible(false);
    }
    ~SurfaceLock()
    {
        if (m_hidden)
            m_surface.setVisible(true);
        if (m_surface.selStart() != m_selStart || m_surface.selLength() != m_selLength) {
            m_surface.setSelStart(m_selStart);
            m_surface.setSelLength(m_selLength);
        }
    }
    SurfaceLock(const SurfaceLock &) = delete;
    SurfaceLock &operator=(const SurfaceLock &) = delete;

private:
    EditorSurface &m_surface;
    int m_selStart;
    int m_selLength;
    bool m_wasVisible;
    bool m_hidden;
};

} // namespace

Highlighter::Highlighter(EditorSurface &surface, const Settings &settings, const LanguageDefinition &language,
                         const DocumentLanguageFlags &flags, HighlightHost *host)
    : m_surface(surface), m_settings(settings), m_language(language), m_flags(flags), m_host(host ? *host : noHost()),
      m_folds(std::make_unique<FoldUpdater>(surface, language)), m_pump(std::make_unique<QTimer>()),
      m_restart(std::make_unique<QTimer>()), m_symbolRestart(std::make_unique<QTimer>())
{
    m_pump->setInterval(10);
    QObject::connect(m_pump.get(), &QTimer::timeout, m_pump.get(), [this] { pump(); });
    m_restart->setSingleShot(true);
    m_restart->setInterval(300);
    QObject::connect(m_restart.get(), &QTimer::timeout, m_restart.get(), [this] { restartBackground(); });
    m_symbolRestart->setSingleShot(true);
    m_symbolRestart->setInterval(300);
    QObject::connect(m_symbolRestart.get(), &QTimer::timeout, m_symbolRestart.get(), [this] { rereadSymbols(); });
    // The surface may outlive the highlighter, or go first: the hook asks whether it is still here.
    m_surface.setStylesNeeded([this, alive = std::weak_ptr<const int>(m_alive)](int start, int length) {
        if (alive.lock())
            colourNow(start, length);
    });
    if (FoldSurface *lines = m_surface.folding())
        m_symbolsFollow = lines->onLinesChanged([this](int first, int last) {
            // The line before a change is coloured again too: its end may have changed.
            if (m_colouredUnits > 0)
                m_colouredUnits = std::min(m_colouredUnits, std::max(0, m_surface.lineIndex(std::max(0, first - 1))));
            m_changedSinceSymbols = std::min(m_changedSinceSymbols, first);
            m_symbols.linesChanged(m_surface, first, last);
            if (m_keepsSymbols && !m_symbols.known()) {
                if (m_symbolReader) {
                    m_symbolReader->cancel();
                    stoppedSymbolReading(m_symbolReader.get());
                }
                m_retired.push_back(std::move(m_symbolReader));
                m_symbolRestart->start();
                m_pump->start();
            } else if (m_symbols.pending()) {
                m_symbolRestart->start();
            }
        });
}

Highlighter::~Highlighter()
{
    QObject::disconnect(m_symbolsFollow);
}

void Highlighter::setRestartDelay(int ms)
{
    m_restart->setInterval(ms);
}

bool Highlighter::isRendering() const
{
    return m_backgroundActive;
}

void Highlighter::startBackground(bool resume)
{
    stopBackground();
    if (!resume) {
        m_colouredUnits = 0;
        m_colouredComments.reset();
        stoppedSymbolReading(nullptr);
    }
    if (!m_backgroundActive) {
        m_backgroundHint = m_host.hintCaption();
        m_backgroundActive = true;
    }
    m_host.setHintCaption(RenderingCaption);
    BackgroundRender::Job job;
    // The widget's own text, lent: the first change ends the loan (and this render) before it
    // touches a byte, so a large document is never copied for its colouring.
    job.loan = m_surface.lendText();
    job.language = m_language;
    job.highlightNumbers = m_settings.HighLightNumbers;
    job.engine = m_engine;
    job.firstUnit = std::max(0, m_surface.lineIndex(m_surface.firstVisibleLine()));
    job.keptUnits = m_colouredUnits;
    job.keptComments = m_colouredComments;
    // A large document is coloured where it is shown; colouring all of it would keep both cores
    // busy for seconds after it opens.
    job.onDemand = m_surface.textLength() >= m_onDemandThreshold;
    job.pieceBytes = m_pieceBytes;
    std::tie(job.wantFrom, job.wantTo) = wantedUnits();
    m_readingTaken = false;
    // A document coloured where it is shown has its symbols read when they are asked for, not
    // with every render; after an edit the symbols read before follow the edit themselves.
    if (!job.onDemand) {
        job.symbols = SymbolScanner::modeOf(m_language, QString());
        forgetSymbols();
        job.symbolsFrom = symbolsToGoOnFrom();
    } else if (!resume) {
        forgetSymbols();
    }
    m_palette = HighlightFormats(m_settings, m_surface.defaultFormat()).palette();
    m_background = std::make_unique<BackgroundRender>(std::move(job));
    m_pump->start();
}

void Highlighter::stopBackground()
{
    m_restart->stop();
    if (!m_background)
        return;
    takeReading();
    // Not waited for here: a worker inside a long pass must not hold up the key that stopped it.
    m_background->cancel();
    stoppedSymbolReading(m_background.get());
    m_retired.push_back(std::move(m_background));
}

void Highlighter::forgetSymbols()
{
    m_whenSymbolsRead = {};
    m_symbols.clear();
    m_keepsSymbols = false;
    m_symbolRestart->stop();
    if (m_symbolReader)
        m_symbolReader->cancel();
    m_retired.push_back(std::move(m_symbolReader));
}

void Highlighter::rereadSymbols()
{
    // Typing paused: the kept list reads again around what changed, or is read anew.
    m_symbols.settle(m_surface);
    if (!m_keepsSymbols || m_backgroundActive || m_symbols.known())
        return;
    startSymbolReader();
}

void Highlighter::startSymbolReader()
{
    BackgroundRender::Job job;
    job.loan = m_surface.lendText();
    job.language = m_language;
    job.symbols = SymbolScanner::modeOf(m_language, QString());
    job.colours = false;
    job.symbolsFrom = symbolsToGoOnFrom();
    m_symbolReader = std::make_unique<BackgroundRender>(std::move(job));
    m_pump->start();
}

bool Highlighter::readSymbols(std::function<void()> whenRead)
{
    // Headings pair across the whole text, and a list kept already is not read again.
    if (SymbolScanner::modeOf(m_language, QString()) != SymbolScanner::Mode::Code || !m_symbolsFollow
        || m_symbols.known())
        return false;
    m_whenSymbolsRead = std::move(whenRead);
    m_keepsSymbols = true;
    if (!m_symbolReader && !m_symbolRestart->isActive())
        startSymbolReader();
    m_pump->start();
    return true;
}

void Highlighter::takeSymbols(BackgroundRender &render)
{
    if (std::optional<SymbolReading> symbols = render.symbols()) {
        m_symbols.set(std::move(*symbols), render.language(), SymbolScanner::modeOf(render.language(), QString()),
                      m_surface);
        m_keepsSymbols = true;
    }
}

void Highlighter::stoppedSymbolReading(const BackgroundRender *render)
{
    m_stoppedSymbols = render;
    m_symbolProgress.reset();
}

void Highlighter::collectSymbolProgress()
{
    if (!m_stoppedSymbols)
        return;
    for (const std::unique_ptr<BackgroundRender> &render : m_retired) {
        if (render && render.get() == m_stoppedSymbols && render->workerEnded()) {
            m_symbolProgress = render->takeSymbolProgress();
            m_stoppedSymbols = nullptr;
        }
    }
}

std::shared_ptr<const BackgroundRender::SymbolProgress> Highlighter::symbolsToGoOnFrom()
{
    // A reading still under way has nothing to give: the new one reads everything.
    collectSymbolProgress();
    std::shared_ptr<const BackgroundRender::SymbolProgress> from;
    // Without the lines of each change there is no telling what still stands.
    if (m_symbolProgress && !m_stoppedSymbols && m_symbolsFollow) {
        // The line before the first change is read again too, for safety.
        if (std::optional<BackgroundRender::SymbolProgress> kept = m_symbolProgress->before(m_changedSinceSymbols - 1))
            from = std::make_shared<const BackgroundRender::SymbolProgress>(std::move(*kept));
    }
    m_symbolProgress.reset();
    m_stoppedSymbols = nullptr;
    m_changedSinceSymbols = INT_MAX;
    return from;
}

void Highlighter::pump()
{
    collectSymbolProgress();
    std::erase_if(m_retired, [](const std::unique_ptr<BackgroundRender> &r) { return !r || r->workerEnded(); });
    if (m_symbolReader && m_symbolReader->workerEnded()) {
        takeSymbols(*m_symbolReader);
        m_symbolReader.reset();
        if (m_whenSymbolsRead && m_symbols.known())
            std::exchange(m_whenSymbolsRead, {})();
    }
    if (!m_background) {
        if (nothingElsePending())
            m_pump->stop();
        return;
    }
    // Pieces go in as they are ready, a few milliseconds' worth per tick: the window takes keys and
    // paints between ticks, and finished pieces never pile up in memory.
    QElapsedTimer spent;
    spent.start();
    takeReading();
    askForView();
    while (spent.elapsed() < ApplySliceMs) {
        std::optional<BackgroundRender::Piece> piece = m_background->take();
        if (!piece)
            break;
        applyPiece(*piece);
    }
    if (m_background->done()) {
        takeSymbols(*m_background);
        m_background.reset();
        endBackground();
    } else if (m_background->onDemand() && m_background->settled()) {
        settleBackground();
        if (nothingElsePending())
            m_pump->stop();
    }
}

void Highlighter::applyPiece(const BackgroundRender::Piece &piece)
{
    if (piece.start <= m_colouredUnits)
        m_colouredUnits = std::max(m_colouredUnits, piece.start + int(piece.styles.size()));
    m_surface.applyStyleBuffer(piece.start, HighlightFormats::paletteIndices(piece.styles), m_palette);
}

void Highlighter::settleBackground()
{
    // A reading of the kept symbols put off while the render ran.
    if (m_keepsSymbols && !m_symbols.known() && !m_symbolReader && !m_symbolRestart->isActive())
        m_symbolRestart->start();
    leaveRendering();
}

void Highlighter::leaveRendering()
{
    if (!m_backgroundActive)
        return;
    m_backgroundActive = false;
    m_host.setHintCaption(m_backgroundHint);
    m_host.enableToolTipTimer();
}

bool Highlighter::nothingElsePending() const
{
    return m_retired.empty() && !m_restart->isActive() && !m_symbolReader && !m_symbolRestart->isActive();
}

std::pair<int, int> Highlighter::wantedUnits() const
{
    const auto [first, last] = m_surface.linesAroundView();
    const int to = last + 1 >= m_surface.lineCount() ? m_surface.textLength() : m_surface.lineIndex(last + 1);
    return {std::max(0, m_surface.lineIndex(first)), to};
}

bool Highlighter::askForView()
{
    if (!m_background || !m_background->onDemand())
        return false;
    const auto [from, to] = wantedUnits();
    m_background->want(from, to);
    return true;
}

void Highlighter::viewMoved()
{
    m_folds->viewMoved();
    if (askForView() && !m_pump->isActive())
        m_pump->start();
}

void Highlighter::colourNow(int start, int length)
{
    // A render waiting for the typing to pause would give the styles of this text.
    if (m_restart->isActive()) {
        m_restart->stop();
        restartBackground();
    }
    if (!m_background || !m_background->onDemand() || length <= 0)
        return;
    m_background->want(start, start + length);
    takeReading();
    while (!m_background->settled()) {
        if (std::optional<BackgroundRender::Piece> piece = m_background->takeWaiting(50))
            applyPiece(*piece);
    }
    // The view's pieces are asked for again on the next tick.
    if (!m_pump->isActive())
        m_pump->start();
}

void Highlighter::takeReading()
{
    if (m_readingTaken || !m_background)
        return;
    // Pieces come only after the reading: none of this render's was applied before it.
    if (std::optional<BackgroundRender::Reading> reading = m_background->reading()) {
        m_readingTaken = true;
        m_colouredUnits = reading->keptUnits;
        m_colouredComments = std::move(reading->comments);
    }
}

void Highlighter::endBackground()
{
    // Nothing starts again once the render is over: its comments need not be held, nor followed.
    m_colouredUnits = 0;
    m_colouredComments.reset();
    leaveRendering();
}

void Highlighter::noteChange()
{
    // A surface that does not say which lines changed leaves nothing to follow the change by.
    if (!m_symbolsFollow) {
        forgetSymbols();
        m_colouredUnits = 0;
    }
    // A render on demand that gave what was shown is still to colour the rest as it comes into view.
    if (!m_backgroundActive && !m_background)
        return;
    stopBackground();
    m_restart->start();
}

void Highlighter::restartBackground()
{
    // The document may have lost its language or its colouring meanwhile (a new file, the
    // no-highlighting command).
    if (m_flags.highlightingDeclined || !m_language.languageActive || !m_settings.enableSyntaxHighlightning) {
        endBackground();
        return;
    }
    m_resuming = true;
    renderRange(1, 0);
    m_resuming = false;
}

RenderResult Highlighter::renderRange(int start, int length, bool focusReplaceDialog)
{
    RenderResult result;
    // A whole-document render follows a new language: the folds follow it too.
    if (length <= 0)
        m_folds->languageChanged();
    if (m_flags.highlightingDeclined) {
        result.outcome = RenderResult::Outcome::Declined;
        return result;
    }
    const int textLength = m_surface.textLength();
    if (length <= 0 && start <= 1 && m_host.background() && textLength >= m_backgroundThreshold) {
        startBackground(m_resuming);
        if (focusReplaceDialog)
            m_host.focusReplaceDialog();
        else
            m_surface.setFocus();
        result.outcome = RenderResult::Outcome::Started;
        result.length = textLength;
        result.wholeDocument = true;
        return result;
    }
    // A render of the whole text in one go supersedes one under way.
    if (length <= 0)
        forgetSymbols();
    if (length <= 0 && (m_backgroundActive || m_background)) {
        stopBackground();
        endBackground();
    }
    if (length <= 0)
        stoppedSymbolReading(nullptr);
    result.wholeDocument = length <= 0;
    const QString savedHint = m_host.hintCaption();
    // Only a whole-document render lets the window paint while it runs: a line's would put the
    // caption up and take it down unseen, laying the status bar out twice on every key.
    if (result.wholeDocument)
        m_host.setHintCaption(RenderingCaption);

    if (result.wholeDocument)
        length = textLength - start + 1;
    start = std::max(start, 1);
    // A range that runs past the end simply has a shorter subject.
    length = std::clamp(length, 0, std::max(0, textLength - (start - 1)));
    result.start = start;
    result.length = length;

    {
        // Only whole-document renders let events run, so only they need the surface locked.
        SurfaceLock lock(m_surface, result.wholeDocument);
        QString subject = (start == 1 && length == textLength) ? m_surface.text()
                                                                : m_surface.textRange(start - 1, length);
        RenderClock clock;
        if (result.wholeDocument && m_host.yields())
            clock = RenderClock([this] { m_host.yield(); }, [this, textLength] { return m_surface.textLength() == textLength; },
                                m_host.yieldIntervalMs());

        std::optional<StyleBuffer> styles;
        if (m_language.markup)
            styles = MarkupHighlighter(m_language.stringChar, m_settings.HighLightNumbers, m_engine)
                         .styles(subject, clock);
        else
            styles = CodeHighlighter(m_language, m_settings.HighLightNumbers, m_engine)
                         .styles(std::move(subject), clock);

        if (styles) {
            const HighlightFormats formats(m_settings, m_surface.defaultFormat());
            m_surface.applyStyleBuffer(start - 1, HighlightFormats::paletteIndices(*styles), formats.palette());
        } else {
            result.outcome = RenderResult::Outcome::Stopped;
        }
    }
    finish(focusReplaceDialog, savedHint);
    return result;
}

void Highlighter::clearHighlighting()
{
    forgetSymbols();
    stoppedSymbolReading(nullptr);
    stopBackground();
    endBackground();
    {
        SurfaceLock lock(m_surface, true);
        const HighlightFormats formats(m_settings, m_surface.defaultFormat());
        m_surface.applyFormatRuns(0, {FormatRun{m_surface.textLength(), formats.format(TokenStyle::Plain)}});
    }
    m_surface.setFocus();
}

void Highlighter::finish(bool focusReplaceDialog, const QString &savedHint)
{
    if (focusReplaceDialog)
        m_host.focusReplaceDialog();
    else
        m_surface.setFocus();
    m_host.setHintCaption(savedHint);
    m_host.enableToolTipTimer();
}
