#include "ScintillaSurface.h"

#include "Utf8Units.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// A smaller text is copied sooner than a reader would be waited for.
constexpr qsizetype LendFrom = qsizetype(1) << 20;

// Every change but the fold levels and line states the program sets itself, a line at a time:
// reported, each would cost a signal, and a brace can change every line of a large document. A
// new level is reported as a marker change too, so markers go unreported as well: nothing here
// follows them.
constexpr long NotifiedChanges = QsciScintillaBase::SC_MODEVENTMASKALL
    & ~long(QsciScintillaBase::SC_MOD_CHANGEFOLD | QsciScintillaBase::SC_MOD_CHANGELINESTATE
            | QsciScintillaBase::SC_MOD_CHANGEMARKER);

bool isAsciiText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

ScintillaSurface::ScintillaSurface(QWidget *parent)
    : m_view(new ScintillaView(this, parent))
    , m_cells(m_view)
    , m_folds(m_view)
{
    m_read = [this](qsizetype from, qsizetype length) {
        return reinterpret_cast<const char *>(
            send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), long(length)));
    };
    m_styles.fill(CharFormat{});
    m_styleUsed[0] = true;
    for (int s = QsciScintillaBase::STYLE_DEFAULT; s <= QsciScintillaBase::STYLE_LASTPREDEFINED; ++s)
        m_styleUsed[std::size_t(s)] = true;
    m_typing = m_styles[0];

    m_view->setUtf8(true);
    m_view->setEolMode(QsciScintilla::EolWindows);
    m_view->setAutoIndent(false);
    m_view->setBraceMatching(QsciScintilla::NoBraceMatch);
    m_view->setCaretLineVisible(false);
    m_view->setIndentationsUseTabs(true);
    for (int margin = 0; margin < 5; ++margin)
        m_view->setMarginWidth(margin, 0);
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
    send(QsciScintillaBase::SCI_SETLEXER, QsciScintillaBase::SCLEX_CONTAINER);
    // Ctrl+click adds a caret, Alt+drag and Alt+Shift+arrows draw a rectangle; typing and pasting
    // reach every caret.
    send(QsciScintillaBase::SCI_SETMULTIPLESELECTION, 1);
    send(QsciScintillaBase::SCI_SETADDITIONALSELECTIONTYPING, 1);
    send(QsciScintillaBase::SCI_SETMULTIPASTE, QsciScintillaBase::SC_MULTIPASTE_EACH);
    send(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONMODIFIER, QsciScintillaBase::SCMOD_ALT);
    send(QsciScintillaBase::SCI_SETSCROLLWIDTHTRACKING, 1);
    send(QsciScintillaBase::SCI_SETSCROLLWIDTH, 1);
    send(QsciScintillaBase::SCI_SETLAYOUTCACHE, QsciScintillaBase::SC_CACHE_PAGE);
    send(QsciScintillaBase::SCI_SETTABWIDTH, 4);
    // The widget's own keys that undo, or cut, copy and rewrite lines, would change the text or the
    // clipboard behind the program's back; the window removes the keys of its commands as well.
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    for (const auto &[key, mods] : {std::pair{int(Qt::Key_Y), ctrl}, std::pair{int(Qt::Key_Y), ctrlShift},
                                    std::pair{int(Qt::Key_Backspace), Qt::KeyboardModifiers(Qt::AltModifier)},
                                    std::pair{int(Qt::Key_Backspace), Qt::AltModifier | Qt::ShiftModifier},
                                    std::pair{int(Qt::Key_L), ctrl}, std::pair{int(Qt::Key_L), ctrlShift},
                                    std::pair{int(Qt::Key_T), ctrl}, std::pair{int(Qt::Key_T), ctrlShift},
                                    std::pair{int(Qt::Key_D), ctrl}, std::pair{int(Qt::Key_U), ctrl},
                                    std::pair{int(Qt::Key_U), ctrlShift}})
        m_view->removeKeyBinding(key, mods);
    m_folds.setUp();
    send(QsciScintillaBase::SCI_SETMODEVENTMASK, NotifiedChanges);
    applyStyle(QsciScintillaBase::STYLE_DEFAULT, m_styles[0]);
    send(QsciScintillaBase::SCI_STYLECLEARALL);
    applyStyle(0, m_styles[0]);

    QObject::connect(m_view, &QsciScintillaBase::SCN_MODIFIED, m_view,
                     [this](int position, int type, const char *text, int length, int, int, int, int, int, int) {
                         onModified(position, type, text, length);
                     });
    QObject::connect(m_view, &QsciScintillaBase::SCN_UPDATEUI, m_view, [this](int updated) { onUpdateUi(updated); });
    // The program colours the text itself: the styles the widget holds are the ones to use. Left
    // unanswered, the widget asks again for every line it looks at (folding all asks once a line).
    QObject::connect(m_view, &QsciScintillaBase::SCN_STYLENEEDED, m_view,
                     [this](int) { send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(byteLength()), 0); });
    // A zoom moves the rows as a scroll does; the gutter follows both.
    QObject::connect(m_view, &QsciScintillaBase::SCN_ZOOM, m_view, [this] {
        if (m_events)
            m_events->surfaceScrolled();
    });
}

ScintillaSurface::~ScintillaSurface()
{
    settleCopies();
}

long ScintillaSurface::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_view->SendScintilla(message, wParam, lParam);
}

int ScintillaSurface::byteLength() const
{
    return int(send(QsciScintillaBase::SCI_GETLENGTH));
}

void ScintillaSurface::invalidateCaches()
{
    m_textCacheValid = false;
    m_textCache.clear();
    settleCopies();
    m_snapshot = {};
    m_fingerprint.reset();
}

void ScintillaSurface::ensureUtf16Index()
{
    if (m_utf16Index)
        return;
    // Read on both sides of the widget's gap, which then stays where it is.
    const long length = byteLength();
    const long gap = std::clamp(send(QsciScintillaBase::SCI_GETGAPPOSITION), 0L, length);
    UnitIndex::Builder builder;
    if (gap > 0)
        builder.add(m_read(0, gap), gap);
    if (length > gap)
        builder.add(m_read(gap, length - gap), length - gap);
    m_units = builder.finish();
    m_utf16Index = true;
}

long ScintillaSurface::characterStart(long bytePos) const
{
    const long length = byteLength();
    long start = bytePos;
    // The widget holds valid UTF-8: at most three continuation bytes lead back to a character's start.
    while (start > 0 && start < length && bytePos - start < 3
           && (send(QsciScintillaBase::SCI_GETCHARAT, static_cast<unsigned long>(start)) & 0xC0) == 0x80)
        --start;
    return start;
}

long ScintillaSurface::countCharacters(long fromByte, long toByte) const
{
    const long length = byteLength();
    fromByte = std::clamp(fromByte, 0L, length);
    toByte = std::clamp(toByte, fromByte, length);
    if (!m_utf16Index)
        return toByte - fromByte;
    // The characters wholly before each end; a count from inside a character starts at the next one.
    const long fromStart = characterStart(fromByte);
    const long between = long(m_units.at(characterStart(toByte), m_read).chars - m_units.at(fromStart, m_read).chars);
    return std::max(0L, between - (fromStart < fromByte ? 1 : 0));
}

ScintillaSurface::CharSpot ScintillaSurface::spotOf(int offset) const
{
    offset = std::clamp(offset, 0, textLength());
    if (!m_utf16Index)
        return {offset, offset};
    const UnitIndex::Spot spot = m_units.holding(offset, m_read);
    return {int(spot.byte), int(spot.units)};
}

int ScintillaSurface::toByte(int offset) const
{
    const CharSpot spot = spotOf(offset);
    // Between the halves of a pair: past the whole character, as the widget moves by units.
    if (spot.offset < std::clamp(offset, 0, textLength()))
        return spot.byte + utf8CharOf(static_cast<unsigned char>(
                               send(QsciScintillaBase::SCI_GETCHARAT, static_cast<unsigned long>(spot.byte)))).bytes;
    return spot.byte;
}

int ScintillaSurface::toOffset(int bytePos) const
{
    bytePos = std::clamp(bytePos, 0, byteLength());
    if (!m_utf16Index)
        return bytePos;
    return int(m_units.at(characterStart(bytePos), m_read).units);
}

QString ScintillaSurface::text() const
{
    if (!m_textCacheValid) {
        const int length = byteLength();
        const char *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        m_textCache = m_utf16Index ? utf8ToText(data, length) : QString::fromLatin1(data, length);
        m_textCacheValid = true;
    }
    return m_textCache;
}

QByteArray ScintillaSurface::textUtf8() const
{
    const int length = byteLength();
    const char *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return QByteArray::fromRawData(data, length);
}

QByteArray ScintillaSurface::textSnapshot() const
{
    return textSnapshotAsync().get();
}

std::shared_future<QByteArray> ScintillaSurface::textSnapshotAsync() const
{
    // Below this a copy takes less than a millisecond: made here, without a thread.
    constexpr qsizetype CopyAside = qsizetype(1) << 20;
    if (m_snapshot.valid())
        return m_snapshot;
    // Asking for the whole buffer moves the widget's gap to its end: from here on nothing short of
    // a change of the text moves a byte of it, and every change waits for the copy first.
    const QByteArray text = textUtf8();
    if (text.size() < CopyAside) {
        m_snapshot = madeCopy(QByteArray(text.constData(), text.size()));
    } else {
        m_snapshot = std::async(std::launch::async, [data = text.constData(), size = text.size()] {
                         return QByteArray(data, size);
                     }).share();
    }
    return m_snapshot;
}

std::shared_ptr<TextLoan> ScintillaSurface::lendText() const
{
    if (byteLength() < LendFrom)
        return std::make_shared<TextLoan>(QByteArray(textUtf8().constData(), byteLength()));
    // The whole buffer asked for once puts the widget's gap at its end: until the text changes,
    // nothing moves a byte of it.
    const QByteArray text = textUtf8();
    return keptLoan(std::make_shared<TextLoan>(text.constData(), text.size()));
}

std::shared_ptr<TextLoan> ScintillaSurface::lendTextInPieces() const
{
    const qsizetype length = byteLength();
    if (length < LendFrom)
        return lendText();
    // Read on both sides of the gap, which stays where the typing is: moving it to the end and
    // back for the next key would copy everything after it twice.
    const qsizetype gap = std::clamp<qsizetype>(send(QsciScintillaBase::SCI_GETGAPPOSITION), 0, length);
    return keptLoan(std::make_shared<TextLoan>(gap > 0 ? m_read(0, gap) : "", gap,
                                               length > gap ? m_read(gap, length - gap) : "", length - gap));
}

std::shared_ptr<TextLoan> ScintillaSurface::keptLoan(std::shared_ptr<TextLoan> loan) const
{
    // Ended by the next change of the text, before it touches a byte.
    std::erase_if(m_loans, [](const std::weak_ptr<TextLoan> &l) { return l.expired(); });
    m_loans.push_back(loan);
    return loan;
}

void ScintillaSurface::settleCopies() const
{
    if (m_snapshot.valid())
        m_snapshot.wait();
    for (const std::weak_ptr<TextLoan> &held : m_loans) {
        if (const std::shared_ptr<TextLoan> loan = held.lock())
            loan->end();
    }
    m_loans.clear();
}

int ScintillaSurface::textLength() const
{
    return m_utf16Index ? int(m_units.units()) : byteLength();
}

qint64 ScintillaSurface::utf8Size(int start, int length) const
{
    // The widget holds UTF-8: no text is read, two positions are looked up.
    if (!m_utf16Index)
        return std::clamp(start + length, 0, byteLength()) - std::clamp(start, 0, byteLength());
    return toByte(start + length) - toByte(start);
}

QString ScintillaSurface::textRange(int start, int length) const
{
    // Any offsets are valid, also between the halves of a pair: the whole characters around the
    // range are read and the units asked for cut out, as a QString's mid() would give them.
    const int total = textLength();
    start = std::clamp(start, 0, total);
    const int end = int(std::clamp<qint64>(qint64(start) + std::max(0, length), start, total));
    if (end <= start)
        return QString(u""_s);
    const CharSpot from = spotOf(start);
    const CharSpot last = spotOf(end);
    const int to = last.offset < end ? last.byte + 4 : last.byte;
    const char *data = reinterpret_cast<const char *>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from.byte), to - from.byte));
    const QString whole = m_utf16Index ? utf8ToText(data, to - from.byte) : QString::fromLatin1(data, to - from.byte);
    return whole.mid(start - from.offset, end - start);
}

void ScintillaSurface::setText(const QString &text)
{
    const QString kept = insertable(text);
    const QByteArray utf8 = kept.toUtf8();
    setTextUtf8(utf8, utf8.size() == kept.size());
}

void ScintillaSurface::setTextUtf8(const QByteArray &utf8, bool isAscii)
{
    beginBulkLoad(isAscii, utf8.size());
    appendUtf8(utf8.constData(), utf8.size());
    endBulkLoad();
}

void ScintillaSurface::beginBulkLoad(bool isAscii, qsizetype sizeHint)
{
    settleCopies();
    // The widget says nothing while it is refilled: whoever keeps bytes of the old text in it
    // (the undo history) is told here, while they are still there.
    if (byteLength() > 0) {
        m_replacingAll = true;
        Q_EMIT m_view->SCN_MODIFIED(0, QsciScintillaBase::SC_MOD_BEFOREDELETE, nullptr, byteLength(), 0, 0, 0, 0, 0, 0);
        m_replacingAll = false;
    }
    // The widget's own change notifications would convert every inserted piece to a QString.
    send(QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
    send(QsciScintillaBase::SCI_CLEARALL);
    m_folds.textCleared();
    m_utf16Index = false;
    m_units = {};
    m_loadedCopy = QByteArray();
    m_loadedUnits = {};
    // Two spare bytes: with only one, the first read of the whole text copies the document to make
    // room for its terminating NUL.
    if (sizeHint > 0)
        send(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(sizeHint + 2));
    m_bulkAscii = isAscii;
    invalidateCaches();
}

void ScintillaSurface::appendUtf8(const char *data, qsizetype length)
{
    if (length <= 0)
        return;
    m_view->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(length), data);
}

void ScintillaSurface::keepLoadedCopy(const QByteArray &copy, const TextFingerprint &fingerprint, UnitIndex units)
{
    m_loadedCopy = copy;
    m_loadedFingerprint = fingerprint;
    m_loadedUnits = std::move(units);
}

void ScintillaSurface::endBulkLoad()
{
    // The loader counted the units on its own thread; other loads count them here, in one pass.
    if (!m_bulkAscii) {
        if (m_loadedUnits.end().byte == byteLength() && m_loadedUnits.end().byte > 0) {
            m_units = std::move(m_loadedUnits);
            m_utf16Index = true;
        } else {
            ensureUtf16Index();
        }
    }
    m_loadedUnits = {};
    send(QsciScintillaBase::SCI_SETMODEVENTMASK, NotifiedChanges);
    send(QsciScintillaBase::SCI_SETSEL, 0, 0);
    m_typing = m_styles[0];
    invalidateCaches();
    if (!m_loadedCopy.isNull() && m_loadedCopy.size() == byteLength()) {
        m_snapshot = madeCopy(m_loadedCopy);
        m_fingerprint = m_loadedFingerprint;
    } else if (m_loadedCopy.isNull() && m_loadedFingerprint.size == byteLength() && byteLength() > 0) {
        // A loader that hashed what it appended keeps no copy: the widget's text is the only one.
        m_fingerprint = m_loadedFingerprint;
    }
    m_loadedFingerprint = {};
    m_loadedCopy = QByteArray();
    // Loaded without the widget's notifications: every line is new.
    emit m_view->linesChanged(0, int(send(QsciScintillaBase::SCI_GETLINECOUNT)) - 1);
    if (m_events)
        m_events->surfaceChange();
}

TextFingerprint ScintillaSurface::fingerprint() const
{
    if (!m_fingerprint) {
        const char *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        m_fingerprint = TextFingerprint::of(data, byteLength());
    }
    return *m_fingerprint;
}

int ScintillaSurface::selStart() const
{
    return toOffset(int(send(QsciScintillaBase::SCI_GETSELECTIONSTART)));
}

int ScintillaSurface::selLength() const
{
    const long start = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (!m_utf16Index)
        return int(end - start);
    return toOffset(int(end)) - toOffset(int(start));
}

void ScintillaSurface::toOneSelection()
{
    if (send(QsciScintillaBase::SCI_GETSELECTIONMODE) == QsciScintillaBase::SC_SEL_STREAM
        && send(QsciScintillaBase::SCI_GETSELECTIONS) == 1)
        return;
    // Left in rectangle mode, the next Shift+arrow would draw a rectangle from its old corner; the
    // mode change leaves arrows extending, which the cancel stops.
    send(QsciScintillaBase::SCI_SETSELECTIONMODE, QsciScintillaBase::SC_SEL_STREAM);
    send(QsciScintillaBase::SCI_CANCEL);
}

void ScintillaSurface::setSelStart(int start)
{
    toOneSelection();
    // Inside a surrogate pair the caret goes before the character, never between its halves.
    const int pos = spotOf(start).byte;
    send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(pos), pos);
    revealCaret();
    // Up, Down and a rectangle drawn from here start at this column, not at one remembered from before.
    send(QsciScintillaBase::SCI_CHOOSECARETX);
    m_typing = m_styles[0];
}

void ScintillaSurface::setSelLength(int length)
{
    toOneSelection();
    const int start = selStart();
    const long anchor = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const int end = int(std::min<qint64>(qint64(start) + std::max(0, length), textLength()));
    // A selection ending inside a pair takes the whole character.
    const CharSpot spot = spotOf(end);
    const int caret = spot.offset < end ? spot.byte + 4 : spot.byte;
    send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
    revealCaret();
}

QString ScintillaSurface::selText() const
{
    const long start = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (end <= start)
        return {};
    const char *data = reinterpret_cast<const char *>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
    return m_utf16Index ? utf8ToText(data, int(end - start)) : QString::fromLatin1(data, int(end - start));
}

void ScintillaSurface::insertAtSelection(const QString &text)
{
    if (!isAsciiText(text))
        ensureUtf16Index();
    const QByteArray utf8 = text.toUtf8();
    send(QsciScintillaBase::SCI_TARGETFROMSELECTION);
    m_view->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()),
                          utf8.constData());
    const long start = send(QsciScintillaBase::SCI_GETTARGETSTART);
    const long end = send(QsciScintillaBase::SCI_GETTARGETEND);
    send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(end), end);
    if (!(m_typing == m_styles[0]))
        styleBytes(int(start), int(end - start), styleFor(m_typing));
}

void ScintillaSurface::setSelText(const QString &text)
{
    insertAtSelection(insertable(text));
}

int ScintillaSurface::getLineFromChar(int offset) const
{
    return int(send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(spotOf(offset).byte)));
}

int ScintillaSurface::lineCount() const
{
    return int(send(QsciScintillaBase::SCI_GETLINECOUNT));
}

int ScintillaSurface::lineIndex(int line) const
{
    if (line < 0 || line >= lineCount())
        return -1;
    const long start = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return m_utf16Index ? int(m_units.at(start, m_read).units) : int(start);
}

std::pair<int, int> ScintillaSurface::shownLines(QsciScintillaBase *view)
{
    const long first = view->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const long last = first + view->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
    return {int(view->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(first))),
            int(view->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(last)))};
}

int ScintillaSurface::firstVisibleLine() const
{
    const long visible = send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    return int(send(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(visible)));
}

void ScintillaSurface::setFirstVisibleLine(int line)
{
    const long visible = send(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(std::max(0, line)));
    send(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(visible));
}

void ScintillaSurface::scroll(ScrollKind kind)
{
    const long page = std::max(1L, send(QsciScintillaBase::SCI_LINESONSCREEN));
    long lines = 0;
    switch (kind) {
    case ScrollKind::LineUp: lines = -1; break;
    case ScrollKind::LineDown: lines = 1; break;
    case ScrollKind::PageUp: lines = -page; break;
    case ScrollKind::PageDown: lines = page; break;
    }
    send(QsciScintillaBase::SCI_LINESCROLL, 0, lines);
}

bool ScintillaSurface::setTabStops(int dialogUnits)
{
    if (dialogUnits <= 0 || dialogUnits > 32767)
        return false;
    send(QsciScintillaBase::SCI_SETTABWIDTH, static_cast<unsigned long>(std::max(1, dialogUnits / 4)));
    return true;
}

void ScintillaSurface::setWordWrap(bool on)
{
    send(QsciScintillaBase::SCI_SETWRAPMODE, on ? QsciScintillaBase::SC_WRAP_WORD : QsciScintillaBase::SC_WRAP_NONE);
}

bool ScintillaSurface::wordWrap() const
{
    return send(QsciScintillaBase::SCI_GETWRAPMODE) != QsciScintillaBase::SC_WRAP_NONE;
}

int ScintillaSurface::selectionCount() const
{
    return int(send(QsciScintillaBase::SCI_GETSELECTIONS));
}

void ScintillaSurface::replaceEachSelection(const QString &text)
{
    const QByteArray utf8 = insertable(text).toUtf8();
    std::vector<std::pair<long, long>> ranges;
    const int count = selectionCount();
    for (int i = 0; i < count; ++i)
        ranges.emplace_back(send(QsciScintillaBase::SCI_GETSELECTIONNSTART, static_cast<unsigned long>(i)),
                            send(QsciScintillaBase::SCI_GETSELECTIONNEND, static_cast<unsigned long>(i)));
    std::sort(ranges.begin(), ranges.end());
    // From the end backwards, so that the ranges not yet replaced keep their positions.
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        send(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(it->first), it->second);
        send(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()),
             reinterpret_cast<long>(utf8.constData()));
    }
    long shift = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const long caret = ranges[i].first + shift + long(utf8.size());
        shift += long(utf8.size()) - (ranges[i].second - ranges[i].first);
        send(i == 0 ? QsciScintillaBase::SCI_SETSELECTION : QsciScintillaBase::SCI_ADDSELECTION,
             static_cast<unsigned long>(caret), caret);
    }
}

void ScintillaSurface::setBlanksVisible(bool on)
{
    send(QsciScintillaBase::SCI_SETVIEWWS, on ? QsciScintillaBase::SCWS_VISIBLEALWAYS : QsciScintillaBase::SCWS_INVISIBLE);
    // The widget can only draw the CR LF it holds; the view draws a break saved as LF itself.
    send(QsciScintillaBase::SCI_SETVIEWEOL, on && !m_lfLineEnds ? 1 : 0);
    m_view->setLineEndMark(on && m_lfLineEnds ? QStringLiteral("LF") : QString());
}

bool ScintillaSurface::blanksVisible() const
{
    return send(QsciScintillaBase::SCI_GETVIEWWS) != QsciScintillaBase::SCWS_INVISIBLE;
}

void ScintillaSurface::setEdgeColumn(int column)
{
    send(QsciScintillaBase::SCI_SETEDGECOLUMN, static_cast<unsigned long>(std::max(0, column)));
    send(QsciScintillaBase::SCI_SETEDGEMODE, column > 0 ? QsciScintillaBase::EDGE_LINE : QsciScintillaBase::EDGE_NONE);
}

int ScintillaSurface::edgeColumn() const
{
    if (send(QsciScintillaBase::SCI_GETEDGEMODE) == QsciScintillaBase::EDGE_NONE)
        return 0;
    return int(send(QsciScintillaBase::SCI_GETEDGECOLUMN));
}

int ScintillaSurface::visibleLineCount() const
{
    return int(send(QsciScintillaBase::SCI_LINESONSCREEN));
}

int ScintillaSurface::lastVisibleLine() const
{
    return shownLines(m_view).second;
}

std::optional<QString> ScintillaSurface::saveFile(const QString &path, int format) const
{
    return writeFile(path, format);
}

void ScintillaSurface::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_view->setUpdatesEnabled(visible);
    if (visible)
        m_view->viewport()->update();
}

bool ScintillaSurface::isEnabled() const
{
    return m_view->isEnabled();
}

void ScintillaSurface::setEnabled(bool enabled)
{
    m_view->setEnabled(enabled);
}

void ScintillaSurface::setTabStop(bool on)
{
    m_view->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

void ScintillaSurface::setFocus()
{
    if (m_view->isEnabled())
        m_view->setFocus();
}

void ScintillaSurface::setGeometry(int left, int top, int width, int height)
{
    m_view->setGeometry(left, top, width, height);
}

QPoint ScintillaSurface::caretPos() const
{
    const long pos = send(QsciScintillaBase::SCI_GETCURRENTPOS);
    return {int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, pos)),
            int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, pos))};
}

int ScintillaSurface::lineTop(int line) const
{
    // The widget's own arithmetic for a line's first character, without asking for its position,
    // which would lay the whole line out: the gutter asks for every visible row on each redraw.
    const long shown = send(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(line));
    return int((shown - send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)) * send(QsciScintillaBase::SCI_TEXTHEIGHT, 0));
}

int ScintillaSurface::zoom() const
{
    return int(send(QsciScintillaBase::SCI_GETZOOM));
}

int ScintillaSurface::lineHeight() const
{
    return int(send(QsciScintillaBase::SCI_TEXTHEIGHT, 0));
}

void ScintillaSurface::setOverwriteCaret(bool block)
{
    m_caretStyle = block ? QsciScintillaBase::CARETSTYLE_BLOCK : QsciScintillaBase::CARETSTYLE_LINE;
    send(QsciScintillaBase::SCI_SETCARETSTYLE, static_cast<unsigned long>(m_caretStyle));
    if (!block)
        send(QsciScintillaBase::SCI_SETCARETWIDTH, 2);
}

void ScintillaSurface::hideCaret()
{
    send(QsciScintillaBase::SCI_SETCARETSTYLE, QsciScintillaBase::CARETSTYLE_INVISIBLE);
}

void ScintillaSurface::showCaret()
{
    send(QsciScintillaBase::SCI_SETCARETSTYLE, static_cast<unsigned long>(m_caretStyle));
}

QWidget *ScintillaSurface::textArea() const
{
    return m_view->viewport();
}

std::optional<QRect> ScintillaSurface::characterRect(int offset) const
{
    if (offset < 0 || offset >= textLength())
        return std::nullopt;
    // Through the line index, so documents with non-ASCII text map offsets to bytes in O(log n).
    const int line = getLineFromChar(offset);
    const long lineByte = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long position = send(QsciScintillaBase::SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(lineByte),
                               long(offset - lineIndex(line)));
    const long after = send(QsciScintillaBase::SCI_POSITIONAFTER, static_cast<unsigned long>(position));
    const int x = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0ul, position));
    const int y = int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0ul, position));
    const int xAfter = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0ul, after));
    const QRect cell(x, y, qMax(1, xAfter - x), lineHeight());
    if (!m_view->viewport()->rect().contains(cell))
        return std::nullopt;
    return cell;
}
