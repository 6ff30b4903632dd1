#pragma once

#include "FoldScanner.h"

#include <QElapsedTimer>
#include <QMetaObject>

#include <memory>

class EditorSurface;
class QTimer;
struct LanguageDefinition;

// Keeps the fold levels of the document's lines up to date. A change reads its lines again and
// goes on down the document only as far as the levels differ from before; a new document or
// language reads every line. Only the lines near a change are read at once: the rest (a brace
// left open shifts every line below it) waits for a pause in typing and is read in slices between
// the window's events, so no key pays for the length of the document. Folding reads them all first.
// A long document is read through but its levels are given to the widget only where they are
// shown (and at the end of each stretch read, for a later reading to start from): the rest is
// given when it comes into view, or when a fold needs it.
class FoldUpdater {
public:
    FoldUpdater(EditorSurface &surface, const LanguageDefinition &language);
    ~FoldUpdater();
    FoldUpdater(const FoldUpdater &) = delete;
    FoldUpdater &operator=(const FoldUpdater &) = delete;

    // Reads every line again when the language's rules for blocks changed.
    void languageChanged();
    // Reads the lines still waiting now: before folding all of the document.
    void finish();
    bool pending() const { return m_next >= 0 || m_frontier >= 0; }
    // The view moved: lines it shows that were left out are read now.
    void viewMoved();
    // Documents of at least this many lines are read as above, given only where needed. Below it
    // every level is given at once (about a third of a second per million lines), so that a fold
    // of the whole document finds them in place.
    void setSparseLines(int lines) { m_sparseLines = lines; }
    // How long one slice may take, and how long typing must pause before lines far from a change
    // are read.
    void setSliceMs(int ms) { m_sliceMs = ms; }
    void setPauseMs(int ms) { m_pauseMs = ms; }

    const FoldScanner &scanner() const { return m_scanner; }

private:
    void linesChanged(int first, int last);
    // Every line is to be read from the first: a new language, or a new text.
    void readAll();
    // The state before line, reading the lines left out above it first.
    int stateBefore(int line);
    // Gives the lines first to last their levels if any was left out, reading from the nearest
    // line above that has one.
    void fill(int first, int last);
    // Gives every line of the block the header opens its level, for the widget to fold it.
    void readBlock(int header);
    // The folds of count lines from line on, read from state; state is then the last one's.
    std::vector<LineFold> scanLines(int line, int count, int &state) const;
    void schedule();
    // Reads lines until done or until the time is up.
    void work(qint64 budgetMs, bool all = false);
    // True when lines far from the last change may be read now; else the timer waits for the pause.
    bool mayReadFar();
    // Reads on from line: true when the reading came to its end. A full reading reads every line;
    // else it ends where the levels stop changing.
    bool workBlocks(int &line, int count, bool full, int limit);
    bool workIndent(int &line, int count, bool full);
    // Stores the folds from line on; unless full, it stops at the first one past m_until that is
    // stored already (or not read yet) and is then true.
    bool store(int line, std::vector<LineFold> folds, bool full);
    bool storeSparse(int line, const std::vector<LineFold> &folds, bool full);

    EditorSurface &m_surface;
    FoldSurface *m_folds;
    const LanguageDefinition &m_language;
    FoldScanner m_scanner;
    // The first changed line to read again, -1 when none; the reading goes on at least past m_until.
    int m_next = -1;
    int m_until = -1;
    // Lines up to here are near the change and read at once.
    int m_near = -1;
    // Lines from here on have not been read since the language changed; -1 when all have.
    int m_frontier = -1;
    int m_lineCount = 0;
    // Lines may have been left out; they are read when needed.
    bool m_sparse = false;
    int m_sparseLines = 2000000;
    int m_sliceMs = 4;
    int m_pauseMs = 250;
    QElapsedTimer m_sinceChange;
    std::unique_ptr<QTimer> m_timer;
    QMetaObject::Connection m_connection;
    std::shared_ptr<const int> m_alive = std::make_shared<const int>(0);
};
