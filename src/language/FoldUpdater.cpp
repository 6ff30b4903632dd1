#include "FoldUpdater.h"

#include "EditorSurface.h"
#include "LanguageDefinition.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

constexpr int ChunkLines = 2048;
// Lines below a change read with the key that made it: more than a screen holds.
constexpr int NearLines = 300;
// How far back a change looks for the line whose block it may end (indentation).
constexpr int LookBack = 10000;

} // namespace

FoldUpdater::FoldUpdater(EditorSurface &surface, const LanguageDefinition &language)
    : m_surface(surface), m_folds(surface.folding()), m_language(language), m_scanner(language),
      m_timer(std::make_unique<QTimer>())
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(0);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { work(m_sliceMs); });
    if (!m_folds)
        return;
    m_connection = m_folds->onLinesChanged([this](int first, int last) { linesChanged(first, last); });
    // The surface may outlive this reader: the hook asks whether it is still there.
    m_folds->beforeMarginClick([this, alive = std::weak_ptr<const int>(m_alive)](int line, bool everyBlock) {
        if (!alive.lock())
            return;
        if (everyBlock)
            finish();
        else
            readBlock(line);
    });
}

FoldUpdater::~FoldUpdater()
{
    QObject::disconnect(m_connection);
}

void FoldUpdater::languageChanged()
{
    FoldScanner scanner(m_language);
    if (scanner == m_scanner || !m_folds)
        return;
    m_scanner = std::move(scanner);
    readAll();
}

void FoldUpdater::readAll()
{
    m_sinceChange.invalidate();
    m_next = -1;
    m_lineCount = m_folds->lineCount();
    // Lines no one gave a level show no fold, which is what a language without blocks gives.
    const bool blank = !m_folds->hasFolds();
    if (blank && m_scanner.mode() == FoldScanner::Mode::None) {
        m_frontier = -1;
        m_sparse = false;
        return;
    }
    // Only a text without levels can leave lines out: a left-out line must not keep an old level.
    m_sparse = blank && m_scanner.mode() != FoldScanner::Mode::Indent && m_lineCount >= m_sparseLines;
    m_frontier = 0;
    schedule();
}

void FoldUpdater::finish()
{
    languageChanged();
    if (m_sparse) {
        m_sparse = false;
        m_frontier = 0;
    }
    work(std::numeric_limits<qint64>::max(), true);
}

void FoldUpdater::viewMoved()
{
    if (!m_sparse)
        return;
    const auto [first, last] = m_surface.linesAroundView();
    fill(first, last);
}

int FoldUpdater::stateBefore(int line)
{
    if (line <= 0)
        return 0;
    LineFold before = m_folds->lineFold(line - 1);
    if (!before.read()) {
        fill(line - 1, line - 1);
        before = m_folds->lineFold(line - 1);
    }
    return before.read() ? before.state : 0;
}

std::vector<LineFold> FoldUpdater::scanLines(int line, int count, int &state) const
{
    const QByteArrayView bytes = m_folds->lineBytes(line, line + count - 1);
    qsizetype at = 0;
    std::vector<LineFold> folds;
    folds.reserve(std::size_t(count));
    for (int l = 0; l < count; ++l) {
        const FoldScanner::Line scanned = m_scanner.scan(FoldScanner::nextLine(bytes, at), state);
        state = scanned.state;
        folds.push_back(FoldScanner::foldOf(scanned));
    }
    return folds;
}

void FoldUpdater::fill(int first, int last)
{
    if (!m_sparse || !m_folds)
        return;
    // Lines the first reading has not reached get their levels from it.
    last = std::min(last, (m_frontier >= 0 ? m_frontier : m_folds->lineCount()) - 1);
    int from = std::max(0, first);
    while (from <= last && m_folds->lineFold(from).read())
        ++from;
    if (from > last)
        return;
    // Each stretch a reading went through ends on a line with its level, so this is near.
    while (from > 0 && !m_folds->lineFold(from - 1).read())
        --from;
    int state = stateBefore(from);
    for (int line = from; line <= last;) {
        const int count = std::min(ChunkLines, last - line + 1);
        m_folds->setLineFolds(line, scanLines(line, count, state));
        line += count;
    }
}

void FoldUpdater::readBlock(int header)
{
    if (!m_sparse || !m_folds || header < 0)
        return;
    if (m_frontier >= 0) {
        // The state above it may not be read yet.
        finish();
        return;
    }
    const int count = m_folds->lineCount();
    int state = stateBefore(header);
    int headerLevel = -1;
    const auto number = [](const LineFold &fold) { return fold.level & FoldLevel::NumberMask; };
    for (int line = header; line < count;) {
        std::vector<LineFold> folds = scanLines(line, std::min(ChunkLines, count - line), state);
        std::size_t end = folds.size();
        bool ended = false;
        for (std::size_t k = 0; k < folds.size() && !ended; ++k) {
            if (line + int(k) == header) {
                headerLevel = number(folds[k]);
                ended = !(folds[k].level & FoldLevel::Header);
            } else {
                // The block ends at the first line with text outside it.
                ended = !(folds[k].level & FoldLevel::White) && number(folds[k]) <= headerLevel;
            }
            if (ended)
                end = k + 1;
        }
        folds.resize(end);
        m_folds->setLineFolds(line, folds);
        line += int(end);
        if (ended)
            break;
    }
}

void FoldUpdater::schedule()
{
    m_timer->start(0);
}

bool FoldUpdater::mayReadFar()
{
    if (!m_sinceChange.isValid() || m_sinceChange.elapsed() >= m_pauseMs)
        return true;
    m_timer->start(int(m_pauseMs - m_sinceChange.elapsed()));
    return false;
}

void FoldUpdater::linesChanged(int first, int last)
{
    if (m_scanner.mode() == FoldScanner::Mode::None && !pending())
        return;
    const int count = m_folds->lineCount();
    if (first == 0 && last >= count - 1 && !m_folds->hasFolds()) {
        // A new text.
        readAll();
        return;
    }
    const int added = count - m_lineCount;
    m_lineCount = count;
    // Lines inserted or removed above a place still to read move it.
    const auto follow = [first, added](int &line) {
        if (line > first)
            line = std::max(first, line + added);
    };
    if (m_frontier >= 0)
        follow(m_frontier);
    if (m_near >= 0)
        follow(m_near);
    if (m_scanner.mode() == FoldScanner::Mode::Indent) {
        // The line above whose block the change may end or start.
        const int stop = std::max(0, first - LookBack);
        while (first > stop && (m_folds->lineFold(first - 1).level & FoldLevel::White))
            --first;
        first = std::max(0, first - 1);
    }
    if (m_next < 0) {
        m_next = first;
        m_until = last;
        m_near = last + NearLines;
    } else {
        follow(m_until);
        m_next = std::min(m_next, first);
        m_until = std::max(m_until, last);
        m_near = std::max(m_near, last + NearLines);
    }
    m_sinceChange.start();
    schedule();
}

void FoldUpdater::work(qint64 budgetMs, bool all)
{
    if (!m_folds)
        return;
    QElapsedTimer clock;
    clock.start();
    const int count = m_folds->lineCount();
    m_lineCount = count;
    // A change is read first, as far as it changes anything; then the lines never read yet.
    while (pending()) {
        const bool full = m_next < 0;
        int &cursor = full ? m_frontier : m_next;
        int line = std::clamp(cursor, 0, count);
        if (!full && m_frontier >= 0 && line >= m_frontier) {
            m_next = -1;
            continue;
        }
        const bool far = full || line > m_near;
        if (far && !all && !mayReadFar())
            return;
        const bool indent = m_scanner.mode() == FoldScanner::Mode::Indent;
        const int limit = far ? count - 1 : m_near;
        const bool ended = line >= count || (indent ? workIndent(line, count, full) : workBlocks(line, count, full, limit));
        cursor = ended ? -1 : line;
        if (pending() && clock.elapsed() >= budgetMs) {
            schedule();
            return;
        }
    }
}

bool FoldUpdater::store(int line, std::vector<LineFold> folds, bool full)
{
    if (m_sparse)
        return storeSparse(line, folds, full);
    if (!full) {
        for (std::size_t k = 0; k < folds.size(); ++k) {
            const int at = line + int(k);
            if (at > m_until && (m_folds->lineFold(at) == folds[k] || (m_frontier >= 0 && at >= m_frontier))) {
                folds.resize(k);
                m_folds->setLineFolds(line, folds);
                return true;
            }
        }
    }
    m_folds->setLineFolds(line, folds);
    return false;
}

bool FoldUpdater::storeSparse(int line, const std::vector<LineFold> &folds, bool full)
{
    const auto [wantFirst, wantLast] = m_surface.linesAroundView();
    std::vector<LineFold> run;
    int runStart = 0;
    const auto flush = [&] {
        if (!run.empty())
            m_folds->setLineFolds(runStart, run);
        run.clear();
    };
    for (std::size_t k = 0; k < folds.size(); ++k) {
        const int at = line + int(k);
        const bool past = !full && at > m_until;
        if (past && m_frontier >= 0 && at >= m_frontier) {
            flush();
            return true;
        }
        const LineFold kept = m_folds->lineFold(at);
        bool give = false;
        if (kept.read()) {
            // A line that keeps its level past the change: nothing below it changes.
            if (past && kept == folds[k]) {
                flush();
                return true;
            }
            give = kept != folds[k];
        } else {
            // The last line of a stretch is where the next reading starts from.
            give = k + 1 == folds.size() || (at >= wantFirst && at <= wantLast);
        }
        if (give) {
            if (run.empty())
                runStart = at;
            run.push_back(folds[k]);
        } else {
            flush();
        }
    }
    flush();
    return false;
}

bool FoldUpdater::workBlocks(int &line, int count, bool full, int limit)
{
    int state = stateBefore(line);
    const int last = std::min({count - 1, line + ChunkLines - 1, std::max(line, limit)});
    std::vector<LineFold> folds = scanLines(line, last - line + 1, state);
    const bool converged = store(line, std::move(folds), full);
    line = last + 1;
    return converged || line >= count;
}

bool FoldUpdater::workIndent(int &line, int count, bool full)
{
    int state = stateBefore(line);
    std::vector<FoldScanner::Line> lines;
    // Reads on until a line with text after the first one says where their blocks end.
    for (int from = line;;) {
        const int last = std::min(count - 1, from + ChunkLines - 1);
        const QByteArrayView bytes = m_folds->lineBytes(from, last);
        qsizetype at = 0;
        for (int l = from; l <= last; ++l) {
            lines.push_back(m_scanner.scan(FoldScanner::nextLine(bytes, at), state));
            state = lines.back().state;
        }
        from = last + 1;
        std::size_t next = lines.size();
        while (next > 1 && lines[next - 1].white)
            --next;
        --next;
        const bool end = from >= count;
        if (!end && next == 0)
            continue;
        const std::size_t settled = end ? lines.size() : next;
        std::vector<LineFold> folds(settled);
        lines.resize(end ? lines.size() : next + 1);
        const int nextIndent = end ? 0 : lines.back().level;
        lines.resize(settled);
        FoldScanner::settleIndent(folds, lines, nextIndent);
        const bool converged = store(line, std::move(folds), full);
        line += int(settled);
        return converged || end;
    }
}
