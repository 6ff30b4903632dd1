#pragma once

#include "EditorSurface.h"
#include "HighlightFormats.h"
#include "HighlightPasses.h"
#include "LanguageDefinition.h"
#include "SymbolScanner.h"

#include <QByteArray>

#include <climits>
#include <future>

#include <memory>
#include <optional>
#include <thread>
#include <variant>
#include <vector>

// A whole-document render off the user-interface thread. The passes run in a worker thread on a
// copy of the document's UTF-8 bytes, piece by piece of whole lines; the window takes the finished
// pieces one by one and hands them to the surface, so it keeps taking keys meanwhile. The comments
// that reach across lines are found once over the whole copy first. The styles that result are the
// ones a render of the whole text in one piece gives.
class BackgroundRender {
public:
    // Ranges of comment that reach across lines, in UTF-16 offsets, as a render found them.
    struct CommentRanges;
    // How far a reading of code's symbols got: the places it went on from, each a line's start
    // with the symbols before it settled, and those symbols.
    struct SymbolPoint {
        qsizetype byte = 0;
        int unit = 0;
        int line = 0;                   // lines before it
        int scopes = 0;                 // scopes open there
        qsizetype symbols = 0;          // symbols before it
    };
    struct SymbolProgress {
        std::vector<SymbolPoint> points{SymbolPoint{}};
        QList<SymbolSpot> symbols;
        // The same reading up to the last place before this line, which an edit at it leaves
        // standing; nothing when no place is that early but the text's start.
        std::optional<SymbolProgress> before(int line) const;
    };
    struct Job {
        QByteArray utf8;                // the render's own copy of the text
        std::shared_future<QByteArray> pendingUtf8;  // or that copy still being made: the worker waits for it
        std::shared_ptr<TextLoan> loan;  // or the document's own text, lent until it changes
        LanguageDefinition language;
        bool highlightNumbers = false;
        HighlightPasses::Engine engine = HighlightPasses::Engine::Fast;
        int firstUnit = 0;              // the piece holding this offset comes first (the visible part)
        qsizetype pieceBytes = qsizetype(1) << 19;
        // Beside the colouring, a thread of the render reads the document's symbols this way, when asked.
        std::optional<SymbolScanner::Mode> symbols;
        // Code's symbols are read this many bytes at a time (at least).
        qsizetype symbolStretch = qsizetype(1) << 20;
        bool colours = true;            // false: the symbols only
        // A reading of the same text up to its last place, which goes on from there.
        std::shared_ptr<const SymbolProgress> symbolsFrom;
        // The styles before this offset were given by an earlier render of the same text there,
        // which found these comments: the pieces before it are not given again when the
        // comments before it are still the same.
        int keptUnits = 0;
        std::shared_ptr<const CommentRanges> keptComments;
        // Only the pieces asked for are coloured, first those between these offsets; the worker
        // then waits, without work, until more is asked for (or it is cancelled). Such a render
        // gives no symbols: it ends only when cancelled.
        bool onDemand = false;
        int wantFrom = 0;
        int wantTo = 0;
    };
    struct Piece {
        int start = 0;                  // UTF-16 offset of the first style
        StyleBuffer styles;
    };

    explicit BackgroundRender(Job job);
    // Cancels and waits for the worker.
    ~BackgroundRender();
    BackgroundRender(const BackgroundRender &) = delete;
    BackgroundRender &operator=(const BackgroundRender &) = delete;

    void cancel();
    // The next finished piece, if one is ready.
    std::optional<Piece> take();
    // The same, waiting up to ms for one while the render has more to give of what was asked.
    std::optional<Piece> takeWaiting(int ms);
    // On demand: the pieces holding these offsets are to be coloured next (the ones coloured
    // already are not given again).
    void want(int fromUnit, int toUnit);
    bool onDemand() const;
    // Everything asked for was given and taken, or the worker ended.
    bool settled() const;
    // The worker has ended (finished or cancelled).
    bool workerEnded() const;
    // The worker has ended and every piece was taken.
    bool done() const;
    // Once done: the symbols of the text the render coloured, when the job asked for them.
    std::optional<SymbolReading> symbols() const;
    // Once the worker ended without finishing the symbols: how far it read them (taken once).
    std::optional<SymbolProgress> takeSymbolProgress();
    const LanguageDefinition &language() const;
    // What the render found when it first read the text: its comments, and how far the styles
    // of an earlier render stand (0: nothing kept). Nothing before that reading.
    struct Reading {
        std::shared_ptr<const CommentRanges> comments;
        int keptUnits = 0;
    };
    std::optional<Reading> reading() const;

    // The same work on the calling thread, every piece in the order the worker would give them,
    // and what it found when it first read the text.
    static std::vector<Piece> computeAll(Job job, std::optional<Reading> *reading = nullptr);
    // The job's symbols read on the calling thread, stopped at the first place on or after
    // stopLine; the whole reading when the text ends first.
    static std::variant<SymbolReading, SymbolProgress> readSymbolsNow(Job job, int stopLine = INT_MAX);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
