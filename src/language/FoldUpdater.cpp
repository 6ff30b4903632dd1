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
    if (m_folds)
        m_connection = m_folds->onLinesChanged([this](int first, int last) { linesChanged(first, last); });
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
    m_sinceChange.invalidate();
    m_scanner = std::move(scanner);
    m_next = -1;
    m_frontier = 0;
    m_lineCount = m_folds->lineCount();
    schedule();
}

void FoldUpdater::finish()
{
    languageChanged();
    work(std::numeric_limits<qint64>::max(), true);
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

bool FoldUpdater::workBlocks(int &line, int count, bool full, int limit)
{
    int state = line == 0 ? 0 : m_folds->lineFold(line - 1).state;
    const int last = std::min({count - 1, line + ChunkLines - 1, std::max(line, limit)});
    const QByteArrayView bytes = m_folds->lineBytes(line, last);
    qsizetype at = 0;
    std::vector<LineFold> folds;
    folds.reserve(std::size_t(last - line + 1));
    for (int l = line; l <= last; ++l) {
        const FoldScanner::Line scanned = m_scanner.scan(FoldScanner::nextLine(bytes, at), state);
        state = scanned.state;
        folds.push_back(FoldScanner::foldOf(scanned));
    }
    const bool converged = store(line, std::move(folds), full);
    line = last + 1;
    return converged || line >= count;
}

bool FoldUpdater::workIndent(int &line, int count, bool full)
{
    int state = line == 0 ? 0 : m_folds->lineFold(line - 1).state;
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
