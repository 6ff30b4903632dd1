#include "BackgroundRender.h"

#include "CodeHighlighter.h"
#include "MarkupHighlighter.h"
#include "RenderClock.h"
#include "UnitIndex.h"
#include "Utf8Units.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

using namespace HighlightPasses;

// A range of comment in UTF-16 offsets, [start, end).
struct Range {
    int start;
    int end;
};
// A document may hold a comment on every line: a deque grows without a doubled copy.
using Ranges = std::deque<Range>;

struct BackgroundRender::CommentRanges {
    Ranges ranges;
};

struct BackgroundRender::Shared {
    Job job;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> ended{false};
    std::atomic<bool> lost{false};
    mutable std::mutex mutex;
    std::condition_variable room;       // the worker waits here: for room, or for a piece to be asked for
    std::condition_variable news;       // the window waits here: for a piece, or for the worker to wait
    std::deque<Piece> ready;
    int wantFrom = 0;
    int wantTo = 0;
    unsigned wants = 0;                 // how often more was asked for
    bool waiting = false;               // the worker has given everything asked for
    std::optional<SymbolReading> symbols;
    SymbolProgress symbolProgress;      // the symbol reading's own until the worker ends
    std::optional<Reading> reading;
};

namespace {

// Finished pieces waiting for the window: the worker waits when the window falls this far behind,
// so the styles of a large document are never held twice.
constexpr std::size_t MaxReady = 16;

struct Span {
    qsizetype byte;
    int unit;
};

int unitsIn(const char *data, qsizetype from, qsizetype to)
{
    return int(UnitIndex::count(data + from, to - from).units);
}

// Polled by the scans of the whole text, which hold the loan of it: a key waiting to change the
// text stops them (the change starts a new render anyway).
using Stop = std::function<bool()>;

bool asciiOnly(const QByteArray &utf8, const Stop &stop)
{
    constexpr qsizetype Step = qsizetype(1) << 20;
    for (qsizetype at = 0; at < utf8.size(); at += Step) {
        if (stop())
            return false;
        if (!isAsciiBytes(utf8.constData() + at, std::min(Step, utf8.size() - at)))
            return false;
    }
    return true;
}

// Whole lines of about pieceBytes each, with their UTF-16 offsets; the last entry is the end.
std::vector<Span> layout(const QByteArray &utf8, qsizetype pieceBytes, bool ascii, const Stop &stop)
{
    const char *data = utf8.constData();
    const qsizetype n = utf8.size();
    std::vector<Span> spans{{0, 0}};
    qsizetype at = 0;
    while (at < n && !stop()) {
        qsizetype next = std::min(n, at + pieceBytes);
        if (next < n) {
            const void *lf = std::memchr(data + next, '\n', std::size_t(n - next));
            next = lf ? static_cast<const char *>(lf) - data + 1 : n;
        }
        spans.push_back({next, spans.back().unit + (ascii ? int(next - at) : unitsIn(data, at, next))});
        at = next;
    }
    return spans;
}

class ByteText {
public:
    ByteText(const QByteArray &utf8, const std::vector<Span> &spans, bool ascii, bool hyphenAsUnderscore)
        : m_data(utf8.constData()), m_size(utf8.size()), m_spans(spans), m_ascii(ascii), m_hyphen(hyphenAsUnderscore)
    {
    }

    qsizetype size() const { return m_size; }
    char at(qsizetype i) const { return m_data[i]; }

    // First occurrence of needle at or after from, reading every "-" as "_" when the word passes
    // turned them so; -1 when none.
    qsizetype find(const QByteArray &needle, qsizetype from) const
    {
        if (needle.isEmpty() || from < 0 || from > m_size)
            return -1;
        if (!m_hyphen) {
            const auto pos = std::string_view(m_data, std::size_t(m_size)).find(
                std::string_view(needle.constData(), std::size_t(needle.size())), std::size_t(from));
            return pos == std::string_view::npos ? -1 : qsizetype(pos);
        }
        if (needle.contains('-'))
            return -1;
        const auto same = [](char text, char wanted) { return (text == '-' ? '_' : text) == wanted; };
        for (qsizetype i = from; i + needle.size() <= m_size; ++i) {
            qsizetype k = 0;
            while (k < needle.size() && same(m_data[i + k], needle[k]))
                ++k;
            if (k == needle.size())
                return i;
        }
        return -1;
    }

    // Asked in increasing order as the comments are found, so each call counts on from the last.
    int unitOf(qsizetype byte) const
    {
        if (m_ascii)
            return int(byte);
        if (byte >= m_cursor.byte) {
            m_cursor.unit += unitsIn(m_data, m_cursor.byte, byte);
            m_cursor.byte = byte;
            return m_cursor.unit;
        }
        const auto it = std::upper_bound(m_spans.begin(), m_spans.end(), byte,
                                         [](qsizetype b, const Span &s) { return b < s.byte; });
        const Span &span = *(it - 1);
        return span.unit + unitsIn(m_data, span.byte, byte);
    }

private:
    const char *m_data;
    qsizetype m_size;
    const std::vector<Span> &m_spans;
    bool m_ascii;
    bool m_hyphen;
    mutable Span m_cursor{0, 0};
};

// The block comments of the code highlighter, found as it finds them on the whole subject.
Ranges blockComments(const ByteText &text, const LanguageDefinition &language, const Stop &stop)
{
    Ranges ranges;
    const QByteArray open = language.blockCommentStart.toUtf8();
    const QByteArray close = language.blockCommentEnd.toUtf8();
    if (open.isEmpty())
        return ranges;
    qsizetype p = text.find(open, 0);
    while (p >= 0 && !stop()) {
        const qsizetype q = close.isEmpty() ? -1 : text.find(close, p + open.size());
        if (q < 0)
            break;
        ranges.push_back({text.unitOf(p), text.unitOf(q + close.size())});
        p = text.find(open, q + close.size());
    }
    return ranges;
}

bool isSpace(char c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// The comments of the markup highlighter ("<!(?:--[\s\S]*?--\s*)?>\s*"), as its scanner finds them.
Ranges markupComments(const ByteText &text, const Stop &stop)
{
    Ranges ranges;
    const qsizetype n = text.size();
    const auto skipSpace = [&](qsizetype k) {
        while (k < n && isSpace(text.at(k)))
            ++k;
        return k;
    };
    bool closersLeft = true;
    qsizetype from = 0;
    while (from < n && !stop()) {
        const qsizetype i = text.find(QByteArrayLiteral("<!"), from);
        if (i < 0)
            break;
        qsizetype end = -1;
        if (i + 3 < n && text.at(i + 2) == '-' && text.at(i + 3) == '-') {
            for (qsizetype j = i + 4; closersLeft && j + 1 < n; ++j) {
                if (text.at(j) != '-' || text.at(j + 1) != '-')
                    continue;
                const qsizetype g = skipSpace(j + 2);
                if (g < n && text.at(g) == '>') {
                    end = skipSpace(g + 1);
                    break;
                }
            }
            if (end < 0)
                closersLeft = false;
        } else if (i + 2 < n && text.at(i + 2) == '>') {
            end = skipSpace(i + 3);
        }
        if (end < 0) {
            from = i + 1;
            continue;
        }
        ranges.push_back({text.unitOf(i), text.unitOf(end)});
        from = end;
    }
    return ranges;
}

void fillRanges(const Ranges &ranges, int start, StyleBuffer &styles)
{
    const int end = start + int(styles.size());
    auto it = std::upper_bound(ranges.begin(), ranges.end(), start, [](int s, const Range &r) { return s < r.end; });
    for (; it != ranges.end() && it->start < end; ++it) {
        const int from = std::max(it->start, start);
        const int to = std::min(it->end, end);
        std::fill(styles.begin() + (from - start), styles.begin() + (to - start), TokenStyle::Comment);
    }
}

// The comments of two readings agree before limit.
bool sameBefore(const Ranges &a, const Ranges &b, int limit)
{
    auto i = a.begin();
    auto j = b.begin();
    for (;; ++i, ++j) {
        const bool moreA = i != a.end() && i->start < limit;
        const bool moreB = j != b.end() && j->start < limit;
        if (moreA != moreB)
            return false;
        if (!moreA)
            return true;
        if (i->start != j->start || std::min(i->end, limit) != std::min(j->end, limit))
            return false;
    }
}

using Publish = std::function<void(BackgroundRender::Reading)>;
// The next piece to colour, of those still to do; nothing to stop.
using Choose = std::function<std::optional<std::size_t>(const std::vector<Span> &spans, const std::vector<char> &toDo)>;

// Runs the render; deliver(piece) returns false once the render is to stop. access(read) calls
// read(text) and returns false when the text is gone (it changed): the render stops then too.
// The text is read only inside access, and never while a piece waits to be delivered.
// publish hears what the render found when it first read the text.
template <typename Deliver, typename Access>
void render(const BackgroundRender::Job &job, RenderClock &clock, Deliver deliver, Access access,
            const Publish &publish = {}, const Choose &choose = {})
{
    if (!job.colours)
        return;
    const LanguageDefinition &language = job.language;
    const bool markup = language.markup;
    const bool pieces = job.engine == Engine::Fast && (markup || CodeHighlighter::linesStandAlone(language));
    bool ascii = true;
    std::vector<Span> spans;
    auto found = std::make_shared<BackgroundRender::CommentRanges>();
    Ranges &comments = found->ranges;
    const Stop stopping = [&job] { return job.loan && job.loan->ending(); };
    const bool scanned = access([&](const QByteArray &utf8) {
        ascii = asciiOnly(utf8, stopping);
        spans = layout(utf8, pieces ? std::max<qsizetype>(1, job.pieceBytes) : utf8.size() + 1, ascii, stopping);
        if (pieces) {
            const bool hyphen = (!language.keywordListText.isEmpty() && language.keywordHyphen)
                || (!language.functionListText.isEmpty() && language.functionHyphen);
            const ByteText text(utf8, spans, ascii, !markup && hyphen);
            comments = markup ? markupComments(text, stopping) : blockComments(text, language, stopping);
        }
    });
    if (!scanned)
        return;
    if (stopping()) {
        // Stopped part way, by a change about to end the loan: once it has, a read says so (and
        // tells the window the render is lost).
        while (access([](const QByteArray &) {}))
            std::this_thread::yield();
        return;
    }
    // An earlier render of the same text coloured the pieces before keptUnits: they stand as long
    // as no comment reaching into them opened, closed or moved since.
    const bool keep = pieces && job.keptUnits > 0 && job.keptComments
        && sameBefore(job.keptComments->ranges, comments, job.keptUnits);
    if (publish)
        publish({found, keep ? job.keptUnits : 0});
    const CodeHighlighter code(language, job.highlightNumbers, job.engine);
    const MarkupHighlighter tags(language.stringChar, job.highlightNumbers, job.engine);
    const std::size_t count = spans.size() - 1;
    if (count == 0)
        return;
    // The attribute pass sees a name that follows a CR LF: a piece after one reads it too, and
    // the piece before leaves those two units to it.
    const auto context = [&](const QByteArray &utf8, std::size_t k) -> qsizetype {
        const qsizetype b = spans[k].byte;
        return markup && pieces && k > 0 && b >= 2 && utf8[b - 2] == '\r' && utf8[b - 1] == '\n' ? 2 : 0;
    };
    std::size_t first = 0;
    while (first + 1 < count && spans[first + 1].unit <= job.firstUnit)
        ++first;
    std::vector<char> toDo(count, 1);
    for (std::size_t k = 0; keep && k < count && spans[k + 1].unit <= job.keptUnits; ++k)
        toDo[k] = 0;
    std::size_t step = 0;
    const auto inTurn = [&](const std::vector<Span> &, const std::vector<char> &) -> std::optional<std::size_t> {
        for (; step < count; ++step) {
            if (toDo[(first + step) % count])
                return (first + step++) % count;
        }
        return std::nullopt;
    };
    for (;;) {
        const std::optional<std::size_t> chosen = choose ? choose(spans, toDo) : inTurn(spans, toDo);
        if (!chosen)
            return;
        const std::size_t k = *chosen;
        toDo[k] = 0;
        qsizetype lead = 0;
        qsizetype nextLead = 0;
        QString subject;
        const bool read = access([&](const QByteArray &utf8) {
            lead = context(utf8, k);
            nextLead = k + 1 < count ? context(utf8, k + 1) : 0;
            const qsizetype from = spans[k].byte - lead;
            subject = utf8ToText(utf8.constData() + from, spans[k + 1].byte - from);
        });
        if (!read)
            return;
        std::optional<StyleBuffer> styles;
        if (!pieces)
            styles = markup ? tags.styles(subject, clock) : code.styles(std::move(subject), clock);
        else
            styles = markup ? tags.lineStyles(subject, clock) : code.lineStyles(subject, clock);
        if (!styles)
            return;
        const int start = spans[k].unit - int(lead);
        styles->resize(std::size_t(spans[k + 1].unit - start), TokenStyle::Plain);
        fillRanges(comments, start, *styles);
        if (k + 1 < count)
            styles->resize(styles->size() - std::size_t(nextLead));
        if (!deliver(BackgroundRender::Piece{start, std::move(*styles)}))
            return;
    }
}

// UTF-8 bytes of the first units of a text.
qsizetype utf8Bytes(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            bytes += 4, ++i;
        else
            bytes += 3;
    }
    return bytes;
}

// The symbols of the whole text, read beside its colouring from the same bytes; nothing when the
// text went away, the clock stopped the reading or it reached stopLine. Code is read a stretch of a
// megabyte or so at a time, each starting at the line of a symbol whose reading state is known (as
// the kept list is read again after an edit), so neither the window's text nor its lock is held
// long; progress tells where each stretch started, for a reading an edit stops to go on from.
template <typename Access>
std::optional<SymbolReading> readSymbols(const BackgroundRender::Job &job, RenderClock &clock, Access access,
                                         BackgroundRender::SymbolProgress &progress, int stopLine = INT_MAX)
{
    if (!job.symbols)
        return std::nullopt;
    const SymbolScanner::Mode mode = *job.symbols;
    const auto goOn = [&clock] { return clock.tick(); };
    const qsizetype Stretch = std::max<qsizetype>(1, job.symbolStretch);
    if (mode == SymbolScanner::Mode::None)
        return SymbolReading();
    if (mode != SymbolScanner::Mode::Code) {
        // Headings may pair across the whole text: read at once, when that stays small.
        constexpr qsizetype WholeAtMost = qsizetype(16) << 20;
        QString text;
        bool small = false;
        if (!access([&](const QByteArray &utf8) {
                small = utf8.size() <= WholeAtMost;
                if (small)
                    text = utf8ToText(utf8.constData(), utf8.size());
            }) || !small)
            return std::nullopt;
        std::optional<QList<Symbol>> headings = SymbolScanner::scan(text, job.language, mode, 0, goOn);
        if (!headings)
            return std::nullopt;
        return SymbolReading{{}, std::move(*headings)};
    }
    const bool braces = SymbolScanner::followsBraces(job.language, mode);
    progress = job.symbolsFrom ? *job.symbolsFrom : BackgroundRender::SymbolProgress();
    QList<SymbolSpot> &symbols = progress.symbols;
    for (qsizetype size = Stretch;;) {
        const BackgroundRender::SymbolPoint from = progress.points.back();
        if (from.line >= stopLine)
            return std::nullopt;
        QString text;
        bool last = false;
        bool beyond = false;
        qsizetype stretchBytes = 0;
        qsizetype totalBytes = 0;
        if (!access([&](const QByteArray &utf8) {
                beyond = from.byte > utf8.size();
                if (beyond)
                    return;
                qsizetype end = std::min(utf8.size(), from.byte + size);
                if (end < utf8.size()) {
                    const void *lf = std::memchr(utf8.constData() + end, '\n', std::size_t(utf8.size() - end));
                    end = lf ? static_cast<const char *>(lf) - utf8.constData() + 1 : utf8.size();
                }
                last = end >= utf8.size();
                stretchBytes = end - from.byte;
                totalBytes = utf8.size();
                text = utf8ToText(utf8.constData() + from.byte, end - from.byte);
            }))
            return std::nullopt;
        if (beyond) {
            // A place past the text's end is no place of this text: read it all.
            progress = BackgroundRender::SymbolProgress();
            continue;
        }
        std::optional<QList<Symbol>> found = SymbolScanner::scan(text, job.language, mode, from.scopes, goOn);
        if (!found)
            return std::nullopt;
        // The last symbol after the first whose state is known, on a line after the stretch's
        // first, starts the next stretch, which reads it again; the ones before it are settled.
        const auto lineStartOf = [&text](qsizetype offset) {
            while (offset > 0 && text[offset - 1] != u'\n' && text[offset - 1] != u'\r')
                --offset;
            return offset;
        };
        qsizetype anchor = -1;
        for (qsizetype i = found->size() - 1; !last && i > 0 && anchor < 0; --i) {
            if ((!braces || found->at(i).scoped) && lineStartOf(found->at(i).offset) > 0)
                anchor = i;
        }
        if (!last && anchor < 0) {
            size *= 2;
            continue;
        }
        const qsizetype keep = last ? found->size() : anchor;
        // A list that grows one by one copies itself as it goes: a million symbols would need
        // their space three times over at the last copy. The first stretch tells about how many
        // there will be; what is set aside and never written takes no memory.
        if (from.byte == 0 && !last && stretchBytes > 0)
            symbols.reserve(qsizetype(double(keep) * double(totalBytes) / double(stretchBytes) * 1.5) + 64);
        for (qsizetype i = 0; i < keep; ++i) {
            SymbolSpot s = SymbolSpot::of(found->at(i));
            s.offset += from.unit;
            s.line += from.line;
            symbols << s;
        }
        if (last) {
            SymbolReading reading{std::move(symbols), {}};
            progress = BackgroundRender::SymbolProgress();
            return reading;
        }
        const Symbol &next = found->at(anchor);
        const qsizetype lineStart = lineStartOf(next.offset);
        progress.points.push_back({from.byte + utf8Bytes(QStringView(text).left(lineStart)), from.unit + int(lineStart),
                                   from.line + next.line - 1, braces ? next.level : 0, symbols.size()});
        size = Stretch;
    }
}

// Reads the job's own copy, or its loan of the text while that stands.
bool accessText(const BackgroundRender::Job &job, const std::function<void(const QByteArray &)> &read)
{
    if (job.loan)
        return job.loan->read(read);
    read(job.utf8);
    return true;
}

void takePendingText(BackgroundRender::Job &job)
{
    if (!job.pendingUtf8.valid())
        return;
    job.utf8 = job.pendingUtf8.get();
    job.pendingUtf8 = {};
}

} // namespace

BackgroundRender::BackgroundRender(Job job)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->job = std::move(job);
    // Asked for before the worker starts: a request made before it looks is not overwritten.
    m_shared->wantFrom = m_shared->job.wantFrom;
    m_shared->wantTo = m_shared->job.wantTo;
    m_thread = std::thread([shared = m_shared] {
        takePendingText(shared->job);
        RenderClock clock([] {}, [&shared] { return !shared->cancelled.load(std::memory_order_relaxed); }, 2);
        const auto access = [&shared](const std::function<void(const QByteArray &)> &read) {
            if (shared->cancelled.load(std::memory_order_relaxed))
                return false;
            if (accessText(shared->job, read))
                return true;
            // The text changed under the render: what it would give is no colouring of the
            // document, and the change that ended the loan starts a new render.
            shared->lost = true;
            return false;
        };
        // The symbols are read beside the colouring, not after it: both only read the text.
        std::optional<SymbolReading> symbols;
        std::thread symbolReader;
        const auto readAll = [&shared, &symbols, access] {
            RenderClock own([] {}, [&shared] { return !shared->cancelled.load(std::memory_order_relaxed); }, 2);
            symbols = readSymbols(shared->job, own, access, shared->symbolProgress);
        };
        if (shared->job.colours && shared->job.symbols) {
            try {
                symbolReader = std::thread(readAll);
            } catch (const std::system_error &) {
            }
        }
        Choose choose;
        if (shared->job.onDemand) {
            choose = [&shared](const std::vector<Span> &spans, const std::vector<char> &toDo) -> std::optional<std::size_t> {
                const std::size_t count = toDo.size();
                std::unique_lock lock(shared->mutex);
                for (;;) {
                    if (shared->cancelled || std::find(toDo.begin(), toDo.end(), 1) == toDo.end())
                        return std::nullopt;
                    // The piece holding the first offset asked for, and on while they hold any. A
                    // piece may start up to two units early (the name after a CR LF): asked for
                    // there, it comes too.
                    constexpr int Early = 2;
                    const int from = shared->wantFrom;
                    const int to = std::max(shared->wantTo, from + 1);
                    const auto holding = std::upper_bound(spans.begin() + 1, spans.end(), from,
                                                          [](int unit, const Span &s) { return unit < s.unit; });
                    std::size_t k = std::min<std::size_t>(std::size_t(holding - spans.begin()) - 1, count - 1);
                    for (; k < count && spans[k].unit - Early < to; ++k) {
                        if (toDo[k])
                            return k;
                    }
                    shared->waiting = true;
                    shared->news.notify_all();
                    const unsigned wants = shared->wants;
                    shared->room.wait(lock, [&] { return shared->cancelled || shared->wants != wants; });
                    shared->waiting = false;
                }
            };
        }
        render(
            shared->job, clock,
            [&shared](Piece piece) {
                {
                    std::unique_lock lock(shared->mutex);
                    shared->room.wait(lock, [&] { return shared->ready.size() < MaxReady || shared->cancelled; });
                    if (shared->cancelled)
                        return false;
                    shared->ready.push_back(std::move(piece));
                }
                shared->news.notify_all();
                return true;
            },
            access,
            [&shared](Reading reading) {
                const std::lock_guard lock(shared->mutex);
                shared->reading = std::move(reading);
            },
            choose);
        if (symbolReader.joinable())
            symbolReader.join();
        else if (!shared->cancelled && !shared->lost)
            readAll();
        if (!shared->cancelled && !shared->lost) {
            const std::lock_guard lock(shared->mutex);
            shared->symbols = std::move(symbols);
        }
        // The copy of the text is not needed any more; the window may take the last pieces later.
        shared->job.utf8 = QByteArray();
        shared->job.loan.reset();
        {
            const std::lock_guard lock(shared->mutex);
            shared->ended = true;
        }
        shared->news.notify_all();
    });
}

BackgroundRender::~BackgroundRender()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundRender::cancel()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->cancelled = true;
        m_shared->ready.clear();
    }
    m_shared->room.notify_all();
}

void BackgroundRender::want(int fromUnit, int toUnit)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->wantFrom == fromUnit && m_shared->wantTo == toUnit)
            return;
        m_shared->wantFrom = fromUnit;
        m_shared->wantTo = toUnit;
        ++m_shared->wants;
        // Not settled until the worker has looked at what is asked now.
        m_shared->waiting = false;
    }
    m_shared->room.notify_all();
}

bool BackgroundRender::onDemand() const
{
    return m_shared->job.onDemand;
}

bool BackgroundRender::settled() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->ready.empty() && (m_shared->ended || m_shared->waiting);
}

std::optional<BackgroundRender::Piece> BackgroundRender::takeWaiting(int ms)
{
    {
        std::unique_lock lock(m_shared->mutex);
        m_shared->news.wait_for(lock, std::chrono::milliseconds(ms), [this] {
            return !m_shared->ready.empty() || m_shared->ended || m_shared->waiting;
        });
    }
    return take();
}

std::optional<BackgroundRender::Piece> BackgroundRender::take()
{
    std::optional<Piece> piece;
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->ready.empty())
            return std::nullopt;
        piece = std::move(m_shared->ready.front());
        m_shared->ready.pop_front();
    }
    m_shared->room.notify_all();
    return piece;
}

bool BackgroundRender::workerEnded() const
{
    return m_shared->ended;
}

bool BackgroundRender::done() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->ended && m_shared->ready.empty() && !m_shared->lost;
}

std::optional<SymbolReading> BackgroundRender::symbols() const
{
    const std::lock_guard lock(m_shared->mutex);
    if (!m_shared->ended || m_shared->lost)
        return std::nullopt;
    return m_shared->symbols;
}

std::optional<BackgroundRender::SymbolProgress> BackgroundRender::takeSymbolProgress()
{
    const std::lock_guard lock(m_shared->mutex);
    if (!m_shared->ended || m_shared->symbolProgress.points.size() < 2)
        return std::nullopt;
    return std::exchange(m_shared->symbolProgress, SymbolProgress());
}

std::optional<BackgroundRender::SymbolProgress> BackgroundRender::SymbolProgress::before(int line) const
{
    auto point = points.end();
    while (point != points.begin() && std::prev(point)->line >= line)
        --point;
    if (point - points.begin() < 2)
        return std::nullopt;
    SymbolProgress kept;
    kept.points.assign(points.begin(), point);
    kept.symbols = symbols.first(kept.points.back().symbols);
    return kept;
}

std::variant<SymbolReading, BackgroundRender::SymbolProgress> BackgroundRender::readSymbolsNow(Job job, int stopLine)
{
    takePendingText(job);
    RenderClock clock;
    SymbolProgress progress;
    const auto access = [&job](const std::function<void(const QByteArray &)> &read) { return accessText(job, read); };
    if (std::optional<SymbolReading> reading = readSymbols(job, clock, access, progress, stopLine))
        return std::move(*reading);
    return progress;
}

std::optional<BackgroundRender::Reading> BackgroundRender::reading() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->reading;
}

const LanguageDefinition &BackgroundRender::language() const
{
    return m_shared->job.language;
}

std::vector<BackgroundRender::Piece> BackgroundRender::computeAll(Job job, std::optional<Reading> *reading)
{
    takePendingText(job);
    std::vector<Piece> pieces;
    RenderClock clock;
    const auto access = [&job](const std::function<void(const QByteArray &)> &read) { return accessText(job, read); };
    render(
        job, clock,
        [&pieces](Piece piece) {
            pieces.push_back(std::move(piece));
            return true;
        },
        access,
        [reading](Reading found) {
            if (reading)
                *reading = std::move(found);
        });
    return pieces;
}
