#pragma once

#include "BackgroundRender.h"
#include "DocumentLanguageFlags.h"
#include "HighlightPasses.h"
#include "LanguageDefinition.h"
#include "SymbolIndex.h"

#include <QMetaObject>
#include <QString>

#include <climits>
#include <functional>
#include <memory>
#include <vector>

class FoldUpdater;
class EditorSurface;
class QTimer;
struct Settings;

// What the main window lends a render: the hint label, the tool-tip timer, the event loop and
// the replace dialog. Each operation does nothing by default.
class HighlightHost {
public:
    virtual ~HighlightHost() = default;

    virtual QString hintCaption() const { return {}; }
    virtual void setHintCaption(const QString &caption) { (void)caption; }
    virtual void enableToolTipTimer() {}
    // True when yield() runs the window's pending events; whole-document renders then call it about
    // every yieldIntervalMs().
    virtual bool yields() const { return false; }
    virtual void yield() {}
    virtual int yieldIntervalMs() const { return 30; }
    virtual void focusReplaceDialog() {}
    // Whole-document renders of large documents run off the user-interface thread: the window
    // takes keys and paints while they run.
    virtual bool background() const { return false; }
};

struct RenderResult {
    enum class Outcome {
        Rendered,
        Declined,   // the user refused colouring this document
        Stopped,    // the document changed while the render let events run; nothing was applied
        Started,    // the render goes on in the background
    };
    Outcome outcome = Outcome::Rendered;
    int start = 1;      // 1-based, as used
    int length = 0;     // the length actually used
    bool wholeDocument = false;
};

// Render range: colours a range of the document, or all of it, for the current language. The
// passes compute a style per character into a buffer; the surface receives that buffer in one call.
class Highlighter {
public:
    Highlighter(EditorSurface &surface, const Settings &settings, const LanguageDefinition &language,
                const DocumentLanguageFlags &flags, HighlightHost *host = nullptr);
    ~Highlighter();
    Highlighter(const Highlighter &) = delete;
    Highlighter &operator=(const Highlighter &) = delete;

    static const QString RenderingCaption;

    // start is 1-based; a length of 0 or less means up to the end of the document and makes the call
    // a whole-document one, which yields to the event loop while it works.
    RenderResult renderRange(int start, int length, bool focusReplaceDialog = false);
    RenderResult renderDocument() { return renderRange(1, 0); }
    // The no-highlighting command after the caller loaded no language: the whole text in the plain
    // text style (colour, bold and italic, so no bold keyword or italic comment is left), selection kept.
    void clearHighlighting();

    // True while a whole-document render is still under way (in the background, or about to
    // start again after an edit).
    bool isRendering() const;
    // Every change of the text: a background render of the old text stops, and starts again over
    // the new text once the typing pauses.
    void noteChange();
    // Documents of at least this many characters render in the background (when the host allows).
    void setBackgroundThreshold(int characters) { m_backgroundThreshold = characters; }
    // How long the typing must pause before a stopped background render starts again.
    void setRestartDelay(int ms);
    // Documents of at least this many characters are coloured where they are shown (and where
    // their styles are read), the rest when it comes into view.
    void setOnDemandThreshold(int characters) { m_onDemandThreshold = characters; }
    // The size of the pieces a background render colours at a time.
    void setPieceBytes(qsizetype bytes) { m_pieceBytes = bytes; }
    // The view moved: a document coloured where shown is coloured there too.
    void viewMoved();

    EditorSurface &surface() const { return m_surface; }
    // The fold levels of the lines, read with the language's rules as the text changes.
    FoldUpdater &folds() const { return *m_folds; }
    // The document's functions, classes and sections, read by the background colouring and kept
    // current as the text changes.
    SymbolIndex &symbols() { return m_symbols; }
    // Reads the symbols on a worker from the document's own text and keeps them, then calls
    // whenRead; false when there is nothing to read that way (headings, or a list kept already).
    bool readSymbols(std::function<void()> whenRead);
    // Tests run every pass through the pattern engine to compare it with the scanners.
    void setEngine(HighlightPasses::Engine engine) { m_engine = engine; }

private:
    void finish(bool focusReplaceDialog, const QString &savedHint);
    void startBackground(bool resume = false);
    void stopBackground();
    // Follows how far the running render's styles reach without a gap from the start.
    void takeReading();
    void pump();
    void restartBackground();
    void endBackground();
    // A render on demand gave what was asked: the document counts as rendered until more is shown.
    void settleBackground();
    // The document counts as rendered: the caption and tool tips are back.
    void leaveRendering();
    // Nothing but the background render keeps the pump going.
    bool nothingElsePending() const;
    // A render on demand is asked for what the view shows; false when there is none.
    bool askForView();
    void applyPiece(const BackgroundRender::Piece &piece);
    // The offsets of the lines from a screen above the view to a screen below it.
    std::pair<int, int> wantedUnits() const;
    // The styles of these characters are about to be read: they are coloured first.
    void colourNow(int start, int length);
    // The kept symbols were dropped by a change they could not follow: read them again on a worker
    // once the typing pauses.
    void rereadSymbols();
    void startSymbolReader();
    void forgetSymbols();
    void takeSymbols(BackgroundRender &render);
    // A symbol reading a change stopped: what it read before the change, for the next reading
    // to go on from.
    void stoppedSymbolReading(const BackgroundRender *render);
    void collectSymbolProgress();
    std::shared_ptr<const BackgroundRender::SymbolProgress> symbolsToGoOnFrom();

    EditorSurface &m_surface;
    const Settings &m_settings;
    const LanguageDefinition &m_language;
    const DocumentLanguageFlags &m_flags;
    HighlightHost &m_host;
    HighlightPasses::Engine m_engine = HighlightPasses::Engine::Fast;
    int m_backgroundThreshold = 1 << 20;
    int m_onDemandThreshold = 16 << 20;
    qsizetype m_pieceBytes = qsizetype(1) << 19;
    std::unique_ptr<FoldUpdater> m_folds;
    std::unique_ptr<BackgroundRender> m_background;
    // Stopped renders whose workers have not ended yet; joined once they have.
    std::vector<std::unique_ptr<BackgroundRender>> m_retired;
    std::vector<CharFormat> m_palette;
    std::unique_ptr<QTimer> m_pump;
    std::unique_ptr<QTimer> m_restart;
    bool m_backgroundActive = false;
    bool m_resuming = false;
    // The styles before this offset came from renders of the text as it is there, which found
    // these comments: a render started again after a change leaves them standing.
    int m_colouredUnits = 0;
    std::shared_ptr<const BackgroundRender::CommentRanges> m_colouredComments;
    bool m_readingTaken = false;
    QString m_backgroundHint;
    SymbolIndex m_symbols;
    QMetaObject::Connection m_symbolsFollow;
    // Whether the colouring keeps the symbols of this text (a whole-document render in the background left them).
    bool m_keepsSymbols = false;
    std::unique_ptr<BackgroundRender> m_symbolReader;
    std::function<void()> m_whenSymbolsRead;
    std::shared_ptr<const int> m_alive = std::make_shared<const int>(0);
    std::unique_ptr<QTimer> m_symbolRestart;
    const BackgroundRender *m_stoppedSymbols = nullptr;     // retired, its progress not taken yet
    std::optional<BackgroundRender::SymbolProgress> m_symbolProgress;
    int m_changedSinceSymbols = INT_MAX;   // the first line changed since their reading's text
};
